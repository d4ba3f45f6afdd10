// The sun-time computation, step by step, and the weekly table built from it.
#include "astro/sun_times.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelvaro {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The sun's altitude that counts as rise and set: -6 degrees in radians.
constexpr double kSunAltitude = -0.104719755;
constexpr int kSecondsPerDayInt = 86400;
constexpr int kLastMinuteOfDay = 23 * 60 + 59;

// Rounds to the nearest whole number, halves to the even one, whatever the rounding mode.
double roundHalfEven(double x) {
  if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
  return std::round(x);
}

std::string decimalText(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  std::string text = buf;
  std::replace(text.begin(), text.end(), '.', ',');  // the German decimal separator
  return text;
}

std::string twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::optional<std::string> coordinateError(const char* name, double value, double bound) {
  if (!std::isfinite(value)) return std::string(name) + " ist keine Zahl";
  if (value < -bound || value > bound)
    return std::string(name) + " " + decimalText(value) + " liegt nicht zwischen " + decimalText(-bound) + " und " +
           decimalText(bound);
  return std::nullopt;
}

// A limit as whole seconds of the day; nothing when it is no time of day.
std::optional<int> limitSeconds(const std::optional<DateTime>& limit) {
  if (!limit || !std::isfinite(*limit)) return std::nullopt;
  const double seconds = std::round(*limit * kSecondsPerDayInt);
  if (seconds < 0 || seconds >= kSecondsPerDayInt) return std::nullopt;
  return static_cast<int>(seconds);
}

bool isBadLimit(const std::optional<DateTime>& limit) { return limit && !limitSeconds(limit); }

// Sunrise and sunset in hours of local time (the numbered comments below and in finishEvent
// follow the computation from first to last), corrections included. With
// extendPolar a day without both events still gets times, from the arccos argument held at
// its bound (a half day of 12 hours or of none).
struct SolarHours {
  double sunrise = 0.0;
  double sunset = 0.0;
  SunDay day = SunDay::normal;
};

SolarHours solarHours(DateTime date, bool applySummerTime, const SunSettings& s, bool extendPolar) {
  // 1. Time zone.
  const double zone = timeZoneHours(date, applySummerTime);
  // 2. Day of the year, 1 = 1 January.
  const DateTime newYear = *encodeDate(decodeDate(date).year, 1, 1);
  const double t = roundHalfEven(date - newYear) + 1.0;
  // 3. Latitude in radians.
  const double b = kPi * s.latitude / 180.0;
  // 4. Declination of the sun.
  const double declination = 0.40954 * std::sin(0.0172 * (t - 79.34974));
  // 5. and 6. Half the length of the day, in hours.
  const double cosHourAngle =
      (std::sin(kSunAltitude) - std::sin(declination) * std::sin(b)) / (std::cos(declination) * std::cos(b));
  SolarHours result;
  // Written so that a NaN, which valid settings never give, lands in a day without times.
  if (cosHourAngle >= -1.0 && cosHourAngle <= 1.0)
    result.day = SunDay::normal;
  else if (cosHourAngle < -1.0)
    result.day = SunDay::neverDark;
  else
    result.day = SunDay::neverLight;
  if (result.day != SunDay::normal && (!extendPolar || std::isnan(cosHourAngle))) return result;
  const double halfDay = 12.0 * std::acos(std::clamp(cosHourAngle, -1.0, 1.0)) / kPi;
  // 7. Equation of time, in hours.
  const double equation = -0.1752 * std::sin(0.03343 * t + 0.5474) - 0.134 * std::sin(0.018234 * t - 0.1939);
  // 8. Local times with the corrections.
  const double noon = 12.0 - equation - s.longitude / 15.0 + zone;
  result.sunrise = noon - halfDay + s.sunriseCorrection / 60.0;
  result.sunset = noon + halfDay + s.sunsetCorrection / 60.0;
  return result;
}

// The last two steps of the computation, for one event: whole minutes and the limits.
SunEvent finishEvent(double hours, const std::optional<DateTime>& earliest, const std::optional<DateTime>& latest) {
  // 9. Whole minutes, kept inside the day.
  const HourMinute rounded = roundToMinute(hours);
  const int minuteOfDay = std::clamp(rounded.hour * 60 + rounded.minute, 0, kLastMinuteOfDay);
  int seconds = minuteOfDay * 60;
  // 10. Limits, the earliest first, so that a latest limit wins where the two contradict.
  if (const auto e = limitSeconds(earliest); e && seconds < *e) seconds = *e;
  if (const auto l = limitSeconds(latest); l && seconds > *l) seconds = *l;
  return SunEvent{seconds / 3600, seconds / 60 % 60, static_cast<DateTime>(seconds) / kSecondsPerDayInt};
}

