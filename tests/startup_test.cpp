// Start-up, autostart and closing of the main window, on small project files in a temporary
// working directory.
#include <filesystem>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "app/closing.h"
#include "app/startup.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
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

const char* const kActionNames[] = {"none", "pc", "show"};  // AutostartAction in order

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

// Which files the start-up reads, by what name it calls the project and what it starts, for
// the combinations of default definitions, settings and arguments.
TEST(StartupFiles, DefaultsSettingsArgumentsAndAutostart) {
  for (const test::CaseRow& row : test::dataCases("startup_cases.txt", "files")) {
    SCOPED_TRACE("startup_cases.txt:" + std::to_string(row.line));
    ASSERT_GE(row.fields.size(), 4u);
    const std::string given[3] = {row.fields[0] == "-" ? "" : row.fields[0], row.fields[1] == "-" ? "" : row.fields[1],
                                  row.fields[2] == "-" ? "" : row.fields[2]};
    std::string expected = row.fields[3];
    for (std::size_t i = 4; i < row.fields.size(); ++i) expected += " | " + row.fields[i];
    TempDir dir;
    const std::string work = dir.file("work");
    const auto expand = [&work](std::string text) {
      for (std::size_t at; (at = text.find('~')) != std::string::npos;) text.replace(at, 1, work);
      return text;
    };
    const auto shorten = [&work](std::string text) {
      for (std::size_t at; (at = text.find(work)) != std::string::npos;) text.replace(at, work.size(), "~");
      return text;
    };
    std::filesystem::create_directories(work + "/SPG");
    std::istringstream files(given[0]);
    for (std::string f; files >> f;) {
      const std::filesystem::path path = work + "/" + f.substr(0, f.find('='));
      std::filesystem::create_directories(path.parent_path());
      writeFile(path.string(), projectWithView(f.substr(f.find('=') + 1)));
    }
    const std::size_t slash = given[1].find('/');
    const std::string ini =
        given[1].empty() ? "" : "[" + given[1].substr(0, slash) + "]\n" + given[1].substr(slash + 1);
    StartupEnvironment environment;
    if (!given[2].empty()) environment.arguments = {given[2]};
    environment.workDir = work;
    environment.paintCandidates = {};
    Project project;
    project.modified = true;
    FakeUserInterface ui;
    AppState state = startUp(environment, IniFile::fromText(expand(ini)), project, ui);
    const Settings& s = state.settings;
    const AutostartAction action = autostartTick(state.settings);
    std::string outcome = viewNames(project) + " | " + s.startFile + " | " + s.projectNameLabel + " | " + s.startMode +
                          " | " + kActionNames[static_cast<int>(action)];
    for (const std::string& message : ui.messageTexts()) outcome += " ! " + message;
    EXPECT_EQ(shorten(outcome), expected);
    EXPECT_EQ(autostartTick(state.settings), AutostartAction::None);  // only once
    EXPECT_EQ(state.selectedView, project.views.empty() ? -1 : 0);
    EXPECT_FALSE(project.modified);
    EXPECT_FALSE(state.settings.settingsChanged);
  }
}

