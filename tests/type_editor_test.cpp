// The commands of the page "Typen": types, states, standard bitmaps and library import.
#include "app/type_editor.h"

#include <gtest/gtest.h>

#include <deque>

#include "model/type_states.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::TempDir;

// A dialog that answers from a script and records what it was shown.
struct ScriptedDialog {
  std::deque<std::optional<TypeDefinition>> answers;
  std::vector<TypeDefinition> shown;
  TypeDialog hook() {
    return [this](const TypeDefinition& initial) -> std::optional<TypeDefinition> {
      shown.push_back(initial);
      if (answers.empty()) return std::nullopt;
      auto a = answers.front();
      answers.pop_front();
      return a;
    };
  }
};

std::vector<std::string> entries(const Project& project) {
  std::vector<std::string> out;
  for (const auto& e : project.typeStates) out.push_back(e.entry + (e.bitmap ? "=" + e.bitmap->BitmapName : ""));
  return out;
}

// Two types whose states interleave, so that a rewrite visibly moves one of them.
Project lampAndDoor() {
  Project p;
  addType(p, "Lampe;1");
  addType(p, "Tuer;0");
  rebuildTypeNames(p);
  p.typeStates = {{"Lampe:aus", TBitmapNam{"LAMPE_AUS.BMP", 1, 0}},
                  {"Tuer:offen", std::nullopt},
                  {"Lampe:an", TBitmapNam{"LAMPE_AN.BMP", 1, 0}},
                  {"Tuer:zu", std::nullopt}};
  return p;
}

TEST(TypeEditor, NewTypeStoresNameAndKindDigitOrRefusesABadName) {
  for (const test::CaseRow& row : test::dataCases("type_editor_cases.txt", "new type")) {
    SCOPED_TRACE("type_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 6u);
    Project p;
    addType(p, "Zahl;3");
    TypeEditorState page;
    FakeUserInterface ui;
    ScriptedDialog dialog;
    dialog.answers.push_back(TypeDefinition{fromUtf8(row.fields[0]), std::stoi(row.fields[1])});
    const bool ok = row.fields[2] == "yes";
    EXPECT_EQ(newType(page, p, ui, dialog.hook()), ok);
    std::string types;
    for (const auto& t : p.types) types += (types.empty() ? "" : " ") + t;
    EXPECT_EQ(types, row.fields[3]);
    EXPECT_EQ(page.currentType, row.fields[4]);
    EXPECT_EQ(p.modified, ok);
    EXPECT_EQ(ui.messageTexts(), row.fields[5].empty() ? std::vector<std::string>{} : std::vector{row.fields[5]});
    // The dialog opens empty.
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].name + ";" + std::to_string(dialog.shown[0].kind), ";-1");
  }
}

TEST(TypeEditor, EditTypeReplacesTheEntryOrLeavesItOnCancel) {
  Project p = lampAndDoor();
  TypeEditorState page;
  FakeUserInterface ui;
  ScriptedDialog dialog;

  // Without a current type there is nothing to edit.
  EXPECT_FALSE(editType(page, p, ui, dialog.hook()));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Kein Eintrag ausgewählt"});
  EXPECT_TRUE(dialog.shown.empty());

  // Cancel after the user typed a new name: the dialog reports nothing, the entry stays.
  selectType(page, p, "Tuer");
  dialog.answers.push_back(std::nullopt);
  EXPECT_FALSE(editType(page, p, ui, dialog.hook()));
  ASSERT_EQ(dialog.shown.size(), 1u);
  EXPECT_EQ(dialog.shown[0].name + ";" + std::to_string(dialog.shown[0].kind), "Tuer;0");
  EXPECT_EQ(p.types, (std::vector<std::string>{"Lampe;1", "Tuer;0"}));
  EXPECT_FALSE(p.modified);

  // OK: replaced and sorted; the states keep the type name they had.
  dialog.answers.push_back(TypeDefinition{"Dachfenster", 2});
  EXPECT_TRUE(editType(page, p, ui, dialog.hook()));
  EXPECT_EQ(p.types, (std::vector<std::string>{"Dachfenster;2", "Lampe;1"}));
  EXPECT_EQ(page.currentType, "Dachfenster");
  EXPECT_TRUE(p.modified);
  EXPECT_EQ(statesOf(p.typeStates, "Tuer"), (std::vector<std::string>{"offen", "zu"}));

  // Renaming onto another type's name is refused.
  dialog.answers.push_back(TypeDefinition{"lampe", 2});
  EXPECT_FALSE(editType(page, p, ui, dialog.hook()));
  EXPECT_EQ(p.types, (std::vector<std::string>{"Dachfenster;2", "Lampe;1"}));
}

