// The project commands of the main window on real files in a temporary project directory:
// which questions they ask, which file they use and what they do to the modified flag.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/project_commands.h"
#include "app/recent_projects.h"
#include "storage/project_file.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// Records what the dialogs were opened with, besides answering like the plain fake.
class RecordingUi : public test::FakeUserInterface {
 public:
  struct Dialog {
    std::string filter, directory;
  };
  std::vector<Dialog> dialogs;
  std::vector<std::string> inputValues;

  std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override {
    dialogs.push_back({std::string(filter), std::string(directory)});
    return FakeUserInterface::openFileName(title, filter, directory);
  }
  std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override {
    return openFileName(title, filter, directory);
  }
  std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view value) override {
    inputValues.emplace_back(value);
    return FakeUserInterface::inputBox(caption, prompt, value);
  }
};

std::string projectWithView(std::string_view view) { return "@Init\r\n View=" + std::string(view) + "\r\n@E\r\n"; }

std::string viewNames(const Project& project) {
  std::string names;
  for (const auto& v : project.views) names += (names.empty() ? "" : ",") + v.name;
  return names;
}

// The workspace as one line: views, current file, project label and the modified flag.
std::string summary(const Workspace& w) {
  return viewNames(w.project) + " | " + w.fileName + " | " + w.settings().projectNameLabel +
         (w.project.modified ? " | modified" : "");
}

class ProjectCommands : public ::testing::Test {
 protected:
  ProjectCommands() {
    std::filesystem::create_directories(projectDir());
    workspace.workDir = m_dir.path().string();
    workspace.settings().DIRDAT = projectDir() + "/";
    workspace.settings().DIRBMP = m_dir.file("BMP") + "/";
  }

  std::string projectDir() const { return m_dir.file("SPG"); }
  std::string inProjects(std::string_view name) const { return projectDir() + "/" + std::string(name); }
  // A modified project with the one view "Alt".
  void modifiedProject(std::string fileName = "") {
    workspace.project.views.push_back({"Alt", {}});
    workspace.project.modified = true;
    workspace.fileName = std::move(fileName);
  }

  Workspace workspace;
  RecordingUi ui;

 private:
  TempDir m_dir;
};

TEST(FileDialogFilter, TurnsPairsIntoQtFiltersWithLowerCasePatterns) {
  for (const test::CaseRow& row : test::dataCases("project_commands_cases.txt", "filter")) {
    SCOPED_TRACE("project_commands_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    EXPECT_EQ(fileDialogFilter(row.fields[0]), row.fields[1]);
  }
}

// The default definitions come from the project directory, else from where the program started.
TEST_F(ProjectCommands, NewAsksTheNameAndReadsTheDefaults) {
  writeFile(workspace.workDir + "/INIT.SPI", projectWithView("AusStart"));
  ASSERT_TRUE(newProject(workspace, ui));
  EXPECT_TRUE(ui.messages.empty());  // an unmodified project is dropped without asking
  EXPECT_EQ(summary(workspace), "AusStart | " + inProjects("NEU.SPG") + " | NEU");  // no name given

  writeFile(inProjects("INIT.SPI"), projectWithView("Vorgabe"));
  modifiedProject();
  ui.inputs = {"Haus"};
  ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(newProject(workspace, ui));  // the modified project stays, and no name is asked
  EXPECT_EQ(ui.inputPrompts.size(), 1u);
  ASSERT_TRUE(newProject(workspace, ui));
  EXPECT_EQ(ui.messageTexts(),
            (std::vector<std::string>(2, "Die aktuelle Definition wird gelöscht !\rIst das richtig ?")));
  EXPECT_EQ(ui.messages.at(0).defaultAnswer, MessageAnswer::No);
  EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>(2, "Projektname:")));
  EXPECT_EQ(summary(workspace), "Vorgabe | " + inProjects("Haus.SPG") + " | Haus");
  EXPECT_EQ(workspace.app.selectedView, 0);
}

