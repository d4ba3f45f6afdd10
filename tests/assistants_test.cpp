// The assistants' line generation: every generated text compared whole, line for line.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "assistants/action_assistant.h"
#include "assistants/assistant_block.h"
#include "assistants/block_list.h"
#include "assistants/condition_assistant.h"
#include "assistants/switching_times.h"
#include "assistants/time_input.h"
#include "model/object_types.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"

namespace kelvaro {
namespace {

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

using Lines = std::vector<std::string>;
using Selection = std::vector<int>;
constexpr std::array<bool, 7> kNoDays{};
constexpr std::array<bool, 7> kMondayFriday{false, true, false, false, false, true, false};

TEST(TimeInput, CorrectsWhileTypingAndChecksOnLeaving) {
  struct Typed {
    int line;
    const char *typed, *text;
    int caret;
  };
  const Typed typed[] = {
      {__LINE__, "9", "2 :  :  ", 0},        {__LINE__, "27", "23:  :  ", 1},
      {__LINE__, "19:7", "19:5 :  ", 3},     {__LINE__, "07:30:8", "07:30:5 ", 6},
      {__LINE__, "07:30:07", "07:30:00", 7}, {__LINE__, "07:30:05", "07:30:05", -1},
      {__LINE__, "sa", "SA:  :  ", -1},      {__LINE__, "SX", "S :  :  ", 1},
      {__LINE__, "X", "2 :  :  ", 0},
  };
  for (const Typed& r : typed) {
    SCOPED_TRACE(r.line);
    const ClockCorrection c = correctClockInput(r.typed);
    EXPECT_EQ(c.text + "@" + std::to_string(c.caret), r.text + ("@" + std::to_string(r.caret)));
  }
  struct Left {
    int line;
    const char *text, *left;  // "-": "Ungültige Uhrzeit"
  };
  const Left left[] = {
      {__LINE__, " 7:3 :  ", "07:30:00"}, {__LINE__, "  :  :  ", "  :  :  "},
      {__LINE__, "SU:  :  ", "SU:  :  "}, {__LINE__, "23:59:55", "23:59:55"},
      {__LINE__, "24:00:00", "-"},        {__LINE__, "12:60:00", "-"},
      {__LINE__, "12:00:60", "-"},        {__LINE__, "S :  :  ", "-"},
      {__LINE__, "SA:12:00", "-"},        {__LINE__, "1200", "-"},
  };
  for (const Left& r : left) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(leaveClockInput(r.text).value_or("-"), r.left);
  }
}

// The day masks, comments and condition lines of the other kinds are in the blocks of the
// switching-times and shutter tests.
TEST(TimeInput, WindowResultForEachKind) {
  // mask|comment|condition|first|second, or "-" for nothing
  const auto result = [](TimeWindowKind kind, const char* first, const char* second) {
    const auto r = timeWindowResult(kind, first, second, kMondayFriday);
    return r ? r->dayMask + "|" + r->dayComment + "|" + r->conditionLine + "|" + r->firstTime + "|" + r->secondTime
             : "-";
  };
  EXPECT_EQ(result(TimeWindowKind::Between, "08:00:00", "SU:  :  "),
            "0100010|** Am Montag Freitag |WENN TAG =+ \"0100010\" UND UHRZEIT = \"08:00:00\" DANN|08:00:00|SU");
  EXPECT_EQ(result(TimeWindowKind::SwitchOn, "  :  :  ", "08:00:00"), "-");
  EXPECT_EQ(result(TimeWindowKind::Duration, "00:10:00", "  :  :  "), "|||00:10:00|");
  EXPECT_EQ(result(TimeWindowKind::Shutter, "  :  :  ", "  :  :  "), "-");
}

TEST(SwitchingTimes, EachButtonWritesItsBlock) {
  test::FakeUserInterface ui;
  SwitchingTimes times("Lampe", SwitchTimesKind::Switchable, {});
  const auto window = [](TimeWindowKind kind, const char* first, const char* second, std::array<bool, 7> days) {
    return timeWindowResult(kind, first, second, days).value();
  };
  EXPECT_TRUE(times.addSwitchTime(true, window(TimeWindowKind::SwitchOn, "07:30:00", "", kMondayFriday), ui));
  EXPECT_TRUE(times.addSwitchTime(false, window(TimeWindowKind::SwitchOff, "SA:  :  ", "", kNoDays), ui));
  EXPECT_TRUE(times.addShutterTimes(window(TimeWindowKind::Shutter, "07:00:00", "SU:  :  ", kMondayFriday), ui));
  EXPECT_TRUE(times.addShutterTimes(window(TimeWindowKind::Shutter, "  :  :  ", "21:00:00", kNoDays), ui));
  EXPECT_TRUE(times.addAutomaticSwitchOff("00:10:00", ui));
  EXPECT_EQ(joined(times.list().lines()),
            "**--/A4/--**Block mit 4 Anweisungen\n** Am Montag Freitag \n"
            "WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN\n  Lampe  EINSCHALTEN\nENDEWENN\n"
            "**--/A3/--**Block mit 3 Anweisungen\nWENN UHRZEIT = \"SA\" DANN\n  Lampe  AUSSCHALTEN\nENDEWENN\n"
            "**--/A9/--**Block mit 9 Anweisungen\n** Am Montag Freitag \nWENN TAG =+ \"0100010\" DANN\n"
            "  WENN UHRZEIT = \"07:00:00\" DANN\n    Lampe:=\"oben\"\n  ENDEWENN\n"
            "  WENN UHRZEIT = \"SU\" DANN\n    Lampe:=\"unten\"\n  ENDEWENN\nENDEWENN\n"
            "**--/A3/--**Block mit 3 Anweisungen\nWENN UHRZEIT = \"21:00:00\" DANN\n  Lampe:=\"unten\"\nENDEWENN\n"
            "**--/A4/--**Block mit 4 Anweisungen\nWENN Lampe EINGESCHALTET  UND\n"
            "  STOPPZEIT(Lampe.ct) > \"00:10:00\" DANN\n  Lampe  AUSSCHALTEN\nENDEWENN\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(SwitchingTimes, ReopeningBringsBackTheLinesAndOkWritesThemOnTop) {
  const Lines program = {"-x:=1", "-&**--/A2/--**Block mit 2 Anweisungen", "-&WENN UHRZEIT = \"SA\" DANN", "-y:=2",
                         "-&ENDEWENN"};
  test::FakeUserInterface ui;
  SwitchingTimes times("Lampe", SwitchTimesKind::Switchable, program);
  EXPECT_EQ(joined(times.list().lines()),
            "**--/A2/--**Block mit 2 Anweisungen\nWENN UHRZEIT = \"SA\" DANN\nENDEWENN\n");
  ASSERT_TRUE(times.addAutomaticSwitchOff("00:01:00", ui));
  Lines stored = program;
  std::uint8_t acode = 254;
  times.apply(stored, acode);
  EXPECT_EQ(joined(stored),
            "-&**--/A2/--**Block mit 2 Anweisungen\n-&WENN UHRZEIT = \"SA\" DANN\n-&ENDEWENN\n"
            "-&**--/A4/--**Block mit 4 Anweisungen\n-&WENN Lampe EINGESCHALTET  UND\n"
            "-&  STOPPZEIT(Lampe.ct) > \"00:01:00\" DANN\n-&  Lampe  AUSSCHALTEN\n-&ENDEWENN\n"
            "-x:=1\n-y:=2\n");
  // The interval becomes every five seconds unless the object already runs on every pass.
  EXPECT_EQ(std::to_string(acode) + std::to_string(switchingTimeInterval(0)) +
                std::to_string(switchingTimeInterval(1)) + std::to_string(switchingTimeInterval(3)),
            "2212");
  // Everything deleted: the generated lines go, the interval stays.
  times.list().deleteAll();
  stored = program;
  acode = 254;
  times.apply(stored, acode);
  EXPECT_EQ(joined(stored) + std::to_string(acode), "-x:=1\n-y:=2\n254");
}

TEST(StatementList, ClickSelectsTheBlockDeleteRemovesIt) {
  // A program line with an "A" where a header has it is no header.
  const Lines lines = {"**--/A3/--**Block mit 3 Anweisungen",
                       "WENN Aussenlicht EINGESCHALTET DANN",
                       "  Lampe EINSCHALTEN",
                       "ENDEWENN",
                       "x:=1",
                       "**--/A1/--**Block mit 1 Anweisungen",
                       "Lampe UMSCHALTEN"};
  const std::pair<int, Selection> clicks[] = {{2, {0, 1, 2, 3}}, {1, {0, 1, 2, 3}}, {4, {4}}, {6, {5, 6}}, {7, {}}};
  for (const auto& [click, selected] : clicks) {
    SCOPED_TRACE(click);
    StatementList list(lines);
    list.clickLine(click);
    EXPECT_EQ(list.selection(), selected);
  }
  StatementList picked(lines);
  picked.select({7, 4, -1, 4});  // rows outside the list go, a row given twice counts once
  EXPECT_EQ(picked.selection(), Selection{4});
  test::FakeUserInterface ui;
  StatementList list(lines);
  const auto wrapped = [&ui](const Lines& selected) -> std::optional<Lines> {
    ConditionAssistant condition(selected);
    if (!condition.wrap("WENN Tuer GESCHLOSSEN DANN", ui)) return std::nullopt;
    return condition.list().lines();
  };
  EXPECT_FALSE(list.deleteSelected(ui));
  EXPECT_FALSE(list.insertCondition(ui, wrapped));
  EXPECT_EQ(ui.messageTexts(), Lines(2, "Kein Eintrag ausgewählt"));
  list.clickLine(1);
  EXPECT_TRUE(list.deleteSelected(ui));
  EXPECT_EQ(joined(list.lines()), "x:=1\n**--/A1/--**Block mit 1 Anweisungen\nLampe UMSCHALTEN\n");
  // The condition assistant's result takes the place of the block it was given.
  list.clickLine(2);
  ASSERT_TRUE(list.insertCondition(ui, wrapped));
  EXPECT_EQ(joined(list.lines()),
            "x:=1\n**--/A3/--**Block mit 3 Anweisungen\nWENN Tuer GESCHLOSSEN DANN\n"
            "  Lampe UMSCHALTEN\nENDEWENN\n");
}

TEST(ActionAssistant, LinesForEachAction) {
  const Lines three = {"Flur", "Bad", "Keller"};
  const std::tuple<int, TargetAction, const char*, const char*> rows[] = {
      {__LINE__, TargetAction::Toggle, "", "Flur UMSCHALTEN\nBad WIE Flur\nKeller WIE Flur\n"},
      {__LINE__, TargetAction::SwitchOn, "", "Flur EINSCHALTEN\nBad EINSCHALTEN\nKeller EINSCHALTEN\n"},
      {__LINE__, TargetAction::SwitchOff, "", "Flur AUSSCHALTEN\nBad AUSSCHALTEN\nKeller AUSSCHALTEN\n"},
      {__LINE__, TargetAction::Like, "", "Flur  WIE  Taster\nBad  WIE  Taster\nKeller  WIE  Taster\n"},
      {__LINE__, TargetAction::Activate, "", "AKTIVIEREN(Flur)\nAKTIVIEREN(Bad)\nAKTIVIEREN(Keller)\n"},
      {__LINE__, TargetAction::Deactivate, "", "DEAKTIVIEREN(Flur)\nDEAKTIVIEREN(Bad)\nDEAKTIVIEREN(Keller)\n"},
      {__LINE__, TargetAction::Execute, "", "AUSFUEHRUNG(Flur)\nAUSFUEHRUNG(Bad)\nAUSFUEHRUNG(Keller)\n"},
      {__LINE__, TargetAction::Toggle, "unten", "Flur:=\"unten\"\nBad:=\"unten\"\nKeller:=\"unten\"\n"},
  };
  for (const auto& [line, action, state, expected] : rows) {
    SCOPED_TRACE(line);
    EXPECT_EQ(joined(actionLines("Taster", three, action, state)), expected);
  }
  EXPECT_EQ(
      targetActionCaption(TargetAction::Like, "Taster", 1) + "|" + targetActionCaption(TargetAction::Like, "Taster", 2),
      "wie Taster|wie..");

  test::FakeUserInterface ui;
  EXPECT_TRUE(targetSelectionFits({{"R1", "Rolllade"}, {"R2", "Rolllade"}}, ui));
  EXPECT_TRUE(targetSelectionFits({{"L1", "Schalter"}, {"L2", "Tuer"}}, ui));
  EXPECT_FALSE(targetSelectionFits({{"R1", "Rolllade"}, {"L1", "Schalter"}}, ui));
  EXPECT_EQ(ui.messageTexts(), Lines{"Dieser Objekttyp passt nicht zu den anderen ausgewählten Objekten"});
}

TEST(ActionAssistant, StoresBlocksOrTheWrappedCondition) {
  const Lines program = {"-&**--/A1/--**Block mit 1 Anweisungen", "-&Flur EINSCHALTEN", "-x:=1"};
  test::FakeUserInterface ui;
  // Without a condition the earlier lines come back and new ones follow under their header.
  ActionAssistant plain("Taster", "", program);
  EXPECT_TRUE(plain.add({"Bad", "Keller"}, TargetAction::Toggle, "", false, ui));
  Lines stored = program;
  plain.apply(stored);
  EXPECT_EQ(joined(stored),
            "-&**--/A1/--**Block mit 1 Anweisungen\n-&Flur EINSCHALTEN\n"
            "-&**--/A2/--**Block mit 2 Anweisungen\n-&Bad UMSCHALTEN\n-&Keller WIE Bad\n-x:=1\n");
  // With one the structure follows the generated lines the object keeps.
  ActionAssistant wrapped("Taster", " EINGESCHALTET ", program);
  EXPECT_TRUE(wrapped.thenList().lines().empty());
  EXPECT_TRUE(wrapped.add({"Bad"}, TargetAction::SwitchOn, "", false, ui));
  EXPECT_TRUE(wrapped.add({"Bad", "Keller"}, TargetAction::SwitchOff, "", true, ui));
  stored = program;
  wrapped.apply(stored);
  EXPECT_EQ(joined(stored),
            "-&**--/A1/--**Block mit 1 Anweisungen\n-&Flur EINSCHALTEN\n"
            "-&**--/A6/--**Block mit 6 Anweisungen\n-&WENN Taster EINGESCHALTET  DANN\n"
            "-&  Bad EINSCHALTEN\n-&SONST\n-&  Bad AUSSCHALTEN\n-&  Keller AUSSCHALTEN\n-&ENDEWENN\n"
            "-x:=1\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ConditionAssistant, WrapsSelectsAndUnwraps) {
  EXPECT_EQ(conditionLine("Uhrzeit", " groesser ", "07:30:00"), "WENN Uhrzeit  groesser  \"07:30:00\" DANN");
  EXPECT_EQ(conditionDateValue("24.12.2026"), "24.12.26");
  test::FakeUserInterface ui;
  ConditionAssistant c({"** Am Montag ", "Bad EINSCHALTEN"});
  ASSERT_TRUE(c.wrap(conditionLine("Tuer", "", " GESCHLOSSEN "), ui));
  ASSERT_TRUE(c.wrap(conditionLine("Licht", "", " AUSGESCHALTET "), ui));
  EXPECT_EQ(joined(c.list().lines()),
            "**--/A6/--**Block mit 6 Anweisungen\nWENN Licht AUSGESCHALTET DANN\n  WENN Tuer GESCHLOSSEN DANN\n"
            "** Am Montag \n    Bad EINSCHALTEN\n  ENDEWENN\nENDEWENN\n");
  // A click picks the structure by nesting, both ways.
  const std::pair<int, Selection> clicks[] = {{1, {1, 6}}, {6, {1, 6}}, {5, {2, 5}}, {3, {2, 5}}, {0, {}}};
  for (const auto& [click, selected] : clicks) {
    SCOPED_TRACE(click);
    c.clickLine(click);
    EXPECT_EQ(c.list().selection(), selected);
  }
  // Deleting the outer condition takes its indentation away from the lines it held.
  c.clickLine(6);
  ASSERT_TRUE(c.deleteCondition(ui));
  EXPECT_EQ(joined(c.list().lines()),
            "**--/A4/--**Block mit 4 Anweisungen\nWENN Tuer GESCHLOSSEN DANN\n"
            "** Am Montag \n  Bad EINSCHALTEN\nENDEWENN\n");
  EXPECT_FALSE(c.deleteCondition(ui));
  EXPECT_EQ(ui.messageTexts(), Lines{"Kein Eintrag ausgewählt"});

  // A condition over two lines goes as a whole; the header keeps counting what is left.
  ConditionAssistant off({"**--/A4/--**Block mit 4 Anweisungen", "WENN Lampe EINGESCHALTET  UND",
                          "  STOPPZEIT(Lampe.ct) > \"00:10:00\" DANN", "  Lampe  AUSSCHALTEN", "ENDEWENN"});
  off.clickLine(4);
  EXPECT_EQ(off.list().selection(), (Selection{1, 2, 4}));
  ASSERT_TRUE(off.deleteCondition(ui));
  EXPECT_EQ(joined(off.list().lines()), "**--/A1/--**Block mit 1 Anweisungen\nLampe  AUSSCHALTEN\n");
}

TEST(ConditionAssistant, SubjectsOfferTheirValues) {
  Project p = test::lampProject({test::lampObject("Licht"), test::lampObject("Flur"), test::lampObject("Tuer")});
  p.objects[0].ObjTypO = kTypeClassTwoState;
  p.objects[2].ObjTypO = kTypeClassDoor;
  EXPECT_EQ(conditionSubjects(p), (Lines{"Licht", "Flur", "Tuer", "Uhrzeit", "Tag", "Datum"}));
  // A subject's kind (C choice, T time of day, D date), whether it is compared ("<>") or is a state
  // ("="), and its values.
  const auto offered = [&p](const char* subject) {
    const ConditionSubject s = conditionSubject(p, subject);
    std::string text = std::string(1, "CTD"[static_cast<int>(s.kind)]) + (s.comparison ? " <>" : " =");
    for (const auto& value : s.values) text += " [" + value + "]";
    return text;
  };
  EXPECT_EQ(offered("Licht"), "C = [ EINGESCHALTET ] [ AUSGESCHALTET ]");
  EXPECT_EQ(offered("Tuer"), "C = [ GEOEFFNET ] [ GESCHLOSSEN ]");
  EXPECT_EQ(offered("Flur"), "C <> [aus] [an]");
  EXPECT_EQ(offered("Uhrzeit"), "T <>");
  EXPECT_EQ(offered("Datum"), "D <>");
}

TEST(ConditionAssistant, RefusesALineThatWouldNoLongerFit) {
  const std::string longest(kMaxStatementLength - 1, 'x');
  test::FakeUserInterface ui;
  ConditionAssistant c({"x:=1", longest});
  EXPECT_FALSE(c.wrap("WENN Tuer GESCHLOSSEN DANN", ui));
  EXPECT_EQ(c.list().lines(), (Lines{"x:=1", longest}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messageTexts()[0].starts_with("Die erzeugte Anweisung ist länger als 250 Zeichen"));
}

}  // namespace
}  // namespace kelvaro