TEST(TypeEditor, DeletingAUsedTypeLeavesTheObjectsTyp) {
  Project p = lampAndDoor();
  p.objects.push_back(createObject("Flurlicht"));
  p.objects[0].Typ = "Lampe";
  TypeEditorState page;
  selectType(page, p, "Lampe");

  EXPECT_TRUE(deleteType(page, p));
  EXPECT_EQ(p.typeNames, std::vector<std::string>{"Tuer"});
  EXPECT_EQ(entries(p), (std::vector<std::string>{"Tuer:offen", "Tuer:zu"}));
  EXPECT_EQ(p.objects[0].Typ, "Lampe");
  EXPECT_TRUE(page.states.empty());
  EXPECT_TRUE(p.modified);
  EXPECT_FALSE(deleteType(page, p));  // nothing left to delete
}

// Moving a state rewrites the type-state list: the other types' entries keep their order, the
// shown type's follow them in the shown order. Deleting one removes its entry.
TEST(TypeEditor, MovingAndDeletingStatesRewriteTheList) {
  Project p = lampAndDoor();
  TypeEditorState page;
  selectType(page, p, "Lampe");
  EXPECT_EQ(page.selectedState, 0);
  // A state list left over from a deleted type writes nothing back.
  p.types = {"Tuer;0"};
  rewriteTypeStates(page, p);
  EXPECT_EQ(entries(p)[1], "Tuer:offen");
  EXPECT_FALSE(p.modified);
  p.types = lampAndDoor().types;

  // A row past the list selects nothing, so that no command below works on a missing state.
  selectState(page, 2);
  EXPECT_EQ(page.selectedState, -1);
  selectState(page, 1);
  EXPECT_FALSE(moveState(page, p, +1));  // already the last
  EXPECT_TRUE(moveState(page, p, -1));
  EXPECT_EQ(page.selectedState, 0);
  EXPECT_EQ(entries(p),
            (std::vector<std::string>{"Tuer:offen", "Tuer:zu", "Lampe:an=LAMPE_AN.BMP", "Lampe:aus=LAMPE_AUS.BMP"}));
  EXPECT_TRUE(p.modified);
  p.modified = false;
  rewriteTypeStates(page, p);  // already the last entries, in this order
  EXPECT_FALSE(p.modified);

  selectState(page, 1);
  EXPECT_TRUE(deleteState(page, p));
  EXPECT_EQ(entries(p), (std::vector<std::string>{"Tuer:offen", "Tuer:zu", "Lampe:an=LAMPE_AN.BMP"}));
  EXPECT_EQ(page.selectedState, 0);
  EXPECT_TRUE(deleteState(page, p));
  EXPECT_EQ(page.selectedState, -1);
  EXPECT_FALSE(deleteState(page, p));
  EXPECT_EQ(entries(p), (std::vector<std::string>{"Tuer:offen", "Tuer:zu"}));
}