TEST_F(ProjectCommands, OpenOfAFileThatStopsPartWayForgetsItsNameSoSavingCannotCutIt) {
  const std::string file = inProjects("KAPUTT.SPG");
  writeFile(file, "@Init\r\n View=Erste\r\n BackColor=abc\r\n View=Zweite\r\n@E\r\n");
  const std::string before = readFile(file);
  ui.fileNames = {file, std::nullopt};
  ASSERT_TRUE(openProject(workspace, ui));
  EXPECT_EQ(viewNames(workspace.project), "Erste");
  EXPECT_EQ(workspace.fileName, "");
  EXPECT_FALSE(saveProject(workspace, ui));  // asks for a name; cancelled
  EXPECT_EQ(ui.dialogs.size(), 2u);
  EXPECT_EQ(readFile(file), before);
}

TEST_F(ProjectCommands, AddFileMergesAndMarksTheProjectModifiedEvenWhenCancelled) {
  writeFile(inProjects("DAZU.SPG"), projectWithView("Keller"));
  workspace.project.views.push_back({"Erdgeschoss", {}});
  EXPECT_FALSE(addProjectFile(workspace, ui));
  EXPECT_TRUE(workspace.project.modified);
  workspace.project.modified = false;
  ui.fileNames = {inProjects("DAZU.SPG")};
  ASSERT_TRUE(addProjectFile(workspace, ui));
  EXPECT_EQ(summary(workspace), "Erdgeschoss,Keller |  |  | modified");
  EXPECT_EQ(ui.dialogs.at(1).filter, ui.dialogs.at(0).filter);
}

TEST_F(ProjectCommands, SaveAsAsksBeforeOverwritingAndSaveWritesToTheCurrentFile) {
  const std::string existing = inProjects("HAUS.SPG");
  writeFile(existing, "alter Inhalt");
  modifiedProject("/woanders/ALT.SPG");
  ui.fileNames = {existing};
  ui.answers = {MessageAnswer::No};
  EXPECT_FALSE(saveProjectAs(workspace, ui));
  EXPECT_EQ(ui.messageTexts(),
            (std::vector<std::string>{"Dieses Projekt existiert schon !\rSoll es überschrieben werden ?"}));
  EXPECT_EQ(ui.messages.at(0).defaultAnswer, MessageAnswer::No);
  EXPECT_EQ(readFile(existing), "alter Inhalt");
  EXPECT_EQ(summary(workspace), "Alt | /woanders/ALT.SPG |  | modified");
  // The dialog proposes the current name inside the project directory.
  EXPECT_EQ(ui.dialogs.at(0).directory, inProjects("ALT.SPG"));
  EXPECT_EQ(ui.dialogs.at(0).filter, "Projekt (*.SPG *.spg)");

  ui.fileNames = {inProjects("HAUS")};  // a name without extension gets ".SPG"
  ui.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(saveProjectAs(workspace, ui));
  EXPECT_EQ(ui.messages.size(), 2u);
  workspace.project.views.push_back({"Boden", {}});
  workspace.project.modified = true;
  ASSERT_TRUE(saveProject(workspace, ui));
  EXPECT_EQ(ui.dialogs.size(), 2u);  // none for the current file
  EXPECT_EQ(summary(workspace), "Alt,Boden | " + existing + " | HAUS");
  Project reread;
  ASSERT_EQ(readProject(reread, existing, "", ui), ReadStatus::Complete);
  EXPECT_EQ(viewNames(reread), "Alt,Boden");
}

TEST_F(ProjectCommands, RenameProposesTheBareNameAndMovesTheFileIntoTheProjectDirectory) {
  workspace.fileName = "/irgendwo/HAUS.V2.SPG";
  ui.inputs = {"2Haus", "Villa", std::nullopt};  // the first breaks the name rule: asked again
  ASSERT_TRUE(renameProject(workspace, ui));
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{"2Haus\r ist kein gültiger Name"}));
  EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>{"Neuer Name:", "Neuer Name:"}));
  EXPECT_EQ(ui.inputValues.at(0), "HAUS");
  EXPECT_EQ(summary(workspace), " | " + inProjects("Villa.SPG") + " | Villa");
  EXPECT_FALSE(renameProject(workspace, ui));
  EXPECT_EQ(workspace.fileName, inProjects("Villa.SPG"));
}

