// The assistants' line generation: every generated text compared whole, line for line.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "assistants/time_input.h"

namespace kelvaro {
namespace {

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
  constexpr std::array<bool, 7> kMondayFriday{false, true, false, false, false, true, false};
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

}  // namespace
}  // namespace kelvaro
