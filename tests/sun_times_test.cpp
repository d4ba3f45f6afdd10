// Sun times: the region list, the settings, the computation with its corrections and limits,
// and the weekly table for the control unit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "app/sun_settings.h"
#include "astro/region_table.h"
#include "astro/sun_times.h"
#include "storage/settings.h"
#include "time/date_time.h"

namespace kelvaro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

DateTime day(int y, int m, int d) {
  const auto value = encodeDate(y, m, d);
  EXPECT_TRUE(value) << y << "-" << m << "-" << d;
  return value.value_or(0.0);
}

DateTime at(int y, int m, int d, int hour, int minute) { return day(y, m, d) + *encodeTime(hour, minute, 0); }

// "hh:mm hh:mm" of a result, after the kind of day unless it is a normal one, or its error,
// so that a failure shows everything at once.
std::string summary(const SunTimesResult& r) {
  if (!r.error.empty()) return "error: " + r.error;
  const std::string kind = r.day == SunDay::neverDark    ? "never dark "
                           : r.day == SunDay::neverLight ? "never light "
                                                         : "";
  return kind + hourMinuteText(r.sunrise) + " " + hourMinuteText(r.sunset);
}

std::string limitText(const std::optional<DateTime>& limit) { return limit ? timeText(*limit) : "-"; }

std::string entryText(const SunWeek& e) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d %02d:%02d", e.riseHour, e.riseMinute, e.setHour, e.setMinute);
  return buf;
}

// ---------------------------------------------------------------------------------------
// Region table and list

// A stored region index outside the list must not read past it.
TEST(SunRegion, ChoicesAtEitherEndOfTheListAndExactLookUp) {
  EXPECT_EQ(regionChoiceAt(0).value_or("-"), "Benutzerdefiniert");
  EXPECT_EQ(regionChoiceAt(95).value_or("-"), "99xxx");
  EXPECT_FALSE(regionChoiceAt(-1) || regionChoiceAt(96));
  EXPECT_FALSE(regionPosition("05xxx") || regionPosition("37XXX"));  // not in the table; the comparison is exact
}

// ---------------------------------------------------------------------------------------
// Settings

TEST(SunSettings, TakesTheAstroValuesAndNamesEachUnreadableLimit) {
  Settings settings;
  settings.GEOLANG = 7.5;
  settings.GEOBREIT = 47.5;
  settings.SUNRISEK = -15;
  settings.SUNSETK = 20;
  settings.SUNRISEZ1 = "06:00:00";
  settings.SUNRISEZ2 = std::string(kEmptyTimeTemplate);
  settings.SUNSETZ1 = "";
  settings.SUNSETZ2 = " 7:30: 5";  // the mask leaves blanks for digits not typed
  std::vector<std::string> problems;
  SunSettings s = sunSettingsFrom(settings, &problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(std::to_string(s.longitude) + " " + std::to_string(s.latitude) + " " +
                std::to_string(s.sunriseCorrection) + " " + std::to_string(s.sunsetCorrection),
            "7.500000 47.500000 -15 20");
  EXPECT_EQ(limitText(s.earliestSunrise) + " " + limitText(s.latestSunrise) + " " + limitText(s.earliestSunset) +
                " " + limitText(s.latestSunset),
            "06:00:00 - - 07:30:05");

  settings.SUNRISEZ1 = "25:00:00";
  settings.SUNRISEZ2 = "ab:cd:ef";
  settings.SUNSETZ1 = "0600";
  settings.SUNSETZ2 = "x";
  settings.GEOBREIT = 900;  // the settings file can hold such a latitude
  s = sunSettingsFrom(settings, &problems);
  EXPECT_FALSE(s.earliestSunrise || s.latestSunrise || s.earliestSunset || s.latestSunset);
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "Fr\xFChester Sonnenaufgang \"25:00:00\" ist keine Uhrzeit und bleibt unbeachtet",
                          "Sp\xE4tester Sonnenaufgang \"ab:cd:ef\" ist keine Uhrzeit und bleibt unbeachtet",
                          "Fr\xFChester Sonnenuntergang \"0600\" ist keine Uhrzeit und bleibt unbeachtet",
                          "Sp\xE4tester Sonnenuntergang \"x\" ist keine Uhrzeit und bleibt unbeachtet",
                          "Geografische Breite 900 liegt nicht zwischen -90 und 90",
                      }));
  EXPECT_EQ(limitText(readLimitTime("06:30")), "06:30:00");
}

