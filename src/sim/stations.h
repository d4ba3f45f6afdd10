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

// A wired station's configuration block holds positions 1 to 40 (two blocks of 20): position
// 1 is the type code, 2 the firmware version in hundredths, the settings follow.
inline constexpr std::size_t kConfigurationPositions = 40;
using ConfigurationBlock = std::array<std::uint8_t, kConfigurationPositions + 1>;  // [0] unused

// How many blocks of 20 positions a station of this type returns when its configuration is read.
int configurationBlocks(int typeCode);
// What a station of this type holds before anything is written to it.
ConfigurationBlock defaultConfiguration(int typeCode);

struct DeviceState {
  bool silent = false;
  bool batteryLow = false;
  // Last value per channel 1 to 4: the TF sends both of its values at once, and a wired
  // station's sensor test reports all four.
  std::array<std::int32_t, 5> values{};
  std::vector<std::uint8_t> inputs{0, 0};  // what a poll is answered with
  // Wired stations only: what the configuration and test commands set.
  ConfigurationBlock configuration{};
  std::optional<std::array<std::uint8_t, 2>> special;  // the last special configuration written
  std::uint8_t declaredAddress = 0;                    // where the scenario put it; it may have moved
  int resets = 0;
  bool errorCounterOn = false;
  std::uint8_t errorThreshold = 0;
  std::uint8_t errorCount = 0;
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
  // Per wired station its address, test state, special configuration and configuration blocks.
  std::string configurationText() const;

 private:
  void wiredFrame(std::span<const std::uint8_t> frame, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void radioFrame(std::span<const std::uint8_t> frame);
  void answer(std::size_t device, std::span<const std::uint8_t> data, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void sendStatus(std::size_t device, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void answerPoll(std::size_t device, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void reportSilent(std::uint8_t address, std::uint8_t channel, std::uint64_t nowMs, std::vector<Outgoing>& out);
  void perform(const ScenarioEvent& event, std::uint64_t atMs, int featureLevel, std::vector<Outgoing>& out);

  Scenario m_scenario;
  std::vector<DeviceState> m_states;
  std::uint64_t m_startMs = 0;
  std::size_t m_next = 0;  // the first event not yet performed
};

}  // namespace kelvaro::sim
