// The main window: caption and pages, its tool bar, help, the timer's autostart and
// the questions on closing.
#include <memory>

#include "gui_test_support.h"
#include "main_window.h"
#include "support/temp_dir.h"

namespace {

// The main window on an empty workspace whose projects go to a directory of their own.
struct Main {
  kelvaro::test::TempDir dir;
  kelvaro::Workspace workspace;
  kelvaro::test::FakeUserInterface ui;
  std::unique_ptr<kelvaro::gui::TProDefsF> window;

  Main() {
    workspace.settings().DIRDAT = dir.path().string() + "/";
    window = std::make_unique<kelvaro::gui::TProDefsF>(workspace, ui);
  }
  QAction* action(const char* name) const { return kelvaro::test::child<QAction>(window.get(), name); }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void timerStartsThePendingAutostartOnceAndOnlyWhileOn() {
    Main m;
    int visualisations = 0;
    m.window->context().visualise = [&] { ++visualisations; };
    m.window->context().setMainTimer(false);
    m.workspace.settings().startMode = kelvaro::kStartVisualise;
    m.workspace.settings().autostartPending = true;
    QTest::qWait(250);
    QCOMPARE(visualisations, 0);
    m.window->context().setMainTimer(true);
    QTRY_COMPARE(visualisations, 1);
    QTest::qWait(250);
    QCOMPARE(visualisations, 1);
  }

  // What is asked and when is startup_test's; here closing and "Beenden" reach it.
  void closeAndExitAskAndSave() {
    Main m;
    m.window->show();
    m.workspace.project.modified = true;
    m.workspace.project.views.push_back({"Erdgeschoss", {}});
    m.ui.answers = {kelvaro::MessageAnswer::No};
    QVERIFY(!m.window->close());
    m.ui.answers = {kelvaro::MessageAnswer::Yes};
    m.ui.fileNames = {m.dir.file("HAUS")};
    m.action("BeendenAct")->trigger();
    QVERIFY(kelvaro::test::readFile(m.dir.file("HAUS.SPG")).find("Erdgeschoss") != std::string::npos);
    QVERIFY(!m.window->isVisible());
  }

  // A user's round: the caption and the pages, the tool bar and help of the page in front; then
  // with the keyboard: the keys reach the commands, the title follows the file and its changes,
  // the status line confirms a save, the menu offers the projects just used (their order and
  // captions are project_commands_test's).
  void captionPagesHelpShortcutsAndRecentProjects() {
    Main m;
    QCOMPARE(m.window->windowTitle(), QStringLiteral("kelvaro"));
    QStringList captions;
    for (int i = 0; i < m.window->notebook()->count(); ++i) captions << m.window->notebook()->tabText(i);
    QCOMPARE(captions, (QStringList{"Ansichten", "Objekte", "Typen", "Steuereinheit", "E/A-Module", "Einstellungen"}));
    // Printing is ready, in the tool bar too. "Info" names the program's version.
    auto* bar = kelvaro::test::child<QToolBar>(m.window.get(), "ToolBar");
    QVERIFY(bar->widgetForAction(m.action("DruckenAct"))->isEnabled());
    QString about;
    kelvaro::test::onModal<QMessageBox>([&](QMessageBox* box) {
      about = box->text();
      box->accept();
    });
    m.action("InfoAct")->trigger();
    QVERIFY2(about.contains(QRegularExpression(QStringLiteral("Version \\d+\\.\\d+\\.\\d+"))), qPrintable(about));

    // Help opens the topic of the page in front.
    QStringList topics;
    m.window->context().showHelp = [&](const QString& topic) { topics << topic; };
    QTest::mouseClick(kelvaro::test::child<QPushButton>(m.window.get(), "HilfeBtn"), Qt::LeftButton);
    m.window->notebook()->setCurrentIndex(5);
    m.window->show();
    QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
    QTest::keyClick(m.window.get(), Qt::Key_F1);
    m.action("InhaltAct")->trigger();
    QCOMPARE(topics, (QStringList{"seitAnsicht", "seitEinst", "Inhalt"}));

    auto* window = m.window.get();
    const std::string garden = m.dir.file("GARTEN.SPG");
    kelvaro::test::writeFile(garden, "@Init\r\n View=Beet\r\n@E\r\n");
    m.ui.fileNames = {garden, m.dir.file("DACH")};
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window->windowTitle(), QStringLiteral("kelvaro - GARTEN.SPG"));
    m.workspace.project.modified = true;  // as any page or editor sets it
    QTRY_COMPARE(window->windowTitle(), QStringLiteral("kelvaro - GARTEN.SPG *"));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(window->windowTitle(), QStringLiteral("kelvaro - GARTEN.SPG"));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Projekt gespeichert: GARTEN.SPG"));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window->windowTitle(), QStringLiteral("kelvaro - DACH.SPG"));
    m.action("ZuletztAct2")->trigger();
    QCOMPARE(window->windowTitle(), QStringLiteral("kelvaro - GARTEN.SPG"));

    int runs = 0;
    window->context().runOnPc = [&] { ++runs; };
    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(runs, 1);
    // A new project's name shows in the tool bar, where a double-click renames it.
    m.ui.inputs = {"Haus", "Villa"};
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    auto* label = kelvaro::test::child<QLabel>(window, "ProjNameLb");
    QCOMPARE(label->text(), QStringLiteral("Haus"));
    QTest::mouseDClick(label, Qt::LeftButton);
    QCOMPARE(window->windowTitle(), QStringLiteral("kelvaro - Villa.SPG"));
    QCOMPARE(label->text(), QStringLiteral("Villa"));

    // Ctrl+Q in the constants box switches the line log and does not end the program.
    window->notebook()->setCurrentIndex(5);
    auto* constants = kelvaro::test::child<QPlainTextEdit>(window, "KonstMemo");
    constants->setFocus();
    QTest::keyClick(constants, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(m.workspace.lineLog);
    QCOMPARE(constants->toPlainText(), QString());  // the key typed nothing
    QVERIFY(window->isVisible());
    QTest::keyClick(window->notebook()->tabBar(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window->isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
