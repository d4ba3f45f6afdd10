// Fuzz target for the arguments of kelvaro-cli that are more than a word: the durations of
// --for, the times and dates of --start and of scripted events, the clicks (OBJECT@TIME), the
// entries (OBJECT=VALUE@TIME) and the degrees of --lat and --lon. The whole input is one
// argument and goes to every parser, with three different starts for the relative times.
//
// What must hold for any text: no parser throws or reads past the text; a duration is a whole
// number of seconds that fits its nine digits; a date or time read back from its own text form
// is the same moment; a plain time of day lies in the day after the start; a click or an entry
// splits at the last "@" (and an entry at the first "=" before it); degrees are finite and in
// their range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "arguments.h"
#include "fuzz_support.h"
#include "time/date_time.h"

namespace kelvaro::fuzz {
namespace {

constexpr double kHalfSecond = 0.5 / kSecondsPerDay;

void checkDuration(std::string_view text) {
  const std::optional<long long> ms = cli::parseDuration(text);
  if (!ms) return;
  check(*ms >= 0 && *ms % 1000 == 0 && *ms <= 999'999'999LL * 86'400'000LL, "a duration is whole seconds in range",
        [&] { return shown(text) + " -> " + std::to_string(*ms); });
  check(!text.empty() && text.size() <= 10, "a duration has at most nine digits and a unit", [&] { return shown(text); });
}

void checkTimes(std::string_view text) {
  if (const auto t = parseTime(text)) {
    check(*t >= 0.0 && *t < 1.0, "a time of day lies in the day", [&] { return shown(text); });
    const auto again = parseTime(timeText(*t));
    check(again && std::abs(*again - *t) < kHalfSecond, "a time reads back from its text",
          [&] { return shown(text) + " -> " + timeText(*t); });
  }
  if (const auto d = parseDate(text)) {
    check(std::isfinite(*d) && *d == std::floor(*d), "a date is a whole day", [&] { return shown(text); });
    const int year = decodeDate(*d).year;
    // The text form has two-digit years, which read as 1950 to 2049.
    if (year >= 1950 && year <= 2049)
      check(parseDate(dateText(*d)) == *d, "a date reads back from its text", [&] { return shown(text); });
  }
  if (const auto d = parseIsoDateTime(text)) {
    check(std::isfinite(*d), "a date-time is finite", [&] { return shown(text); });
    const auto again = parseIsoDateTime(isoDateTimeText(*d));
    check(again && std::abs(*again - *d) < kHalfSecond, "a date-time reads back from its ISO text",
          [&] { return shown(text) + " -> " + isoDateTimeText(*d); });
  }
  if (const auto d = parseIsoDate(text))
    check(std::isfinite(*d) && *d == std::floor(*d), "an ISO date is a whole day", [&] { return shown(text); });
  if (const auto d = parseDateTime(text)) check(std::isfinite(*d), "a date and time is finite", [&] { return shown(text); });
}

void checkEvents(std::string_view text, DateTime start) {
  const auto when = cli::parseEventTime(text, start);
  if (when && !parseIsoDateTime(text))
    check(*when >= start && *when < start + 1.0, "a plain time is the first such time from the start on",
          [&] { return shown(text) + " from " + isoDateTimeText(start); });
  const std::size_t at = text.rfind('@');
  if (const auto click = cli::parseClick(text, start)) {
    check(at != std::string_view::npos && click->object == text.substr(0, at) && click->value.empty(),
          "a click names what stands before the last @", [&] { return shown(text); });
    check(cli::parseEventTime(text.substr(at + 1), start) == click->when, "a click happens at the time after the @",
          [&] { return shown(text); });
  }
  if (const auto input = cli::parseInput(text, start)) {
    const std::size_t eq = text.find('=');
    check(at != std::string_view::npos && eq < at && input->object == text.substr(0, eq) &&
              input->value == text.substr(eq + 1, at - eq - 1),
          "an entry splits at the first = and the last @", [&] { return shown(text); });
    check(cli::parseEventTime(text.substr(at + 1), start) == input->when, "an entry happens at the time after the @",
          [&] { return shown(text); });
  }
}

void checkDegrees(std::string_view text) {
  for (const double bound : {90.0, 180.0})
    if (const auto degrees = cli::parseDegrees(text, bound))
      check(std::isfinite(*degrees) && std::abs(*degrees) <= bound, "degrees are finite and in range",
            [&] { return shown(text) + " -> " + std::to_string(*degrees); });
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkDuration(text);
  checkTimes(text);
  checkDegrees(text);
  for (const DateTime start : {*encodeDate(2026, 6, 15) + *encodeTime(12, 0, 0), *encodeDate(2024, 2, 29) + *encodeTime(23, 59, 59),
                               *encodeDate(1899, 12, 30)})
    checkEvents(text, start);
  return 0;
}
