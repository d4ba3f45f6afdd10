// A label that acts on a double click: the project name in the tool bar renames the project,
// the view preview opens the layout editor.
#pragma once

#include <QLabel>
#include <functional>
#include <utility>

namespace kelvaro::gui {

class DoubleClickLabel : public QLabel {
 public:
  DoubleClickLabel(std::function<void()> onDoubleClick, QWidget* parent)
      : QLabel(parent), m_onDoubleClick(std::move(onDoubleClick)) {}

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QLabel::mouseDoubleClickEvent(event);
    if (m_onDoubleClick) m_onDoubleClick();
  }

 private:
  std::function<void()> m_onDoubleClick;
};

}  // namespace kelvaro::gui
