// Start-up, autostart and closing of the main window, on small project files in a temporary
// working directory.
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "app/closing.h"
#include "app/startup.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::readFile;
using test::TempDir;
using test::writeFile;

// A project file whose only content is one view, so the views show which files were read.
std::string projectWithView(std::string_view view, std::string_view extraInit = "") {
  return "@Init\r\n View=" + std::string(view) + "\r\n" + std::string(extraInit) + "@E\r\n";
}

std::string viewNames(const Project& project) {
  std::string names;
  for (const auto& v : project.views) names += (names.empty() ? "" : ",") + v.name;
  return names;
}

class Startup : public ::testing::Test {
 protected:
  Startup() { std::filesystem::create_directories(projectDir()); }

  std::string workDir() const { return m_dir.file("work"); }
  std::string projectDir() const { return m_dir.file("work/SPG"); }
  std::string inWork(std::string_view name) const { return workDir() + "/" + std::string(name); }
  std::string inProjects(std::string_view name) const { return projectDir() + "/" + std::string(name); }

  AppState run(std::vector<std::string> arguments, std::string_view iniText = "") {
    StartupEnvironment environment;
    environment.arguments = std::move(arguments);
    environment.workDir = workDir();
    environment.paintCandidates = {};
    return startUp(environment, IniFile::fromText(iniText), project, ui);
  }

  Project project;
  FakeUserInterface ui;

 private:
  TempDir m_dir;
};

TEST_F(Startup, DefaultDefinitionsComeFromTheProjectDirectoryElseTheWorkingDirectory) {
  struct Case {
    int line;
    bool inProjectDir, inWorkDir;
    std::string views;
  };
  const Case cases[] = {
      {__LINE__, true, false, "SpgDefaults"},
      {__LINE__, false, true, "WorkDefaults"},
      {__LINE__, true, true, "SpgDefaults"},
      {__LINE__, false, false, ""},  // missing INIT.SPI is silent
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::filesystem::remove(inProjects("INIT.SPI"));
    std::filesystem::remove(inWork("INIT.SPI"));
    if (c.inProjectDir) writeFile(inProjects("INIT.SPI"), projectWithView("SpgDefaults"));
    if (c.inWorkDir) writeFile(inWork("INIT.SPI"), projectWithView("WorkDefaults"));
    ui.messages.clear();
    const AppState state = run({});
    EXPECT_EQ(viewNames(project), c.views);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(state.settings.autostartPending);
    EXPECT_EQ(state.settings.projectNameLabel, "");
    EXPECT_EQ(state.selectedView, c.views.empty() ? -1 : 0);
  }
}

TEST_F(Startup, ChosenDefaultDefinitionsFile) {
  writeFile(inWork("INIT.SPI"), projectWithView("Standard"));
  writeFile(inWork("WOHNUNG.SPI"), projectWithView("Wohnung"));
  run({}, "[INITSPG]\nINITFILE=WOHNUNG.SPI\n");
  EXPECT_EQ(viewNames(project), "Wohnung");

  // An empty INITFILE means INIT.SPI.
  run({}, "[INITSPG]\nINITFILE=\n");
  EXPECT_EQ(viewNames(project), "Standard");
  EXPECT_TRUE(ui.messages.empty());

  // A chosen file that is missing is worth telling: the user named it.
  run({}, "[INITSPG]\nINITFILE=FEHLT.SPI\n");
  EXPECT_EQ(viewNames(project), "");
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Datei " + inWork("FEHLT.SPI") + " nicht gefunden"});
}

TEST_F(Startup, ArgumentIsReadOnTopAndStartsTheVisualisation) {
  writeFile(inWork("INIT.SPI"), projectWithView("Defaults"));
  writeFile(inProjects("HAUS.SPG"), projectWithView("Keller"));
  project.modified = true;
  AppState state = run({"HAUS.SPG"});
  EXPECT_EQ(viewNames(project), "Defaults,Keller");
  EXPECT_EQ(state.settings.startFile, "HAUS.SPG");
  EXPECT_EQ(state.settings.projectNameLabel, "HAUS");
  EXPECT_EQ(state.settings.startMode, ' ');
  EXPECT_TRUE(state.settings.autostartPending);
  EXPECT_FALSE(project.modified);
  EXPECT_FALSE(state.settings.settingsChanged);
  EXPECT_EQ(state.selectedView, 0);
  EXPECT_EQ(state.caption, "kelvaro");
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_EQ(autostartTick(state.settings), AutostartAction::Visualisation);
  EXPECT_FALSE(state.settings.autostartPending);
  EXPECT_EQ(autostartTick(state.settings), AutostartAction::None);  // only once
}

