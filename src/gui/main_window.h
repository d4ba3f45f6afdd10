// The main window of kelvaro: the project pages and commands bind here.
#pragma once

#include <QMainWindow>

namespace kelvaro::gui {

class TProDefsF : public QMainWindow {
  Q_OBJECT

 public:
  explicit TProDefsF(QWidget* parent = nullptr);
};

}  // namespace kelvaro::gui
