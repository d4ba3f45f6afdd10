// A project opened from the desktop (menu entry, double-click) is loaded as a start project,
// but runs or is visualised only when the user says so; from a plain command line it starts.
#include "app_start.h"
#include "app/startup.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"

namespace {

// Notes whether an autostart was still pending while the question was open: the main timer
// ticks in the question's event loop and would start the project behind the user's back.
class AskingUi : public kelvaro::test::FakeUserInterface {
 public:
  explicit AskingUi(kelvaro::Workspace& workspace) : m_workspace(workspace) {}
  kelvaro::MessageAnswer showMessage(const kelvaro::Message& message) override {
    pendingWhileAsked = m_workspace.settings().autostartPending;
    return FakeUserInterface::showMessage(message);
  }
  bool pendingWhileAsked = false;

 private:
  kelvaro::Workspace& m_workspace;
};

}  // namespace

class AppStartTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aProjectFromTheDesktopStartsOnlyWhenTheUserSaysYes() {
    using kelvaro::AutostartAction;
    using kelvaro::MessageAnswer;
    struct Row {
      int line;
      std::vector<std::string> arguments;
      MessageAnswer answer;
      std::vector<std::string> questions;
      AutostartAction start;
    };
    const Row rows[] = {
        {__LINE__,
         {"--ask-start", "HAUS.SPG"},
         MessageAnswer::No,
         {"Soll die Visualisierung des Projekts HAUS jetzt gestartet werden ?"},
         AutostartAction::None},
        {__LINE__,
         {"--ask-start", "HAUS.SPG"},
         MessageAnswer::Yes,
         {"Soll die Visualisierung des Projekts HAUS jetzt gestartet werden ?"},
         AutostartAction::Visualisation},
        {__LINE__,
         {"--ask-start", "HAUS.SPG-P"},
         MessageAnswer::Yes,
         {"Soll das Projekt HAUS jetzt auf dem PC ausgeführt werden ?"},
         AutostartAction::PcExecution},
        // A start project from a plain command line (a script, the demo) starts as before.
        {__LINE__, {"HAUS.SPG-P"}, MessageAnswer::No, {}, AutostartAction::PcExecution},
        // Nothing to start, nothing to ask: the menu entry without a file.
        {__LINE__, {"--ask-start"}, MessageAnswer::Yes, {}, AutostartAction::None},
        // The option counts only in front; behind the file it is no file name either.
        {__LINE__, {"HAUS.SPG", "--ask-start"}, MessageAnswer::No, {}, AutostartAction::Visualisation},
    };
    kelvaro::test::TempDir dir;
    kelvaro::test::writeFile(dir.file("kelvaro.INI"), "[INITALL]\r\nDIRDAT=" + dir.file("SPG") + "\r\n");
    QDir().mkpath(QString::fromStdString(dir.file("SPG")));
    kelvaro::test::writeFile(dir.file("SPG/HAUS.SPG"), "@Init\r\n View=Erdgeschoss\r\n@E\r\n");
    qputenv("KELVARO_INI", QByteArray::fromStdString(dir.file("kelvaro.INI")));
    for (const Row& row : rows) {
      const QByteArray where = QByteArray::number(row.line);
      kelvaro::Workspace workspace;
      AskingUi ui(workspace);
      ui.answers = {row.answer};
      std::vector<std::string> arguments = row.arguments;
      const bool ask = kelvaro::gui::takeAskStartOption(arguments);
      kelvaro::gui::startWorkspace(workspace, ui, arguments);
      if (ask) kelvaro::gui::confirmAutostart(workspace.settings(), ui);
      QVERIFY2(ui.messageTexts() == row.questions, where);
      if (!row.questions.empty()) {
        QVERIFY2(ui.messages.front().buttons == kelvaro::MessageButtons::YesNo, where);
        QVERIFY2(ui.messages.front().defaultAnswer == MessageAnswer::No, where);
        QVERIFY2(!ui.pendingWhileAsked, where);
      }
      QVERIFY2(kelvaro::autostartTick(workspace.settings()) == row.start, where);
    }
    qunsetenv("KELVARO_INI");
  }
};

QTEST_MAIN(AppStartTest)
#include "app_start_test.moc"