bool isUsableDate(DateTime date) {
  return std::isfinite(date) && date >= *encodeDate(1, 1, 1) && date < *encodeDate(9999, 12, 31) + 1.0;
}

}  // namespace

std::optional<DateTime> readLimitTime(std::string_view text) {
  // The time field's mask leaves blanks where a digit was not typed.
  std::string cleaned;
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = text.find(':', start);
    std::string_view field = text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
    const std::size_t first = field.find_first_not_of(' ');
    field = first == std::string_view::npos ? std::string_view() : field.substr(first, field.find_last_not_of(' ') - first + 1);
    cleaned += field;
    if (colon == std::string_view::npos) break;
    cleaned += ':';
    start = colon + 1;
  }
  return parseTime(cleaned);
}

std::optional<std::string> sunSettingsError(const SunSettings& settings) {
  if (auto error = coordinateError("Geografische L\xE4nge", settings.longitude, 180.0)) return error;
  if (auto error = coordinateError("Geografische Breite", settings.latitude, 90.0)) return error;
  if (isBadLimit(settings.earliestSunrise) || isBadLimit(settings.latestSunrise) ||
      isBadLimit(settings.earliestSunset) || isBadLimit(settings.latestSunset))
    return std::string("Eine Grenze der Sonnenzeiten ist keine Uhrzeit");
  return std::nullopt;
}

int timeZoneHours(DateTime date, bool applySummerTime) {
  if (!applySummerTime) return 1;
  const CalendarDate d = decodeDate(date);
  // Day of month minus weekday (1 = Sunday) reaches 24 first on the last Sunday of a month
  // of 31 days and stays there for the rest of it.
  const bool pastLastSunday = d.day - dayOfWeek(date) >= 24;
  const bool summer = (d.month >= 4 && d.month <= 9) || (d.month == 3 && pastLastSunday) ||
                      (d.month == 10 && !pastLastSunday);
  return summer ? 2 : 1;
}

HourMinute roundToMinute(double hours) {
  if (std::isnan(hours)) hours = 0.0;
  hours = std::clamp(hours, -10000.0, 10000.0);
  const double whole = std::trunc(hours);
  HourMinute result{static_cast<int>(whole), static_cast<int>(roundHalfEven((hours - whole) * 60.0))};
  if (result.minute > 59) {
    result.minute = 0;
    ++result.hour;
  }
  return result;
}

SunTimesResult SunTimes(DateTime date, bool applySummerTime, const SunSettings& settings) {
  SunTimesResult result;
  if (!isUsableDate(date)) {
    result.error = "Das Datum liegt nicht zwischen den Jahren 1 und 9999";
    return result;
  }
  if (auto error = sunSettingsError(settings)) {
    result.error = std::move(*error);
    return result;
  }
  const SolarHours hours = solarHours(date, applySummerTime, settings, false);
  result.day = hours.day;
  if (hours.day != SunDay::normal) return result;
  result.sunrise = finishEvent(hours.sunrise, settings.earliestSunrise, settings.latestSunrise);
  result.sunset = finishEvent(hours.sunset, settings.earliestSunset, settings.latestSunset);
  return result;
}

SunTableResult SunTable(int year, bool applySummerTime, const SunSettings& settings) {
  SunTableResult result;
  const auto newYear = encodeDate(year, 1, 1);
  if (!newYear) {
    result.error = "Das Jahr " + std::to_string(year) + " liegt nicht zwischen 1 und 9999";
    return result;
  }
  if (auto error = sunSettingsError(settings)) {
    result.error = std::move(*error);
    return result;
  }
  DateTime date = *newYear;
  for (std::size_t week = 0; week < kSunTableWeeks; ++week, date += 7.0) {
    const SolarHours hours = solarHours(date, applySummerTime, settings, true);
    const SunEvent rise = finishEvent(hours.sunrise, settings.earliestSunrise, settings.latestSunrise);
    const SunEvent set = finishEvent(hours.sunset, settings.earliestSunset, settings.latestSunset);
    result.entries[week] = SunWeek{rise.hour, rise.minute, set.hour, set.minute};
    result.days[week] = hours.day;
  }
  return result;
}

std::string sunTimeText(const std::optional<SunEvent>& event) {
  return event ? timeText(event->time) : std::string("--:--:--");
}

std::string hourMinuteText(const std::optional<SunEvent>& event) {
  return event ? twoDigits(event->hour) + ":" + twoDigits(event->minute) : std::string("--:--");
}

}  // namespace kelvaro
