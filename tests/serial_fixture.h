// A serial line in virtual time for tests: a manual clock that the pump moves on by one
// millisecond, an in-process port to a simulated control unit or to a scripted byte source.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control_unit.h"
#include "hardware/in_process_port.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "support/fake_user_interface.h"
#include "time/clock.h"

namespace kelvaro::test {

// Plays back bytes at fixed times and records what the PC wrote and did with its lines.
class ScriptedDevice final : public SimulatedDevice {
 public:
  void at(std::uint64_t ms, std::vector<std::uint8_t> bytes) {
    for (auto b : bytes) pending.push_back({ms, b});
  }
  void fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) override {
    written.insert(written.end(), bytes.begin(), bytes.end());
    writeTimes.push_back(nowMs);
  }
  void pcLines(bool dtr, bool rts, std::uint64_t) override {
    this->dtr = dtr;
    this->rts = rts;
    ++lineChanges;
  }
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override {
    while (!pending.empty() && pending.front().first <= nowMs) {
      out.push_back(pending.front().second);
      pending.erase(pending.begin());
    }
  }
  int modemLines(std::uint64_t) override { return lines; }

  std::vector<std::pair<std::uint64_t, std::uint8_t>> pending;
  std::vector<std::uint8_t> written;
  std::vector<std::uint64_t> writeTimes;
  bool dtr = false, rts = false;
  int lineChanges = 0;
  int lines = 0;
};

// Port names lead to devices by name: "SIM" and "COMn" mapped in `devices`, others fail.
struct SerialFixture {
  explicit SerialFixture(std::uint64_t startMs = 0) {
    clock.advanceMs(startMs);
    line.resolve = [](std::string_view name) { return PortTarget{false, std::string(name)}; };
  }
  ManualClock clock{45000.5};
  FakeUserInterface ui;
  std::map<std::string, SimulatedDevice*> devices;
  SerialLine line{clock,
                  [this](const PortTarget& t) -> std::unique_ptr<SerialPort> {
                    auto it = devices.find(t.device);
                    if (it == devices.end()) return nullptr;
                    return std::make_unique<InProcessSerialPort>(*it->second, clock);
                  },
                  [this] { clock.advanceMs(1); }, &ui};
  Protocol protocol{line, ui};
};

// The line opened on COM1 to a scripted device.
struct ScriptedLine : SerialFixture {
  explicit ScriptedLine(std::uint64_t startMs = 0) : SerialFixture(startMs) {
    devices["COM1"] = &dev;
    EXPECT_EQ(line.OpenLine("COM1"), 1);
  }
  ScriptedDevice dev;
};

// The header of a frame to the control unit at address 2.
inline FrameHeader unitHeader() {
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Address[0] = 2;
  return h;
}

}  // namespace kelvaro::test