TEST_F(Startup, AutoexecReplacesTheArgumentAndItsSuffixChoosesTheStart) {
  writeFile(inProjects("HAUS.SPG"), projectWithView("Haus"));
  writeFile(inProjects("AUTO.SPG"), projectWithView("Auto"));
  struct Case {
    int line;
    std::vector<std::string> arguments;
    std::string autoexec;
    std::string views, startFile;
    char mode;
    AutostartAction action;
  };
  const Case cases[] = {
      {__LINE__, {"HAUS.SPG"}, "AUTO.SPG", "Auto", "AUTO.SPG", ' ', AutostartAction::Visualisation},
      {__LINE__, {"HAUS.SPG"}, "AUTO.SPG-P", "Auto", "AUTO.SPG", 'P', AutostartAction::PcExecution},
      {__LINE__, {}, "AUTO.SPG-P", "Auto", "AUTO.SPG", 'P', AutostartAction::PcExecution},
      {__LINE__, {"HAUS.SPG-P"}, "", "Haus", "HAUS.SPG", 'P', AutostartAction::PcExecution},
      {__LINE__, {"HAUS.SPG-p"}, "", "", "HAUS.SPG-p", ' ', AutostartAction::None},  // only "-P"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ui.messages.clear();
    const std::string ini = c.autoexec.empty() ? "" : "[STARTPGM]\nAUTOEXEC=" + c.autoexec + "\n";
    AppState state = run(c.arguments, ini);
    EXPECT_EQ(viewNames(project), c.views);
    EXPECT_EQ(state.settings.startFile, c.startFile);
    EXPECT_EQ(state.settings.startMode, c.mode);
    EXPECT_EQ(autostartTick(state.settings), c.action);
  }
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Datei HAUS.SPG-p nicht gefunden"});
}

TEST_F(Startup, MissingStartFileIsReportedAndTheProgramContinues) {
  writeFile(inWork("INIT.SPI"), projectWithView("Defaults"));
  AppState state = run({"FEHLT.SPG"});
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Datei FEHLT.SPG nicht gefunden"});
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(viewNames(project), "Defaults");
  EXPECT_EQ(state.selectedView, 0);
  // Nothing runs in place of the missing project, and it is not named.
  EXPECT_EQ(state.settings.projectNameLabel, "");
  EXPECT_FALSE(state.settings.autostartPending);
  EXPECT_EQ(autostartTick(state.settings), AutostartAction::None);
}

TEST_F(Startup, PartlyReadStartFileIsNamedButNotStarted) {
  writeFile(inProjects("HALB.SPG"), "@Init\r\n View=Erster\r\n BackColor=blau\r\n View=Zweiter\r\n@E\r\n");
  AppState state = run({"HALB.SPG-P"});
  EXPECT_EQ(viewNames(project), "Erster");
  EXPECT_EQ(state.settings.projectNameLabel, "HALB");
  EXPECT_FALSE(state.settings.autostartPending);
  EXPECT_EQ(ui.messages.size(), 1u);  // the reader says where the load ended
}

