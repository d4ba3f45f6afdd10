// The devices behind the simulated control unit. Their messages are laid out the way the PC's
// decoders read them; where the PC does not look (the radio status values of most devices) the
// choice is ours and documented in docs/scenario.md.
#include "stations.h"

#include <cstdio>
#include <cstdlib>

#include "text/hex_text.h"

namespace kelvaro::sim {
namespace {

constexpr std::uint8_t kPcAddress = 1;
constexpr std::uint8_t kRadioValue = 0xA0;
constexpr std::uint8_t kBatteryReport = 0x60;  // bit 6 without bit 7: a value message with no value
constexpr std::uint8_t kInputState = 0xC0;
constexpr std::uint8_t kErrorReport = 0xFE;
constexpr std::uint8_t kPoll = 0xC0;
constexpr std::uint8_t kAcknowledge = 0x89;
constexpr std::uint8_t kProbe = 0x80;
constexpr std::uint8_t kPresent = 0x83;
constexpr int kFeatureLevelBcd = 120;
// The configuration and test commands a wired station takes, and its answers.
constexpr std::uint8_t kReadConfiguration = 0x88;
constexpr std::uint8_t kWriteConfiguration = 0x87;
constexpr std::uint8_t kConfigurationBlock = 0xC7;  // block number, then 20 positions
constexpr std::uint8_t kWriteSettings = 6;
constexpr std::uint8_t kWriteSpecial = 5;
constexpr std::uint8_t kSetAddress = 0x8D;
constexpr std::uint8_t kSensorTest = 0x8C;
constexpr std::uint8_t kResetStation = 0x8B;
constexpr std::uint8_t kErrorCounter = 0x8A;  // 1 on (with a threshold), 2 off, 3 query
constexpr std::uint8_t kErrorCountInfo = 4;   // second byte of the answer to a query
constexpr std::uint8_t kMeasuredValue = 0xC5;
// The status message a station sends when its configuration button is pressed or its address
// has changed, followed by its type and version: an info message (bit 7) whose low bits name no
// channel, so that a run does not take it for a channel's value.
constexpr std::uint8_t kStatusMessage = 0x80;
constexpr std::uint8_t kFirmwareVersion = 120;  // 1.20
constexpr std::size_t kBlockPositions = 20;
// The stations on a line answer a call to all of them one after another, not at once.
constexpr std::uint64_t kLineTurnMs = 50;
// The sensor test measures one channel after another.
constexpr std::uint64_t kMeasureMs = 100;

std::uint8_t lowByte(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t highByte(std::int32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

// A 16-bit word whose bit 15 is the sign, low byte first.
void pushSignedWord(std::vector<std::uint8_t>& data, std::int32_t v) {
  const std::int32_t word = v < 0 ? (0x8000 | -v) : v;
  data.push_back(lowByte(word));
  data.push_back(highByte(word));
}

bool fits(std::int32_t v, std::int32_t low, std::int32_t high) { return v >= low && v <= high; }

// The HMS100 radio status values: FS20 devices use 1 (the PC masks their command to five bits),
// the room controller 9 (its "i" report is rebuilt by the PC); the sensors any other value.
std::uint8_t radioStatus(int type) {
  if (type == 301) return 9;
  if (type >= 500) return 5;
  return 1;
}

// The HMS100 TF and T temperature as the unit passes it from feature level 120: three BCD
// digits of tenths in data[2] (tens, units) and the low nibble of data[3] (hundreds), the sign
// in bit 7 of data[1]. humidity fills the TF's other nibbles.
void pushBcdClimate(std::vector<std::uint8_t>& data, std::int32_t tenths, std::int32_t humidity) {
  const std::int32_t m = std::abs(tenths);
  data.push_back(tenths < 0 ? 0x80 : 0);
  data.push_back(static_cast<std::uint8_t>((m / 10 % 10) << 4 | (m % 10)));
  data.push_back(static_cast<std::uint8_t>((humidity % 10) << 4 | (m / 100 % 10)));
  data.push_back(static_cast<std::uint8_t>((humidity / 100 % 10) << 4 | (humidity / 10 % 10)));
}

}  // namespace

int configurationBlocks(int typeCode) {
  return (typeCode >= 1 && typeCode <= 30) || typeCode == 101 || typeCode == 102 ? 1 : 2;
}

ConfigurationBlock defaultConfiguration(int typeCode) {
  // Group ports run from 1 to 8, so a new station has port 1 where its type keeps one; every
  // other setting starts at 0 (no group address, function "Ein/Aus", values 0).
  static constexpr std::uint8_t kSwitch[] = {4, 8, 12, 17}, kMeasuring[] = {3, 6}, kButton[] = {2},
                                kSensor[] = {3, 6, 9, 14};
  std::span<const std::uint8_t> ports;
  if (typeCode >= 2 && typeCode <= 4) ports = kSwitch;
  else if (typeCode == 9) ports = kMeasuring;
  else if (typeCode == 7 || typeCode == 8) ports = kButton;
  else if (typeCode == 21 || typeCode == 26) ports = kSensor;
  ConfigurationBlock block{};
  block[1] = static_cast<std::uint8_t>(typeCode);
  block[2] = kFirmwareVersion;
  for (std::uint8_t writeIndex : ports) block[writeIndex + 2u] = 1;
  return block;
}

std::uint8_t frameChecksum(std::span<const std::uint8_t> frame) {
  unsigned s = 0;
  for (auto b : frame.subspan(4)) s += b;
  return static_cast<std::uint8_t>(s);
}

void DeviceState::keep(std::span<const std::uint8_t> data) {
  // A day's run sends a station many frames; the dump is rewritten after each, so only the
  // latest are kept.
  if (received.size() == kKeptFrames) received.pop_front();
  received.emplace_back(data.begin(), data.end());
  ++receivedCount;
}

std::optional<std::vector<std::uint8_t>> valueMessage(const ScenarioDevice& device, DeviceState& state,
                                                      int channel, std::int32_t value, int featureLevel) {
  // valueMessage -> status byte, then the type's value bytes
  const int type = device.typeCode;
  std::vector<std::uint8_t> data;
  switch (type) {
    case 2: case 3: case 4:
      if (!fits(value, 0, 255) || !fits(channel, 1, 63)) return std::nullopt;
      // The switch stations ask to be acknowledged (bit 6) and name the channel in the status.
      return std::vector<std::uint8_t>{static_cast<std::uint8_t>(0x40 | channel), lowByte(value)};
    case 7:
      if (!fits(value, 0, 255)) return std::nullopt;
      return std::vector<std::uint8_t>{0, lowByte(value)};
    case 9:
      if (!fits(value, 0, 65535) || !fits(channel, 1, 63)) return std::nullopt;
      return std::vector<std::uint8_t>{static_cast<std::uint8_t>(channel), lowByte(value), highByte(value)};
    case 21: case 26:
      if (!fits(value, -32767, 32767) || !fits(channel, 1, 63)) return std::nullopt;
      data.push_back(static_cast<std::uint8_t>(channel));
      pushSignedWord(data, value);
      return data;
    case 401: case 557:
      if (!fits(value, 0, 255)) return std::nullopt;
      return std::vector<std::uint8_t>{kRadioValue, lowByte(value)};
    case 553:
      // The water sensor's level is reported as a magnitude the PC negates.
      if (!fits(value, -255, 0)) return std::nullopt;
      return std::vector<std::uint8_t>{kRadioValue, lowByte(-value)};
    case 554: case 555: case 556: case 565:
      if (!fits(value, 0, 1)) return std::nullopt;
      return std::vector<std::uint8_t>{kRadioValue, static_cast<std::uint8_t>(value)};
    case 552:
    case 551: {
      if (!fits(channel, 1, type == 551 ? 2 : 1)) return std::nullopt;
      if (channel == 1 && !fits(value, -999, 999)) return std::nullopt;
      if (channel == 2 && !fits(value, 0, 999)) return std::nullopt;
      state.values[static_cast<std::size_t>(channel)] = value;
      data.push_back(kRadioValue);
      if (featureLevel >= kFeatureLevelBcd) {
        pushBcdClimate(data, state.values[1], type == 551 ? state.values[2] : 0);
      } else {
        pushSignedWord(data, state.values[1]);
        if (type == 551) pushSignedWord(data, state.values[2]);
      }
      return data;
    }
    case 301:
      // The set temperature travels in half degrees; the scenario writes tenths.
      if (!fits(value, 0, 1275)) return std::nullopt;
      return std::vector<std::uint8_t>{kRadioValue, 'i', 'A', static_cast<std::uint8_t>((value * 2 + 5) / 10)};
    default:
      return std::nullopt;
  }
}

std::vector<std::uint8_t> frameToPc(const ScenarioDevice& device, std::span<const std::uint8_t> data) {
  // frameToPc -> 0x81, L, kind, checksum, then the wired or the radio layout
  std::vector<std::uint8_t> frame;
  if (device.wired()) {
    frame = {0x81, 0, 1, 0, kPcAddress, device.address[0]};
    frame.insert(frame.end(), data.begin(), data.end());
  } else {
    const std::uint8_t status = radioStatus(device.typeCode);
    const std::uint8_t first = data.empty() ? 0 : data[0];
    frame = {0x81, 0, 4, 0, status, status, first, kPcAddress, device.address[0], device.address[1], device.address[2], 0};
    const bool report = device.typeCode == 301 && data.size() == 4 && data[1] == 'i';
    if (report) {
      // The room controller's report: its two address bytes, then "A" where a third would be,
      // and after the ignored byte "i" and the value.
      frame[10] = data[2];
      frame.push_back(data[1]);
      frame.push_back(data[3]);
    } else if (data.size() > 1) {
      frame.insert(frame.end(), data.begin() + 1, data.end());
    }
  }
  frame[1] = static_cast<std::uint8_t>(frame.size() - 2);
  frame[3] = frameChecksum(frame);
  return frame;
}

void Stations::setScenario(Scenario scenario, std::uint64_t startMs) {
  m_scenario = std::move(scenario);
  m_states.assign(m_scenario.devices.size(), DeviceState{});
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i) {
    const ScenarioDevice& d = m_scenario.devices[i];
    if (!d.wired()) continue;
    m_states[i].configuration = defaultConfiguration(d.typeCode);
    m_states[i].declaredAddress = d.address[0];
  }
  m_startMs = startMs;
  m_next = 0;
}

void Stations::due(std::uint64_t nowMs, int featureLevel, std::vector<Outgoing>& out) {
  while (m_next < m_scenario.events.size()) {
    const ScenarioEvent& event = m_scenario.events[m_next];
    const std::uint64_t at = m_startMs + event.atMs;
    if (at > nowMs) break;
    ++m_next;
    perform(event, at, featureLevel, out);
  }
}

void Stations::perform(const ScenarioEvent& event, std::uint64_t atMs, int featureLevel,
                       std::vector<Outgoing>& out) {
  const ScenarioDevice& device = m_scenario.devices[event.device];
  DeviceState& state = m_states[event.device];
  auto send = [&](std::span<const std::uint8_t> data) {
    if (!state.silent) out.push_back({atMs, frameToPc(device, data)});
  };
  switch (event.kind) {
    case ActionKind::Silent:
      state.silent = true;
      return;
    case ActionKind::Answers:
      state.silent = false;
      return;
    case ActionKind::Battery:
      // Nothing is sent now: the warning comes with the device's next report.
      state.batteryLow = event.value != 0;
      return;
    case ActionKind::Input:
      state.inputs = event.bytes;
      answerPoll(event.device, atMs, out);
      return;
    case ActionKind::Raw:
      send(event.bytes);
      return;
    case ActionKind::Button: sendStatus(event.device, atMs, out); return;
    case ActionKind::Errors: state.errorCount = static_cast<std::uint8_t>(event.value); return;
    case ActionKind::Value: {
      const auto data = valueMessage(device, state, event.channel, event.value, featureLevel);
      if (!data) return;  // the parser has refused such values already
      // The sensor test reports the last value of each of the first four channels.
      if (device.wired() && event.channel >= 1 && event.channel <= 4)
        state.values[static_cast<std::size_t>(event.channel)] = event.value;
      // A weak battery is announced before every report, as the value itself cannot carry it.
      const std::uint8_t report[] = {kBatteryReport};
      if (state.batteryLow) send(report);
      send(*data);
      return;
    }
  }
}

void Stations::answerPoll(std::size_t device, std::uint64_t nowMs, std::vector<Outgoing>& out) {
  const DeviceState& state = m_states[device];
  if (state.silent) return;
  std::vector<std::uint8_t> data{kInputState};
  data.insert(data.end(), state.inputs.begin(), state.inputs.end());
  out.push_back({nowMs, frameToPc(m_scenario.devices[device], data)});
}

void Stations::sendStatus(std::size_t device, std::uint64_t nowMs, std::vector<Outgoing>& out) {
  const DeviceState& state = m_states[device];
  if (state.silent) return;
  const std::uint8_t data[] = {kStatusMessage, state.configuration[1], state.configuration[2]};
  out.push_back({nowMs, frameToPc(m_scenario.devices[device], data)});
}

void Stations::reportSilent(std::uint8_t address, std::uint8_t channel, std::uint64_t nowMs,
                            std::vector<Outgoing>& out) {
  // The unit repeats its report: the PC takes a single one for a passing disturbance.
  ScenarioDevice unitSide;
  unitSide.typeCode = 2;
  unitSide.address[0] = address;
  const std::uint8_t data[] = {kErrorReport, address, channel};
  for (int i = 0; i < 2; ++i) out.push_back({nowMs, frameToPc(unitSide, data)});
}

void Stations::fromPc(std::span<const std::uint8_t> frame, std::uint64_t nowMs, std::vector<Outgoing>& out) {
  if (!active() || frame.size() < 7) return;
  if (frame[2] == 1) wiredFrame(frame, nowMs, out);
  else if (frame[2] == 4) radioFrame(frame);
}

void Stations::wiredFrame(std::span<const std::uint8_t> frame, std::uint64_t nowMs, std::vector<Outgoing>& out) {
  // wiredFrame -> 0x81, L, 1, checksum, station address, 1, data
  const std::uint8_t address = frame[4];
  const auto data = frame.subspan(6);
  if (address == 0) {
    // A poll or probe of the whole line (the line search): every station that is there
    // answers, one after another. Nothing else is taken from address 0: a command meant for
    // one station must not reach them all.
    if (data[0] != kPoll && data[0] != kProbe) return;
    std::uint64_t at = nowMs;
    for (std::size_t i = 0; i < m_scenario.devices.size(); ++i) {
      if (!m_scenario.devices[i].wired() || m_states[i].silent) continue;
      answer(i, data, at, out);
      at += kLineTurnMs;
    }
    return;
  }
  // Two stations can share an address (one was moved onto the other's): both hear the frame.
  std::vector<std::size_t> there;
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i)
    if (m_scenario.devices[i].wired() && m_scenario.devices[i].address[0] == address) there.push_back(i);
  bool answered = false;
  for (std::size_t i : there) {
    m_states[i].keep(data);
    if (m_states[i].silent) continue;
    answer(i, data, nowMs, out);
    answered = true;
  }
  if (!answered) {
    // The channel the PC addressed: the acknowledged one, or the channel byte of a state output.
    std::uint8_t channel = 0;
    if (data[0] == kAcknowledge && data.size() >= 2) channel = data[1] & 0x7F;
    else if (data.size() == 2 && data[0] < 0x80) channel = data[0];
    reportSilent(address, channel, nowMs, out);
  }
}

void Stations::answer(std::size_t device, std::span<const std::uint8_t> data, std::uint64_t nowMs,
                      std::vector<Outgoing>& out) {
  // answer: polls get the input state, probes the type, the configuration and test commands
  // their answers; outputs and acknowledgements are only kept. Too short a command is ignored.
  ScenarioDevice& d = m_scenario.devices[device];
  DeviceState& s = m_states[device];
  const auto send = [&](std::span<const std::uint8_t> message, std::uint64_t at) {
    out.push_back({at, frameToPc(d, message)});
  };
  switch (data[0]) {
    case kPoll: answerPoll(device, nowMs, out); return;
    case kProbe: {
      const std::uint8_t present[] = {kPresent, static_cast<std::uint8_t>(d.typeCode)};
      send(present, nowMs);
      return;
    }
    case kReadConfiguration:
      for (int n = 0; n < configurationBlocks(d.typeCode); ++n) {
        std::vector<std::uint8_t> block{kConfigurationBlock, static_cast<std::uint8_t>(n)};
        const auto first = s.configuration.begin() + 1 + n * static_cast<long>(kBlockPositions);
        block.insert(block.end(), first, first + static_cast<long>(kBlockPositions));
        send(block, nowMs);
      }
      return;
    case kWriteConfiguration:
      if (data.size() >= 2 && data[1] == kWriteSettings) {
        // Write index i lands at position i + 2, behind the type and the version; what goes
        // beyond the block is lost.
        for (std::size_t i = 2; i < data.size() && i + 1 <= kConfigurationPositions; ++i)
          s.configuration[i + 1] = data[i];
      } else if (data.size() >= 4 && data[1] == kWriteSpecial && (d.typeCode == 21 || d.typeCode == 26)) {
        s.special = std::array<std::uint8_t, 2>{data[2], data[3]};
      }
      return;
    case kSetAddress:
      // A station takes only an address a station may have, and reports from there.
      if (data.size() >= 2 && data[1] >= 4 && data[1] <= 253) {
        d.address[0] = data[1];
        sendStatus(device, nowMs, out);
      }
      return;
    case kSensorTest:
      for (std::size_t channel = 1; channel <= 4; ++channel) {
        // The value as the station's own messages carry it: 16 bits, bit 15 the sign.
        const std::int32_t v = s.values[channel];
        const std::int32_t word = (v < 0 ? 0x8000 | (-v & 0x7FFF) : v) & 0xFFFF;
        const std::uint8_t message[] = {kMeasuredValue, static_cast<std::uint8_t>(2u << channel), lowByte(word),
                                        highByte(word)};
        send(message, nowMs + channel * kMeasureMs);
      }
      return;
    case kResetStation: ++s.resets; return;
    case kErrorCounter:
      if (data.size() >= 3 && data[1] == 1) {
        s.errorCounterOn = true;
        s.errorThreshold = data[2];
      } else if (data.size() >= 2 && data[1] == 2) {
        s.errorCounterOn = false;
      } else if (data.size() >= 2 && data[1] == 3) {
        const std::uint8_t count[] = {kErrorCounter, kErrorCountInfo, s.errorCount};
        send(count, nowMs);
      }
      return;
    default: return;
  }
}

void Stations::radioFrame(std::span<const std::uint8_t> frame) {
  // radioFrame -> 0x81, L, 4, checksum, 2, 1, 1 and three address bytes, or 0x83 and two
  // Kind 4 in the wired layout to 0xC9 is meant for the unit's radio part, not for a device.
  if (frame[4] == 0xC9) return;
  const bool roomController = frame[6] == 0x83;
  const std::size_t begin = roomController ? 9 : 10;
  if (frame.size() < begin) return;
  const std::array<std::uint8_t, 3> address{frame[7], frame[8], roomController ? std::uint8_t{0} : frame[9]};
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i) {
    const ScenarioDevice& d = m_scenario.devices[i];
    // Radio has no answer: a silent device simply does not hear it.
    if (d.wired() || d.address != address || (d.typeCode == 301) != roomController || m_states[i].silent) continue;
    m_states[i].keep(frame.subspan(begin));
  }
}

