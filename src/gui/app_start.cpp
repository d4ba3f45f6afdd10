// Start of the desktop program: settings, start-up, main window and event loop.
#include "app_start.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/startup.h"
#include "app/view_commands.h"
#include "main_window.h"
#include "qt_user_interface.h"
#include "storage/settings.h"
#include "text/cp1252.h"

namespace kelvaro::gui {

namespace {

// An error that no command handled must not end the program or reach the user: the project
// is repaired as far as the bitmaps go and the event loop carries on.
class KelvaroApplication : public QApplication {
 public:
  KelvaroApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  void setWorkspace(Workspace* workspace) { m_workspace = workspace; }

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception&) {
      if (m_workspace != nullptr) recoverFromUnhandledError(m_workspace->project);
    }
    return false;
  }

 private:
  Workspace* m_workspace = nullptr;
};

std::string currentDirectory() {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string(".") : dir.string();
}

const QString kQtTranslatorName = QStringLiteral("kelvaroQtGerman");

}  // namespace

bool useGermanTexts() {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  // Once per application: the window tests call this for every test.
  if (app->findChild<QTranslator*>(kQtTranslatorName, Qt::FindDirectChildrenOnly) != nullptr) return true;
  auto* translator = new QTranslator(app);
  if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  translator->setObjectName(kQtTranslatorName);
  QCoreApplication::installTranslator(translator);
  return true;
}

bool takeAskStartOption(std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.front() != kAskStartOption) return false;
  arguments.erase(arguments.begin());
  return true;
}

void confirmAutostart(Settings& settings, UserInterface& ui) {
  if (!settings.autostartPending) return;
  // The main timer must not start the project while the question is open.
  settings.autostartPending = false;
  const std::string question =
      settings.startMode == kStartPcExecution
          ? "Soll das Projekt " + settings.projectNameLabel + fromUtf8(" jetzt auf dem PC ausgeführt werden ?")
          : "Soll die Visualisierung des Projekts " + settings.projectNameLabel + " jetzt gestartet werden ?";
  const MessageAnswer answer =
      ui.showMessage({MessageKind::Question, question, MessageButtons::YesNo, 0, MessageAnswer::No});
  settings.autostartPending = answer == MessageAnswer::Yes;
}

void startWorkspace(Workspace& workspace, UserInterface& ui, const std::vector<std::string>& arguments) {
  const auto iniPath = settingsFilePath();
  workspace.ini = IniFile(iniPath.value_or(std::string()));
  // A missing file is a first start; an unreadable one is left alone (the file refuses to be
  // saved over then), and the defaults apply either way.
  if (iniPath) workspace.ini.load();
  workspace.workDir = currentDirectory();

  StartupEnvironment environment;
  environment.arguments = arguments;
  environment.workDir = workspace.workDir;
  workspace.app = startUp(environment, workspace.ini, workspace.project, ui);
  finishStartUp(workspace, ui);
}

int runKelvaro(int argc, char* argv[]) {
  KelvaroApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvaro"));
  // The desktop entry and the icon installed with the program, for the task bar and Wayland.
  QGuiApplication::setDesktopFileName(QStringLiteral("kelvaro"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kelvaro")));
  useGermanTexts();
  // File names from the command line stay the bytes the file system gave us.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  const bool askStart = takeAskStartOption(arguments);

  Workspace workspace;
  app.setWorkspace(&workspace);
  QtUserInterface ui;
  TProDefsF window(workspace, ui);
  ui.setParent(&window);
  startWorkspace(workspace, ui, arguments);
  window.refreshPages();
  window.show();
  if (askStart) confirmAutostart(workspace.settings(), ui);
  return QApplication::exec();
}

}  // namespace kelvaro::gui
