// The shutter assistant: the lines it writes for a group, reopening a group, the screen input
// of times, and its shutter and group commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shutter_assistant.h"
#include "assistants/shutter_lines.h"
#include "assistants/time_input.h"
#include "support/fake_user_interface.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

Project shutterProject(std::vector<std::string> states = {"oben", "unten"}) {
  Project p;
  p.types = {"Rolllade;1"};
  for (const auto& s : states) p.typeStates.push_back({"Rolllade:" + s, std::nullopt});
  rebuildTypeNames(p);
  return p;
}

const TPSObj& object(const Project& p, std::string_view name) {
  const int i = findObject(p, name);
  EXPECT_GE(i, 0) << name;
  return p.objects.at(static_cast<std::size_t>(i < 0 ? 0 : i));
}

std::string names(const Project& p) {
  std::string text;
  for (const auto& o : p.objects) text += o.Name + ",";
  return text;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += toUtf8(l) + "\n";
  return text;
}

TimeWindowResult times(std::string_view up, std::string_view down, std::array<bool, 7> days = {}) {
  return *timeWindowResult(TimeWindowKind::Shutter, up, down, days);
}

// A group "Wohnen" of three shutters, entered and given a down time at sunset.
struct GroupFixture {
  Project project = shutterProject();
  test::FakeUserInterface ui;
  ShutterAssistant assistant{project};

  GroupFixture() {
    for (const char* s : {"Kueche", "Bad", "Flur"}) assistant.createShutter(ui, s);
    assistant.createGroup(ui, "Wohnen");
    assistant.addMembers({"Kueche", "Bad", "Flur"});
  }
};

const char* const kClockBlock =
    "-&**--/A10/RG--**Block mit 10 Anweisungen\n"
    "-&WENN Uhrzeit ist Wohnen.RunterZeit DANN\n"
    "-&  Wohnen.RunterZeit:=\"0\"\n"
    "-&  Wohnen:=\"unten\"\n"
    "-&  AUSFUEHRUNG(Wohnen)\n"
    "-&ENDEWENN\n"
    "-&WENN Uhrzeit ist Wohnen.RaufZeit DANN\n"
    "-&  Wohnen.RaufZeit:=\"0\"\n"
    "-&  Wohnen:=\"oben\"\n"
    "-&  AUSFUEHRUNG(Wohnen)\n"
    "-&ENDEWENN\n";

const char* const kSunsetsBlock =
    "-&**--/A12/--**SUNSETS*Block mit 12 Anweisungen\n"
    "-&WENN Wohnen.RunterZeit=\"SA\" DANN\n"
    "-&  Wohnen.RunterZeit:=SONNENAUFGANG(Datum)\n"
    "-&ENDEWENN\n"
    "-&WENN Wohnen.RunterZeit=\"SU\" DANN\n"
    "-&  Wohnen.RunterZeit:=SONNENUNTERGANG(Datum)\n"
    "-&ENDEWENN\n"
    "-&WENN Wohnen.RaufZeit=\"SA\" DANN\n"
    "-&  Wohnen.RaufZeit:=SONNENAUFGANG(Datum)\n"
    "-&ENDEWENN\n"
    "-&WENN Wohnen.RaufZeit=\"SU\" DANN\n"
    "-&  Wohnen.RaufZeit:=SONNENUNTERGANG(Datum)\n"
    "-&ENDEWENN\n";

// Down before up, each armed only while unarmed, both inside the day condition. The blocks with
// one time only and without days are those the finished group writes.
TEST(ShutterGroup, TimeBlockArmsBothTimesInsideItsDays) {
  EXPECT_EQ(joined(groupTimeBlock("Wohnen", times("07:30:00", "SU:  :  ", {false, true, false, false, false, true}))),
            "**--/A9/--**Block mit 9 Anweisungen\n** Am Montag Freitag \nWENN TAG =+ \"0100010\" DANN\n"
            "  WENN Wohnen.RunterZeit=\"0\" DANN\n    Wohnen.RunterZeit:=\"SU\"\n  ENDEWENN\n"
            "  WENN Wohnen.RaufZeit=\"0\" DANN\n    Wohnen.RaufZeit:=\"07:30:00\"\n  ENDEWENN\nENDEWENN\n");
  EXPECT_TRUE(groupTimeBlock("Wohnen", TimeWindowResult{}).empty());
}

