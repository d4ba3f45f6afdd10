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
#include "support/fake_user_interface.h"

namespace kelvaro {
namespace {

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

constexpr std::array<bool, 7> kNoDays{};
constexpr std::array<bool, 7> kMondayFriday{false, true, false, false, false, true, false};

TimeWindowResult windowResult(TimeWindowKind kind, const char* first, const char* second,
                              const std::array<bool, 7>& days) {
  return timeWindowResult(kind, first, second, days).value();
}

TEST(TimeInput, CorrectsWhileTyping) {
  struct Row {
    int line;
    const char* typed;
    const char* text;
    int caret;
  };
  const Row rows[] = {
      {__LINE__, "9", "2 :  :  ", 0},          // no hour starts above 2
      {__LINE__, "27", "23:  :  ", 1},         // and none above 23
      {__LINE__, "19:7", "19:5 :  ", 3},       // tens of minutes stop at 5
      {__LINE__, "07:30:8", "07:30:5 ", 6},    // tens of seconds too
      {__LINE__, "07:30:07", "07:30:00", 7},   // seconds in steps of five
      {__LINE__, "07:30:05", "07:30:05", -1},  // nothing to correct
      {__LINE__, "sa", "SA:  :  ", -1},        // sunrise, upper case
      {__LINE__, "SX", "S :  :  ", 1},         // after "S" only "A" or "U"
      {__LINE__, "X", "2 :  :  ", 0},          // a letter other than S is no hour either
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const ClockCorrection c = correctClockInput(r.typed);
    EXPECT_EQ(c.text, r.text);
    EXPECT_EQ(c.caret, r.caret);
  }
}

TEST(TimeInput, LeavingFillsBlanksOrRefuses) {
  struct Row {
    int line;
    const char* text;
    const char* left;  // nullptr: "Ungültige Uhrzeit"
  };
  const Row rows[] = {
      {__LINE__, " 7:3 :  ", "07:30:00"}, {__LINE__, "  :  :  ", "  :  :  "}, {__LINE__, "SA:  :  ", "SA:  :  "},
      {__LINE__, "SU:  :  ", "SU:  :  "}, {__LINE__, "23:59:55", "23:59:55"}, {__LINE__, "24:00:00", nullptr},
      {__LINE__, "12:60:00", nullptr},    {__LINE__, "12:00:60", nullptr},    {__LINE__, "S :  :  ", nullptr},
      {__LINE__, "SA:12:00", nullptr},    {__LINE__, "1200", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const std::optional<std::string> left = leaveClockInput(r.text);
    ASSERT_EQ(left.has_value(), r.left != nullptr);
    if (left) {
      EXPECT_EQ(*left, r.left);
    }
  }
}

TEST(TimeInput, WindowResultForEachKind) {
  constexpr std::array<bool, 7> kNone{};
  struct Row {
    int line;
    TimeWindowKind kind;
    const char *first, *second;
    std::array<bool, 7> days;
    const char* expected;  // mask|comment|condition|first|second, or "-" for nothing
  };
  const Row rows[] = {
      {__LINE__, TimeWindowKind::SwitchOn, "07:30:00", "  :  :  ", kMondayFriday,
       "0100010|** Am Montag Freitag |WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN|07:30:00|"},
      {__LINE__, TimeWindowKind::SwitchOff, "SA:  :  ", "  :  :  ", kNone,
       "0000000||WENN UHRZEIT = \"SA\" DANN|SA|"},
      {__LINE__, TimeWindowKind::Between, "08:00:00", "SU:  :  ", kNone,
       "0000000||WENN UHRZEIT = \"08:00:00\" DANN|08:00:00|SU"},
      {__LINE__, TimeWindowKind::SwitchOn, "  :  :  ", "08:00:00", kMondayFriday, "-"},
      {__LINE__, TimeWindowKind::Duration, "00:10:00", "  :  :  ", kMondayFriday, "|||00:10:00|"},
      {__LINE__, TimeWindowKind::Shutter, "  :  :  ", "SU:  :  ", {true, false, false, false, false, false, true},
       "1000001|** Am Sonntag Samstag |WENN TAG =+ \"1000001\" DANN||\"SU\""},
      {__LINE__, TimeWindowKind::Shutter, "07:00:00", "  :  :  ", kNone, "0000000|||\"07:00:00\"|"},
      {__LINE__, TimeWindowKind::Shutter, "  :  :  ", "  :  :  ", kMondayFriday, "-"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const std::optional<TimeWindowResult> result = timeWindowResult(r.kind, r.first, r.second, r.days);
    const std::string text = result ? result->dayMask + "|" + result->dayComment + "|" + result->conditionLine + "|" +
                                          result->firstTime + "|" + result->secondTime
                                    : "-";
    EXPECT_EQ(text, r.expected);
  }
}

TEST(SwitchingTimes, EachButtonWritesItsBlock) {
  using Add = bool (*)(SwitchingTimes&, test::FakeUserInterface&);
  struct Row {
    int line;
    SwitchTimesKind kind;
    Add add;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, SwitchTimesKind::Switchable,
       [](SwitchingTimes& s, test::FakeUserInterface& ui) {
         return s.addSwitchTime(true, windowResult(TimeWindowKind::SwitchOn, "07:30:00", "", kMondayFriday), ui);
       },
       "**--/A4/--**Block mit 4 Anweisungen\n** Am Montag Freitag \n"
       "WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN\n  Lampe  EINSCHALTEN\nENDEWENN\n"},
      {__LINE__, SwitchTimesKind::Switchable,
       [](SwitchingTimes& s, test::FakeUserInterface& ui) {
         return s.addSwitchTime(false, windowResult(TimeWindowKind::SwitchOff, "SA:  :  ", "", kNoDays), ui);
       },
       "**--/A3/--**Block mit 3 Anweisungen\nWENN UHRZEIT = \"SA\" DANN\n  Lampe  AUSSCHALTEN\nENDEWENN\n"},
      {__LINE__, SwitchTimesKind::Shutter,
       [](SwitchingTimes& s, test::FakeUserInterface& ui) {
         return s.addShutterTimes(windowResult(TimeWindowKind::Shutter, "07:00:00", "SU:  :  ", kMondayFriday), ui);
       },
       "**--/A9/--**Block mit 9 Anweisungen\n** Am Montag Freitag \nWENN TAG =+ \"0100010\" DANN\n"
       "  WENN UHRZEIT = \"07:00:00\" DANN\n    Lampe:=\"oben\"\n  ENDEWENN\n"
       "  WENN UHRZEIT = \"SU\" DANN\n    Lampe:=\"unten\"\n  ENDEWENN\nENDEWENN\n"},
      {__LINE__, SwitchTimesKind::Shutter,
       [](SwitchingTimes& s, test::FakeUserInterface& ui) {
         return s.addShutterTimes(windowResult(TimeWindowKind::Shutter, "  :  :  ", "21:00:00", kNoDays), ui);
       },
       "**--/A3/--**Block mit 3 Anweisungen\nWENN UHRZEIT = \"21:00:00\" DANN\n  Lampe:=\"unten\"\nENDEWENN\n"},
      {__LINE__, SwitchTimesKind::Switchable,
       [](SwitchingTimes& s, test::FakeUserInterface& ui) { return s.addAutomaticSwitchOff("00:10:00", ui); },
       "**--/A4/--**Block mit 4 Anweisungen\nWENN Lampe EINGESCHALTET  UND\n"
       "  STOPPZEIT(Lampe.ct) > \"00:10:00\" DANN\n  Lampe  AUSSCHALTEN\nENDEWENN\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    test::FakeUserInterface ui;
    SwitchingTimes times("Lampe", r.kind, {});
    EXPECT_TRUE(r.add(times, ui));
    EXPECT_EQ(joined(times.list().lines()), r.expected);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(SwitchingTimes, ReopeningBringsBackTheLinesAndOkWritesThemOnTop) {
  const std::vector<std::string> program = {"-x:=1", "-&**--/A3/--**Block mit 3 Anweisungen",
                                            "-&WENN UHRZEIT = \"SA\" DANN", "-&  Lampe  EINSCHALTEN", "-y:=2",
                                            "-&ENDEWENN"};
  test::FakeUserInterface ui;
  SwitchingTimes times("Lampe", SwitchTimesKind::Switchable, program);
  EXPECT_EQ(joined(times.list().lines()),
            "**--/A3/--**Block mit 3 Anweisungen\nWENN UHRZEIT = \"SA\" DANN\n  Lampe  EINSCHALTEN\nENDEWENN\n");
  ASSERT_TRUE(times.addAutomaticSwitchOff("00:01:00", ui));
  // The interval is raised to every five seconds unless the object already runs on every pass.
  const std::pair<std::uint8_t, std::uint8_t> intervals[] = {{254, 2}, {0, 2}, {1, 1}, {2, 2}, {4, 2}, {16, 2}};
  for (const auto& [before, after] : intervals) {
    SCOPED_TRACE(before);
    std::vector<std::string> stored = program;
    std::uint8_t acode = before;
    times.apply(stored, acode);
    EXPECT_EQ(acode, after);
    EXPECT_EQ(joined(stored),
              "-&**--/A3/--**Block mit 3 Anweisungen\n-&WENN UHRZEIT = \"SA\" DANN\n-&  Lampe  EINSCHALTEN\n"
              "-&ENDEWENN\n-&**--/A4/--**Block mit 4 Anweisungen\n-&WENN Lampe EINGESCHALTET  UND\n"
              "-&  STOPPZEIT(Lampe.ct) > \"00:01:00\" DANN\n-&  Lampe  AUSSCHALTEN\n-&ENDEWENN\n-x:=1\n-y:=2\n");
  }
  // Everything deleted: the generated lines go, the interval stays.
  times.list().deleteAll();
  std::vector<std::string> stored = program;
  std::uint8_t acode = 254;
  times.apply(stored, acode);
  EXPECT_EQ(joined(stored), "-x:=1\n-y:=2\n");
  EXPECT_EQ(acode, 254);
}

TEST(StatementList, ClickSelectsTheBlockDeleteRemovesIt) {
  // A program line with an "A" where a header has it is no header.
  const std::vector<std::string> lines = {"**--/A3/--**Block mit 3 Anweisungen", "WENN Aussenlicht EINGESCHALTET DANN",
                                          "  Lampe EINSCHALTEN", "ENDEWENN", "x:=1",
                                          "**--/A1/--**Block mit 1 Anweisungen", "Lampe UMSCHALTEN"};
  struct Row {
    int line, click;
    std::vector<int> selected;
  };
  const Row rows[] = {
      {__LINE__, 2, {0, 1, 2, 3}}, {__LINE__, 1, {0, 1, 2, 3}}, {__LINE__, 0, {0, 1, 2, 3}},
      {__LINE__, 4, {4}},          {__LINE__, 6, {5, 6}},       {__LINE__, 7, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    StatementList list(lines);
    list.clickLine(r.click);
    EXPECT_EQ(list.selection(), r.selected);
  }
  test::FakeUserInterface ui;
  StatementList list(lines);
  EXPECT_FALSE(list.deleteSelected(ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Kein Eintrag ausgewählt"});
  EXPECT_EQ(list.lines(), lines);
  list.clickLine(1);
  EXPECT_TRUE(list.deleteSelected(ui));
  EXPECT_EQ(joined(list.lines()), "x:=1\n**--/A1/--**Block mit 1 Anweisungen\nLampe UMSCHALTEN\n");
  list.deleteAll();
  EXPECT_TRUE(list.lines().empty());
}

TEST(ActionAssistant, LinesForEachAction) {
  const std::vector<std::string> three = {"Flur", "Bad", "Keller"};
  struct Row {
    int line;
    TargetAction action;
    const char* state;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, TargetAction::Toggle, "", "Flur UMSCHALTEN\nBad WIE Flur\nKeller WIE Flur\n"},
      {__LINE__, TargetAction::SwitchOn, "", "Flur EINSCHALTEN\nBad EINSCHALTEN\nKeller EINSCHALTEN\n"},
      {__LINE__, TargetAction::SwitchOff, "", "Flur AUSSCHALTEN\nBad AUSSCHALTEN\nKeller AUSSCHALTEN\n"},
      {__LINE__, TargetAction::Like, "", "Flur  WIE  Taster\nBad  WIE  Taster\nKeller  WIE  Taster\n"},
      {__LINE__, TargetAction::Activate, "", "AKTIVIEREN(Flur)\nAKTIVIEREN(Bad)\nAKTIVIEREN(Keller)\n"},
      {__LINE__, TargetAction::Deactivate, "", "DEAKTIVIEREN(Flur)\nDEAKTIVIEREN(Bad)\nDEAKTIVIEREN(Keller)\n"},
      {__LINE__, TargetAction::Execute, "", "AUSFUEHRUNG(Flur)\nAUSFUEHRUNG(Bad)\nAUSFUEHRUNG(Keller)\n"},
      {__LINE__, TargetAction::Toggle, "unten", "Flur:=\"unten\"\nBad:=\"unten\"\nKeller:=\"unten\"\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(joined(actionLines("Taster", three, r.action, r.state)), r.expected);
  }
  EXPECT_EQ(targetActionCaption(TargetAction::Like, "Taster", 1), "wie Taster");
  EXPECT_EQ(targetActionCaption(TargetAction::Like, "Taster", 2), "wie..");

  test::FakeUserInterface ui;
  EXPECT_TRUE(targetSelectionFits({{"R1", "Rolllade"}, {"R2", "Rolllade"}}, ui));
  EXPECT_TRUE(targetSelectionFits({{"L1", "Schalter"}, {"L2", "Tuer"}}, ui));
  EXPECT_FALSE(targetSelectionFits({{"R1", "Rolllade"}, {"L1", "Schalter"}}, ui));
  EXPECT_EQ(ui.messageTexts(),
            std::vector<std::string>{"Dieser Objekttyp passt nicht zu den anderen ausgewählten Objekten"});
}

TEST(ActionAssistant, StoresBlocksOrTheWrappedCondition) {
  const std::vector<std::string> program = {"-&**--/A1/--**Block mit 1 Anweisungen", "-&Flur EINSCHALTEN", "-x:=1"};
  test::FakeUserInterface ui;

  // Without a condition the earlier lines come back and new ones follow under their header.
  ActionAssistant plain("Taster", "", program);
  EXPECT_FALSE(plain.hasElseList());
  EXPECT_TRUE(plain.add({"Bad", "Keller"}, TargetAction::Toggle, "", false, ui));
  std::vector<std::string> stored = program;
  plain.apply(stored);
  EXPECT_EQ(joined(stored),
            "-&**--/A1/--**Block mit 1 Anweisungen\n-&Flur EINSCHALTEN\n-&**--/A2/--**Block mit 2 Anweisungen\n"
            "-&Bad UMSCHALTEN\n-&Keller WIE Bad\n-x:=1\n");

  // With one the structure follows the generated lines the object keeps.
  ActionAssistant wrapped("Taster", " EINGESCHALTET ", program);
  EXPECT_TRUE(wrapped.thenList().lines().empty());
  EXPECT_TRUE(wrapped.add({"Bad"}, TargetAction::SwitchOn, "", false, ui));
  EXPECT_TRUE(wrapped.add({"Bad", "Keller"}, TargetAction::SwitchOff, "", true, ui));
  stored = program;
  wrapped.apply(stored);
  EXPECT_EQ(joined(stored),
            "-&**--/A1/--**Block mit 1 Anweisungen\n-&Flur EINSCHALTEN\n-&**--/A6/--**Block mit 6 Anweisungen\n"
            "-&WENN Taster EINGESCHALTET  DANN\n-&  Bad EINSCHALTEN\n-&SONST\n-&  Bad AUSSCHALTEN\n"
            "-&  Keller AUSSCHALTEN\n-&ENDEWENN\n-x:=1\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ConditionAssistant, WrapsSelectsAndUnwraps) {
  EXPECT_EQ(conditionLine("Uhrzeit", " groesser ", "07:30:00"), "WENN Uhrzeit  groesser  \"07:30:00\" DANN");
  EXPECT_EQ(conditionLine("Tuer", "", " GESCHLOSSEN "), "WENN Tuer GESCHLOSSEN DANN");
  EXPECT_EQ(conditionDateValue("24.12.2026"), "24.12.26");

  test::FakeUserInterface ui;
  ConditionAssistant c({"** Am Montag ", "Bad EINSCHALTEN"});
  ASSERT_TRUE(c.wrap(conditionLine("Tuer", "", " GESCHLOSSEN "), ui));
  ASSERT_TRUE(c.wrap(conditionLine("Licht", "", " AUSGESCHALTET "), ui));
  const std::string wrapped =
      "**--/A6/--**Block mit 6 Anweisungen\nWENN Licht AUSGESCHALTET DANN\n  WENN Tuer GESCHLOSSEN DANN\n"
      "** Am Montag \n    Bad EINSCHALTEN\n  ENDEWENN\nENDEWENN\n";
  EXPECT_EQ(joined(c.list().lines()), wrapped);

  // A click picks the structure by nesting, both ways.
  struct Row {
    int line, click;
    std::vector<int> selected;
  };
  const Row rows[] = {
      {__LINE__, 1, {1, 6}}, {__LINE__, 6, {1, 6}}, {__LINE__, 5, {2, 5}},
      {__LINE__, 4, {2, 5}}, {__LINE__, 2, {2, 5}}, {__LINE__, 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    c.clickLine(r.click);
    EXPECT_EQ(c.list().selection(), r.selected);
  }

  // Deleting the outer condition takes its indentation away from the lines it held.
  c.clickLine(6);
  ASSERT_TRUE(c.deleteCondition(ui));
  EXPECT_EQ(joined(c.list().lines()),
            "**--/A4/--**Block mit 4 Anweisungen\nWENN Tuer GESCHLOSSEN DANN\n** Am Montag \n  Bad EINSCHALTEN\n"
            "ENDEWENN\n");
  EXPECT_FALSE(c.deleteCondition(ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Kein Eintrag ausgewählt"});

  // A condition over two lines goes as a whole; with nothing left the header goes too.
  ConditionAssistant off({"**--/A4/--**Block mit 4 Anweisungen", "WENN Lampe EINGESCHALTET  UND",
                          "  STOPPZEIT(Lampe.ct) > \"00:10:00\" DANN", "  Lampe  AUSSCHALTEN", "ENDEWENN"});
  off.clickLine(4);
  EXPECT_EQ(off.list().selection(), (std::vector<int>{1, 2, 4}));
  ASSERT_TRUE(off.deleteCondition(ui));
  EXPECT_EQ(joined(off.list().lines()), "**--/A1/--**Block mit 1 Anweisungen\nLampe  AUSSCHALTEN\n");
  off.list().clickLine(1);
  ASSERT_TRUE(off.list().deleteSelected(ui));
  EXPECT_TRUE(off.list().lines().empty());
}

TEST(ConditionAssistant, RefusesALineThatWouldNoLongerFit) {
  const std::string longest(kMaxStatementLength - 1, 'x');
  test::FakeUserInterface ui;
  ConditionAssistant c({"x:=1", longest});
  EXPECT_FALSE(c.wrap("WENN Tuer GESCHLOSSEN DANN", ui));
  EXPECT_EQ(c.list().lines(), (std::vector<std::string>{"x:=1", longest}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messageTexts()[0].starts_with("Die erzeugte Anweisung ist länger als 250 Zeichen"));
}

}  // namespace
}  // namespace kelvaro
