// The wired stations and radio devices behind the simulated control unit: they keep what the
// PC sends them, send the messages their scenario gives at its times, answer polls and probes,
// and the unit reports a wired station that does not answer.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "scenario.h"

namespace kelvaro::sim {

// A frame on its way to the PC and the time its first byte leaves the unit.
struct Outgoing {
  std::uint64_t atMs = 0;
  std::vector<std::uint8_t> frame;
};

struct DeviceState {
  bool silent = false;
  bool batteryLow = false;
  std::array<std::int32_t, 3> values{};    // last value per channel (the TF sends both at once)
  std::vector<std::uint8_t> inputs{0, 0};  // what a poll is answered with
  // Data bytes of the frames the PC sent it, the latest kKeptFrames of receivedCount.
  std::deque<std::vector<std::uint8_t>> received;
  std::size_t receivedCount = 0;
  static constexpr std::size_t kKeptFrames = 1000;
  void keep(std::span<const std::uint8_t> data);
};

// The data bytes (status byte first) of a value message of this device; nothing when its type
// sends no values or the value does not fit its layout. featureLevel is the unit's, as the PC
// computes it from the identification reply.
std::optional<std::vector<std::uint8_t>> valueMessage(const ScenarioDevice& device, DeviceState& state,
                                                      int channel, std::int32_t value, int featureLevel);

// The checksum byte of a whole frame (at index 3): the low byte of the sum of all after it.
std::uint8_t frameChecksum(std::span<const std::uint8_t> frame);

// The whole frame, checksum filled, in which the unit passes a device's message to the PC.
std::vector<std::uint8_t> frameToPc(const ScenarioDevice& device, std::span<const std::uint8_t> data);

class Stations {
 public:
  // Starts the scenario at startMs of the unit's clock.
  void setScenario(Scenario scenario, std::uint64_t startMs);
  bool active() const { return !m_scenario.devices.empty(); }

  // The frames the scenario sends by nowMs, in order, laid out for the unit's feature level.
  void due(std::uint64_t nowMs, int featureLevel, std::vector<Outgoing>& out);
  // A station (kind 1) or radio (kind 4) frame from the PC, whole and checked; replies go to out.
  void fromPc(std::span<const std::uint8_t> frame, std::uint64_t nowMs, std::vector<Outgoing>& out);

  const Scenario& scenario() const { return m_scenario; }
  const DeviceState& state(std::size_t device) const { return m_states.at(device); }
  // One line per device and one per frame it received, for the --dump option.
  std::string dumpText() const;

 private:
  void wiredFrame(std::span<const std::uint8_t> frame, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void radioFrame(std::span<const std::uint8_t> frame);
  void answer(std::size_t device, std::uint8_t command, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void answerPoll(std::size_t device, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void reportSilent(std::uint8_t address, std::uint8_t channel, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void perform(const ScenarioEvent& event, std::uint64_t atMs, int featureLevel, std::vector<Outgoing>& out);

  Scenario m_scenario;
  std::vector<DeviceState> m_states;
  std::uint64_t m_startMs = 0;
  std::size_t m_next = 0;  // the first event not yet performed
};

}  // namespace kelvaro::sim