TEST(ShutterGroup, FinishedGroupWritesItsThreeObjectsAndReopeningRewritesEachOnce) {
  GroupFixture f;
  ASSERT_TRUE(f.assistant.enterActions(f.ui));
  ASSERT_TRUE(f.assistant.addTimes(f.ui, times("", "SU:  :  ")));
  ASSERT_TRUE(f.assistant.finish(f.ui));
  EXPECT_TRUE(f.ui.messages.empty());
  const TPSObj& g = object(f.project, "Wohnen");
  EXPECT_EQ(
      joined(g.program),
      "-&**--/A3/RG--**Block mit 3 Anweisungen\n-&Bad  WIE  Wohnen\n-&Flur  WIE  Wohnen\n-&Kueche  WIE  Wohnen\n");
  EXPECT_EQ(joined(g.varDefs),
            "RunterZeit          Zeichen             0\nRaufZeit            Zeichen             0\n");

  const std::string downAtSunset =
      "-&**--/A3/--**Block mit 3 Anweisungen\n-&WENN Wohnen.RunterZeit=\"0\" DANN\n-&  Wohnen.RunterZeit:=\"SU\"\n"
      "-&ENDEWENN\n";
  const TPSObj& setter = object(f.project, "WohnenZeitStellen");
  EXPECT_EQ(joined(setter.program), downAtSunset + kSunsetsBlock);
  const TPSObj& clock = object(f.project, "WohnenZeituhr");
  EXPECT_EQ(joined(clock.program), kClockBlock);
  EXPECT_EQ(setter.Typ + "|" + setter.OName + "|" + std::to_string(setter.ACode) + "|" + clock.Typ + "|" + clock.OName +
                "|" + std::to_string(clock.ACode),
            "(Undefiniert)|WohnenZeitStellen|16|(Undefiniert)|Gruppe WohnenZeituhr|2");

  const std::vector<std::string> firstTimes = f.assistant.statements();
  TPSObj& group = f.project.objects[static_cast<std::size_t>(findObject(f.project, "Wohnen"))];
  group.program.insert(group.program.begin(), "-EINSCHALTEN Bad");  // typed by the user: stays

  ShutterAssistant again(f.project);
  ASSERT_TRUE(again.chooseGroup("wohnen"));
  EXPECT_EQ(again.members(), (std::vector<std::string>{"Bad", "Flur", "Kueche"}));
  again.removeMembers({"Flur"});
  ASSERT_TRUE(again.enterActions(f.ui));
  EXPECT_EQ(again.statements(), firstTimes);  // no SUNSETS block among them
  // Until finishing, the time setter keeps what it had: leaving here loses nothing.
  EXPECT_EQ(joined(earlierTimeLines(object(f.project, "WohnenZeitStellen").program)), joined(firstTimes));
  again.addTimes(f.ui, times("SA:  :  ", "  :  :  ", {false, false, false, false, false, false, true}));
  ASSERT_TRUE(again.finish(f.ui));

  EXPECT_EQ(joined(object(f.project, "Wohnen").program),
            "-EINSCHALTEN Bad\n-&**--/A2/RG--**Block mit 2 Anweisungen\n-&Bad  WIE  Wohnen\n-&Kueche  WIE  Wohnen\n");
  EXPECT_EQ(joined(object(f.project, "WohnenZeituhr").program), kClockBlock);
  EXPECT_EQ(joined(object(f.project, "WohnenZeitStellen").program),
            downAtSunset +
                "-&**--/A6/--**Block mit 6 Anweisungen\n-&** Am Samstag \n-&WENN TAG =+ \"0000001\" DANN\n"
                "-&  WENN Wohnen.RaufZeit=\"0\" DANN\n-&    Wohnen.RaufZeit:=\"SA\"\n-&  ENDEWENN\n-&ENDEWENN\n" +
                kSunsetsBlock);
}

TEST(ShutterGroup, GroupBlocksGoButTypedLinesStay) {
  std::vector<std::string> program = {"-&**--/A9/RG--**Block mit 9 Anweisungen", "-&A  WIE  G",    "-Typed", "-&X",
                                      "-&**--/A1/--**Block mit 1 Anweisungen",   "-&EINSCHALTEN A"};
  removeGroupBlocks(program);
  EXPECT_EQ(joined(program), "-Typed\n-&X\n-&**--/A1/--**Block mit 1 Anweisungen\n-&EINSCHALTEN A\n");
}

TEST(ShutterGroup, ALineThatWouldBeCutIsRefused) {
  GroupFixture f;
  ASSERT_TRUE(f.assistant.enterActions(f.ui));
  TimeWindowResult t = times("07:00:00", "");
  t.dayComment = "** Am " + std::string(250, 'x');
  t.conditionLine = "WENN TAG =+ \"0100000\" DANN";
  EXPECT_FALSE(f.assistant.addTimes(f.ui, t));
  EXPECT_TRUE(f.assistant.statements().empty());
  ASSERT_EQ(f.ui.messageTexts().size(), 1u);
  EXPECT_EQ(f.ui.messageTexts()[0], "Diese Anweisung ist zu lang für eine Programmzeile:\r" + toUtf8(t.dayComment));
}

