// Sun times: the region list, the settings, the computation with its corrections and limits,
// and the weekly table for the control unit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "app/sun_settings.h"
#include "astro/region_table.h"
#include "astro/sun_times.h"
#include "storage/settings.h"
#include "support/temp_dir.h"
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
  EXPECT_EQ(std::to_string(s.longitude) + " " + std::to_string(s.latitude) + " " + std::to_string(s.sunriseCorrection) +
                " " + std::to_string(s.sunsetCorrection),
            "7.500000 47.500000 -15 20");
  EXPECT_EQ(limitText(s.earliestSunrise) + " " + limitText(s.latestSunrise) + " " + limitText(s.earliestSunset) + " " +
                limitText(s.latestSunset),
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
  for (const test::CaseRow& row : test::dataCases("sun_times_cases.txt", "coordinates")) {
    SCOPED_TRACE("sun_times_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    SunSettings s;
    s.longitude = std::stod(row.fields[0]);
    s.latitude = std::stod(row.fields[1]);
    if (row.fields[2] != "-") s.latestSunset = std::stod(row.fields[2]);
    EXPECT_EQ(sunSettingsError(s).value_or(""), row.fields[3]);
    EXPECT_EQ(SunTimes(day(2024, 6, 21), true, s).error, row.fields[3]);
    EXPECT_EQ(SunTable(2024, true, s).error, row.fields[3]);
  }
}

// ---------------------------------------------------------------------------------------
// The computation

TEST(SunTimes, WorkedExamplesAndThePolarCircles) {
  for (const test::CaseRow& row : test::dataCases("sun_times_cases.txt", "worked")) {
    SCOPED_TRACE("sun_times_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    int y = 0, m = 0, d = 0;
    ASSERT_EQ(std::sscanf(row.fields[0].c_str(), "%d-%d-%d", &y, &m, &d), 3);
    SunSettings s;
    std::istringstream(row.fields[2]) >> s.longitude >> s.latitude;
    EXPECT_EQ(summary(SunTimes(day(y, m, d), row.fields[1] == "summer", s)), row.fields[3]);
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
  for (const test::CaseRow& row : test::dataCases("sun_times_cases.txt", "minute")) {
    SCOPED_TRACE("sun_times_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    const HourMinute r = roundToMinute(std::stod(row.fields[0]));
    EXPECT_EQ(std::to_string(r.hour) + " " + std::to_string(r.minute), row.fields[1]);
  }
}

TEST(SunTimes, CorrectionsThenLimitsEarliestFirstAndTheDayIsNeverLeft) {
  for (const test::CaseRow& row : test::dataCases("sun_times_cases.txt", "limits")) {
    SCOPED_TRACE("sun_times_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    SunSettings s;
    s.longitude = 9.5;
    s.latitude = 54.5;
    std::istringstream(row.fields[0]) >> s.sunriseCorrection >> s.sunsetCorrection;
    std::string earliest, latest;
    std::istringstream(row.fields[1]) >> earliest >> latest;
    s.earliestSunrise = readLimitTime(earliest);
    s.latestSunrise = readLimitTime(latest);
    std::istringstream(row.fields[2]) >> earliest >> latest;
    s.earliestSunset = readLimitTime(earliest);
    s.latestSunset = readLimitTime(latest);
    const SunTimesResult r = SunTimes(day(2023, 6, 21), true, s);
    EXPECT_EQ(sunTimeText(r.sunrise) + " " + sunTimeText(r.sunset), row.fields[3]);
    EXPECT_EQ(hourMinuteText(r.sunrise) + " " + hourMinuteText(r.sunset),
              row.fields[3].substr(0, 5) + " " + row.fields[3].substr(9, 5));
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
