// The simulated control unit.
#include "control_unit.h"

#include <algorithm>
#include <cstdio>

#include "hardware/protocol.h"
#include "hardware/unit_types.h"
#include "text/cp1252.h"

namespace kelvaro::sim {
namespace {

// 9600 baud, ten bits a byte.
std::uint64_t byteArrivalMs(std::uint64_t start, std::size_t index) { return start + ((index + 1) * 1042 + 999) / 1000; }

// The radio part's commands: a read of count bytes from an address, and a write of one byte,
// each with a check byte (the address, or the byte written, XOR 0x55).
constexpr std::uint8_t kRadioRead = 0x84;
constexpr std::uint8_t kRadioWrite = 0x83;
constexpr std::uint8_t kRadioCheck = 0x55;
constexpr std::uint8_t kCentralCodeAddress = 1;
constexpr std::uint8_t kHidden[] = {kRadioWrite, 'R', 2, 1, 7};

// The frames of the telephone link and the telephone.
constexpr std::uint8_t kModemText = 0xFE;  // then the text, both ways
constexpr std::uint8_t kEndLink = 'H';     // over a link; on a cable the same bytes set up the modem
constexpr std::uint8_t kAskPassword = 'J';
constexpr std::uint64_t kPasswordRequestDelayMs = 1000;
constexpr std::uint8_t kPassword = 'K';  // then 6 characters, blank-padded
constexpr std::uint8_t kWrongPassword = 'L';
constexpr std::uint8_t kRemoteVisualisation[] = {'?', 0, 7, '?', 18};
// Configuration positions of the remote password and of the modem's connect message.
constexpr std::size_t kPasswordLength = 65, kPasswordText = 66, kConnectLength = 39, kConnectText = 40;
constexpr std::size_t kPasswordSize = 6;
// The unit hangs up a second after its "H", so that the frame reaches the PC first.
constexpr std::uint64_t kHangupDelayMs = 1000;
// Keys pressed without a "#" to end them are kept up to this many, the latest.
constexpr std::size_t kMaxKeys = 64;

// A modem text for the dump: control characters as \r, \n or \xHH.
std::string printable(std::string_view text) {
  std::string out;
  char hex[8];
  for (const char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (b < 0x20 || b == 0x7F || c == '"' || c == '\\') {
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(b));
      out += hex;
    } else out += c;
  }
  return out;
}

}  // namespace

ControlUnit::ControlUnit(UnitConfig config)
    : centralCode(config.centralCode), m_config(std::move(config)), m_random(m_config.faults.seed) {
  // The unit knows the devices it was set up with; the image names only where they are.
  firmware.deviceType = [this](const DeviceAddress& at) {
    for (const ScenarioDevice& d : m_stations.scenario().devices) {
      if (at.line == kKindStation && d.wired() && d.address[0] == at.address[0]) return d.typeCode;
      if (at.line == kKindRadio && !d.wired() && d.address == at.address) return d.typeCode;
    }
    return 0;
  };
}

void ControlUnit::pcLines(bool dtr, bool, std::uint64_t nowMs) {
  if (dtr != m_dtr) m_dtrChangedMs = nowMs;
  m_dtr = dtr;
}

int ControlUnit::modemLines(std::uint64_t nowMs) {
  if (m_config.faults.silent || m_config.faults.unplugged) return 0;
  if (!usesHandshake()) return 1 | 2;  // CTS and DSR: ready, never the hand-shake answer
  // The older units hold carrier and answer DTR low with CTS a moment later.
  int lines = 8;
  if (!m_dtr && nowMs - m_dtrChangedMs >= 2) lines |= 1;
  return lines;
}

void ControlUnit::toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) {
  if (m_config.faults.unplugged) {
    m_out.clear();
    return;
  }
  playScenario(nowMs);
  runFirmware(nowMs);
  while (!m_out.empty() && m_out.front().atMs <= nowMs) {
    out.push_back(m_out.front().byte);
    m_out.pop_front();
  }
}

