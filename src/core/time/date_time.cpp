// Calendar arithmetic for the day-count date-time, with the civil-from-days algorithm.
#include "time/date_time.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "text/text_util.h"

namespace kelvaro {
namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

CalendarDate civilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const long long kEpochOffset = daysFromCivil(1899, 12, 30);

// Whole milliseconds since the epoch; negative day counts keep a positive time of day.
long long totalMilliseconds(DateTime value) {
  return std::llround(value * kSecondsPerDay * 1000.0);
}

std::string twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::vector<std::string_view> splitOn(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = text.find(sep, start);
    parts.push_back(text.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start));
    if (pos == std::string_view::npos) return parts;
    start = pos + 1;
  }
}

std::optional<int> field(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return parseInt(text);
}

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<DateTime> encodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
    return std::nullopt;
  return static_cast<DateTime>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               kEpochOffset);
}

std::optional<DateTime> encodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return std::nullopt;
  return ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + millisecond) / (kSecondsPerDay * 1000.0);
}

CalendarDate decodeDate(DateTime value) {
  const long long ms = totalMilliseconds(value);
  const long long msPerDay = 86400000LL;
  long long day = ms / msPerDay;
  if (ms % msPerDay != 0 && ms < 0) --day;
  return civilFromDays(day + kEpochOffset);
}

ClockTime decodeTime(DateTime value) {
  const long long msPerDay = 86400000LL;
  long long ms = totalMilliseconds(value) % msPerDay;
  if (ms < 0) ms += msPerDay;
  ClockTime t;
  t.millisecond = static_cast<int>(ms % 1000);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.hour = static_cast<int>(ms / 3600000);
  return t;
}

int dayOfWeek(DateTime value) {
  const CalendarDate d = decodeDate(value);
  const long long days = daysFromCivil(d.year, static_cast<unsigned>(d.month), static_cast<unsigned>(d.day));
  // 1970-01-01 was a Thursday (5 when Sunday is 1).
  long long w = (days + 4) % 7;
  if (w < 0) w += 7;
  return static_cast<int>(w) + 1;
}

std::string timeText(DateTime value) {
  const ClockTime t = decodeTime(value);
  return twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

std::string dateText(DateTime value) {
  const CalendarDate d = decodeDate(value);
  return twoDigits(d.day) + "." + twoDigits(d.month) + "." + twoDigits(((d.year % 100) + 100) % 100);
}

std::string dateTimeText(DateTime value) { return dateText(value) + " " + timeText(value); }

std::optional<DateTime> parseTime(std::string_view text) {
  const auto parts = splitOn(text, ':');
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  const auto h = field(parts[0]), m = field(parts[1]);
  const auto s = parts.size() == 3 ? field(parts[2]) : std::optional<int>(0);
  if (!h || !m || !s) return std::nullopt;
  return encodeTime(*h, *m, *s);
}

std::optional<DateTime> parseDate(std::string_view text) {
  const auto parts = splitOn(text, '.');
  if (parts.size() != 3) return std::nullopt;
  const auto d = field(parts[0]), m = field(parts[1]), y = field(parts[2]);
  if (!d || !m || !y) return std::nullopt;
  int year = *y;
  if (parts[2].size() <= 2) year += year >= 50 ? 1900 : 2000;
  return encodeDate(year, *m, *d);
}

std::optional<DateTime> parseDateTime(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const auto date = parseDate(text.substr(0, blank));
  const auto time = parseTime(text.substr(blank + 1));
  if (!date || !time) return std::nullopt;
  return *date + *time;
}

std::optional<DateTime> parseIsoDate(std::string_view text) {
  const auto parts = splitOn(text, '-');
  if (parts.size() != 3 || parts[0].size() != 4) return std::nullopt;
  const auto y = field(parts[0]), m = field(parts[1]), d = field(parts[2]);
  if (!y || !m || !d) return std::nullopt;
  return encodeDate(*y, *m, *d);
}

std::optional<DateTime> parseIsoDateTime(std::string_view text) {
  const std::size_t blank = text.find_first_of(" T");
  if (blank == std::string_view::npos) return parseIsoDate(text);
  const auto date = parseIsoDate(text.substr(0, blank));
  const auto time = parseTime(text.substr(blank + 1));
  if (!date || !time) return std::nullopt;
  return *date + *time;
}

std::string isoDateTimeText(DateTime value) {
  const CalendarDate d = decodeDate(value);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-", d.year);
  return buf + twoDigits(d.month) + "-" + twoDigits(d.day) + " " + timeText(value);
}

}  // namespace kelvaro
