// The main window opens with the program's caption and its six pages.
#include <QTabWidget>
#include <QtTest>

#include "main_window.h"
#include "support/fake_user_interface.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithCaptionAndPages() {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("kelvaro"));
    QStringList captions;
    for (int i = 0; i < window.notebook()->count(); ++i) captions << window.notebook()->tabText(i);
    QCOMPARE(captions, (QStringList{"Ansichten", "Objekte", "Typen", "Steuereinheit", "E/A-Module", "Einstellungen"}));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
