// A list box whose items the user reorders by dragging them inside the list.
#pragma once

#include <QListWidget>

namespace kelvaro::gui {

class TExtListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TExtListBox(QWidget* parent = nullptr);

  // Moves the item at from to to (both valid rows), keeps it selected and reports it.
  void moveItem(int from, int to);

 Q_SIGNALS:
  // An item was dropped at a new place (after the move).
  void itemMoved(int from, int to);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace kelvaro::gui
