// The object commands: new, rename, delete, copy, the auxiliary-object removal and the trace
// list, on small projects with a scripted user interface.
#include <gtest/gtest.h>

#include "app/object_commands.h"
#include "app/workspace.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;

Project projectWith(std::initializer_list<std::pair<const char*, std::vector<std::string>>> objects) {
  Project project;
  for (const auto& [name, program] : objects) {
    TPSObj object = createObject(name);
    object.program = program;
    project.objects.push_back(std::move(object));
  }
  return project;
}

std::string names(const Project& project) {
  std::string text;
  for (const auto& o : project.objects) text += (text.empty() ? "" : ",") + o.Name;
  return text;
}

TEST(NewObjectCommand, InitOnceDuplicatesInAnyCaseAndCancel) {
  Project project = projectWith({{"Lampe", {}}});
  FakeUserInterface ui;
  ui.inputs = {"LAMPE", "Init", "iNiT", std::nullopt};
  EXPECT_EQ(newObject(project, ui), -1);  // taken, ignoring case
  EXPECT_FALSE(project.modified);
  EXPECT_EQ(newObject(project, ui), 1);
  EXPECT_EQ(newObject(project, ui), -1);  // INIT in any case becomes the one initialisation object
  EXPECT_EQ(newObject(project, ui), -1);  // cancelled
  EXPECT_EQ(names(project), "Lampe,*INIT");
  EXPECT_EQ(project.objects[1].ACode, 255);
  EXPECT_TRUE(project.modified);
  EXPECT_EQ(ui.inputPrompts.front(), "Neues Objekt:");
  // Only the typed INIT becomes the init object: the stored name itself breaks the name rule.
  EXPECT_EQ(createNamedObject(project, ui, "*INIT"), -1);
  EXPECT_EQ(ui.messageTexts(),
            (std::vector<std::string>{"Es gibt schon ein Objekt mit diesem Namen",
                                      "Es gibt schon ein Objekt mit diesem Namen", "*INIT\r ist kein gültiger Name"}));
}

TEST(RenameInLine, ReplacesWholeNamesOnly) {
  for (const test::CaseRow& row : test::dataCases("object_commands_cases.txt", "rename")) {
    SCOPED_TRACE("object_commands_cases.txt:" + std::to_string(row.line));
    ASSERT_GE(row.fields.size(), 2u);
    std::string line = row.fields[0];
    EXPECT_EQ(renameInLine(line, "Lampe", row.fields.size() > 2 ? row.fields[2] : "Licht"), line != row.fields[1]);
    EXPECT_EQ(line, row.fields[1]);
  }
}

TEST(RenameInLine, AChangedLineKeepsItsFirst255Characters) {
  std::string changed = "-Lampe = 1 " + std::string(300, 'x');
  EXPECT_TRUE(renameInLine(changed, "Lampe", "Licht"));
  EXPECT_EQ(changed, "-Licht = 1 " + std::string(255 - 11, 'x'));

  // Untouched lines keep their length; a name only beyond the cut leaves the line alone.
  std::string untouched = "-X = 1 " + std::string(300, 'x') + " Lampe";
  const std::string before = untouched;
  EXPECT_FALSE(renameInLine(untouched, "Lampe", "Licht"));
  EXPECT_EQ(untouched, before);
}

TEST(RenameObjectCommand, RefusesANameAnotherObjectHasButNotItsOwnInOtherCase) {
  Project project = projectWith({{"Lampe", {"-Lampe = 0"}}, {"Licht", {"-Lampe = 1"}}});
  FakeUserInterface ui;
  ui.inputs = {"LICHT", "LAMPE"};
  EXPECT_FALSE(renameObject(project, ui, 0));
  EXPECT_FALSE(project.modified);
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Es gibt schon ein Objekt mit diesem Namen"});
  EXPECT_EQ(project.objects[1].program[0], "-Lampe = 1");
  // Its own name in another case is allowed, and every program follows the new name.
  EXPECT_TRUE(renameObject(project, ui, 0));
  EXPECT_TRUE(project.modified);
  EXPECT_EQ(names(project), "LAMPE,Licht");
  EXPECT_EQ(project.objects[0].program[0] + " " + project.objects[1].program[0], "-LAMPE = 0 -LAMPE = 1");
  EXPECT_EQ(ui.inputPrompts, std::vector<std::string>(2, "Neuer Name:"));
}

