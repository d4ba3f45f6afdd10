// Program entry of the kelvaro desktop application.
#include <QApplication>

#include "app/workspace.h"
#include "main_window.h"
#include "qt_user_interface.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvaro"));
  kelvaro::Workspace workspace;
  kelvaro::gui::QtUserInterface ui;
  kelvaro::gui::TProDefsF window(workspace, ui);
  ui.setParent(&window);
  window.show();
  return QApplication::exec();
}
