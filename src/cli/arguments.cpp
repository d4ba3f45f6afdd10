// Checking and reading the structured arguments of kelvaro-cli.
#include "arguments.h"

#include <algorithm>
#include <cmath>

#include "text/text_util.h"

namespace kelvaro::cli {

std::optional<long long> parseDuration(std::string_view text) {
  struct Unit {
    char suffix;
    long long milliseconds;
  };
  constexpr Unit kUnits[] = {{'s', 1000}, {'m', 60'000}, {'h', 3'600'000}, {'d', 86'400'000}};
  long long unit = 1000;  // plain seconds
  for (const Unit& u : kUnits) {
    if (!text.empty() && text.back() == u.suffix) {
      unit = u.milliseconds;
      text.remove_suffix(1);
      break;
    }
  }
  // Nine digits of days still fit a long long of milliseconds.
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return static_cast<long long>(parseInt(text).value_or(0)) * unit;
}

std::optional<DateTime> parseEventTime(std::string_view text, DateTime start) {
  if (auto full = parseIsoDateTime(text)) return full;
  const auto time = parseTime(text);
  if (!time) return std::nullopt;
  DateTime when = std::floor(start) + *time;
  if (when < start) when += 1.0;
  return when;
}

std::optional<EventArgument> parseClick(std::string_view text, DateTime start) {
  const std::size_t at = text.rfind('@');
  if (at == std::string_view::npos) return std::nullopt;
  const auto when = parseEventTime(text.substr(at + 1), start);
  if (!when) return std::nullopt;
  return EventArgument{std::string(text.substr(0, at)), {}, *when};
}

std::optional<EventArgument> parseInput(std::string_view text, DateTime start) {
  const std::size_t at = text.rfind('@');
  const std::size_t eq = text.find('=');
  if (at == std::string_view::npos || eq == std::string_view::npos || eq > at) return std::nullopt;
  const auto when = parseEventTime(text.substr(at + 1), start);
  if (!when) return std::nullopt;
  return EventArgument{std::string(text.substr(0, eq)), std::string(text.substr(eq + 1, at - eq - 1)), *when};
}

std::optional<double> parseDegrees(std::string_view text, double bound) {
  const std::optional<double> degrees = parseReal(text);
  if (!degrees || *degrees < -bound || *degrees > bound) return std::nullopt;
  return degrees;
}

}  // namespace kelvaro::cli
