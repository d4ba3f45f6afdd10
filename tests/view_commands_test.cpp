// The view commands: placements that follow a deleted or renamed view, the bitmap choice,
// the blank bitmap for the drawing program and the preview of a selected view.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/view_commands.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"
#include "support/token_text.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::readFile;
using test::TempDir;
using test::writeFile;

// The placements of every object as "object:view,view,view".
std::string placements(const Project& project) {
  std::string text;
  for (const auto& object : project.objects) {
    text += (text.empty() ? "" : " ") + object.Name + ":";
    for (std::size_t i = 0; i < object.plans.size(); ++i) text += (i ? "," : "") + object.plans[i].ViewName;
  }
  return text;
}

struct StartedProgram {
  std::string program;
  std::vector<std::string> arguments;
};

class ViewCommands : public ::testing::Test {
 protected:
  ViewCommands() {
    std::filesystem::create_directories(bitmapDir());
    workspace.settings().DIRBMP = bitmapDir() + "/";
    workspace.settings().DIRDAT = m_dir.file("SPG") + "/";
    Project& p = workspace.project;
    p.views = {{"Erdgeschoss", {}}, {"Keller", {}}};
    TPSObj lampe = createObject("Lampe");
    lampe.plans[0].ViewName = "Erdgeschoss";
    lampe.plans[0].Left = 120;
    lampe.plans[1].ViewName = "Keller";
    lampe.plans[2].ViewName = "erdgeschoss";  // another letter case names another view
    TPSObj pumpe = createObject("Pumpe");
    pumpe.plans[1].ViewName = "Erdgeschoss";
    p.objects = {lampe, pumpe};
  }

  std::string bitmapDir() const { return m_dir.file("BMP"); }
  std::string file(std::string_view name) const { return m_dir.file(name); }

  DrawEnvironment drawEnvironment() {
    DrawEnvironment environment;
    environment.start = [this](const std::string& program, const std::vector<std::string>& arguments) {
      started.push_back({program, arguments});
      return true;
    };
    environment.paintCandidates = {};
    return environment;
  }

  Workspace workspace;
  FakeUserInterface ui;
  std::vector<StartedProgram> started;

 private:
  TempDir m_dir;
};

TEST_F(ViewCommands, DeleteAskedEmptiesThePlacementsThatNameTheViewExactlyAndKeepsTheObjects) {
  workspace.app.selectedView = 0;
  ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(deleteView(workspace, ui));
  EXPECT_EQ(placements(workspace.project), "Lampe:Erdgeschoss,Keller,erdgeschoss Pumpe:,Erdgeschoss,");
  EXPECT_FALSE(workspace.project.modified);

  ASSERT_TRUE(deleteView(workspace, ui));
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>(2, "Soll die Ansicht wirklich gelöscht werden?")));
  EXPECT_EQ(ui.messages.at(0).kind, MessageKind::Warning);
  EXPECT_EQ(ui.messages.at(0).defaultAnswer, MessageAnswer::No);
  EXPECT_EQ(placements(workspace.project), "Lampe:,Keller,erdgeschoss Pumpe:,,");
  EXPECT_EQ(workspace.project.objects[0].plans[0].Left, 10);  // the emptied placement starts afresh
  ASSERT_EQ(workspace.project.views.size(), 1u);
  EXPECT_EQ(workspace.project.views[0].name, "Keller");
  EXPECT_TRUE(workspace.project.modified);
}

