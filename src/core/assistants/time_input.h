#pragma once
// The time input field and the time window of the assistants as pure functions: the field's
// corrections while typing, its check on leaving, and the lines a time window's entries give.
// The windows only bind their controls to these.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

// What an empty time field holds; the field always keeps eight characters.
inline constexpr std::string_view kEmptyClockText = "  :  :  ";
inline constexpr std::string_view kSunriseClockText = "SA:  :  ";
inline constexpr std::string_view kSunsetClockText = "SU:  :  ";
inline constexpr std::string_view kInvalidTimeMessage = "Ung\xFCltige Uhrzeit";

// The weekday table the assistants share, Sunday first as the day masks count.
inline constexpr std::array<std::string_view, 7> kWeekdayNames = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                                                  "Donnerstag", "Freitag", "Samstag"};

struct ClockCorrection {
  std::string text;  // the field's eight characters after the corrections
  int caret = -1;    // the last corrected character, where the caret goes; -1 when nothing changed
};

// TClockInp while typing: upper case, then each correction in turn (an hour digit above 2 gives
// 2, "S" takes only "A" or "U", hour 2x stops at 23, tens of minutes and of seconds stop at 5,
// seconds go in steps of five). A shorter text is filled up from the empty field.
ClockCorrection correctClockInput(std::string_view typed);

// TClockInp on leaving: an empty field, sunrise and sunset stay; otherwise the blanks become
// zeros, and the result is a valid time of day or nothing (the field then shows
// kInvalidTimeMessage and keeps the focus).
std::optional<std::string> leaveClockInput(std::string_view text);

// The kinds of the time window TTimeInpF, as its caller sets them.
enum class TimeWindowKind { SwitchOn = 1, SwitchOff = 2, OnAndOff = 3, Between = 4, Duration = 5, Shutter = 6 };

struct TimeWindowLabels {
  std::string_view first;
  std::string_view second;  // empty: the second field is hidden
  bool weekdays = true;     // the weekday list is shown
};
TimeWindowLabels timeWindowLabels(TimeWindowKind kind);

// What the time window gives back on OK.
struct TimeWindowResult {
  std::string dayMask;        // "0100010": position 1 Sunday ... 7 Saturday; empty for Duration
  std::string dayComment;     // "** Am Montag Freitag ", empty when no day is checked
  std::string conditionLine;  // WENN ... DANN; empty for Duration and for Shutter without days
  // SwitchOn to Between: the fields' times as they stand ("07:30:00", "SA", "SU"), for Duration
  // the duration. Shutter: the up time (first) and down time (second) already in double quotes,
  // ready to be assigned; each empty when its field is.
  std::string firstTime;
  std::string secondTime;
};

// The result for the two fields' texts (as they stand after leaving them) and the checked days,
// indexed like kWeekdayNames. Nothing when the first field is empty (for Shutter: both).
std::optional<TimeWindowResult> timeWindowResult(TimeWindowKind kind, std::string_view first, std::string_view second,
                                                 const std::array<bool, 7>& days);

}  // namespace kelvaro
