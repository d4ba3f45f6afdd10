// Number and text forms of values for the engine.
#include "runtime/engine_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "text/text_util.h"

namespace kelvaro::engine_detail {

std::int32_t clampToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::string realText(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals, 0, 15), value);
  return buf;
}

std::string trimmed(std::string_view t) { return trimLeft(trimRight(t)); }

std::optional<double> readNumber(std::string_view text) { return parseReal(text); }

std::int32_t digitsValue(std::string_view text) {
  long long v = 0;
  for (char c : text) {
    v = v * 10 + ((c >= '0' && c <= '9') ? c - '0' : 0);
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(v);
}

DateTime textTime(std::string_view text) {
  const std::string t = trimmed(text);
  std::optional<DateTime> v;
  if (t.find('.') == std::string::npos) v = parseTime(t);
  else if (t.find(':') == std::string::npos) v = parseDate(t);
  else v = parseDateTime(t);
  return v.value_or(0.0);
}

DateTime timeOfDay(DateTime v) { return v - std::floor(v); }

bool fileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace kelvaro::engine_detail