TEST(WindowTitle, NamesTheFileAndMarksUnsavedChanges) {
  for (const test::CaseRow& row : test::dataCases("project_commands_cases.txt", "title")) {
    SCOPED_TRACE("project_commands_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 3u);
    EXPECT_EQ(windowTitle("kelvaro", row.fields[0], row.fields[1] == "yes"), row.fields[2]);
  }
}

TEST(RecentProjects, NewestFirstWithoutRepeatsAndAtMostEight) {
  // The list afterwards, marked "=" when it did not change.
  const auto remember = [](std::vector<std::string> list, std::string_view file) {
    std::string text = rememberProject(list, file) ? "" : "=";
    for (const auto& f : list) text += " " + f;
    return text;
  };
  EXPECT_EQ(remember({}, "/p/A.SPG"), " /p/A.SPG");
  EXPECT_EQ(remember({"/p/A.SPG", "/p/B.SPG"}, "/p/B.SPG"), " /p/B.SPG /p/A.SPG");
  EXPECT_EQ(remember({"/p/A.SPG"}, "/p/A.SPG"), "= /p/A.SPG");
  EXPECT_EQ(remember({"/p/A.SPG"}, "/p/a.spg"), " /p/a.spg /p/A.SPG");  // another file on Linux
  EXPECT_EQ(remember({"/p/A.SPG"}, ""), "= /p/A.SPG");
  EXPECT_EQ(remember({"1", "2", "3", "4", "5", "6", "7", "8"}, "9"), " 9 1 2 3 4 5 6 7");
  EXPECT_EQ(recentProjectLabel(1, "/home/u/M&M/HAUS.SPG"), "&2 HAUS.SPG  (/home/u/M&&M)");
}

// Open replaces a modified project once agreed; opened and written files go to the front of the
// recent list; a file that has gone since is named and dropped without touching the project.
TEST_F(ProjectCommands, OpenReplacesTheProjectAndRecentProjectsFollowOpenAndSave) {
  using List = std::vector<std::string>;
  const std::string garden = inProjects("GARTEN.SPG"), roof = inProjects("DACH.SPG");
  writeFile(garden, projectWithView("Beet"));
  modifiedProject();
  ui.fileNames = {garden, roof};
  ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(openProject(workspace, ui));  // the modified project stays, and no file is asked for
  EXPECT_TRUE(ui.dialogs.empty());
  ASSERT_TRUE(openProject(workspace, ui));
  EXPECT_EQ(ui.messageTexts(), (List(2,
                                     "Das aktuelle Projekt soll gelöscht werden.\rDie letzten Änderungen wurden "
                                     "noch nicht gespeichert.\rIst das richtig ?")));
  EXPECT_EQ(ui.messages.at(0).defaultAnswer, MessageAnswer::No);
  EXPECT_EQ(ui.dialogs.at(0).filter, "Steuerungsprogramm (*.SPG *.spg);;Initialisierungsdatei (*.SPI *.spi)");
  EXPECT_EQ(ui.dialogs.at(0).directory, projectDir() + "/");
  EXPECT_EQ(summary(workspace), "Beet | " + garden + " | GARTEN");  // no longer modified
  ASSERT_TRUE(saveProjectAs(workspace, ui));
  EXPECT_EQ(workspace.settings().recentProjects, (List{roof, garden}));
  EXPECT_TRUE(workspace.settings().recentProjectsChanged);

  workspace.project.modified = true;
  ASSERT_TRUE(openRecentProject(workspace, ui, 1));
  EXPECT_EQ(ui.messages.size(), 3u);  // asked again before the modified project went
  EXPECT_EQ(summary(workspace), "Beet | " + garden + " | GARTEN");
  EXPECT_EQ(workspace.settings().recentProjects, (List{garden, roof}));

  std::filesystem::remove(roof);
  ui.messages.clear();
  EXPECT_FALSE(openRecentProject(workspace, ui, 1));
  EXPECT_EQ(ui.messageTexts(), (List{"Das Projekt " + roof +
                                     " wurde nicht gefunden.\rEs wird aus der Liste der zuletzt geöffneten Projekte "
                                     "entfernt."}));
  EXPECT_EQ(workspace.settings().recentProjects, (List{garden}));
  EXPECT_EQ(summary(workspace), "Beet | " + garden + " | GARTEN");

  // The start file may name a project of the project directory without its path.
  workspace.settings().recentProjects.clear();
  rememberProject(workspace, "FEHLT.SPG");
  rememberProject(workspace, "GARTEN.SPG");
  EXPECT_EQ(workspace.settings().recentProjects, (List{garden}));
}

}  // namespace
}  // namespace kelvaro
