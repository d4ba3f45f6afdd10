// The slider thumb of a gauge: a push button without caption that reports the drag to its gauge.
#pragma once

#include <QPushButton>

namespace kelvaro::gui {

class TEValBtn : public QPushButton {
  Q_OBJECT

 public:
  explicit TEValBtn(QWidget* parent = nullptr);

 Q_SIGNALS:
  // Left press: where inside the thumb it was pressed.
  void thumbPressed(QPoint posInThumb);
  // Moving with only the left button held: the mouse in the parent's coordinates.
  void thumbDragged(QPoint posInParent);
  // Left button released after a press on the thumb.
  void thumbReleased();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_pressed = false;
};

}  // namespace kelvaro::gui
