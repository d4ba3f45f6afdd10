// The arguments of kelvaro-cli that are more than a word: durations, the times of scripted
// clicks and entries, and degrees. Pure functions, so that each rule can be tested and fuzzed
// without starting the tool.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "time/date_time.h"

namespace kelvaro::cli {

// "90s", "15m", "2h", "7d" or plain seconds (at most nine digits) → milliseconds; nothing
// for anything else, the empty text among it.
std::optional<long long> parseDuration(std::string_view text);

// TIME: "YYYY-MM-DD hh:mm:ss", or "hh:mm:ss" for the first such time at or after start.
std::optional<DateTime> parseEventTime(std::string_view text, DateTime start);

// A scripted click (OBJECT@TIME) or entry (OBJECT=VALUE@TIME); the texts stay as given (UTF-8).
// The time is after the last "@", so a value may hold "@" and "=" itself.
struct EventArgument {
  std::string object;
  std::string value;
  DateTime when = 0.0;
};
std::optional<EventArgument> parseClick(std::string_view text, DateTime start);
std::optional<EventArgument> parseInput(std::string_view text, DateTime start);

// A number of degrees from -bound to bound ("51.5", "-7,25"); nothing for anything else,
// "nan" and "inf" among it.
std::optional<double> parseDegrees(std::string_view text, double bound);

}  // namespace kelvaro::cli