void ControlUnit::fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) {
  if (m_config.faults.unplugged) return;
  // The scenario first: a station silent from now on must not answer this frame.
  playScenario(nowMs);
  runFirmware(nowMs);
  for (std::uint8_t b : bytes) {
    if (m_rx.empty()) {
      if (b == 0x81) m_rx.push_back(b);
      continue;
    }
    m_rx.push_back(b);
    if (m_rx.size() == 2) {
      if (b < 2) m_rx.clear();
      m_rxNeed = static_cast<std::size_t>(b) + 2;
      continue;
    }
    if (m_rx.size() == m_rxNeed) {
      const std::vector<std::uint8_t> frame = std::move(m_rx);
      m_rx.clear();
      if (frame[3] != frameChecksum(frame)) {
        ++badFrames;
        continue;
      }
      frames.push_back(frame);
      handleFrame(frame, nowMs);
    }
  }
}

int ControlUnit::featureLevel() const {
  return featureLevelOf(m_config.replyCode, decodeVersion(m_config.versionByte));
}

void ControlUnit::playScenario(std::uint64_t nowMs) {
  std::vector<Outgoing> due;
  m_stations.due(nowMs, featureLevel(), due);
  // A radio PC interface has no wired line: its wired stations' messages reach no one.
  if (isRadioInterface()) std::erase_if(due, [](const Outgoing& o) { return o.frame[2] == kKindStation; });
  // A unit that runs a program takes its devices' messages itself, each at its own time.
  if (firmware.running()) {
    for (const Outgoing& o : due) {
      runFirmware(o.atMs);
      if (auto message = stationMessage(o.frame)) firmware.fromStation(*message);
    }
    due.clear();
  }
  transmit(due, 0);
  while (m_nextLineEvent < m_lineEvents.size() && m_scenarioStartMs + m_lineEvents[m_nextLineEvent].atMs <= nowMs) {
    const LineEvent& event = m_lineEvents[m_nextLineEvent++];
    lineEvent(event, m_scenarioStartMs + event.atMs);
  }
}

void ControlUnit::setScenario(Scenario scenario, std::uint64_t startMs) {
  // The modem's own events belong to the modem in front of the unit.
  m_lineEvents = std::move(scenario.lineEvents);
  std::erase_if(m_lineEvents, [](const LineEvent& e) {
    return e.kind == LineAction::ModemCall || e.kind == LineAction::ModemHangup;
  });
  m_nextLineEvent = 0;
  m_scenarioStartMs = startMs;
  m_stations.setScenario(std::move(scenario), startMs);
}

void ControlUnit::reply(std::vector<std::uint8_t> data, std::uint64_t nowMs) {
  send(std::move(data), nowMs + m_config.replyDelayMs);
}

void ControlUnit::send(std::vector<std::uint8_t> data, std::uint64_t startMs) {
  std::vector<std::uint8_t> frame = {0x81, static_cast<std::uint8_t>(data.size() + 4), 0xC9, 0, 1, 2};
  frame.insert(frame.end(), data.begin(), data.end());
  frame[3] = frameChecksum(frame);
  transmit(std::move(frame), startMs);
}

void ControlUnit::transmit(std::vector<Outgoing>& frames, std::uint64_t delayMs) {
  for (auto& f : frames) transmit(std::move(f.frame), f.atMs + delayMs);
}

void ControlUnit::transmit(std::vector<std::uint8_t> frame, std::uint64_t startMs) {
  if (m_config.faults.silent) return;
  if (m_config.faults.wrongChecksum) ++frame[3];
  std::vector<std::uint8_t> wire;
  if (m_config.faults.noise) {
    const int count = static_cast<int>(m_random() % 8) + 1;
    for (int i = 0; i < count; ++i) {
      std::uint8_t n = static_cast<std::uint8_t>(m_random());
      wire.push_back(n == 0x81 ? 0x7E : n);
    }
  }
  wire.insert(wire.end(), frame.begin(), frame.end());
  std::uint64_t start = std::max(startMs, m_out.empty() ? 0 : m_out.back().atMs);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::size_t index = 0;
  for (std::uint8_t b : wire) {
    const std::uint64_t at = byteArrivalMs(start, index++);
    if (m_config.faults.dropRate > 0 && chance(m_random) < m_config.faults.dropRate) continue;
    m_out.push_back({at, b});
  }
}