TEST(DeleteObjectCommand, RefusalNamesTheFirstReferrerAndCountsTheOthers) {
  for (const test::CaseRow& row : test::dataCases("object_commands_cases.txt", "delete")) {
    SCOPED_TRACE("object_commands_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    Project project = projectWith({{"Lampe", {"-Lampe = 1"}},
                                   {"Nutzer1", {row.fields[0]}},
                                   {"Nutzer2", {"-Y = 0", row.fields[1]}},
                                   {"Nutzer3", {row.fields[2]}}});
    FakeUserInterface ui;
    const bool free = row.fields[3].empty();
    EXPECT_EQ(deleteObject(project, ui, 0), free);
    EXPECT_EQ(project.modified, free);
    EXPECT_EQ(names(project), free ? "Nutzer1,Nutzer2,Nutzer3" : "Lampe,Nutzer1,Nutzer2,Nutzer3");
    // Free: the user is asked; in use: the refusal names where.
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>{free ? "Soll das Objekt wirklich gelöscht werden?" : row.fields[3]});
    EXPECT_EQ(ui.messages[0].kind, free ? MessageKind::Warning : MessageKind::Error);
    EXPECT_EQ(ui.messages[0].defaultAnswer, free ? std::optional(MessageAnswer::No) : std::nullopt);
  }
  // No selection (-1) or a row past the list: nothing is deleted, asked or reported as done.
  Project project = projectWith({{"Lampe", {}}});
  FakeUserInterface ui;
  EXPECT_FALSE(deleteObject(project, ui, -1));
  EXPECT_FALSE(deleteObject(project, ui, 1));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(project.modified);
}

TEST(AuxiliaryObjectRemoval, RemovedOnlyWhenItIsAHelperUsedOnceAtMost) {
  // What a statement leaves of the helper Hilfe1, with its program, and `users` other objects using it.
  const auto left = [](std::string_view statement, std::vector<std::string> helperProgram = {"-a", "-b"},
                       int users = 0) {
    Project project = projectWith({{"Hilfe1", helperProgram}, {"A", {}}, {"B", {}}});
    for (int i = 0; i < users; ++i) project.objects[1 + i].program = {"-EINSCHALTEN Hilfe1"};
    const bool removed = removeAuxiliaryObject(project, statement);
    return (removed ? "removed: " : "kept: ") + names(project);
  };
  // As the shutter assistant writes a time taken from the screen; the helper is named after "LO:".
  const std::string line = "  G.RunterZeit:=Hilfe1       /&/System-Information LO:Hilfe1;";
  EXPECT_EQ(left(line, {"-a", "-b"}, 1), "removed: A,B");
  EXPECT_EQ(left(line, {"-a", "-b"}, 2), "kept: Hilfe1,A,B");
  EXPECT_EQ(left(line, {"-a", "-b", "-c"}), "kept: Hilfe1,A,B");
  EXPECT_EQ(left("G.RaufZeit:=Hilfe1       /&/System-Information LO:Hilfe1"), "removed: A,B");
  EXPECT_EQ(left("  G.RunterZeit:=Hilfe1 LO:Hilfe1;"), "kept: Hilfe1,A,B");
  EXPECT_EQ(left("  G.RunterZeit:=Hilfe1       /&/System-Information"), "kept: Hilfe1,A,B");
  EXPECT_EQ(left("  G.RunterZeit:=Andere       /&/System-Information LO:Andere;"), "kept: Hilfe1,A,B");
  // The text before the first ";" is no name: the helper stays.
  EXPECT_EQ(left("Hilfe1;/&/LO:5"), "kept: Hilfe1,A,B");
}

