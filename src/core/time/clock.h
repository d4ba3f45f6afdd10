// Every reading of "now" goes through a Clock, so that tests and fast-forward runs can set it.
#pragma once

#include <cstdint>

#include "time/date_time.h"

namespace kelvaro {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() const = 0;             // local wall-clock time
  virtual std::uint64_t monotonicMs() const = 0;  // for time-outs; never jumps back
};

// The machine's clock in local time.
class SystemClock final : public Clock {
 public:
  DateTime now() const override;
  std::uint64_t monotonicMs() const override;
};

// A clock that only moves when told to: tests and runs in virtual time.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(DateTime start = 0.0) : m_now(start) {}
  DateTime now() const override { return m_now; }
  std::uint64_t monotonicMs() const override { return m_ms; }
  void set(DateTime value) { m_now = value; }
  void advanceMs(std::uint64_t ms) {
    m_ms += ms;
    m_now += static_cast<double>(ms) / (kSecondsPerDay * 1000.0);
  }

 private:
  DateTime m_now;
  std::uint64_t m_ms = 0;
};

}  // namespace kelvaro