void ControlUnit::handleFrame(const std::vector<std::uint8_t>& frame, std::uint64_t nowMs) {
  // handleFrame: the commands of the control unit, by their first data byte
  if (frame.size() < 7) return;
  // Locked until the caller over the link has given the password.
  if (m_passwordAwaited && !(frame[2] == 0xC9 && (frame[6] == kPassword || frame[6] == kEndLink))) return;
  if (frame[2] != 0xC9) {
    if (m_config.faults.identifyOnly) return;
    // Kind 4 in the wired layout to 0xC9 is meant for the radio part itself.
    if (frame[2] == kKindRadio && frame[4] == 0xC9) {
      if (hasRadioPart()) radioPart(std::span<const std::uint8_t>(frame).subspan(6), nowMs);
      return;
    }
    if (frame[2] == kKindStation && isRadioInterface()) return;
    // A value or a click from the visualisation, addressed by the object's unit number.
    if (frame[6] == 0xFF && firmware.fromVisualisation(static_cast<std::uint16_t>(frame[2] << 8 | frame[4]),
                                                      std::span<const std::uint8_t>(frame).subspan(6)))
      return;
    // Passed on to the stations and radio devices behind the unit.
    std::vector<Outgoing> replies;
    m_stations.fromPc(frame, nowMs, replies);
    transmit(replies, m_config.replyDelayMs);
    return;
  }
  const std::span<const std::uint8_t> data = std::span<const std::uint8_t>(frame).subspan(6);
  if (m_config.faults.identifyOnly && data[0] != 0x1F) return;
  // A radio PC interface knows no program, clock or configuration of its own.
  if (isRadioInterface() && data[0] != 0x1F && data[0] != 'A' && data[0] != 'B') return;
  if (linkFrame(data, nowMs)) return;
  switch (data[0]) {
    case 0x1F: {
      std::vector<std::uint8_t> r = {0x1F, static_cast<std::uint8_t>(m_config.replyCode), m_config.versionByte};
      r.insert(r.end(), m_config.extra.begin(), m_config.extra.end());
      r.insert(r.end(), m_config.capability.begin(), m_config.capability.end());
      reply(std::move(r), nowMs);
      break;
    }
    case 0x20:
      clock.assign(data.begin() + 1, data.end());
      if (data.size() >= 7) {
        const auto date = encodeDate(2000 + data[1], data[2], data[3]);
        const auto time = encodeTime(data[4], data[5], data[6]);
        if (date && time) firmware.setClock(*date + *time);
      }
      break;
    case 'A':
    case 'B':
      // The station dialogs' configuration mode. A radio PC interface has none; a frame sent
      // to it all the same is recorded like any other, so that a test sees it.
      configurationMode = data[0] == 'A';
      ++configurationModeFrames;
      break;
    case 0x29:
      // A new program is on its way: the old one stops.
      firmware.unload();
      prepared = true;
      loadEnded = false;
      programBlocks = 0;
      break;
    case 0x36:
      if (data.size() >= 3) loadBase = data[1] << 8 | data[2];
      loadEnd = loadBase;
      break;
    case 0x37:
      if (data.size() == 75) {
        std::copy(data.begin() + 1, data.end(), configuration.begin() + 1);
        configurationWritten = true;
        firmware.setClockCorrection(configuration[1]);
      } else if (loadEnd >= 0) {
        // 100 program bytes; the frame carries one more, which means nothing.
        for (std::size_t i = 1; i < data.size() && i <= 100 && loadEnd < 0x10000; ++i)
          memory[static_cast<std::size_t>(loadEnd++)] = data[i];
        ++programBlocks;
      }
      break;
    case 0x38:
      loadEnded = true;
      if (firmware.load(memory, loadBase, loadEnd)) firmware.start();
      break;
    case 0x39:
      programName.assign(data.begin() + 1, data.begin() + static_cast<long>(std::min<std::size_t>(data.size(), 9)));
      break;
    case 0x50:
      if (data.size() >= 2) {
        configuration[1] = data[1];
        firmware.setClockCorrection(configuration[1]);
      }
      break;
    case 0x51: {
      std::vector<std::uint8_t> r = {'Q'};
      r.insert(r.end(), configuration.begin() + 1, configuration.end());
      reply(std::move(r), nowMs);
      break;
    }
    case 0x30: case 0x31: case 0x32: case 0x33: case 0x48:
      actions.push_back(data[0]);
      if (data[0] == 0x30 && firmware.loaded()) {
        savedProgram = memory, savedBase = loadBase, savedEnd = loadEnd;
      } else if (data[0] == 0x31) {
        restartProgram();
      } else if (data[0] == 0x32) {
        firmware.unload();
        savedProgram.clear(), savedBase = savedEnd = -1;
      } else if (data[0] == 0x33) {
        firmware.stop();
      }
      reply({0x0A, 0}, nowMs);
      break;
    case 0x3F: {
      std::vector<std::uint8_t> r(83, 0);
      r[0] = '?';
      r[5] = 7;
      r[6] = m_config.versionByte;
      r[7] = 24, r[8] = 12, r[9] = 6, r[10] = 1;
      for (std::size_t i = 0; i < 7; ++i)
        r[76 + i] = i < m_config.firmwareText.size() ? static_cast<std::uint8_t>(m_config.firmwareText[i]) : ' ';
      reply(std::move(r), nowMs);
      break;
    }
    case 0x64:  // "d": the PC shows the visualisation
      firmware.setVisualising(true);
      break;
    case 0x65:  // "e"
      firmware.setVisualising(false);
      break;
    default:
      break;
  }
}