TEST(TypeEditor, NewStateIsAppendedToTheTypeStateList) {
  Project p = lampAndDoor();
  TypeEditorState page;
  FakeUserInterface ui;
  EXPECT_FALSE(newState(page, p, ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Kein Typ ausgewählt"});

  selectType(page, p, "Lampe");
  ui.messages.clear();
  ui.inputs = {"1dunkel", "gedimmt"};  // the first breaks the name rule: asked again
  EXPECT_TRUE(newState(page, p, ui));
  EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>{"Neuer Zustand:", "Neuer Zustand:"}));
  EXPECT_EQ(entries(p).back(), "Lampe:gedimmt");
  EXPECT_EQ(page.states.back().name, "gedimmt");
  EXPECT_EQ(page.selectedState, 2);
  EXPECT_TRUE(p.modified);

  ui.messages.clear();
  ui.inputs = {"AN", std::nullopt};
  EXPECT_FALSE(newState(page, p, ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Zustand AN ist bereits vorhanden"});
  EXPECT_FALSE(newState(page, p, ui));  // cancelled
  EXPECT_EQ(p.typeStates.size(), 5u);
}

TEST(TypeEditor, StandardBitmapNoPathFollowsTheBitmapDirectory) {
  for (const test::CaseRow& row : test::dataCases("type_editor_cases.txt", "standard bitmap")) {
    SCOPED_TRACE("type_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    EXPECT_EQ(test::stateBitmapText({{"s", standardBitmapFor(row.fields[0], row.fields[1])}}),
              "s=" + row.fields[2] + "/" + row.fields[3] + "/0");
  }
}

TEST(TypeEditor, StandardBitmapReachesLineAndEntryAndIsRemovedFromBoth) {
  TempDir dir;
  const std::string bmpDir = dir.path().string() + "/";
  Project p = lampAndDoor();
  TypeEditorState page;
  FakeUserInterface ui;
  selectType(page, p, "Tuer");
  selectState(page, 1);

  ui.fileNames = {dir.file("TOR_ZU")};  // no extension: the default one is added
  EXPECT_TRUE(chooseStandardBitmap(page, p, ui, bmpDir));
  ASSERT_TRUE(page.states[1].bitmap);
  EXPECT_EQ(page.states[1].bitmap->NoPath, 1);
  EXPECT_EQ(entries(p)[3], "Tuer:zu=TOR_ZU.BMP");
  EXPECT_TRUE(p.modified);

  // Preview: missing file is reported, an existing one is found in the bitmap directory.
  EXPECT_FALSE(statePreview(page, bmpDir, ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Bitmap TOR_ZU.BMP nicht gefunden."});
  std::filesystem::create_directories(dir.file("haus/BMP"));
  test::writeFile(dir.file("haus/BMP/TOR_ZU.BMP"), "BM");  // brought along in the project's own folder
  EXPECT_EQ(statePreview(page, bmpDir, ui, true, dir.file("haus/HAUS.SPG")), dir.file("haus/BMP/TOR_ZU.BMP"));
  test::writeFile(dir.file("TOR_ZU.BMP"), "BM");
  EXPECT_EQ(statePreview(page, bmpDir, ui), dir.file("TOR_ZU.BMP"));

  p.modified = false;
  EXPECT_TRUE(removeStandardBitmap(page, p));
  EXPECT_EQ(entries(p)[3], "Tuer:zu");
  EXPECT_TRUE(p.modified);
  EXPECT_FALSE(removeStandardBitmap(page, p));
  EXPECT_FALSE(statePreview(page, bmpDir, ui));
  EXPECT_EQ(ui.messages.size(), 1u);  // no bitmap: nothing to report

  // Cancelled dialog changes nothing.
  ui.fileNames = {std::nullopt};
  EXPECT_FALSE(chooseStandardBitmap(page, p, ui, bmpDir));
  EXPECT_EQ(entries(p)[3], "Tuer:zu");
}

// How a library merges into the project (first wins, ignoring case) is the project file's rule;
// here the file choice, the shown type's refresh and the messages.
TEST(TypeEditor, ImportingTheSameLibraryTwiceAddsNothingTheSecondTime) {
  TempDir dir;
  test::writeFile(dir.file("LICHT.OTY"), "@Typs\r\n Lampe;1\r\n Rollade;1\r\n@TypState\r\n lampe:AUS\r\n"
                                         " Lampe:gedimmt\r\n@ConstList\r\n HELL=100\r\n@E\r\n");
  Project p = lampAndDoor();
  TypeEditorState page;
  FakeUserInterface ui;
  selectType(page, p, "Lampe");

  ui.fileNames = {dir.file("LICHT.OTY")};
  EXPECT_TRUE(importLibrary(page, p, ui, dir.path().string()));
  EXPECT_EQ(p.types, (std::vector<std::string>{"Lampe;1", "Rollade;1", "Tuer;0"}));
  EXPECT_EQ(page.states.size(), 3u);  // the shown type got its new state
  EXPECT_TRUE(p.modified);

  const auto statesBefore = entries(p);
  ui.fileNames = {dir.file("LICHT")};  // the default extension finds the same file
  EXPECT_TRUE(importLibrary(page, p, ui, dir.path().string()));
  EXPECT_EQ(entries(p), statesBefore);
  EXPECT_EQ(p.constants, (std::vector<std::string>{"HELL=100", "HELL=100"}));  // read again all the same
  EXPECT_TRUE(ui.messages.empty());

  ui.fileNames = {dir.file("FEHLT.OTY")};
  EXPECT_FALSE(importLibrary(page, p, ui, dir.path().string()));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Datei " + dir.file("FEHLT.OTY") + " nicht gefunden"});
}

TEST(TypeEditor, TypeEntriesParse) {
  for (const test::CaseRow& row : test::dataCases("type_editor_cases.txt", "type entry")) {
    SCOPED_TRACE("type_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    const TypeDefinition d = parseTypeEntry(row.fields[0]);
    EXPECT_EQ(d.name + ";" + std::to_string(d.kind), row.fields[1]);
  }
}

}  // namespace
}  // namespace kelvaro
