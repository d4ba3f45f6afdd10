// Date-times as the whole program holds them: a double counting days since 30 December 1899,
// the fraction being the time of day. Durations are fractions of a day as well.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

using DateTime = double;

inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr DateTime kOneSecond = 1.0 / kSecondsPerDay;

struct CalendarDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Nothing when a field is out of range (month 13, 30 February, hour 24 ...).
std::optional<DateTime> encodeDate(int year, int month, int day);
std::optional<DateTime> encodeTime(int hour, int minute, int second, int millisecond = 0);

CalendarDate decodeDate(DateTime value);
ClockTime decodeTime(DateTime value);  // rounded to the millisecond
int dayOfWeek(DateTime value);         // 1 = Sunday ... 7 = Saturday

// The text forms, always with leading zeros: "hh:mm:ss", "dd.mm.yy", "dd.mm.yy hh:mm:ss".
std::string timeText(DateTime value);
std::string dateText(DateTime value);
std::string dateTimeText(DateTime value);

// Reads the text forms back: "hh:mm" or "hh:mm:ss"; "dd.mm.yy" or "dd.mm.yyyy" (two-digit
// years are 19yy from 50 on, 20yy below); a date, a blank and a time. Nothing when malformed.
std::optional<DateTime> parseTime(std::string_view text);
std::optional<DateTime> parseDate(std::string_view text);
std::optional<DateTime> parseDateTime(std::string_view text);

// ISO forms for the command line and JSON: "YYYY-MM-DD" and "YYYY-MM-DD hh:mm:ss".
std::optional<DateTime> parseIsoDate(std::string_view text);
std::optional<DateTime> parseIsoDateTime(std::string_view text);
std::string isoDateTimeText(DateTime value);

}  // namespace kelvaro
