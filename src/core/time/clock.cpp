// The system clock: local time as a day count, and a steady millisecond counter.
#include "time/clock.h"

#include <chrono>
#include <ctime>

namespace kelvaro {

DateTime SystemClock::now() const {
  using namespace std::chrono;
  const auto stamp = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(stamp);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms = duration_cast<milliseconds>(stamp.time_since_epoch()).count() % 1000;
  const DateTime date = encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).value_or(0.0);
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second reads as :59
  return date + encodeTime(local.tm_hour, local.tm_min, second, static_cast<int>(ms)).value_or(0.0);
}

std::uint64_t SystemClock::monotonicMs() const {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace kelvaro