TEST(CopyTextReplacement, ReplacesEveryOccurrenceLeftToRight) {
  for (const test::CaseRow& row : test::dataCases("object_commands_cases.txt", "replace")) {
    SCOPED_TRACE("object_commands_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    EXPECT_EQ(replaceText(row.fields[0], row.fields[1], row.fields[2]), row.fields[3]);
  }
  EXPECT_EQ(replaceText(std::string(254, 'x') + "1", "1", "234"), std::string(254, 'x') + "2");
}

TEST(CopyObjectCommand, CopiesBelowItsSourceWithReplacedTexts) {
  Project project =
      projectWith({{"Schalter", {}}, {"Lampe1", {"-WENN Schalter1 EINGESCHALTET DANN", "-  EINSCHALTEN Lampe1"}}});
  TPSObj& source = project.objects[1];
  source.OName = "Lampe 1";
  source.Group = "Gruppe1";
  source.SndDev = "Aus1";
  source.RcvDev = "Ein1";
  source.Typ = "Licht";
  source.VoiceContr = "Licht an";
  source.Snd.LineNo = 3;
  source.Rcv.AdrA = 2;
  source.ObjIDNr = 17;
  source.plans[0] = {"Erdgeschoss", 100, 200, 80, 50};
  source.plans[2] = {"Keller", 5, 7, 40, 30};
  const TPSObj before = source;

  FakeUserInterface ui;
  ui.inputs = {"1", "2"};
  ASSERT_EQ(copyObject(project, ui, 1), 2);
  EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>{"Zu ersetzende Zeichen", "Neue Zeichen"}));
  EXPECT_TRUE(project.modified);
  EXPECT_EQ(test::objectText(project.objects[1]), test::objectText(before));
  TPSObj expected = before;
  expected.Name = "Lampe2";
  expected.OName = "Lampe 2";
  expected.Group = "Gruppe2";
  expected.SndDev = "Aus2";
  expected.RcvDev = "Ein2";
  expected.program = {"-WENN Schalter2 EINGESCHALTET DANN", "-  EINSCHALTEN Lampe2"};
  expected.ObjIDNr = 10002;
  // Not copied: the speech text and the addresses, which belong to the source's hardware.
  expected.VoiceContr = "";
  expected.Snd = {};
  expected.Rcv = {};
  // Placements: same view, left and size, Top + Height + Height / 4.
  expected.plans[0].Top = 200 + 50 + 12;
  expected.plans[2].Top = 7 + 30 + 7;
  EXPECT_EQ(test::objectText(project.objects[2]), test::objectText(expected));
  EXPECT_EQ(project.objects[2].plans[1].Top, 10);
}

TEST(CopyObjectCommand, CancelTakenAndEmptyNamesMakeNoCopy) {
  Project project = projectWith({{"Lampe1", {}}, {"Lampe3", {}}});
  FakeUserInterface ui;
  // Cancelled at the first and at the second question, the name unchanged, and an empty name.
  ui.inputs = {std::nullopt, "1", std::nullopt, "x", "y", "Lampe1", ""};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(copyObject(project, ui, 0), -1);
  EXPECT_TRUE(ui.inputs.empty());
  EXPECT_EQ(names(project), "Lampe1,Lampe3");
  EXPECT_FALSE(project.modified);
  EXPECT_EQ(ui.messageTexts(),
            (std::vector<std::string>{"Es gibt schon ein Objekt mit diesem Namen", "\r ist kein gültiger Name"}));
}

TEST(TraceListCommands, AddRemoveClear) {
  Workspace workspace;
  EXPECT_TRUE(addTraceEntry(workspace, "Lampe"));
  EXPECT_TRUE(addTraceEntry(workspace, "Tor"));
  EXPECT_FALSE(addTraceEntry(workspace, "LAMPE"));
  EXPECT_FALSE(addTraceEntry(workspace, ""));
  EXPECT_EQ(workspace.traceList, (std::vector<std::string>{"Lampe", "Tor"}));
  EXPECT_FALSE(removeTraceEntry(workspace, 2));
  EXPECT_FALSE(removeTraceEntry(workspace, -1));
  EXPECT_TRUE(removeTraceEntry(workspace, 0));
  EXPECT_EQ(workspace.traceList, std::vector<std::string>{"Tor"});
  clearTraceList(workspace);
  EXPECT_TRUE(workspace.traceList.empty());
}

}  // namespace
}  // namespace kelvaro