TEST_F(ViewCommands, CommandsWithoutSelectionTakeTheFirstViewOrRefuse) {
  struct Case {
    int line;
    bool (*command)(Workspace&, UserInterface&);
    bool takesFirst;
  };
  const Case kCases[] = {
      {__LINE__, [](Workspace& w, UserInterface& u) { return deleteView(w, u); }, true},
      {__LINE__, [](Workspace& w, UserInterface& u) { return viewToEdit(w, u) >= 0; }, true},
      {__LINE__, [](Workspace& w, UserInterface& u) { return renameView(w, u); }, false},
      {__LINE__, [](Workspace& w, UserInterface& u) { return removeViewBitmap(w, u); }, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    Workspace w;
    w.project.views = {{"Erdgeschoss", {"EG.BMP", 1}}};
    w.app.selectedView = -1;
    FakeUserInterface u;
    u.answers = {MessageAnswer::No};
    c.command(w, u);
    if (c.takesFirst) {
      EXPECT_EQ(w.app.selectedView, 0);
      for (const auto& text : u.messageTexts()) EXPECT_NE(text, "Keine Ansicht ausgewählt");
    } else {
      EXPECT_EQ(w.app.selectedView, -1);
      EXPECT_EQ(u.messageTexts(), (std::vector<std::string>{"Keine Ansicht ausgewählt"}));
      EXPECT_EQ(w.project.views[0].name, "Erdgeschoss");
      EXPECT_EQ(w.project.views[0].info.BitmapName, "EG.BMP");
    }
    // Without any view every command refuses.
    Workspace empty;
    FakeUserInterface v;
    EXPECT_FALSE(c.command(empty, v));
    EXPECT_EQ(v.messageTexts(), (std::vector<std::string>{"Keine Ansicht ausgewählt"}));
  }
}

TEST_F(ViewCommands, NewAppendsAViewRenameMovesThePlacementsBothRefuseTheNameOfAnother) {
  ui.inputs = {"keller", "Dachboden"};
  EXPECT_FALSE(newView(workspace, ui));
  ASSERT_TRUE(newView(workspace, ui));
  EXPECT_EQ(ui.inputPrompts.back(), "Bezeichnung f\xFCr neue Ansicht (z.B. Erdgeschoss):");
  ASSERT_EQ(workspace.project.views.size(), 3u);
  EXPECT_EQ(workspace.project.views[2].name, "Dachboden");
  EXPECT_EQ(workspace.app.selectedView, 2);
  EXPECT_TRUE(workspace.project.modified);

  workspace.app.selectedView = 0;
  workspace.project.modified = false;
  ui.inputs = {"KELLER", "Parterre"};
  EXPECT_FALSE(renameView(workspace, ui));
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>(2, "Es gibt schon eine Ansicht mit diesem Namen")));
  ASSERT_TRUE(renameView(workspace, ui));
  EXPECT_EQ(ui.inputPrompts.back(), "Bitte geben Sie die neue Bezeichnung ein:");
  EXPECT_EQ(placements(workspace.project), "Lampe:Parterre,Keller,erdgeschoss Pumpe:,Parterre,");
  EXPECT_TRUE(workspace.project.modified);
  // Its own name in another letter case is allowed.
  ui.inputs = {"PARTERRE"};
  EXPECT_TRUE(renameView(workspace, ui));
  EXPECT_EQ(workspace.project.views[0].name, "PARTERRE");
}

TEST_F(ViewCommands, ChosenBitmapInTheBitmapDirectoryIsStoredWithoutPath) {
  struct Case {
    int line;
    std::string chosen;
    std::string name;
    int noPath;
  };
  const Case kCases[] = {
      {__LINE__, bitmapDir() + "/EG.BMP", "EG.BMP", 1},
      {__LINE__, file("andere/EG.bmp"), file("andere/EG.bmp"), 0},
      // A directory that differs only in letter case is another directory on Linux.
      {__LINE__, file("bmp/EG.BMP"), file("bmp/EG.BMP"), 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    workspace.app.selectedView = 0;
    workspace.project.modified = false;
    ui.fileNames = {c.chosen};
    ASSERT_TRUE(chooseViewBitmap(workspace, ui));
    EXPECT_EQ(workspace.project.views[0].info.BitmapName, c.name);
    EXPECT_EQ(workspace.project.views[0].info.NoPath, c.noPath);
    EXPECT_TRUE(workspace.project.modified);
  }
}

TEST_F(ViewCommands, DrawWritesABlank256ColourBitmapAndStartsTheProgramOnIt) {
  const std::string program = file("malen");
  writeFile(program, "#!/bin/sh\n");
  workspace.settings().PAINTPATH = "  " + program;
  workspace.app.selectedView = 1;

  ASSERT_TRUE(drawViewBitmap(workspace, ui, drawEnvironment()));
  EXPECT_TRUE(ui.messages.empty());
  const std::string path = bitmapDir() + "/Keller.bmp";
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].program, program);
  EXPECT_EQ(started[0].arguments, (std::vector<std::string>{path}));
  EXPECT_EQ(workspace.project.views[1].info.BitmapName, "Keller.bmp");
  EXPECT_EQ(workspace.project.views[1].info.NoPath, 1);
  EXPECT_TRUE(workspace.project.modified);
  EXPECT_TRUE(workspace.reloadPreview);

  // Headers: file size, pixels at 1078 after headers and palette; 40-byte info header, 600 x 400,
  // one plane, 8 bits, uncompressed, 240000 pixel bytes, 3780 pixels per metre, 256 colours.
  const std::string bmp = readFile(path);
  ASSERT_EQ(bmp.size(), 14u + 40u + 1024u + 600u * 400u);
  EXPECT_EQ(test::tokenText(bmp.substr(0, 54)),
            "BM[B6][AD][03][00][00][00][00][00]6[04][00][00]([00][00][00]X[02][00][00][90][01][00][00][01][00][08][00]"
            "[00][00][00][00][80][A9][03][00][C4][0E][00][00][C4][0E][00][00][00][01][00][00][00][00][00][00]");
  // Every pixel is one palette entry, and that entry is white.
  const auto pixel = static_cast<unsigned char>(bmp[1078]);
  EXPECT_EQ(bmp.find_first_not_of(bmp[1078], 1078), std::string::npos);
  EXPECT_EQ(bmp.substr(54 + pixel * 4u, 3), "\xFF\xFF\xFF");
}