std::string Stations::dumpText() const {
  std::string text;
  char line[96];
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i) {
    const ScenarioDevice& d = m_scenario.devices[i];
    const DeviceState& s = m_states[i];
    std::snprintf(line, sizeof line, "device %s type %d silent %d battery %d received %zu\n", d.addressText().c_str(),
                  d.typeCode, s.silent ? 1 : 0, s.batteryLow ? 1 : 0, s.receivedCount);
    text += line;
    for (const auto& data : s.received) text += "  got" + (data.empty() ? "" : " " + hexBytes(data)) + "\n";
  }
  return text;
}

std::string Stations::configurationText() const {
  std::string text;
  char line[160];
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i) {
    const ScenarioDevice& d = m_scenario.devices[i];
    if (!d.wired()) continue;
    const DeviceState& s = m_states[i];
    std::string moved;
    if (d.address[0] != s.declaredAddress) moved = " was " + std::to_string(s.declaredAddress);
    const std::string special = s.special ? hexBytes(*s.special) : "-";
    std::snprintf(line, sizeof line, "station %s%s resets %d errors %s threshold %u count %u special %s\n",
                  d.addressText().c_str(), moved.c_str(), s.resets, s.errorCounterOn ? "on" : "off",
                  static_cast<unsigned>(s.errorThreshold), static_cast<unsigned>(s.errorCount), special.c_str());
    text += line;
    for (std::size_t n = 0; n * kBlockPositions < kConfigurationPositions; ++n)
      text +=
          "  block " + std::to_string(n) + " " +
          hexBytes(std::span<const std::uint8_t>(s.configuration).subspan(1 + n * kBlockPositions, kBlockPositions)) +
          "\n";
  }
  return text;
}

}  // namespace kelvaro::sim
