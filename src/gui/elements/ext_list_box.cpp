// The reorderable list box (see ext_list_box.h).
#include "elements/ext_list_box.h"

#include <QDropEvent>

#include "elements/element_math.h"

namespace kelvaro::gui {

TExtListBox::TExtListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
}

void TExtListBox::moveItem(int from, int to) {
  if (from < 0 || from >= count() || to < 0 || to >= count()) return;
  if (from != to) {
    QListWidgetItem* item = takeItem(from);
    insertItem(to, item);
  }
  setCurrentRow(to);
  Q_EMIT itemMoved(from, to);
}

void TExtListBox::dragEnterEvent(QDragEnterEvent* event) {
  // Only items of this list may be dropped here; it is a reorder, not an import.
  if (event->source() == this)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TExtListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TExtListBox::dropEvent(QDropEvent* event) {
  if (event->source() != this || currentRow() < 0) {
    event->ignore();
    return;
  }
  const QModelIndex top = indexAt(QPoint(0, 0));
  const int rowHeight = count() > 0 && sizeHintForRow(0) > 0 ? sizeHintForRow(0) : fontMetrics().height();
  const int target =
      listDropIndex(top.isValid() ? top.row() : 0, event->position().toPoint().y(), rowHeight, currentRow(), count());
  moveItem(currentRow(), target);
  // Reported as a copy so that the view does not remove the dragged item a second time.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace kelvaro::gui
