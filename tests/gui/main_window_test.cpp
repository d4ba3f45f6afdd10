// The main window opens with the program's caption.
#include <QtTest>

#include "main_window.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithCaption() {
    kelvaro::gui::TProDefsF window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("kelvaro"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