TEST_F(Startup, LoadFileLookup) {
  writeFile(inWork("INIT.SPI"), projectWithView("Defaults"));
  writeFile(inProjects("HAUS.SPG"), projectWithView("Haus"));
  writeFile(inWork("ANDERS.SPG"), projectWithView("Anders"));
  struct Case {
    int line;
    std::string loadFile;
    std::string views, startFile, label;
  };
  const Case cases[] = {
      // Found in the project directory: read instead of the default definitions.
      {__LINE__, "HAUS.SPG", "Haus", inProjects("HAUS.SPG"), "HAUS"},
      // Found as given.
      {__LINE__, inWork("ANDERS.SPG"), "Anders", inWork("ANDERS.SPG"), "ANDERS"},
      // Nowhere: counts as empty, only the default definitions are read.
      {__LINE__, "WEG.SPG", "Defaults", "", ""},
      {__LINE__, inWork("WEG.SPG"), "Defaults", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    AppState state = run({}, "[INITALL]\nLOADFILE=" + c.loadFile + "\n");
    EXPECT_EQ(viewNames(project), c.views);
    EXPECT_EQ(state.settings.startFile, c.startFile);
    EXPECT_EQ(state.settings.projectNameLabel, c.label);
    EXPECT_FALSE(state.settings.autostartPending);  // never for LOADFILE
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Startup, WithLoadFileSetTheDefaultDefinitionsAreNotReadEvenForAStartFile) {
  writeFile(inWork("INIT.SPI"), projectWithView("Defaults"));
  writeFile(inProjects("HAUS.SPG"), projectWithView("Haus"));
  writeFile(inProjects("ARG.SPG"), projectWithView("Arg"));
  AppState state = run({"ARG.SPG"}, "[INITALL]\nLOADFILE=HAUS.SPG\n");
  EXPECT_EQ(viewNames(project), "Arg");
  EXPECT_EQ(state.settings.startFile, "ARG.SPG");
  EXPECT_TRUE(state.settings.autostartPending);
}

TEST_F(Startup, ProjectNameIsTheFileNameUpToItsFirstDot) {
  const std::string dotted = workDir() + "/alt.v1";
  std::filesystem::create_directories(dotted);
  writeFile(dotted + "/HAUS.V2.SPG", projectWithView("Haus"));
  AppState state = run({dotted + "/HAUS.V2.SPG"});
  EXPECT_EQ(viewNames(project), "Haus");
  EXPECT_EQ(state.settings.projectNameLabel, "HAUS");
}

TEST_F(Startup, HardwareControlFollowsTheProjectReadLast) {
  struct Case {
    int line;
    bool defaultsExtern, projectExtern;
    bool expected;
  };
  const Case cases[] = {
      {__LINE__, false, false, false},
      {__LINE__, false, true, true},
      {__LINE__, true, false, true},  // reading only ever switches Extern on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    writeFile(inWork("INIT.SPI"), projectWithView("D", c.defaultsExtern ? " Extern=1\r\n" : ""));
    writeFile(inProjects("HAUS.SPG"), projectWithView("H", c.projectExtern ? " Extern=1\r\n" : ""));
    const AppState state = run({"HAUS.SPG"});
    EXPECT_EQ(project.Extern, c.expected);
    EXPECT_EQ(state.hardwareControl, c.expected);
    EXPECT_EQ(state.protocolEnabled, c.expected);
  }
}

TEST_F(Startup, StartsFromEmptyProjectLists) {
  project.views.push_back({"Alt", {}});
  project.ExeWinPos = {1, 2, 3, 4};
  const AppState state = run({});
  EXPECT_TRUE(project.views.empty());
  EXPECT_EQ(project.ExeWinPos.width, 0);
  EXPECT_EQ(state.selectedView, -1);
  EXPECT_EQ(state.settings.DIRDAT, projectDir() + "/");
  EXPECT_EQ(state.settings.DIRBMP, workDir() + "/BMP/");
}

TEST(StartupPaintProgram, KeepsTheConfiguredOneElseTheLastExistingCandidate) {
  const std::vector<std::string> candidates = {"/usr/bin/gimp", "/usr/bin/kolourpaint", "/usr/bin/pinta"};
  struct Case {
    int line;
    std::string configured;
    std::set<std::string> existing;
    std::string expected;
  };
  const Case cases[] = {
      {__LINE__, "  /opt/malen/bin/malen", {"/usr/bin/pinta"}, "/opt/malen/bin/malen"},
      {__LINE__, "", {"/usr/bin/gimp", "/usr/bin/pinta"}, "/usr/bin/pinta"},
      {__LINE__, "", {"/usr/bin/gimp", "/usr/bin/kolourpaint"}, "/usr/bin/kolourpaint"},
      {__LINE__, "   ", {"/usr/bin/gimp"}, "/usr/bin/gimp"},
      {__LINE__, "", {}, ""},
      {__LINE__, "", {"/usr/bin/other"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const FileExists exists = [&c](const std::string& path) { return c.existing.count(path) > 0; };
    EXPECT_EQ(findPaintProgram(c.configured, candidates, exists), c.expected);
  }
  // The preferred editor comes last in the built-in list.
  const auto defaults = defaultPaintCandidates();
  ASSERT_FALSE(defaults.empty());
  EXPECT_EQ(defaults.back(), "/usr/bin/pinta");
}

TEST_F(Startup, SearchesTheDrawingProgramWithoutMarkingSettingsChanged) {
  StartupEnvironment environment;
  environment.workDir = workDir();
  environment.paintCandidates = {"/x/gimp", "/x/pinta", "/x/kolourpaint"};
  environment.fileExists = [](const std::string& path) { return path == "/x/gimp" || path == "/x/pinta"; };
  AppState state = startUp(environment, IniFile(), project, ui);
  EXPECT_EQ(state.settings.PAINTPATH, "/x/pinta");
  EXPECT_FALSE(state.settings.settingsChanged);

  state = startUp(environment, IniFile::fromText("[INITALL]\nPAINTPATH=/opt/malen\n"), project, ui);
  EXPECT_EQ(state.settings.PAINTPATH, "/opt/malen");
}

TEST(StartupAutostart, ErrorMessageIsShownWordForWord) {
  FakeUserInterface ui;
  showAutostartError(ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui.messages[0].text, "Die Erstellung des Codes wird wegen eines Fehlers im Objektprogramm abgebrochen");
}

TEST(StartupAutostart, NothingPendingDoesNothing) {
  Settings s;
  s.startMode = 'P';
  EXPECT_EQ(autostartTick(s), AutostartAction::None);
}

TEST(StartupErrorHandler, EveryObjectKeepsOnlyItsOwnBitmaps) {
  Project project;
  TPSObj lamp = createObject("Lampe");
  lamp.stateBitmaps = {
      {"aus", TBitmapNam{"aus.bmp", 1, 0}},
      {"an", TBitmapNam{"an_eigen.bmp", 1, 1}},
      {"blinkt", std::nullopt},
  };
  TPSObj door = createObject("Tuer");
  door.stateBitmaps = {{"zu", TBitmapNam{"zu.bmp", 1, 0}}};
  project.objects = {lamp, door};
  recoverFromUnhandledError(project);
  ASSERT_EQ(project.objects[0].stateBitmaps.size(), 1u);
  EXPECT_EQ(project.objects[0].stateBitmaps[0].state, "an");
  EXPECT_TRUE(project.objects[1].stateBitmaps.empty());
}

TEST(StartupClosing, ExitCommandOffersToSaveAModifiedProject) {
  struct Case {
    int line;
    bool modified;
    MessageAnswer answer;
    bool asked, saved;
  };
  const Case cases[] = {
      {__LINE__, false, MessageAnswer::Yes, false, false},
      {__LINE__, true, MessageAnswer::Yes, true, true},
      {__LINE__, true, MessageAnswer::No, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project project;
    project.modified = c.modified;
    FakeUserInterface ui;
    ui.answers = {c.answer};
    int saveAsCalls = 0;
    EXPECT_EQ(exitCommand(project, ui, [&saveAsCalls] { ++saveAsCalls; }), c.saved);
    EXPECT_EQ(saveAsCalls, c.saved ? 1 : 0);
    ASSERT_EQ(ui.messages.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(ui.messages[0].kind, MessageKind::Question);
      EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
      EXPECT_EQ(ui.messages[0].text, "Das Programm wird beendet\rSoll das aktuelle Projekt gespeichert werden ?");
    }
  }
}

TEST(StartupClosing, CloseQueryWarnsWhileChangesAreUnsaved) {
  struct Case {
    int line;
    bool modified;
    MessageAnswer answer;
    bool asked, mayClose;
  };
  const Case cases[] = {
      {__LINE__, false, MessageAnswer::No, false, true},
      {__LINE__, true, MessageAnswer::Yes, true, true},
      {__LINE__, true, MessageAnswer::No, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project project;
    project.modified = c.modified;
    FakeUserInterface ui;
    ui.answers = {c.answer};
    EXPECT_EQ(closeQuery(project, ui), c.mayClose);
    ASSERT_EQ(ui.messages.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
      EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
      EXPECT_EQ(ui.messageTexts()[0],
                "Die letzten Änderungen wurden noch nicht gesichert.\rSoll trotzdem beendet werden ?");
      EXPECT_EQ(ui.messages[0].text.find("\xC4nderungen"), 12u);  // one Windows-1252 byte
    }
  }
}

TEST(StartupClosing, ShutDownClearsTheProjectAndWritesChangedSettingsOnly) {
  TempDir dir;
  const std::string path = dir.file("kelvaro.INI");
  writeFile(path, "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n");
  for (const bool changed : {false, true}) {
    SCOPED_TRACE(changed);
    Project project;
    project.views.push_back({"Keller", {}});
    project.objects.push_back(createObject("Lampe"));
    IniFile ini(path);
    ASSERT_EQ(ini.load(), IniFile::LoadResult::Loaded);
    Settings settings = readSettings(ini, "/w");
    settings.COMPORT = 1;
    settings.settingsChanged = changed;
    FakeUserInterface ui;
    EXPECT_TRUE(shutDown(project, settings, ini, ui));
    EXPECT_TRUE(project.views.empty());
    EXPECT_TRUE(project.objects.empty());
    EXPECT_TRUE(ui.messages.empty());
    const IniFile written = IniFile::fromText(readFile(path));
    EXPECT_EQ(written.value("INITALL", "COMPORT"), changed ? std::optional<std::string>("1") : std::nullopt);
    EXPECT_EQ(written.value("PORTS", "COM1"), "/dev/ttyUSB0");
  }
}

TEST(StartupClosing, ShutDownReportsAFailedSettingsSave) {
  TempDir dir;
  writeFile(dir.file("plain"), "x");
  IniFile ini(dir.file("plain/kelvaro.INI"));
  Project project;
  Settings settings;
  settings.settingsChanged = true;
  FakeUserInterface ui;
  EXPECT_FALSE(shutDown(project, settings, ini, ui));
  EXPECT_EQ(ui.messageTexts(),
            std::vector<std::string>{"Datei " + dir.file("plain/kelvaro.INI") + " konnte nicht gespeichert werden"});
}

}  // namespace
}  // namespace kelvaro