TEST(SunSettings, BadCoordinatesOrLimitsStopTheComputationWithAMessage) {
  struct Case {
    int line;
    double longitude, latitude;
    std::optional<DateTime> limit;
    const char* message;  // "": usable
  };
  const Case cases[] = {
      {__LINE__, -180, -90, std::nullopt, ""},
      {__LINE__, 180, 90, std::nullopt, ""},
      {__LINE__, 10.5, 91, std::nullopt, "Geografische Breite 91 liegt nicht zwischen -90 und 90"},
      {__LINE__, -180.5, 51.5, std::nullopt, "Geografische L\xE4nge -180,5 liegt nicht zwischen -180 und 180"},
      {__LINE__, 10.5, kNaN, std::nullopt, "Geografische Breite ist keine Zahl"},
      {__LINE__, kInf, 51.5, std::nullopt, "Geografische L\xE4nge ist keine Zahl"},
      {__LINE__, 10.5, 51.5, 1.0, "Eine Grenze der Sonnenzeiten ist keine Uhrzeit"},
      {__LINE__, 10.5, 51.5, kNaN, "Eine Grenze der Sonnenzeiten ist keine Uhrzeit"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SunSettings s;
    s.longitude = c.longitude;
    s.latitude = c.latitude;
    s.latestSunset = c.limit;
    EXPECT_EQ(sunSettingsError(s).value_or(""), c.message);
    EXPECT_EQ(SunTimes(day(2024, 6, 21), true, s).error, c.message);
    EXPECT_EQ(SunTable(2024, true, s).error, c.message);
  }
}

// ---------------------------------------------------------------------------------------
// The computation

TEST(SunTimes, WorkedExamplesAndThePolarCircles) {
  // Worked through the steps by hand (to a thousandth of a minute, to show the rounding).
  // Beyond the polar circles the sun may not cross the altitude at all: no times then.
  struct Case {
    int line;
    int y, m, d;
    bool summer;
    double longitude, latitude;
    const char* expected;
  };
  const Case cases[] = {
      {__LINE__, 2024, 6, 21, true, 10.5, 51.5, "04:13 22:27"},   // 4:12.987, 22:26.909
      {__LINE__, 2024, 12, 21, true, 10.5, 51.5, "07:42 16:52"},  // 7:41.784, 16:51.972
      {__LINE__, 2023, 7, 1, false, 10.5, 51.5, "03:19 21:25"},   // 3:18.618, 21:24.833
      {__LINE__, 2024, 9, 15, true, 9.5, 54.5, "06:28 20:05"},    // 6:27.968, 20:04.790
      {__LINE__, 2024, 6, 21, true, 10.5, 80, "never dark --:-- --:--"},
      {__LINE__, 2024, 12, 21, true, 10.5, 80, "never light --:-- --:--"},
      {__LINE__, 2024, 6, 21, true, 10.5, -80, "never light --:-- --:--"},
      {__LINE__, 2024, 6, 21, true, 10.5, 60, "02:07 23:59"},  // sunset past midnight stays at 23:59
      {__LINE__, 2024, 6, 21, true, 10.5, 61, "never dark --:-- --:--"},
      {__LINE__, 2024, 3, 21, true, 10.5, 80, "03:37 21:12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SunSettings s;
    s.longitude = c.longitude;
    s.latitude = c.latitude;
    EXPECT_EQ(summary(SunTimes(day(c.y, c.m, c.d), c.summer, s)), c.expected);
  }
  EXPECT_EQ(sunTimeText(std::nullopt), "--:--:--");
}

TEST(SunTimes, SummerTimeFromTheLastSundayOfMarchToTheDayBeforeTheLastOfOctober) {
  struct Year {
    int line;
    int year, marchSunday, octoberSunday;
  };
  const Year years[] = {
      // The last Sunday falls on each day from the 25th to the 31st at least once.
      {__LINE__, 2023, 26, 29}, {__LINE__, 2024, 31, 27}, {__LINE__, 2025, 30, 26},
      {__LINE__, 2026, 29, 25}, {__LINE__, 2027, 28, 31}, {__LINE__, 2029, 25, 28},
  };
  for (const auto& y : years) {
    SCOPED_TRACE(y.line);
    for (int d = 1; d <= 31; ++d) {
      SCOPED_TRACE(d);
      EXPECT_EQ(timeZoneHours(day(y.year, 3, d), true), d >= y.marchSunday ? 2 : 1);
      EXPECT_EQ(timeZoneHours(day(y.year, 10, d), true), d < y.octoberSunday ? 2 : 1);
    }
  }
  EXPECT_EQ(timeZoneHours(day(2024, 4, 1), true), 2);  // April to September throughout
  EXPECT_EQ(timeZoneHours(at(2024, 7, 1, 12, 0), false), 1);
}

TEST(SunTimes, RoundsToTheMinuteHalvesToEvenAndCarries) {
  struct Case {
    int line;
    double hours;
    int hour, minute;
  };
  const Case cases[] = {
      {__LINE__, 6.9999, 7, 0},   // 59.994 minutes round to 60: carried into the hour
      {__LINE__, 6.99, 6, 59},    // 59.4
      {__LINE__, 6.125, 6, 8},    // 7.5: halves go to the even minute
      {__LINE__, 6.375, 6, 22},   // 22.5
      {__LINE__, 6.1251, 6, 8},   // 7.506
      {__LINE__, -0.125, 0, -8},  // the integer part is cut towards zero
      {__LINE__, kNaN, 0, 0},    {__LINE__, 1e300, 10000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const HourMinute r = roundToMinute(c.hours);
    EXPECT_EQ(r.hour, c.hour);
    EXPECT_EQ(r.minute, c.minute);
  }
}

TEST(SunTimes, CorrectionsThenLimitsEarliestFirstAndTheDayIsNeverLeft) {
  // 21 June 2023 at 54.5 N, 9.5 E: 03:49.45 and 22:58.03 without corrections or limits.
  struct Case {
    int line;
    int riseCorrection, setCorrection;
    const char *earliestRise, *latestRise, *earliestSet, *latestSet;
    const char* expected;
  };
  const Case cases[] = {
      {__LINE__, 0, 0, "", "", "", "", "03:49:00 22:58:00"},
      {__LINE__, 0, 0, "04:00:00", "", "", "", "04:00:00 22:58:00"},
      {__LINE__, 0, 0, "03:00:00", "", "", "", "03:49:00 22:58:00"},
      {__LINE__, 0, 0, "", "03:00:00", "", "", "03:00:00 22:58:00"},
      {__LINE__, 0, 0, "", "04:00:00", "", "", "03:49:00 22:58:00"},
      {__LINE__, 0, 0, "05:00:00", "04:30:00", "", "", "04:30:00 22:58:00"},  // both apply, the latest last
      {__LINE__, 0, 0, "04:00:40", "", "", "", "04:00:40 22:58:00"},          // the seconds stay in the time only
      {__LINE__, 0, 0, "", "", "23:30:00", "", "03:49:00 23:30:00"},
      {__LINE__, 0, 0, "", "", "", "22:00:00", "03:49:00 22:00:00"},
      {__LINE__, 0, 0, "", "", "23:30:00", "22:30:00", "03:49:00 22:30:00"},
      {__LINE__, 0, 0, "", "", "22:00:00", "23:30:00", "03:49:00 22:58:00"},
      {__LINE__, 0, 61, "", "", "", "", "03:49:00 23:59:00"},
      {__LINE__, 0, 62, "", "", "", "", "03:49:00 23:59:00"},  // would be 24:00
      {__LINE__, 0, 90, "", "", "", "23:00:00", "03:49:00 23:00:00"},
      {__LINE__, -229, 0, "", "", "", "", "00:00:00 22:58:00"},
      {__LINE__, -230, 0, "", "", "", "", "00:00:00 22:58:00"},  // would be a minute before midnight
      {__LINE__, 2000000000, -2000000000, "", "", "", "", "23:59:00 00:00:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SunSettings s;
    s.longitude = 9.5;
    s.latitude = 54.5;
    s.sunriseCorrection = c.riseCorrection;
    s.sunsetCorrection = c.setCorrection;
    s.earliestSunrise = readLimitTime(c.earliestRise);
    s.latestSunrise = readLimitTime(c.latestRise);
    s.earliestSunset = readLimitTime(c.earliestSet);
    s.latestSunset = readLimitTime(c.latestSet);
    const SunTimesResult r = SunTimes(day(2023, 6, 21), true, s);
    EXPECT_EQ(sunTimeText(r.sunrise) + " " + sunTimeText(r.sunset), c.expected);
    EXPECT_EQ(hourMinuteText(r.sunrise) + " " + hourMinuteText(r.sunset),
              std::string(c.expected).substr(0, 5) + " " + std::string(c.expected).substr(9, 5));
  }
}

TEST(SunTimes, BadDateOrYearGivesAMessage) {
  const SunSettings s;
  for (DateTime date : {kNaN, kInf, -kInf, day(9999, 12, 31) + 1.0, day(1, 1, 1) - 0.001, 1e300}) {
    SCOPED_TRACE(date);
    const SunTimesResult r = SunTimes(date, true, s);
    EXPECT_EQ(r.error, "Das Datum liegt nicht zwischen den Jahren 1 und 9999");
    EXPECT_FALSE(r.sunrise || r.sunset);
  }
  EXPECT_EQ(SunTimes(day(9999, 12, 31) + 0.99, true, s).error, "");
  EXPECT_EQ(SunTimes(day(1, 1, 1), true, s).error, "");
  for (int year : {0, -1, 10000}) {
    SCOPED_TRACE(year);
    const SunTableResult table = SunTable(year, true, s);
    EXPECT_EQ(table.error, "Das Jahr " + std::to_string(year) + " liegt nicht zwischen 1 und 9999");
    EXPECT_EQ(entryText(table.entries[0]), "00:00 00:00");
  }
  EXPECT_EQ(SunTable(9999, true, s).error, "");
  EXPECT_EQ(SunTable(1, true, s).error, "");
}

// ---------------------------------------------------------------------------------------
// The weekly table

TEST(SunTable, PolarWeeksStillHoldTimesOfTheDay) {
  SunSettings s;
  s.latitude = 80;
  const SunTableResult table = SunTable(2024, true, s);
  ASSERT_EQ(table.error, "");
  int neverDark = 0, neverLight = 0;
  for (std::size_t k = 0; k < kSunTableWeeks; ++k) {
    SCOPED_TRACE(k);
    const SunWeek& e = table.entries[k];
    const SunTimesResult r = SunTimes(day(2024, 1, 1) + 7.0 * k, true, s);
    EXPECT_EQ(table.days[k], r.day);
    if (table.days[k] == SunDay::normal) {
      EXPECT_EQ(entryText(e), summary(r));
    } else if (table.days[k] == SunDay::neverDark) {
      ++neverDark;
      // From the sun's midnight (01:14 to 01:25 in summer time here) to the end of the day.
      EXPECT_EQ(e.riseHour, 1);
      EXPECT_NEAR(e.riseMinute, 19, 6);
      EXPECT_EQ(entryText(e).substr(6), "23:59");
    } else {
      ++neverLight;
      // A day of no length at the sun's noon (12:02 to 12:31 in winter time here).
      EXPECT_EQ(e.riseHour, 12);
      EXPECT_NEAR(e.riseMinute, 16, 15);
      EXPECT_EQ(entryText(e).substr(0, 5), entryText(e).substr(6));
    }
  }
  EXPECT_GT(neverDark, 10);
  EXPECT_GT(neverLight, 10);
  // Limits apply to those entries as to any other.
  s.earliestSunrise = readLimitTime("06:00:00");
  s.latestSunset = readLimitTime("22:00:00");
  const SunTableResult limited = SunTable(2024, true, s);
  ASSERT_EQ(limited.days[24], SunDay::neverDark);  // 17 June
  EXPECT_EQ(entryText(limited.entries[24]), "06:00 22:00");
}

}  // namespace
}  // namespace kelvaro
