// The assistants' statement lists on screen: a QListWidget that shows a core StatementList and
// hands each click to it, so that a click selects what the core says (a whole block, or a WENN
// structure) and not just the line under the mouse.
#pragma once

#include <QListWidget>
#include <functional>

#include "assistants/block_list.h"

namespace kelvaro::gui {

class StatementListView : public QListWidget {
  Q_OBJECT

 public:
  explicit StatementListView(QWidget* parent = nullptr);

  // list: the lines shown; click: what a click on a row does to the selection (the list's
  // block selection unless set otherwise).
  void bind(std::function<StatementList&()> list, std::function<void(int row)> click = {});
  // Shows the lines and the selection as the list has them now.
  void refresh();

 private:
  void clicked(int row);

  std::function<StatementList&()> m_list;
  std::function<void(int)> m_click;
};

}  // namespace kelvaro::gui
