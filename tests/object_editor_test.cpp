// The object editor and the new-object dialog without widgets: error panel and failing line,
// placements, the object ID, the type choice, the generated statements, OK and Cancel.
#include <gtest/gtest.h>

#include "app/object_editor.h"
#include "app/object_editor_new_object.h"
#include "language/compiler.h"
#include "language/errors.h"
#include "model/object_types.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

Project sampleProject() {
  Project p;
  addView(p, "Erdgeschoss");
  addView(p, "Keller");
  addView(p, "Garten");
  addType(p, "Lampe;1");
  addType(p, "Jalousie;1");
  rebuildTypeNames(p);
  for (const char* e : {"Lampe:Aus", "Lampe:An", "Jalousie:oben", "Jalousie:halb", "Jalousie:unten"})
    p.typeStates.push_back({e, std::nullopt});
  p.objects.push_back(createObject("Flur"));
  p.objects.push_back(createObject("Bad"));
  p.objects[1].ObjIDNr = 17;
  return p;
}

TEST(ObjectEditorError, CharacterPositionSelectsTheLineThatHoldsIt) {
  const std::vector<std::string> program = {"-&A EINSCHALTEN", "-  x:=1", "-", "-y:=22"};
  for (const test::CaseRow& row : test::dataCases("object_editor_cases.txt", "character position")) {
    SCOPED_TRACE("object_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 3u);
    const int stored = storedLineAtCharacter(program, std::stoi(row.fields[0]));
    EXPECT_EQ(std::to_string(stored), row.fields[1]);
    const EditorLine shown = editorLineOfStored(program, stored);
    const char* const areas[] = {"none", "program", "auto"};
    EXPECT_EQ(areas[static_cast<int>(shown.area)] + (" " + std::to_string(shown.index)), row.fields[2]);
  }
  EXPECT_EQ(storedLineAtCharacter({}, 0), -1);
  EXPECT_EQ(editorLineOfStored({"-a"}, 4), EditorLine{});  // a line that no longer exists
}

// The editor opened after a real compile run selects the line the compiler names, by character
// position for a line that did not translate and through the line map for a structure error.
TEST(ObjectEditorError, OpensAtTheFailingLineOfACompileRun) {
  struct Case {
    int line;
    std::vector<std::string> program;
    int code;
    EditorLine shown;
  };
  const Case cases[] = {
      {__LINE__,
       {"-&Flur EINSCHALTEN", "-Flur AUSSCHALTEN", "-Nichtda EINSCHALTEN"},
       -11,
       {EditorLine::Area::Program, 1}},
      {__LINE__, {"-Flur AUSSCHALTEN", "-WENN Flur=1 DANN", "-Flur AUSSCHALTEN"}, -99, {EditorLine::Area::Program, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project p = sampleProject();
    p.objects[0].Typ = "Lampe";
    p.objects[0].OKind = kKindUser;
    p.objects[0].StartVal = "Aus";
    p.objects[0].program = c.program;
    const CompileOutput out = compile(p, {}, CompileMode::Run);
    ASSERT_EQ(out.result.code, c.code);
    ObjectEditor editor(p, out.result.object, "");
    editor.showError(out.result.code, out.result.position, out.result.name, out.lineMap);
    EXPECT_TRUE(editor.fields().errorVisible);
    EXPECT_EQ(editor.fields().errorText, languageErrorMessage(c.code, out.result.name));
    EXPECT_EQ(editor.fields().errorLine, c.shown);
  }
}

TEST(ObjectEditorPlacements, FreedSlotTakesTheNextViewAndTheLimitIsThree) {
  Project p = sampleProject();
  p.objects[0].plans[0] = {"Erdgeschoss", 1, 2, 3, 4};
  p.objects[0].plans[1] = {"Keller", 100, 200, 30, 40};
  test::FakeUserInterface ui;
  ObjectEditor editor(p, 0, "");
  EXPECT_EQ(editor.viewListEntries(), (std::vector<std::string>{"->Erdgeschoss", "->Keller", "Garten"}));
  EXPECT_EQ(editor.viewButtonCaption(0), "Ansicht deaktivieren");
  EXPECT_EQ(editor.viewButtonCaption(2), "Ansicht aktivieren");

  EXPECT_TRUE(editor.toggleView(ui, 0));  // unmark the first
  EXPECT_TRUE(editor.toggleView(ui, 2));  // mark the third: goes to the freed slot
  const auto& plans = editor.fields().plans;
  EXPECT_EQ(plans[0].ViewName + "," + plans[1].ViewName + "," + plans[2].ViewName, "Garten,Keller,");
  EXPECT_EQ((std::array{plans[0].Left, plans[0].Top, plans[0].Width, plans[0].Height}), (std::array{10, 10, 80, 50}));
  EXPECT_EQ(plans[1].Left, 100);

  addView(p, "Dach");
  EXPECT_TRUE(editor.toggleView(ui, 0));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(editor.toggleView(ui, 3));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Es können maximal 3 Pläne ausgewählt werden"});
  EXPECT_FALSE(editor.viewMarked(3));
  EXPECT_FALSE(editor.viewMarked(4));  // one past the list: nothing read past it
}

TEST(ObjectEditorId, ChecksOnLeavingTheField) {
  for (const test::CaseRow& row : test::dataCases("object_editor_cases.txt", "object id")) {
    SCOPED_TRACE("object_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    Project p = sampleProject();
    test::FakeUserInterface ui;
    ObjectEditor editor(p, 0, "");
    editor.fields().objectId = row.fields[0];
    EXPECT_EQ(editor.leaveObjectId(ui), row.fields[1].empty());
    EXPECT_EQ(ui.messageTexts(), row.fields[1].empty() ? std::vector<std::string>{} : std::vector{row.fields[1]});
  }
  // The object may keep its own ID; OK refuses an ID that is taken and stores nothing.
  Project p = sampleProject();
  test::FakeUserInterface ui;
  ObjectEditor own(p, 1, "");
  EXPECT_TRUE(own.leaveObjectId(ui));
  ObjectEditor other(p, 0, "");
  other.fields().objectId = "17";
  other.fields().label = "Neu";
  EXPECT_FALSE(other.accept(ui));
  EXPECT_EQ(p.objects[0].OName, "Flur");
  EXPECT_FALSE(p.modified);

  // A compile run numbers objects with automatic IDs 10000 + index; an untouched field keeps it.
  p.objects[0].ObjIDNr = 10000;
  test::FakeUserInterface quiet;
  ObjectEditor compiled(p, 0, "");
  EXPECT_TRUE(compiled.accept(quiet));
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_EQ(p.objects[0].ObjIDNr, 10000);
  ObjectEditor cleared(p, 0, "");
  cleared.fields().objectId = "";
  EXPECT_TRUE(cleared.accept(quiet));
  EXPECT_EQ(p.objects[0].ObjIDNr, 0);
}

TEST(ObjectEditorType, KindPanelsAndStatesFollowTheChoice) {
  for (const test::CaseRow& row : test::dataCases("object_editor_cases.txt", "type")) {
    SCOPED_TRACE("object_editor_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    Project p = sampleProject();
    ObjectEditor editor(p, 0, "");
    editor.chooseType(row.fields[0]);
    EXPECT_EQ(std::string(1, editor.fields().kind), row.fields[1]);
    EXPECT_EQ(std::string(editor.numberPanelVisible() ? "yes" : "no") + (editor.textPanelVisible() ? " yes" : " no"),
              row.fields[2]);
    EXPECT_EQ(editor.statesPanelVisible(), !row.fields[3].empty());
    test::FakeUserInterface ui;
    ASSERT_TRUE(editor.accept(ui));
    EXPECT_EQ(p.objects[0].HdwTyp, hardwareRoleOfType(p.types, row.fields[0]));  // the type's role is stored
    // The untyped object takes the chosen type; "(Undefiniert)" keeps the stored name.
    EXPECT_EQ(p.objects[0].Typ, row.fields[0] == kUndefinedTypeChoice ? std::string(kUntypedObjectType) : row.fields[0]);
    std::string states;
    for (const auto& s : editor.stateNames()) states += (states.empty() ? "" : " ") + s;
    if (editor.conversionGridVisible()) {
      states += " codes";
      std::vector<std::string> values;
      for (const auto& code : editor.fields().conversion) {
        states += " " + code.state + "=" + code.value;
        values.push_back(code.value);
      }
      EXPECT_EQ(p.objects[0].ExtTransList, values);  // the grid's codes are what is stored
    }
    EXPECT_EQ(states, row.fields[3]);
  }
}

TEST(ObjectEditorType, ChoiceKeepsAStartStateTheNewTypeHasElseTakesItsFirst) {
  for (const auto& [type, shown] : {std::pair{"Lampe", "An"}, {"Jalousie", "oben"}}) {
    SCOPED_TRACE(type);
    Project p = sampleProject();
    p.objects[0].Typ = "Lampe";
    p.objects[0].OKind = kKindUser;
    p.objects[0].StartVal = "An";
    ObjectEditor editor(p, 0, "");
    editor.chooseType(type);
    EXPECT_EQ(editor.fields().startState, shown);
  }
}

TEST(ObjectEditorOk, RebuildsProgramVariablesAndFields) {
  Project p = sampleProject();
  p.objects[0].program = {"-&**--/A1/--**Block mit 1 Anweisungen", "-&Bad EINSCHALTEN", "-Flur AUSSCHALTEN"};
  p.objects[0].varDefs = {"Anzahl              Zahl                3                   "};
  test::FakeUserInterface ui;
  ObjectEditor editor(p, 0, "");
  auto& f = editor.fields();
  EXPECT_EQ(f.autoStatements, (std::vector<std::string>{"**--/A1/--**Block mit 1 Anweisungen", "Bad EINSCHALTEN"}));
  EXPECT_EQ(f.programLines, std::vector<std::string>{"Flur AUSSCHALTEN"});

  f.programLines = {"WENN Bad=1 DANN", "*&weg", "   ", "  Flur EINSCHALTEN", "ENDEWENN", ""};
  f.variables.push_back({"Text", "Zeichen", "abc"});
  f.variables.push_back({"", "Zahl", "1"});  // no name: not stored
  f.interval = 3;
  f.label = "";
  f.group = "Keller  ";
  f.deactivateAtStart = true;
  ASSERT_TRUE(editor.accept(ui));
  const TPSObj& o = p.objects[0];
  EXPECT_TRUE(p.modified);
  EXPECT_EQ(o.program, (std::vector<std::string>{"-&**--/A1/--**Block mit 1 Anweisungen", "-&Bad EINSCHALTEN",
                                                 "-WENN Bad=1 DANN", "-  Flur EINSCHALTEN", "-ENDEWENN"}));
  EXPECT_EQ(o.varDefs, (std::vector<std::string>{"Anzahl              Zahl                3                   ",
                                                 "Text                Zeichen             abc                 "}));
  EXPECT_EQ(o.OName, "Flur");
  EXPECT_EQ(o.Group, "Keller");
  EXPECT_EQ(p.groupNames, std::vector<std::string>{"Keller"});
  EXPECT_FALSE(o.Activ);
  EXPECT_TRUE(o.visible);
  // The interval row is stored as its code and reopens on itself; a code of no row opens on the first.
  EXPECT_EQ(ObjectEditor(p, 0, "").fields().interval, 3);
  p.objects[0].ACode = 3;
  EXPECT_EQ(ObjectEditor(p, 0, "").fields().interval, 0);
}

TEST(ObjectEditorCancel, StoresNothingAndKeepsOnlyOwnBitmaps) {
  Project p = sampleProject();
  TPSObj& o = p.objects[0];
  o.Typ = "Lampe";
  o.OKind = kKindUser;
  o.StartVal = "Aus";
  o.stateBitmaps = {{"Aus", TBitmapNam{"aus.bmp", 1, 0}}, {"An", TBitmapNam{"mein.bmp", 1, 1}}};
  o.program = {"-Flur AUSSCHALTEN"};
  const TPSObj before = o;
  test::FakeUserInterface ui;
  ObjectEditor editor(p, 0, "/bmp/");
  editor.chooseType("Jalousie");
  editor.fields().programLines = {"anders"};
  editor.fields().label = "Neu";
  editor.fields().objectId = "5";
  editor.toggleView(ui, 0);
  editor.cancel();
  EXPECT_FALSE(p.modified);
  EXPECT_EQ(test::objectText(o), test::objectText(before));
  EXPECT_EQ(test::stateBitmapText(o.stateBitmaps), "An=mein.bmp/1/1");
}

TEST(ObjectEditorAids, VisibilityRulesAndTheActionMenuWarning) {
  Project p = sampleProject();
  ObjectEditor editor(p, 0, "");
  struct Output {
    int line;
    int form;
    bool bar, value;
  };
  for (const Output c :
       {Output{__LINE__, 0, false, false}, Output{__LINE__, 1, true, true}, Output{__LINE__, 2, true, false}}) {
    SCOPED_TRACE(c.line);
    editor.setOutputForm(c.form);
    EXPECT_EQ(editor.barPanelVisible(), c.bar);
    EXPECT_EQ(editor.valueChoiceVisible(), c.value);
  }
  struct Role {
    int line;
    int role;
    bool receive, send;
  };
  for (const Role c : {Role{__LINE__, 0, true, false}, Role{__LINE__, 1, false, true}, Role{__LINE__, 2, true, true},
                       Role{__LINE__, 3, false, false}}) {
    SCOPED_TRACE(c.line);
    editor.fields().receiveDevice = "Ein";
    editor.fields().sendDevice = "Aus";
    editor.setHardwareRole(c.role);
    EXPECT_EQ(editor.receiveDeviceVisible(), c.receive);
    EXPECT_EQ(editor.sendDeviceVisible(), c.send);
    EXPECT_EQ(editor.fields().receiveDevice.empty(), !c.receive);  // a hidden choice is emptied
    EXPECT_EQ(editor.fields().sendDevice.empty(), !c.send);
  }
  // Leaving the action menu warns only when there is a speech text to lose.
  test::FakeUserInterface ui;
  editor.setInActionMenu(ui, false);
  EXPECT_TRUE(ui.messages.empty());
  editor.fields().voiceControl = "Licht Flur";
  editor.setInActionMenu(ui, true);
  editor.setInActionMenu(ui, false);
  EXPECT_EQ(ui.messageTexts(),
            std::vector<std::string>{
                "Wenn das Objekt nicht im Aktionsmenü erscheint \rkann keine Sprachsteuerung erfolgen !"});
}

TEST(ObjectEditorVariables, TypeChangeAndDeleteKeepTheGridUsable) {
  Project p = sampleProject();
  ObjectEditor editor(p, 0, "");
  auto& rows = editor.fields().variables;
  rows = {{"a", "Zahl", "5"}, {"b", "Lampe", "An"}};
  editor.setVariableType(0, "Zahl");
  EXPECT_EQ(rows[0].start, "5");  // same type: kept
  editor.setVariableType(0, "Zeichen");
  EXPECT_EQ(rows[0].start, "");
  EXPECT_FALSE(editor.startIsStateChoice(0));
  EXPECT_TRUE(editor.startIsStateChoice(1));
  editor.setVariableType(2, "Zahl");  // one past the grid: nothing touched
  EXPECT_FALSE(editor.startIsStateChoice(2));
  editor.deleteVariableRow(2);
  ASSERT_EQ(rows.size(), 2u);
  editor.deleteVariableRow(0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "b");
  editor.deleteVariableRow(0);
  ASSERT_EQ(rows.size(), 1u);  // one empty row stays
  EXPECT_EQ(rows[0].name, "");
}

TEST(ObjectEditorAuto, DeleteHandsStatementsToTheRemovalAndFollowsTheObject) {
  Project p = sampleProject();
  p.objects.insert(p.objects.begin(), createObject("Hilf"));  // the edited object is now at 1
  p.objects[1].program = {"-&a", "-&b /&/System-Information LO:Hilf;", "-&c", "-x"};
  std::vector<std::string> handed;
  ObjectEditorHooks hooks;
  hooks.removeAuxiliaryObject = [&](std::string_view s) {
    handed.emplace_back(s);
    if (s.find("LO:Hilf") != std::string_view::npos) p.objects.erase(p.objects.begin());
  };
  test::FakeUserInterface ui;
  ObjectEditor editor(p, 1, "", hooks);
  EXPECT_FALSE(editor.deleteAutoStatements(ui, {}));
  EXPECT_FALSE(editor.convertAutoStatements(ui, {7}));
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{"Kein Eintrag ausgewählt", "Kein Eintrag ausgewählt"}));
  EXPECT_TRUE(editor.deleteAutoStatements(ui, {1}));
  EXPECT_EQ(handed, std::vector<std::string>{"b /&/System-Information LO:Hilf;"});
  EXPECT_EQ(editor.objectIndex(), 0);
  EXPECT_TRUE(editor.convertAutoStatements(ui, {1}));
  EXPECT_EQ(editor.fields().autoStatements, std::vector<std::string>{"a"});
  ASSERT_TRUE(editor.accept(ui));
  EXPECT_EQ(p.objects[0].Name, "Flur");
  EXPECT_EQ(p.objects[0].program, (std::vector<std::string>{"-&a", "-c", "-x"}));
}

TEST(ObjectEditorPages, InitObjectShowsOnlyTheProgramPage) {
  Project p = sampleProject();
  p.objects.push_back(createObject("*INIT"));
  test::FakeUserInterface ui;
  ObjectEditor init(p, 2, "");
  EXPECT_TRUE(init.isInitObject());
  EXPECT_TRUE(init.pageAllowed(ui, EditorPage::Program));
  EXPECT_FALSE(init.pageAllowed(ui, EditorPage::Hardware));
  EXPECT_EQ(ui.messageTexts(),
            std::vector<std::string>{"Beim Init-Objekt steht nur die Seite Programmierung zur Verfügung"});
  ObjectEditor plain(p, 0, "");
  EXPECT_TRUE(plain.pageAllowed(ui, EditorPage::Type));
}

TEST(ObjectEditorBitmaps, ChosenFileIsStoredByNameInTheBitmapDirectoryAndRemoved) {
  Project p = sampleProject();
  p.objects[0].Typ = "Lampe";
  p.objects[0].OKind = kKindUser;
  test::FakeUserInterface ui;
  ObjectEditor editor(p, 0, "/proj/BMP/");
  editor.chooseStateBitmap(0, "/proj/BMP/aus.bmp");
  editor.chooseStateBitmap(1, "/elsewhere/an.bmp");
  editor.chooseStateBitmap(1, "");  // a file dialog closed without a choice changes nothing
  editor.chooseStateBitmap(2, "/proj/BMP/zu.bmp");  // past the type's states: ignored
  EXPECT_EQ(editor.stateBitmapFile(0), "/proj/BMP/aus.bmp");
  EXPECT_EQ(editor.stateBitmapFile(2), "");  // the type has two states
  {
    // Missing in the bitmap directory, the bitmap is looked for beside the project.
    test::TempDir dir;
    test::writeFile(dir.file("aus.bmp"), "BM");
    ObjectEditorHooks hooks;
    hooks.projectFile = dir.file("HAUS.SPG");
    ObjectEditor beside(p, 0, "/proj/BMP/", hooks);
    beside.chooseStateBitmap(0, "/proj/BMP/aus.bmp");
    EXPECT_EQ(beside.stateBitmapFile(0), dir.file("aus.bmp"));
  }
  ASSERT_TRUE(editor.accept(ui));
  EXPECT_EQ(test::stateBitmapText(p.objects[0].stateBitmaps), "Aus=aus.bmp/1/1 An=/elsewhere/an.bmp/0/1");
  ObjectEditor again(p, 0, "/proj/BMP/");
  again.removeStateBitmap(0);
  ASSERT_TRUE(again.accept(ui));
  EXPECT_EQ(test::stateBitmapText(p.objects[0].stateBitmaps), "Aus= An=/elsewhere/an.bmp/0/1");
}

TEST(ObjectEditorLists, InsertListsAndChoices) {
  Project p = sampleProject();
  p.objects[1].varDefs = {std::string("Zaehler").append(13, ' ') + "Zahl"};
  ObjectEditor editor(p, 0, "");
  editor.fields().variables = {{"Mein", "Zahl", ""}};
  EXPECT_EQ(editor.objectVariableList(), (std::vector<std::string>{"Flur", "Mein", "Bad", "Bad.Zaehler"}));
  EXPECT_EQ(editor.typeChoices(),
            (std::vector<std::string>{"Jalousie", "Lampe", "Zahl", "Zeichen", "Knopf", "(Undefiniert)"}));

  // An untyped object, stored as the compiler names it, shows the list's entry and keeps its stored type.
  p.objects[0].Typ = "Undefiniert";
  p.objects[0].OKind = objectKindForType("Undefiniert");
  ObjectEditor untyped(p, 0, "");
  EXPECT_EQ(untyped.fields().type, "(Undefiniert)");
  test::FakeUserInterface ui;
  ASSERT_TRUE(untyped.accept(ui));
  EXPECT_EQ(p.objects[0].Typ, "Undefiniert");
}

TEST(NewObject, CreatesPlacesAndSetsUpTheType) {
  Project p = sampleProject();
  test::FakeUserInterface ui;
  NewObjectHooks hooks;
  hooks.textWidth = [](std::string_view t) { return static_cast<int>(t.size()) * 9; };
  const int index = createNewObject(p, ui, {"Keller", true}, {"Rollo", "", "Jalousie"}, hooks);
  ASSERT_EQ(index, 2);
  const TPSObj& o = p.objects[2];
  EXPECT_EQ(o.plans[0].ViewName, "Keller");
  EXPECT_EQ(o.plans[0].Width, 90);  // the name is narrower than ten W
  EXPECT_EQ(o.BSInputRB, 1);
  EXPECT_EQ(o.ExtTransList, (std::vector<std::string>{"253", "4", "252"}));
  EXPECT_TRUE(p.modified);

  ASSERT_EQ(createNewObject(p, ui, {"Keller", true}, {"SehrLangerObjektname", "Etikett", "Zahl"}, hooks), 3);
  EXPECT_EQ(p.objects[3].plans[0].Width, 20 * 9);
  EXPECT_EQ(p.objects[3].OName, "Etikett");
  ASSERT_EQ(createNewObject(p, ui, {"Keller", false}, {"Schmal", "", "Knopf"}, hooks), 4);
  EXPECT_EQ(p.objects[4].plans[0].Width, 80);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(NewObject, RefusesWithoutTypeOrWithATakenName) {
  Project p = sampleProject();
  test::FakeUserInterface ui;
  int created = 0;
  NewObjectHooks hooks;
  hooks.createObject = [&](std::string_view name) {
    ++created;
    if (findObject(p, name) >= 0) return -1;
    p.objects.push_back(createObject(name));
    return static_cast<int>(p.objects.size()) - 1;
  };
  EXPECT_EQ(createNewObject(p, ui, {"Keller", true}, {"Neu", "", ""}, hooks), -1);
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Es muss ein Typ ausgewählt werden"});
  EXPECT_EQ(createNewObject(p, ui, {"Keller", true}, {"flur", "", "Zahl"}, hooks), -1);
  EXPECT_EQ(createNewObject(p, ui, {"Keller", true}, {"1x", "", "Zahl"}, hooks), -1);
  EXPECT_EQ(created, 1);  // an invalid name never reaches the creation
  EXPECT_EQ(p.objects.size(), 2u);
  EXPECT_FALSE(leaveNewObjectName(ui, "a b"));
  EXPECT_TRUE(leaveNewObjectName(ui, "Lampe2"));
  test::FakeUserInterface plain;
  EXPECT_EQ(createNewObject(p, plain, {"Keller", true}, {"Bad", "", "Zahl"}, {}), -1);
  EXPECT_EQ(plain.messageTexts(), std::vector<std::string>{"Es gibt schon ein Objekt mit diesem Namen"});
}

}  // namespace
}  // namespace kelvaro