std::optional<StationMessage> ControlUnit::stationMessage(std::span<const std::uint8_t> frame) const {
  StationMessage m;
  if (frame.size() >= 7 && frame[2] == kKindStation) {
    // 0x81, L, 1, checksum, the PC's address, the station's, then the data.
    m.from = {kKindStation, {frame[5], 0, 0}};
    m.data.assign(frame.begin() + 6, frame.end());
  } else if (frame.size() >= 12 && frame[2] == kKindRadio) {
    // 0x81, L, 4, checksum, two status bytes, the first data byte, the PC's address, three
    // address bytes, 0, the rest of the data. The room controller's report has "A" in place
    // of the third address byte and "i" before its value.
    m.from = {kKindRadio, {frame[8], frame[9], frame[10]}};
    if (frame.size() == 14 && frame[12] == 'i') {
      m.from.address[2] = 0;
      m.data = {frame[6], frame[12], frame[10], frame[13]};
    } else {
      m.data.assign(frame.begin() + 11, frame.end());
      m.data[0] = frame[6];
    }
  } else {
    return std::nullopt;
  }
  m.typeCode = firmware.deviceType(m.from);
  if (m.typeCode == 0) return std::nullopt;
  return m;
}

void ControlUnit::runFirmware(std::uint64_t nowMs) {
  firmware.setFullAddresses(unitTypeForReply(m_config.replyCode) && unitTypeForReply(m_config.replyCode)->typeCode >= 125);
  firmware.setFeatureLevel(featureLevel());
  firmware.advanceTo(nowMs);
  for (const StationOutput& o : firmware.takeStationOutputs()) {
    // To a wired station: 0x81, L, 1, checksum, its address, 1, data; by radio: 0x81, L, 4,
    // checksum, 2, 1, then 1 and three address bytes, or 0x83 and two for a room controller.
    std::vector<std::uint8_t> frame;
    if (o.to.line == kKindStation)
      frame = {0x81, 0, kKindStation, 0, o.to.address[0], 1};
    else if (o.typeCode == 301)
      frame = {0x81, 0, kKindRadio, 0, 2, 1, 0x83, o.to.address[0], o.to.address[1]};
    else
      frame = {0x81, 0, kKindRadio, 0, 2, 1, 1, o.to.address[0], o.to.address[1], o.to.address[2]};
    frame.insert(frame.end(), o.data.begin(), o.data.end());
    frame[1] = static_cast<std::uint8_t>(frame.size() - 2);
    frame[3] = frameChecksum(frame);
    // What a station answers is for the unit, which has nothing to do with it.
    std::vector<Outgoing> replies;
    m_stations.fromPc(frame, nowMs, replies);
  }
  for (ValueFrame& v : firmware.takeValueFrames()) {
    // 0x81, L, unit number high byte, checksum, low byte, the unit's address, then the data.
    std::vector<std::uint8_t> frame = {0x81, static_cast<std::uint8_t>(v.data.size() + 4),
                                       static_cast<std::uint8_t>(v.unit >> 8), 0,
                                       static_cast<std::uint8_t>(v.unit & 0xFF), 2};
    frame.insert(frame.end(), v.data.begin(), v.data.end());
    frame[3] = frameChecksum(frame);
    transmit(std::move(frame), nowMs);
  }
}