TEST_F(Startup, PartlyReadStartFileIsNamedButNotStarted) {
  writeFile(inProjects("HALB.SPG"), "@Init\r\n View=Erster\r\n BackColor=blau\r\n View=Zweiter\r\n@E\r\n");
  AppState state = run({"HALB.SPG-P"});
  EXPECT_EQ(viewNames(project), "Erster");
  EXPECT_EQ(state.settings.projectNameLabel, "HALB");
  EXPECT_FALSE(state.settings.autostartPending);
  EXPECT_EQ(ui.messages.size(), 1u);  // the reader says where the load ended
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

// The drawing program found at start-up is no edit of the user's, so nothing asks to be written back.
TEST_F(Startup, StartsFromEmptyProjectListsAndFindsTheDrawingProgramQuietly) {
  project.views.push_back({"Alt", {}});
  project.ExeWinPos = {1, 2, 3, 4};
  StartupEnvironment environment;
  environment.workDir = workDir();
  environment.paintCandidates = {"/x/gimp", "/x/pinta", "/x/kolourpaint"};
  environment.fileExists = [](const std::string& path) { return path == "/x/gimp" || path == "/x/pinta"; };
  const AppState state = startUp(environment, IniFile(), project, ui);
  EXPECT_TRUE(project.views.empty());
  EXPECT_EQ(project.ExeWinPos.width, 0);
  EXPECT_EQ(state.settings.DIRDAT, projectDir() + "/");
  EXPECT_EQ(state.settings.DIRBMP, workDir() + "/BMP/");
  EXPECT_EQ(state.settings.PAINTPATH, "/x/pinta");
  EXPECT_FALSE(state.settings.settingsChanged);
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
      {__LINE__, "", {"/usr/bin/gimp", "/usr/bin/kolourpaint"}, "/usr/bin/kolourpaint"},
      {__LINE__, "   ", {"/usr/bin/gimp"}, "/usr/bin/gimp"},
      {__LINE__, "", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const FileExists exists = [&c](const std::string& path) { return c.existing.count(path) > 0; };
    EXPECT_EQ(findPaintProgram(c.configured, candidates, exists), c.expected);
  }
}

TEST(StartupAutostart, ErrorMessageIsShownWordForWord) {
  FakeUserInterface ui;
  showAutostartError(ui);
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{
                                   "Die Erstellung des Codes wird wegen eines Fehlers im Objektprogramm abgebrochen"});
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
}

TEST(StartupErrorHandler, EveryObjectKeepsOnlyItsOwnBitmaps) {
  Project project;
  project.objects = {createObject("Lampe"), createObject("Tuer")};
  project.objects[0].stateBitmaps = {
      {"aus", TBitmapNam{"aus.bmp", 1, 0}}, {"an", TBitmapNam{"an.bmp", 1, 1}}, {"x", {}}};
  project.objects[1].stateBitmaps = {{"zu", TBitmapNam{"zu.bmp", 1, 0}}};
  recoverFromUnhandledError(project);
  EXPECT_EQ(test::stateBitmapText(project.objects[0].stateBitmaps), "an=an.bmp/1/1");
  EXPECT_TRUE(project.objects[1].stateBitmaps.empty());
}

// Ending the program and closing the window ask only while changes are unsaved.
TEST(StartupClosing, ExitAndCloseAskWhileChangesAreUnsaved) {
  struct Case {
    int line;
    bool modified;
    MessageAnswer answer;
    bool saved, mayClose;
  };
  const Case cases[] = {
      {__LINE__, false, MessageAnswer::No, false, true},
      {__LINE__, true, MessageAnswer::Yes, true, true},
      {__LINE__, true, MessageAnswer::No, false, false},
  };
  const std::string exitQuestion = "Das Programm wird beendet\rSoll das aktuelle Projekt gespeichert werden ?";
  const std::string closeWarning =
      "Die letzten Änderungen wurden noch nicht gesichert.\rSoll trotzdem beendet werden ?";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project project;
    project.modified = c.modified;
    FakeUserInterface exitUi, closeUi;
    exitUi.answers = closeUi.answers = {c.answer};
    int saveAsCalls = 0;
    EXPECT_EQ(exitCommand(project, exitUi, [&saveAsCalls] { ++saveAsCalls; }), c.saved);
    EXPECT_EQ(saveAsCalls, c.saved ? 1 : 0);
    EXPECT_EQ(closeQuery(project, closeUi), c.mayClose);
    const auto asked = [&c](const std::string& text) {
      return c.modified ? std::vector<std::string>{text} : std::vector<std::string>{};
    };
    EXPECT_EQ(exitUi.messageTexts(), asked(exitQuestion));
    EXPECT_EQ(closeUi.messageTexts(), asked(closeWarning));
    if (c.modified) {
      EXPECT_EQ(exitUi.messages[0].kind, MessageKind::Question);
      EXPECT_EQ(closeUi.messages[0].kind, MessageKind::Warning);
      EXPECT_EQ(closeUi.messages[0].buttons, MessageButtons::YesNo);
      // Enter must not throw the changes away; "Ja" to saving them loses nothing.
      EXPECT_EQ(closeUi.messages[0].defaultAnswer, MessageAnswer::No);
      EXPECT_EQ(exitUi.messages[0].defaultAnswer, std::nullopt);
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

}  // namespace
}  // namespace kelvaro
