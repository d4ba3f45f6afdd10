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
    case ActionKind::Value: {
      const auto data = valueMessage(device, state, event.channel, event.value, featureLevel);
      if (!data) return;  // the parser has refused such values already
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
    // A poll or probe of the whole line: every station that is there answers.
    for (std::size_t i = 0; i < m_scenario.devices.size(); ++i)
      if (m_scenario.devices[i].wired()) answer(i, data[0], nowMs, out);
    return;
  }
  std::optional<std::size_t> device;
  for (std::size_t i = 0; i < m_scenario.devices.size(); ++i)
    if (m_scenario.devices[i].wired() && m_scenario.devices[i].address[0] == address) device = i;
  if (device) m_states[*device].keep(data);
  if (!device || m_states[*device].silent) {
    // The channel the PC addressed: the acknowledged one, or the channel byte of a state output.
    std::uint8_t channel = 0;
    if (data[0] == kAcknowledge && data.size() >= 2) channel = data[1] & 0x7F;
    else if (data.size() == 2 && data[0] < 0x80) channel = data[0];
    reportSilent(address, channel, nowMs, out);
    return;
  }
  answer(*device, data[0], nowMs, out);
}

void Stations::answer(std::size_t device, std::uint8_t command, std::uint64_t nowMs, std::vector<Outgoing>& out) {
  // Polls get the input state, probes the station's type; outputs are only kept.
  if (command == kPoll) {
    answerPoll(device, nowMs, out);
  } else if (command == kProbe && !m_states[device].silent) {
    const std::uint8_t data[] = {kPresent, static_cast<std::uint8_t>(m_scenario.devices[device].typeCode)};
    out.push_back({nowMs, frameToPc(m_scenario.devices[device], data)});
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

}  // namespace kelvaro::sim