void ControlUnit::restartProgram() {
  // The unit starts again from what it saved; without a saved program, from what it holds.
  if (!savedProgram.empty()) {
    memory = savedProgram, loadBase = savedBase, loadEnd = savedEnd;
    if (firmware.load(memory, loadBase, loadEnd)) firmware.start();
  } else if (firmware.loaded()) {
    firmware.start();
  }
}

void ControlUnit::resetButton(std::uint64_t nowMs) {
  runFirmware(nowMs);
  if (m_dtr) {
    firmware.unload();
    firmware.log.push_back("Programm ignoriert");
  } else {
    restartProgram();
  }
}

bool ControlUnit::linkFrame(std::span<const std::uint8_t> data, std::uint64_t nowMs) {
  // linkFrame: modem texts, the link's password and end, the remote visualisation request
  if (data[0] == kModemText) {
    modemText(std::string(data.begin() + 1, data.end()));
    return true;
  }
  if (data[0] == kEndLink && m_linkUp) {
    if (!m_linkEndMs) endLink(nowMs + kHangupDelayMs);
    return true;
  }
  if (data[0] == kPassword) {
    if (!m_passwordAwaited) return true;
    const std::string given(data.begin() + 1,
                            data.begin() + static_cast<long>(std::min(data.size(), kPasswordSize + 1)));
    if (given == password()) {
      m_passwordAwaited = false;
    } else {
      ++wrongPasswords;
      reply({kWrongPassword}, nowMs);
      reply({kAskPassword}, nowMs);
    }
    return true;
  }
  if (data.size() >= sizeof kRemoteVisualisation &&
      std::equal(data.begin(), data.begin() + sizeof kRemoteVisualisation, kRemoteVisualisation)) {
    // "?", x, 7, "?", x and the program name in 8 characters, blank-padded.
    ++remoteVisualisations;
    std::vector<std::uint8_t> r(data.begin(), data.begin() + sizeof kRemoteVisualisation);
    for (std::size_t i = 0; i < 8; ++i)
      r.push_back(i < programName.size() ? static_cast<std::uint8_t>(programName[i]) : ' ');
    reply(std::move(r), nowMs);
    return true;
  }
  return false;
}

std::string ControlUnit::password() const {
  const std::size_t length = std::min<std::size_t>(configuration[kPasswordLength], kPasswordSize);
  if (length == 0) return {};
  std::string text(configuration.begin() + kPasswordText,
                   configuration.begin() + static_cast<long>(kPasswordText + length));
  text.resize(kPasswordSize, ' ');
  return text;
}

