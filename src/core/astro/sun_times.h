// Sunrise and sunset at the installation's place: the times that programs ask for with
// SONNENAUFGANG and SONNENUNTERGANG, and the weekly table the control unit switches by.
// The sun is taken at 6 degrees below the horizon, when it gets too dark to read outdoors:
// that is when lamps and shutters are wanted. The formulas are short approximations, within
// about a quarter of an hour of exact ones (13 minutes at most between 47.5 and 54.5 north),
// and the corrections of the settings exist to take up the rest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "time/date_time.h"
#include "time/sun_week.h"

namespace kelvaro {

// The ASTRO settings in the form the computation takes them.
struct SunSettings {
  double longitude = 10.5;  // degrees east
  double latitude = 51.5;   // degrees north
  int sunriseCorrection = 0;  // minutes added to the computed sunrise
  int sunsetCorrection = 0;   // minutes added to the computed sunset
  // Times of day (fractions of a day); nothing means no limit.
  std::optional<DateTime> earliestSunrise, latestSunrise;
  std::optional<DateTime> earliestSunset, latestSunset;
};

// Reads one limit text; nothing when it is not a time of day.
std::optional<DateTime> readLimitTime(std::string_view text);

// Why no sun time can be computed for these settings (a coordinate that is no number or lies
// off the globe, a limit that is no time of day), as a message for the user; nothing when
// they are usable. The corrections may be any number of minutes: a time pushed out of its
// day stays at 00:00 or 23:59 (see SunTimes).
std::optional<std::string> sunSettingsError(const SunSettings& settings);

// The time-zone offset in hours for a date: 1, or 2 under summer time, which runs from the
// last Sunday of March to the day before the last Sunday of October, whole days each.
int timeZoneHours(DateTime date, bool applySummerTime);

// Hours on a clock rounded to the minute: the whole hours, and the fraction in minutes
// rounded to the nearest, halves to the even one; 60 minutes carry into the hour. Hours
// outside -10000..10000 are taken as those bounds.
struct HourMinute {
  int hour = 0;
  int minute = 0;
};
HourMinute roundToMinute(double hours);

// How the sun stands on a day, seen from the settings' latitude.
enum class SunDay {
  normal,      // it crosses 6 degrees below the horizon twice
  neverDark,   // it stays above: no sunrise or sunset to give (midsummer beyond about 60.5 N)
  neverLight,  // it stays below: polar night
};

struct SunEvent {
  int hour = 0;        // 0..23
  int minute = 0;      // 0..59
  DateTime time = 0.0;  // the same as a time of day; holds seconds when a limit set it
};

struct SunTimesResult {
  std::string error;  // why nothing was computed (bad date or settings); empty otherwise
  SunDay day = SunDay::normal;
  std::optional<SunEvent> sunrise;  // nothing unless error is empty and day is normal
  std::optional<SunEvent> sunset;
};

// Sunrise and sunset in local time on the day of date (its time of day counts towards the
// day of the year, rounded to whole days), with summer time when applySummerTime is set and
// the date falls in it. The corrections are added and the limits applied, earliest first
// and latest second; the hour and minute are those of the final time. A time that the
// corrections push before midnight becomes 00:00, one that reaches the next day 23:59, so
// that sunrise and sunset stay on their own day and in order (before the limits).
SunTimesResult SunTimes(DateTime date, bool applySummerTime, const SunSettings& settings);

inline constexpr std::size_t kSunTableWeeks = 52;

struct SunTableResult {
  std::string error;  // why the table is empty (bad year or settings); empty otherwise
  std::array<SunWeek, kSunTableWeeks> entries{};  // what the program image takes
  std::array<SunDay, kSunTableWeeks> days{};      // for the reader: whether an entry's times were extended
};

// The times of 1 January of year and of every 7th day after it, 52 in all, for the control
// unit. The unit compares hours and minutes with its clock, so every entry holds a real time
// even where SunTimes has none: on a day without darkness sunrise falls at the sun's
// midnight and sunset at 23:59 (light all day), in the polar night both fall at the sun's
// noon (a day of no length). These are the times the formula approaches on the way to
// such a day, so the table runs on smoothly from week to week; corrections and limits apply
// to them as to any other.
SunTableResult SunTable(int year, bool applySummerTime, const SunSettings& settings);

// "hh:mm:ss" of an event, "--:--:--" when there is none.
std::string sunTimeText(const std::optional<SunEvent>& event);
// "HH:MM" of an event, "--:--" when there is none.
std::string hourMinuteText(const std::optional<SunEvent>& event);

}  // namespace kelvaro
