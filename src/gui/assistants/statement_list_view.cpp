// Draws a StatementList and feeds clicks back to it; the selection is the core's, never Qt's.
#include "assistants/statement_list_view.h"

#include <QSignalBlocker>

#include "qt_text.h"

namespace kelvaro::gui {

StatementListView::StatementListView(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::MultiSelection);
  setFont(QFont(QStringLiteral("Courier New"), font().pointSize()));
  connect(this, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) { clicked(row(item)); });
}

void StatementListView::bind(std::function<StatementList&()> list, std::function<void(int)> click) {
  m_list = std::move(list);
  m_click = std::move(click);
  refresh();
}

void StatementListView::refresh() {
  if (!m_list) return;
  const StatementList& list = m_list();
  const QSignalBlocker blocker(this);
  clear();
  addItems(toQList(list.lines()));
  for (int index : list.selection())
    if (index >= 0 && index < count()) item(index)->setSelected(true);
}

void StatementListView::clicked(int row) {
  if (!m_list || row < 0) return;
  if (m_click)
    m_click(row);
  else
    m_list().clickLine(row);
  // After Qt has toggled the pressed row, so that the core's selection is what stays.
  QMetaObject::invokeMethod(this, [this, row] {
    refresh();
    if (row < count()) setCurrentRow(row, QItemSelectionModel::NoUpdate);
  }, Qt::QueuedConnection);
  refresh();
}

}  // namespace kelvaro::gui