void ControlUnit::linkUp(std::uint64_t nowMs) {
  // A line just up carries no half frame from before.
  m_rx.clear();
  m_linkUp = true;
  m_linkEndMs.reset();
  ++links;
  m_passwordAwaited = !password().empty();
  // A unit asks only once its modem has settled on the line, a second after the carrier: the
  // PC's modem window is still reading the modem's CONNECT until then and empties its input.
  if (m_passwordAwaited) send({kAskPassword}, nowMs + kPasswordRequestDelayMs);
}

void ControlUnit::linkDown() {
  m_rx.clear();
  m_linkUp = false;
  m_passwordAwaited = false;
  m_linkEndMs.reset();
}

void ControlUnit::endLink(std::uint64_t atMs) { m_linkEndMs = atMs; }

void ControlUnit::lineEvent(const LineEvent& event, std::uint64_t atMs) {
  // lineEvent: the unit ends the link, or the telephone at its modem rings, keys, hangs up
  const auto text = [&](std::string_view t) {
    std::vector<std::uint8_t> data{kModemText};
    data.insert(data.end(), t.begin(), t.end());
    send(std::move(data), atMs);
  };
  switch (event.kind) {
    case LineAction::UnitHangup:
      if (!m_linkUp || m_linkEndMs) return;
      send({kEndLink}, atMs);
      endLink(atMs + kHangupDelayMs);
      return;
    case LineAction::PhoneCall: {
      // The modem is busy while it carries the PC's link, or a call already.
      if (m_linkUp || phoneConnected) return;
      phoneConnected = true;
      ++phoneCalls;
      // The modem rings, answers by itself and reports its connect message ("VCON" unless the
      // PC configured another).
      const std::size_t length = std::min<std::size_t>(configuration[kConnectLength], 25);
      std::string connect(configuration.begin() + kConnectText,
                          configuration.begin() + static_cast<long>(kConnectText + length));
      if (connect.empty()) connect = "VCON";
      text("RING\r\n");
      text(connect + "\r\n");
      return;
    }
    case LineAction::PhoneKeys:
      if (!phoneConnected) return;
      // The keys travel to the PC as one text when "#" ends them: that is the command the
      // PC's telephone control reads.
      for (const char key : event.keys) {
        phoneKeys += key;
        if (key == '#') {
          text(phoneKeys);
          phoneKeys.clear();
        }
      }
      if (phoneKeys.size() > kMaxKeys) phoneKeys.erase(0, phoneKeys.size() - kMaxKeys);
      return;
    case LineAction::PhoneHangup:
      if (!phoneConnected) return;
      phoneConnected = false;
      phoneKeys.clear();
      text("NO CARRIER\r\n");
      return;
    case LineAction::ModemCall:
    case LineAction::ModemHangup: return;
  }
}

void ControlUnit::modemText(std::string_view text) {
  modemTexts.emplace_back(text);
  ++modemTextCount;
  if (modemTexts.size() > kKeptTexts) modemTexts.pop_front();
  // The PC hangs up the call with "ATH" (after "+++"); tone commands only sound.
  if (phoneConnected && upperCase(std::string(text)).find("ATH") != std::string::npos) {
    phoneConnected = false;
    phoneKeys.clear();
  }
}

