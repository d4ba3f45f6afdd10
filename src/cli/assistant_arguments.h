// The arguments the assistants' commands share: times as the time field takes them and
// weekdays by name.
#pragma once

#include <optional>
#include <string>

namespace kelvaro::cli {

inline constexpr const char* kNotAClockTime = "ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)";

// A time given on the command line (hh:mm or hh:mm:ss, a one-digit hour too; with sunTimes also
// SA and SU) as the time field would hold it after leaving it. The field corrects what is typed
// (an hour 27 becomes 23, a second 07 becomes 00); a script gets nothing instead, since a
// silently different time is not what it asked for.
std::optional<std::string> clockField(const std::string& typed, bool sunTimes);

// A weekday by its German name or its first two letters, in any case: 0 = Sonntag … 6 = Samstag.
std::optional<int> weekdayIndex(const std::string& text);

}  // namespace kelvaro::cli
