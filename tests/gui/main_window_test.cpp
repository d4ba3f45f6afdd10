// The main window: caption and pages, its menus and tool bar, help, the timer's autostart and
// the questions on closing.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "app_start.h"
#include "main_window.h"
#include "pages/main_page.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

namespace {

QStringList actionTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text();
  return texts;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithCaptionPagesAndMenus() {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    QCOMPARE(window.windowTitle(), QStringLiteral("kelvaro"));
    QStringList captions;
    for (int i = 0; i < window.notebook()->count(); ++i) captions << window.notebook()->tabText(i);
    QCOMPARE(captions, (QStringList{"Ansichten", "Objekte", "Typen", "Steuereinheit", "E/A-Module", "Einstellungen"}));
    const QList<QAction*> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(actionTexts(menus[0]->menu()),
             (QStringList{"&Neu", "Ö&ffnen", "&Zufügen", "&Speichern", "Speichern &unter", "&Ausführung auf PC",
                          "&Visualisierung", "&Drucken", "Drucker&einstellung", "&Beenden"}));
    QCOMPARE(actionTexts(menus[1]->menu()), (QStringList{"&Inhalt", "Inf&o"}));
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("DruckenAct"))->isEnabled());  // for a later version
  }

  void helpOpensTheTopicOfThePageInFront() {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    QStringList topics;
    window.context().showHelp = [&](const QString& topic) { topics << topic; };
    auto* help = window.findChild<QPushButton*>(QStringLiteral("HilfeBtn"));
    QTest::mouseClick(help, Qt::LeftButton);
    window.notebook()->setCurrentIndex(1);
    QTest::mouseClick(help, Qt::LeftButton);
    window.notebook()->setCurrentIndex(5);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    window.findChild<QAction*>(QStringLiteral("InhaltAct"))->trigger();
    QCOMPARE(topics, (QStringList{"seitAnsicht", "seitobj", "seitEinst", "Inhalt"}));
  }

  void timerStartsThePendingAutostartOnceAndOnlyWhileOn() {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    int visualisations = 0;
    window.context().visualise = [&] { ++visualisations; };
    window.context().setMainTimer(false);
    workspace.settings().startMode = kelvaro::kStartVisualise;
    workspace.settings().autostartPending = true;
    QTest::qWait(250);
    QCOMPARE(visualisations, 0);
    window.context().setMainTimer(true);
    QTRY_COMPARE(visualisations, 1);
    QTest::qWait(250);
    QCOMPARE(visualisations, 1);
  }

  void closeAndExitAskAndSave() {
    kelvaro::test::TempDir dir;
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    window.show();
    workspace.settings().DIRDAT = dir.path().string() + "/";
    workspace.project.modified = true;
    workspace.project.views.push_back({"Erdgeschoss", {}});
    ui.answers = {kelvaro::MessageAnswer::No};
    QVERIFY(!window.close());  // the question's texts are startup_test's
    QCOMPARE(ui.messages.size(), std::size_t{1});
    QCOMPARE(workspace.project.views.size(), std::size_t{1});

    ui.answers = {kelvaro::MessageAnswer::Yes};
    ui.fileNames = {dir.file("HAUS")};
    window.findChild<QAction*>(QStringLiteral("BeendenAct"))->trigger();
    QVERIFY(kelvaro::test::readFile(dir.file("HAUS.SPG")).find("Erdgeschoss") != std::string::npos);
    QVERIFY(!window.isVisible());
  }

  void newProjectAndRenameShowTheNameInTheToolBar() {
    kelvaro::test::TempDir dir;
    kelvaro::Workspace workspace;
    workspace.settings().DIRDAT = dir.path().string() + "/";
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    auto* label = window.findChild<QLabel*>(QStringLiteral("ProjNameLb"));
    ui.inputs = {"Haus", "Villa"};
    window.findChild<QAction*>(QStringLiteral("NeuAct"))->trigger();
    QCOMPARE(label->text(), QStringLiteral("Haus"));
    QTest::mouseDClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QStringLiteral("Villa"));
    QCOMPARE(QString::fromStdString(workspace.fileName), QString::fromStdString(dir.file("Villa.SPG")));
  }

  void startUpReadsTheSettingsFileAndTheProjectFromTheCommandLine() {
    kelvaro::test::TempDir dir;
    const std::string projects = dir.file("SPG");
    kelvaro::test::writeFile(dir.file("kelvaro.INI"), "[INITALL]\r\nDIRDAT=" + projects + "\r\n");
    QDir().mkpath(QString::fromStdString(projects));
    kelvaro::test::writeFile(projects + "/HAUS.SPG", "@Init\r\n View=Erdgeschoss\r\n@E\r\n");
    qputenv("KELVARO_INI", QByteArray::fromStdString(dir.file("kelvaro.INI")));
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::startWorkspace(workspace, ui, {"HAUS.SPG-P"});
    qunsetenv("KELVARO_INI");
    QCOMPARE(ui.messageTexts(), std::vector<std::string>{});
    QCOMPARE(workspace.project.views.size(), std::size_t{1});
    workspace.settings().autostartPending = false;  // no run in this test
    kelvaro::gui::TProDefsF window(workspace, ui);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("ProjNameLb"))->text(), QStringLiteral("HAUS"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