void ControlUnit::radioPart(std::span<const std::uint8_t> data, std::uint64_t nowMs) {
  // radioPart: its memory holds the central code at 1 and the serial number, big-endian, at 4
  // to 7; a read is answered with a radio-interface frame, a write has no answer.
  if (data.size() >= 4 && data[0] == kRadioRead && data[1] == (data[2] ^ kRadioCheck)) {
    std::uint8_t memory[8] = {0, centralCode};
    for (int i = 0; i < 4; ++i) memory[4 + i] = static_cast<std::uint8_t>(m_config.serialNumber >> (24 - 8 * i));
    // 0x81, L, 4, checksum, two status values, the first data byte, the PC's address, the
    // sender's three address bytes, a byte the PC ignores, then the rest of the data: the
    // request's check byte and address echoed, and the bytes read (0 beyond the memory, 16 at
    // most).
    std::vector<std::uint8_t> frame = {0x81, 0, kKindRadio, 0, 0, 0, kRadioRead, 1, 0xC9, 0, 0, 0, data[1], data[2]};
    for (std::size_t i = 0; i < std::min<std::size_t>(data[3], 16); ++i) {
      const std::size_t at = data[2] + i;
      frame.push_back(at < sizeof memory ? memory[at] : 0);
    }
    frame[1] = static_cast<std::uint8_t>(frame.size() - 2);
    frame[3] = frameChecksum(frame);
    transmit(std::move(frame), nowMs + m_config.replyDelayMs);
  } else if (data.size() == sizeof kHidden && std::equal(data.begin(), data.end(), kHidden)) {
    ++hiddenCommands;
  } else if (data.size() >= 5 && data[0] == kRadioWrite && data[2] == kCentralCodeAddress && data[3] == 1 &&
             data[1] == (data[4] ^ kRadioCheck) && data[4] >= 1 && data[4] <= 100) {
    // Only a central code the room controllers know, and only with the right check byte.
    centralCode = data[4];
  }
}

std::vector<std::uint8_t> ControlUnit::programImage() const {
  if (loadBase < 0 || loadEnd <= loadBase) return {};
  return {memory.begin() + loadBase, memory.begin() + loadEnd};
}

std::string ControlUnit::dumpText() const {
  char line[128];
  std::string text;
  std::snprintf(line, sizeof line, "frames %zu bad %d\n", frames.size(), badFrames);
  text += line;
  std::snprintf(line, sizeof line, "load base 0x%04X end 0x%04X blocks %d prepared %d ended %d name \"%s\"\n",
                loadBase < 0 ? 0 : loadBase, loadEnd < 0 ? 0 : loadEnd, programBlocks, prepared ? 1 : 0,
                loadEnded ? 1 : 0, programName.c_str());
  text += line;
  text += "configuration";
  for (std::size_t i = 1; i < configuration.size(); ++i) {
    std::snprintf(line, sizeof line, " %02X", configuration[i]);
    text += line;
  }
  text += "\nclock";
  for (auto b : clock) {
    std::snprintf(line, sizeof line, " %u", static_cast<unsigned>(b));
    text += line;
  }
  text += "\nactions";
  for (auto b : actions) {
    std::snprintf(line, sizeof line, " %02X", b);
    text += line;
  }
  text += "\n";
  text += m_stations.dumpText();
  // What the station and radio dialogs did, after the lines above, which tests read as they are.
  std::snprintf(line, sizeof line, "configuration mode %d frames %d\n", configurationMode ? 1 : 0,
                configurationModeFrames);
  text += line;
  if (hasRadioPart()) {
    std::snprintf(line, sizeof line, "radio part code %u serial %u hidden %d\n", static_cast<unsigned>(centralCode),
                  static_cast<unsigned>(m_config.serialNumber), hiddenCommands);
    text += line;
  }
  text += m_stations.configurationText();
  // The telephone, only once it has been used, so that the lines above end the dump otherwise.
  if (links > 0 || phoneCalls > 0 || modemTextCount > 0) {
    std::snprintf(line, sizeof line, "link up %d links %d password awaited %d wrong %d remote visualisation %d\n",
                  m_linkUp ? 1 : 0, links, m_passwordAwaited ? 1 : 0, wrongPasswords, remoteVisualisations);
    text += line;
    text += "phone connected " + std::to_string(phoneConnected ? 1 : 0) + " calls " + std::to_string(phoneCalls) +
            " keys \"" + phoneKeys + "\" modem texts " + std::to_string(modemTextCount) + "\n";
    for (const auto& t : modemTexts) text += "  modem text \"" + printable(t) + "\"\n";
  }
  return text;
}

}  // namespace kelvaro::sim