TEST(ShutterScreenInput, ArmingStatementTakesItsTimeFromAnObjectOnAView) {
  GroupFixture f;
  f.project.views.push_back({"Start", {}});
  ASSERT_TRUE(f.assistant.enterActions(f.ui));
  f.assistant.addTimes(f.ui, times("07:00:00", "SU:  :  ", {false, true, false, false, false, false, false}));
  // 0 header, 1 comment, 2 day condition, 3 WENN, 4 arms the down time, 7 arms the up time.
  EXPECT_EQ(f.assistant.screenInput(f.ui, {0, 4, 7}), 2);
  EXPECT_EQ(f.assistant.statements()[4],
            "    Wohnen.RunterZeit:=WohnenRunter1       /&/System-Information LO:WohnenRunter1;");
  EXPECT_EQ(f.assistant.statements()[7],
            "    Wohnen.RaufZeit:=WohnenRauf1       /&/System-Information LO:WohnenRauf1;");
  EXPECT_EQ(f.ui.messageTexts(),
            std::vector<std::string>{"Die Zeiten können während der Programmausführung\rin der Ansicht WohnenZeiten "
                                     "verändert werden"});
  const TPSObj& down = object(f.project, "WohnenRunter1");
  const TPSObj& up = object(f.project, "WohnenRauf1");
  EXPECT_EQ(down.Typ + "|" + std::string(1, down.OKind) + "|" + down.StartVal + "|" + down.plans[0].ViewName + "|" +
                std::to_string(down.plans[0].Top) + "|" + std::to_string(up.plans[0].Top) + "|" + up.StartVal,
            "Zeichen|S|SU|WohnenZeiten|10|70|07:00:00");
  EXPECT_EQ(joined(down.program), "-&**--/A2/--**Block mit 2 Anweisungen\n-&AUSFUEHRUNG(WohnenZeitStellen)\n");
  // A taken-over statement is not taken over twice; a long group name still gives a valid name.
  f.ui.messages.clear();
  EXPECT_EQ(f.assistant.screenInput(f.ui, {4}), 0);
  EXPECT_EQ(f.ui.messageTexts(),
            std::vector<std::string>{"Keine der markierten Anweisungen stellt eine Zeit der Gruppe"});

  // Deleting the statement removes its object once the assistant finishes, not before.
  ASSERT_TRUE(f.assistant.deleteStatements(f.ui, {4}));
  EXPECT_GE(findObject(f.project, "WohnenRunter1"), 0);
  ASSERT_TRUE(f.assistant.finish(f.ui));
  EXPECT_LT(findObject(f.project, "WohnenRunter1"), 0);
  EXPECT_GE(findObject(f.project, "WohnenRauf1"), 0);
}

