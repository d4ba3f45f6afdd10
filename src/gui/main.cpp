// Program entry of the kelvaro desktop application.
#include <QApplication>

#include "main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvaro"));
  kelvaro::gui::TProDefsF window;
  window.show();
  return QApplication::exec();
}
