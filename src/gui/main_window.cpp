// The main window; for now only its caption and size, the pages follow.
#include "main_window.h"

namespace kelvaro::gui {

TProDefsF::TProDefsF(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("kelvaro"));
  resize(800, 560);
}

}  // namespace kelvaro::gui