TEST(ShutterScreenInput, HelperNamesKeepTheNameRule) {
  Project p = shutterProject();
  test::FakeUserInterface ui;
  ShutterAssistant a(p);
  const std::string longName(30, 'G');  // + "ZeitStellen" would break the rule: refused
  ASSERT_TRUE(a.createGroup(ui, longName));
  EXPECT_FALSE(a.enterActions(ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Maximal 32 Zeichen zulässig"});
  EXPECT_EQ(armingStatement("  G.RaufZeit:=\"07:00:00\"", "G")->time, "07:00:00");
  EXPECT_FALSE(armingStatement("  H.RaufZeit:=\"07:00:00\"", "G"));
  EXPECT_FALSE(armingStatement("  G.RaufZeit:=SONNENAUFGANG(Datum)", "G"));
}

TEST(ShutterCommands, NewShutterTakesTheStationCodesOfItsStates) {
  Project p = shutterProject({"oben", "halb", "unten"});
  // The send device is preset to an output of a shutter station that is still free.
  const auto station = [](const char* model, std::vector<std::pair<std::uint8_t, const char*>> slots) {
    TPSContr c;
    c.CKind = model;
    c.CPDevAnz = static_cast<std::int32_t>(slots.size());
    for (std::size_t k = 0; k < slots.size(); ++k) c.slots[k] = {.CDevArt = slots[k].first, .CNam = slots[k].second};
    return c;
  };
  TPSContr emptied = station("40612x", {{2, "Rollo X"}});
  emptied.CPDevAnz = 0;  // its outputs were taken away; the old name is left behind
  p.stations = {emptied, station("MXB2", {{2, "Licht"}}),
                station("40612x", {{1, "Taste"}, {2, "Rollo A"}, {2, "Rollo B"}})};
  p.objects.push_back(TPSObj{});
  p.objects.back().Name = "Alt";
  p.objects.back().SndDev = "Rollo A";
  test::FakeUserInterface ui;
  ui.inputs = {"Rollo1", "Rollo2"};
  ShutterAssistant a(p);
  const int i = a.newShutter(ui);
  ASSERT_GE(i, 0);
  EXPECT_EQ(ui.inputPrompts, std::vector<std::string>{"Neue Rolllade:"});
  const TPSObj& o = p.objects[static_cast<std::size_t>(i)];
  EXPECT_EQ(o.Typ + "|" + std::string(1, o.OKind) + "|" + o.StartVal + "|" + std::to_string(o.HdwTyp) + "|" +
                std::to_string(o.ObjTypO) + "|" + std::to_string(o.ExtTrans) + "|" + o.SndDev + "|" +
                joined(o.ExtTransList),
            "Rolllade|U|oben|1|3|1|Rollo B|253\n4\n252\n");
  const int second = a.newShutter(ui);
  ASSERT_GE(second, 0);
  EXPECT_EQ(p.objects[static_cast<std::size_t>(second)].SndDev, "");
  EXPECT_EQ(a.shutters(), (std::vector<std::string>{"Rollo1", "Rollo2"}));
}

// Without a selection the commands only say so; members stay sorted and only shutters join.
TEST(ShutterCommands, SelectionsAndMembers) {
  GroupFixture f;
  EXPECT_FALSE(ShutterAssistant(f.project).enterActions(f.ui));  // no group chosen yet
  EXPECT_LT(f.assistant.editShutter(f.ui, ""), 0);
  EXPECT_FALSE(f.assistant.deleteShutter(f.ui, ""));
  EXPECT_FALSE(f.assistant.renameShutter(f.ui, ""));
  ASSERT_TRUE(f.assistant.enterActions(f.ui));
  EXPECT_FALSE(f.assistant.deleteStatements(f.ui, {}));
  EXPECT_EQ(f.ui.messageTexts(),
            (std::vector<std::string>{"Keine Gruppe ausgewählt", "Kein Objekt ausgewählt", "Kein Objekt ausgewählt",
                                      "Kein Objekt ausgewählt", "Kein Eintrag ausgewählt"}));
  EXPECT_EQ(f.assistant.editShutter(f.ui, "Bad"), findObject(f.project, "Bad"));

  f.assistant.createGroup(f.ui, "Oben");
  f.assistant.addMembers({"Flur", "Wohnen", "Nichts", "bad"});
  EXPECT_EQ(f.assistant.members(), (std::vector<std::string>{"Bad", "Flur"}));
  f.assistant.addAllMembers();
  EXPECT_EQ(f.assistant.members(), (std::vector<std::string>{"Bad", "Flur", "Kueche"}));
  EXPECT_EQ(f.assistant.groups(), (std::vector<std::string>{"Wohnen", "Oben"}));
  // A deleted shutter leaves the group as well.
  f.assistant.createShutter(f.ui, "Keller");
  f.assistant.addMembers({"Keller"});
  EXPECT_TRUE(f.assistant.deleteShutter(f.ui, "Keller"));
  EXPECT_EQ(f.assistant.members(), (std::vector<std::string>{"Bad", "Flur", "Kueche"}));
}

TEST(ShutterCommands, DeletingAGroupAsksWhetherItsHelpersGoToo) {
  GroupFixture f;
  f.assistant.enterActions(f.ui);
  f.assistant.addTimes(f.ui, times("", "SU:  :  "));
  f.assistant.screenInput(f.ui, {2});
  f.assistant.finish(f.ui);
  f.ui.messages.clear();
  const std::string question = "Sollen auch alle zu dieser Gruppe gehörenden\rObjekte gelöscht werden?";
  // The clock still moves the group: deleting the group alone would leave a program that fails.
  f.ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(f.assistant.deleteGroup(f.ui));
  EXPECT_EQ(names(f.project), "Kueche,Bad,Flur,Wohnen,WohnenZeitStellen,WohnenZeituhr,WohnenRunter1,");
  EXPECT_EQ(f.ui.messageTexts(),
            (std::vector<std::string>{question,
                                      "Das Objekt Wohnen kann nicht gelöscht werden,\rda es im Programm "
                                      "WohnenZeitStellen\rund 1 weiteren Programm(en) verwendet wird."}));
  EXPECT_EQ(f.ui.messages[0].defaultAnswer, MessageAnswer::No);
  f.project.modified = false;
  EXPECT_TRUE(f.assistant.deleteGroup(f.ui));
  EXPECT_EQ(names(f.project), "Kueche,Bad,Flur,");
  EXPECT_TRUE(f.project.modified);

  // Without helpers the group goes alone.
  GroupFixture bare;
  bare.ui.answers = {MessageAnswer::No};
  EXPECT_TRUE(bare.assistant.deleteGroup(bare.ui));
  EXPECT_EQ(names(bare.project), "Kueche,Bad,Flur,");
  EXPECT_EQ(bare.ui.messageTexts(), std::vector<std::string>{question});
}

}  // namespace
}  // namespace kelvaro
