// Text helpers shared by the model, the project file and the settings file.
#include "text/text_util.h"

#include <charconv>
#include <cmath>

#include "text/cp1252.h"

namespace kelvaro {

std::string shortText(std::string_view text, std::size_t capacity) {
  return std::string(text.substr(0, capacity));
}

std::string trimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string trimLeft(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] == ' ') ++begin;
  return std::string(text.substr(begin));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperChar(a[i]) != upperChar(b[i])) return false;
  return true;
}

int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(upperChar(a[i]));
    const auto y = static_cast<unsigned char>(upperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::optional<int> parseInt(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  // A plus sign only in front of a digit: "+-5" is no number.
  if (begin + 1 < end && text[begin] == '+' && text[begin + 1] >= '0' && text[begin + 1] <= '9') ++begin;
  if (begin == end) return std::nullopt;
  int value = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

int intOr0(std::string_view text) { return parseInt(text).value_or(0); }

std::optional<double> parseReal(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  // Longer than any honest number; it also keeps the copy below on the stack.
  constexpr std::size_t kMaxLength = 64;
  if (begin == end || end - begin > kMaxLength) return std::nullopt;

  // Checked here rather than left to from_chars, which also reads "nan", "inf" and more.
  char buffer[kMaxLength];
  std::size_t n = 0, i = begin;
  if (text[i] == '+' || text[i] == '-') {
    if (text[i] == '-') buffer[n++] = '-';
    ++i;
  }
  std::size_t digits = 0;
  bool point = false;
  for (; i < end && text[i] != 'e' && text[i] != 'E'; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      buffer[n++] = c;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
      buffer[n++] = '.';
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < end) {
    buffer[n++] = 'e';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) buffer[n++] = text[i++];
    if (i == end) return std::nullopt;
    for (; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      buffer[n++] = text[i];
    }
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(buffer, buffer + n, value);
  if (ec != std::errc() || ptr != buffer + n || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace kelvaro