// Without a drawing program set, a known one that exists is used.
TEST_F(ViewCommands, DrawKeepsAnExistingBitmapAndAPickedOne) {
  const std::string program = file("kolourpaint");
  writeFile(program, "");
  DrawEnvironment environment = drawEnvironment();
  environment.paintCandidates = {file("gimp"), program};
  writeFile(bitmapDir() + "/Keller.bmp", "alte Zeichnung");
  workspace.app.selectedView = 1;
  ASSERT_TRUE(drawViewBitmap(workspace, ui, environment));
  EXPECT_EQ(started.at(0).program, program);
  EXPECT_EQ(readFile(bitmapDir() + "/Keller.bmp"), "alte Zeichnung");

  workspace.project.views[0].info = {file("plan.bmp"), 0};
  workspace.app.selectedView = 0;
  ASSERT_TRUE(drawViewBitmap(workspace, ui, environment));
  EXPECT_EQ(started.back().arguments, (std::vector<std::string>{file("plan.bmp")}));
  EXPECT_FALSE(std::filesystem::exists(bitmapDir() + "/Erdgeschoss.bmp"));
}

TEST_F(ViewCommands, DrawWithoutUsableProgramSaysSoAndWritesNothing) {
  struct Case {
    int line;
    std::string paintPath;
    std::string message;
  };
  const Case kCases[] = {
      {__LINE__, "", "Bitte geben Sie zuerst auf der Seite Einstellungen ein Zeichenprogramm an"},
      {__LINE__, "   ", "Bitte geben Sie zuerst auf der Seite Einstellungen ein Zeichenprogramm an"},
      {__LINE__, file("fehlt/malen"),
       "Das auf der Seite Einstellungen angegebene Zeichenprogramm wurde nicht gefunden"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    FakeUserInterface u;
    workspace.settings().PAINTPATH = c.paintPath;
    workspace.app.selectedView = 0;
    EXPECT_FALSE(drawViewBitmap(workspace, u, drawEnvironment()));
    EXPECT_EQ(u.messageTexts(), (std::vector<std::string>{c.message}));
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(workspace.project.views[0].info.BitmapName, "");
    EXPECT_FALSE(std::filesystem::exists(bitmapDir() + "/Erdgeschoss.bmp"));
  }
}

TEST_F(ViewCommands, SelectingAViewWithAMissingBitmapSaysSo) {
  workspace.project.views[0].info = {"EG.BMP", 1};
  workspace.project.views[1].info = {"KELLER.BMP", 1};
  writeFile(bitmapDir() + "/KELLER.BMP", "x");

  ViewPreview preview = selectView(workspace, 0, &ui);
  EXPECT_TRUE(preview.missing);
  EXPECT_EQ(preview.path, "");
  EXPECT_EQ(preview.label, "EG.BMP");
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{"Bitmap " + bitmapDir() + "/EG.BMP nicht gefunden."}));
  EXPECT_EQ(workspace.app.selectedView, 0);

  preview = selectView(workspace, 1, &ui);
  EXPECT_FALSE(preview.missing);
  EXPECT_EQ(preview.path, bitmapDir() + "/KELLER.BMP");
  EXPECT_EQ(ui.messages.size(), 1u);

  // Letter case counts: "eg.bmp" is not "EG.BMP".
  writeFile(bitmapDir() + "/eg.bmp", "x");
  EXPECT_TRUE(selectView(workspace, 0, nullptr).missing);
}

TEST_F(ViewCommands, StartUpShowsTheFirstViewWithItsMessageAndLooksBesideTheProject) {
  workspace.project.views[0].info = {"EG.BMP", 1};
  workspace.settings().startFile = file("haus/HAUS.SPG");
  workspace.settings().projectNameLabel = "HAUS";
  workspace.app.selectedView = 0;
  finishStartUp(workspace, ui);
  EXPECT_EQ(workspace.fileName, file("haus/HAUS.SPG"));
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{"Bitmap " + bitmapDir() + "/EG.BMP nicht gefunden."}));

  // The project's own BMP folder serves when the bitmap directory lacks the file; the view
  // keeps the name it stores.
  std::filesystem::create_directories(file("haus/BMP"));
  writeFile(file("haus/BMP/EG.BMP"), "x");
  EXPECT_EQ(selectView(workspace, 0, &ui).path, file("haus/BMP/EG.BMP"));
  EXPECT_EQ(workspace.project.views[0].info.BitmapName, "EG.BMP");
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ViewCommands, RemoveBitmapAndBackColour) {
  workspace.project.views[0].info = {"EG.BMP", 1};
  workspace.app.selectedView = 0;
  ASSERT_TRUE(removeViewBitmap(workspace, ui));
  EXPECT_EQ(workspace.project.views[0].info.BitmapName, "");
  EXPECT_EQ(selectView(workspace, 0, &ui).label, "");
  EXPECT_TRUE(ui.messages.empty());

  workspace.project.modified = false;
  EXPECT_TRUE(setBackColor(workspace.project, 9));
  EXPECT_EQ(workspace.project.BackColor, 9);
  EXPECT_TRUE(workspace.project.modified);
  EXPECT_FALSE(setBackColor(workspace.project, 10));  // only the first ten colours
  EXPECT_FALSE(setBackColor(workspace.project, -2));
  EXPECT_EQ(workspace.project.BackColor, 9);
}

}  // namespace
}  // namespace kelvaro
