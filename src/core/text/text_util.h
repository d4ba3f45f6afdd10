// Small text operations on Windows-1252 byte strings that the model and the files share.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

// Capacities of the short texts of the model.
inline constexpr std::size_t kShortText64 = 64;
inline constexpr std::size_t kShortText32 = 32;

// A short text [N]: a longer text keeps its first N characters, silently.
std::string shortText(std::string_view text, std::size_t capacity);

std::string trimRight(std::string_view text);  // removes trailing blanks
std::string trimLeft(std::string_view text);   // removes leading blanks

// Equality and order ignoring the case of letters (Windows-1252 aware).
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);

// A decimal integer as the project and settings files hold it: optional blanks around an
// optional sign and digits. Anything else, or a value outside int32, gives nothing.
std::optional<int> parseInt(std::string_view text);
// Like parseInt, but 0 where the text does not parse.
int intOr0(std::string_view text);

// A decimal number as people type it: optional blanks around an optional sign, digits with at
// most one decimal point ("." or ","), and an optional exponent ("1,5", "-.5", "2e3"). Nothing
// for anything else ("nan", "inf", "0x1F", "1.2.3") and for a value too large or too small in
// magnitude for a double, so that no caller ever meets a NaN, an infinity or a value it did
// not mean. Every number the program reads from a person or a file goes through this or
// parseInt; callers that need an int check its range themselves.
std::optional<double> parseReal(std::string_view text);

}  // namespace kelvaro
