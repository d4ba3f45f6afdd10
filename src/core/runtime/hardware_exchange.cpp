// The run's exchange with the control unit: frames in before the queue, changed values out after it.
#include "runtime/hardware_exchange.h"

#include "hardware/unit_commands.h"
#include "runtime/run_session.h"
#include "runtime/station_outputs.h"

namespace kelvaro {
namespace {

constexpr std::uint8_t kCommandRunStart = 0x81;
constexpr std::uint8_t kCommandRunEnd = 0x82;
constexpr std::uint8_t kCommandVisualisationStart = 0x64;  // "d"
constexpr std::uint8_t kCommandVisualisationEnd = 0x65;    // "e"
constexpr std::uint8_t kCommandPoll = 0xC0;
constexpr std::uint8_t kUnitTimeRequest = 0xA1;
constexpr std::uint8_t kModemText = 0xFE;
constexpr std::uint8_t kPasswordRequest = 'J';
constexpr std::uint8_t kLinkEnded = 'H';
constexpr std::int32_t kUnitAskingForTime = 11;  // the only unit type that asks the PC for the time
constexpr std::uint8_t kPcAddress = 1;
constexpr std::uint8_t kUnitAddress = 2;

FrameHeader unitHeader() {
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Class = 1;
  h.Address[0] = kUnitAddress;
  return h;
}

}  // namespace

bool ProtocolStationLink::send(int sendMode, const FrameHeader& header, std::span<const std::uint8_t> data) {
  return m_protocol.SendFrame(m_protocol.line().LineHandle, sendMode, header, static_cast<int>(data.size()) + 4,
                              data) > 0;
}

LinkReceive ProtocolStationLink::receive(ReceivedFrame& frame) {
  // A frame the main window's receive timer took is the oldest one.
  if (m_protocol.slot.L != 0) {
    frame = m_protocol.slot;
    m_protocol.clearSlot();
    return LinkReceive::Frame;
  }
  SerialLine& line = m_protocol.line();
  if (line.LineHandle < 0 || line.InputCount() < 1) return LinkReceive::Nothing;
  return m_protocol.ReceiveFrame(line.LineHandle, frame) > 0 ? LinkReceive::Frame : LinkReceive::Failed;
}

bool HardwareExchange::sendToUnit(std::span<const std::uint8_t> data, int sendMode) {
  if (m_link.send(sendMode, unitHeader(), data)) return true;
  m_session.m_ui.beep();
  return false;
}

// readFor -> the unit's replies to a start command, applied as they come
void HardwareExchange::readFor(DateTime days) {
  const Clock& clock = m_session.m_clock;
  const DateTime start = clock.now();
  while (clock.now() - start < days) {
    readInputs();
    m_link.pump();
  }
}

// connect -> the unit learns that a run or a visualisation begins
void HardwareExchange::connect() {
  if (m_session.m_options.visualisation) {
    const std::uint8_t d[] = {kCommandVisualisationStart};
    sendToUnit(d);
    readFor(kVisualisationStartRead);
    return;
  }
  const std::uint8_t start[] = {kCommandRunStart};
  sendToUnit(start);
  m_session.showStatusMessage("Verbindung mit Steuereinheit " + m_link.unit().TypeName + " aufgenommen an " +
                              m_link.unit().PortName);
}

// startPoll -> at every Start of a PC execution the stations of line 1 report their states
void HardwareExchange::startPoll() {
  if (m_session.m_options.visualisation) return;
  const int mask = m_link.lineMask();
  if ((mask & 1) == 0) return;
  m_session.showStatusMessage(mask == 1 ? std::string("Stationen pr\xFC" "fen") : "Leitung 1 wird abgefragt");
  const std::uint8_t poll[] = {kCommandPoll, 0};
  sendToUnit(poll);
  readFor(kStartPollRead);
  m_session.m_statusShown = false;
}

void HardwareExchange::disconnect() {
  if (m_session.m_options.visualisation) {
    const std::uint8_t e[] = {kCommandVisualisationEnd, 2};
    sendToUnit(e);
  } else {
    const std::uint8_t end[] = {kCommandRunEnd};
    sendToUnit(end);
  }
}

// readInputs -> every frame waiting, until the line has none or has failed too often
void HardwareExchange::readInputs() {
  ReceivedFrame frame;
  for (int taken = 0; taken < kMaxFramesPerRead && !m_session.m_engine.abortFlag; ++taken) {
    const LinkReceive r = m_link.receive(frame);
    if (r == LinkReceive::Nothing) return;
    if (r == LinkReceive::Failed) {
      if (++m_failures > kMaxReceiveFailures) {
        m_session.showStatusMessage("Keine Verbindung zur Steuereinheit");
        // Counted afresh, so that the run reads again next cycle and a unit that comes back
        // is heard; one that stays silent is reported again after the next hundred failures.
        m_failures = 0;
        return;
      }
      continue;
    }
    m_failures = 0;
    handleFrame(frame);
  }
}

// handleFrame -> modem text, visualisation value, the unit's own frames, station messages
void HardwareExchange::handleFrame(const ReceivedFrame& frame) {
  const std::span<const std::uint8_t> data = frameData(frame);
  if (data.empty()) return;
  const int kind = frame.receiver.Kind;
  if (kind == kKindUnit && data[0] == kModemText) {
    modemText(data.subspan(1));
    return;
  }
  if (kind == kKindUnit && m_link.modemLinkUp() && (data[0] == kPasswordRequest || data[0] == kLinkEnded)) {
    passwordAwaited(data[0]);
    return;
  }
  m_lastMessage = m_session.m_engine.now();
  if (data[0] == kStatusVisualisation) {
    visualisationValue(frame, data);
    return;
  }
  if (frame.receiver.Address[0] != kPcAddress) return;
  if (kind == kKindUnit) {
    if (data[0] == kUnitTimeRequest && m_link.unit().TypeCode == kUnitAskingForTime) {
      const auto command = unitClockCommand(m_session.m_clock.now());
      FrameHeader h = unitHeader();
      h.Address[0] = kUnitClockAddress;
      if (!m_link.send(kModeUnitClock, h, command)) m_session.m_ui.beep();
    }
    return;
  }
  switch (classifyMessage(data)) {
    case MessageClass::ErrorReport: errorReport(frame, data); break;
    case MessageClass::InputState: inputState(frame, data); break;
    case MessageClass::ValueMessage: valueMessage(frame, data); break;
    case MessageClass::None: break;
  }
}

// modemText -> the modem at the unit is there; a text ending in "#" is a telephone command
void HardwareExchange::modemText(std::span<const std::uint8_t> text) {
  m_session.m_engine.modemReady = true;
  if (text.empty() || text.back() != '#') return;
  std::string command;
  for (const std::uint8_t c : text)
    if (c == '#' || c == '*' || (c >= '0' && c <= '9')) command += static_cast<char>(c);
  if (onTelephoneCommand) onTelephoneCommand(command);
}

// passwordAwaited -> over a telephone link the unit asking for its password means nobody gave
// a valid one: the run is locked; the unit ending the link ends the run
void HardwareExchange::passwordAwaited(std::uint8_t reply) {
  Engine& engine = m_session.m_engine;
  if (reply == kLinkEnded) {
    m_session.abort();
    return;
  }
  // Further requests in the same read would only stack the same box.
  if (engine.stopFlag) return;
  engine.stopFlag = true;
  showError(m_session.m_ui, std::string(kPasswordLockMessage));
}

// sendModemText -> the one way text reaches the modem at the unit
bool HardwareExchange::sendModemText(std::string_view text) {
  std::vector<std::uint8_t> data;
  do {
    const std::string_view part = text.substr(0, kModemTextPerFrame);
    text.remove_prefix(part.size());
    data.assign(1, kModemText);
    data.insert(data.end(), part.begin(), part.end());
    if (!sendToUnit(data)) return false;
  } while (!text.empty());
  return true;
}

void HardwareExchange::setNumber(std::size_t i, std::int32_t v) {
  const auto& objects = m_session.m_engine.compiled().objects;
  if (i >= objects.size()) return;
  m_session.m_engine.setVariable(objects[i].stateSymbol, v, v);
}

// visualisationValue -> the unit's value of the object with the frame's unit number
void HardwareExchange::visualisationValue(const ReceivedFrame& frame, std::span<const std::uint8_t> data) {
  const std::uint16_t address = visualisationAddress(frame);
  Project& project = m_session.m_project;
  Engine& engine = m_session.m_engine;
  for (std::size_t i = 0; i < project.objects.size(); ++i) {
    const TPSObj& o = project.objects[i];
    if (unitNumberOf(o.ObjIDNr, i) != address) continue;
    const auto value = decodeVisualisationValue(data, o.OKind);
    if (!value || i >= engine.compiled().objects.size()) return;
    std::string shown;
    if (const auto* text = std::get_if<std::string>(&*value)) {
      const int symbol = engine.compiled().objects[i].stateSymbol;
      if (symbol < 0 || static_cast<std::size_t>(symbol) >= engine.symbols().size()) return;
      auto* s = std::get_if<TVarStr>(&engine.symbols()[static_cast<std::size_t>(symbol)].value);
      if (!s) return;
      s->Value = *text;
      engine.markChanged(static_cast<int>(i));
      shown = *text;
    } else {
      const std::int32_t v = std::get<std::int32_t>(*value);
      setNumber(i, v);
      shown = std::to_string(v);
    }
    engine.objects()[i].fromHardware = true;
    m_session.protocolInput(static_cast<int>(i), shown);
    return;
  }
}

// valueMessage -> each object that listens to the sender takes its value
void HardwareExchange::valueMessage(const ReceivedFrame& frame, std::span<const std::uint8_t> data) {
  Project& project = m_session.m_project;
  Engine& engine = m_session.m_engine;
  const DateTime now = engine.now();
  for (std::size_t i = 0; i < project.objects.size() && i < engine.objects().size(); ++i) {
    TPSObj& o = project.objects[i];
    if (!objectMatchesSender(o, frame.sender)) continue;
    const StationObject station = receivingView(o);
    const ValueMessage m = decodeValueMessage(data, station, m_link.unit().FeatureLevel);
    ObjectRunState& run = engine.objects()[i];
    ObjectDisplay& display = m_session.m_display[i];
    if (m.radioSeen) {
      run.lastChange = now;
      display.timeout = false;
      o.hardware.timeoutFlag = false;
    }
    if (m.batteryLow) {
      display.battery = true;
      o.hardware.batteryFlag = true;
      m_session.m_captionNote = " Batterie-Warnung von " + o.OName;
    }
    if (m.acknowledge) {
      const OutputMessage ack = acknowledgement(station, frame.sender);
      if (!m_link.send(ack.sendMode, ack.header, ack.data)) m_session.m_ui.beep();
    }
    if (m.protocolLine) m_session.protocolInput(static_cast<int>(i), m.value ? std::to_string(*m.value) : "");
    if (!m.value) continue;
    setNumber(i, *m.value);
    if (m.thermostatValue) {
      // The thermostat reported its own set temperature: nothing to send back to it.
      run.changePending = false;
      run.switched = false;
      engine.requestRefresh(static_cast<int>(i));
    }
    if (o.ExtActiv) engine.enqueue(static_cast<int>(i));
  }
}

// inputState -> the station's inputs; an unchanged value leaves the object alone
void HardwareExchange::inputState(const ReceivedFrame& frame, std::span<const std::uint8_t> data) {
  Project& project = m_session.m_project;
  Engine& engine = m_session.m_engine;
  for (std::size_t i = 0; i < project.objects.size() && i < engine.objects().size(); ++i) {
    const TPSObj& o = project.objects[i];
    if (!objectMatchesSender(o, frame.sender)) continue;
    const InputState s = decodeInputState(data, receivingView(o));
    if (s.thermostatMark) {
      m_session.m_display[i].marker = kThermostatMarker;
      engine.requestRefresh(static_cast<int>(i));
    }
    if (s.protocolValue) m_session.protocolInput(static_cast<int>(i), std::to_string(*s.protocolValue));
    if (!s.value || i >= engine.compiled().objects.size()) continue;
    const NumericResult current = engine.numericValue({engine.compiled().objects[i].stateSymbol, -1});
    const double now = current.kind == 3 ? current.real : current.integer;
    if (static_cast<double>(*s.value) == now) continue;
    // What the station reports is what it has: the value is not to be sent back.
    m_session.m_display[i].outputPending = false;
    setNumber(i, *s.value);
    engine.objects()[i].fromHardware = true;
    if (!s.protocolValue) m_session.protocolInput(static_cast<int>(i), std::to_string(*s.value));
  }
}

// errorReport -> the second report of the same station and channel marks its objects
void HardwareExchange::errorReport(const ReceivedFrame& frame, std::span<const std::uint8_t> data) {
  const std::optional<StationFailure> failure = m_errors.take(data);
  if (!failure) return;
  Project& project = m_session.m_project;
  Engine& engine = m_session.m_engine;
  if (engine.errorHandlerObject >= 0) engine.enqueue(engine.errorHandlerObject);
  const int line = frame.sender.Kind;
  for (const TPSContr& station : project.stations)
    if (station.CPLeitg == line && station.CPAdr[0] == failure->address)
      m_session.showStatusMessage(stationNotAnsweringText(station.CName));
  const auto served = [&](const ObjectAddress& a, std::int32_t channel) {
    return a.LineNo == line && a.Adr[0] == failure->address && channel == failure->channel;
  };
  for (std::size_t i = 0; i < project.objects.size() && i < engine.objects().size(); ++i) {
    const TPSObj& o = project.objects[i];
    if (!served(o.Snd, o.hardware.sendChannel) && !served(o.Rcv, o.hardware.receiveChannel)) continue;
    ObjectDisplay& display = m_session.m_display[i];
    display.powerlineError = true;
    if (!display.errorMark) {
      display.errorMark = true;
      ++engine.objectErrorCount;
    }
    engine.errorObjectIndex = static_cast<int>(i);
    engine.requestRefresh(static_cast<int>(i));
  }
}

// writeOutputs -> every active object with a value to send
void HardwareExchange::writeOutputs() {
  Project& project = m_session.m_project;
  for (std::size_t i = 0; i < project.objects.size() && i < m_session.m_engine.objects().size(); ++i) {
    const TPSObj& o = project.objects[i];
    if (o.OKind != kKindUser && o.OKind != kKindText && o.OKind != kKindNumber) continue;
    if (!m_session.m_engine.objects()[i].active || !m_session.m_display[i].outputPending) continue;
    if (o.SndDev.empty() && !m_session.m_options.visualisation) continue;
    writeOutput(i);
  }
}

// writeOutput -> one object's value, encoded for its station, or for the unit in visualisation
void HardwareExchange::writeOutput(std::size_t i) {
  const TPSObj& o = m_session.m_project.objects[i];
  Engine& engine = m_session.m_engine;
  ObjectDisplay& display = m_session.m_display[i];
  const bool visualisation = m_session.m_options.visualisation;
  engine.objects()[i].lastChange = engine.now();
  if (display.errorMark) {
    display.errorMark = false;
    --engine.objectErrorCount;
  }
  display.powerlineError = false;
  display.outputPending = false;
  const StationObject station = sendingView(o);
  if (!visualisation && station.typeCode == 0) return;
  if (i >= engine.compiled().objects.size()) return;
  const int symbol = engine.compiled().objects[i].stateSymbol;
  const std::string text = o.OKind == kKindText ? engine.textValue({symbol, -1}) : std::string();
  const NumericResult number = engine.numericValue({symbol, -1});
  OutputValue value;
  value.number = number.integer;  // a real rounded by the engine's own rule, NaN as 0
  value.text = text;
  const std::optional<OutputMessage> message =
      visualisation ? encodeVisualisationOutput(station, unitNumberOf(o.ObjIDNr, i), value)
                    : encodeOutput(station, o.Snd, value);
  if (!message) return;
  if (!m_link.send(message->sendMode, message->header, message->data)) {
    m_session.m_ui.beep();
    m_session.showStatusMessage(o.OKind == kKindText && !visualisation ? "Timeout Steuereinheit" : "Timeout controller");
    return;
  }
  if (o.OKind == kKindText) {
    m_session.protocolOutput(static_cast<int>(i), text);
  } else {
    m_session.protocolOutput(static_cast<int>(i), std::to_string(message->data.front()));
  }
}

// query -> ABFRAGE: the object's station is asked for its state
void HardwareExchange::query(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_session.m_project.objects.size()) return;
  const TPSObj& o = m_session.m_project.objects[static_cast<std::size_t>(object)];
  const ObjectAddress& address = o.Snd.LineNo != 0 ? o.Snd : o.Rcv;
  const FrameHeader header = headerOf(address);
  const std::uint8_t poll[] = {kCommandPoll, 0};
  if (!m_link.send(header.Kind == kKindRadio ? 200 : 1, header, poll)) {
    m_session.m_ui.beep();
    m_session.showStatusMessage("Timeout Controller");
  }
}

// trigger -> a click in visualisation runs the object's program in the unit
void HardwareExchange::trigger(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_session.m_project.objects.size()) return;
  StationObject station;
  station.kind = kKindUser;
  const auto i = static_cast<std::size_t>(object);
  const auto message = encodeVisualisationOutput(station, unitNumberOf(m_session.m_project.objects[i].ObjIDNr, i), {1, {}});
  if (message && !m_link.send(message->sendMode, message->header, message->data)) {
    m_session.m_ui.beep();
    m_session.showStatusMessage("Timeout Controller");
  }
}

}  // namespace kelvaro
