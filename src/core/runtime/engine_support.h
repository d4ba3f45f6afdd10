// What the parts of the engine share: the number and text forms of values it converts
// between. The bytes and system values it reads come from the token table.
#pragma once

#include <cfloat>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "language/token.h"
#include "time/date_time.h"

namespace kelvaro::engine_detail {

inline constexpr std::string_view kWeekdays[] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};

// A double as an int32, NaN as 0 and outside values at the bounds.
std::int32_t clampToInt(double v);
// Rounded to the nearest integer, halves to the even one. Adding and taking away 1.5 * 2^52
// rounds a double of that size in the current rounding mode, to nearest and even, without a
// call into the maths library; it runs after every arithmetic assignment.
static_assert(FLT_EVAL_METHOD == 0, "roundEven needs doubles evaluated as doubles");
inline std::int32_t roundEven(double v) {
  constexpr double kShift = 6755399441055744.0;
  if (v > -2147483648.5 && v < 2147483647.5) return static_cast<std::int32_t>((v + kShift) - kShift);
  return clampToInt(v);  // NaN and numbers beyond an int
}
// A real with its number of decimals, the point as separator.
std::string realText(double value, int decimals);
std::string trimmed(std::string_view t);
// A text read as a decimal number (a comma counts as the point); nothing when it does not read.
std::optional<double> readNumber(std::string_view text);
// The integer of a text compared as a number: its digits, every other character a "0".
std::int32_t digitsValue(std::string_view text);
// A text as a time: a time of day without ".", a date without ":", else date and time.
DateTime textTime(std::string_view text);
DateTime timeOfDay(DateTime v);
bool fileExists(const std::string& name);

}  // namespace kelvaro::engine_detail
