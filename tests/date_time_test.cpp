// The day-count date-time: calendar fields, weekdays and the text forms.
#include <gtest/gtest.h>

#include <vector>

#include "time/date_time.h"

namespace kelvaro {
namespace {

TEST(DateTime, KnownDayNumbers) {
  struct Case {
    int line;
    int y, m, d;
    double days;
    int weekday;  // 1 = Sunday
  };
  const Case cases[] = {
      {__LINE__, 1899, 12, 30, 0, 7}, {__LINE__, 1900, 1, 1, 2, 2},     {__LINE__, 2000, 2, 29, 36585, 3},
      {__LINE__, 2026, 12, 6, 46362, 1}, {__LINE__, 1899, 12, 29, -1, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto value = encodeDate(c.y, c.m, c.d);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, c.days);
    const CalendarDate back = decodeDate(*value + 0.75);
    EXPECT_EQ((std::vector<int>{back.year, back.month, back.day}), (std::vector<int>{c.y, c.m, c.d}));
    EXPECT_EQ(dayOfWeek(*value + 0.5), c.weekday);
  }
}

TEST(DateTime, RefusesImpossibleFields) {
  EXPECT_FALSE(encodeDate(2023, 2, 29));
  EXPECT_FALSE(encodeDate(2024, 13, 1));
  EXPECT_FALSE(encodeTime(24, 0, 0));
  EXPECT_FALSE(encodeTime(12, 60, 0));
  EXPECT_FALSE(encodeTime(12, 0, 60));
  EXPECT_FALSE(encodeTime(12, 0, 0, 1000));
  EXPECT_TRUE(encodeDate(2024, 2, 29));
}

TEST(DateTime, TextFormsWithLeadingZeros) {
  const DateTime t = *encodeDate(2007, 3, 4) + *encodeTime(7, 5, 9);
  EXPECT_EQ(timeText(t), "07:05:09");
  EXPECT_EQ(dateText(t), "04.03.07");
  // A time just below the next second does not show as :60.
  EXPECT_EQ(timeText(*encodeTime(23, 59, 59, 999)), "23:59:59");
}

TEST(DateTime, ParsesTheTextFormsBack) {
  struct Case {
    int line;
    const char* text;
    std::optional<DateTime> value;
  };
  const DateTime d = *encodeDate(2024, 12, 31);
  const Case cases[] = {
      {__LINE__, "07:30:00", *encodeTime(7, 30, 0)},
      {__LINE__, "07:30", *encodeTime(7, 30, 0)},
      {__LINE__, "7:3:0", *encodeTime(7, 3, 0)},
      {__LINE__, "25:00:00", std::nullopt},
      {__LINE__, "07:30:", std::nullopt},
      {__LINE__, "ab:cd", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(parseTime(c.text), c.value);
  }
  EXPECT_EQ(parseDate("31.12.24"), d);
  EXPECT_EQ(parseDate("31.12.2024"), d);
  EXPECT_EQ(parseDate("01.01.50"), encodeDate(1950, 1, 1));
  EXPECT_FALSE(parseDate("32.12.24"));
  EXPECT_EQ(parseDateTime("31.12.24 12:00:00"), d + 0.5);
  EXPECT_EQ(parseIsoDateTime("2024-12-31 12:00:00"), d + 0.5);
  EXPECT_EQ(parseIsoDate("2024-12-31"), d);
  EXPECT_FALSE(parseIsoDate("24-12-31"));
}

}  // namespace
}  // namespace kelvaro
