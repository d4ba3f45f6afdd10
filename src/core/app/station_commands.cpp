// The station commands on the line.
#include "app/station_commands.h"

#include <algorithm>

#include "app/station_rules.h"
#include "hardware/radio_interface.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

constexpr std::uint8_t kStatusMessage = 0x80;  // a station's status message after its button
constexpr std::uint8_t kNotAnswered = 0xFE;    // the unit's report of a station that did not answer

bool sameStation(const FrameHeader& a, const FrameHeader& b) { return a.Kind == b.Kind && a.Address == b.Address; }

FrameHeader wiredHeader(std::uint8_t address) { return {kKindStation, 1, {address, 0, 0}}; }

// The SendFrame mode of frames that carry the station's type: its code, or its model's when
// the stored code is none a wired frame can carry.
int typeMode(const TPSContr& station) {
  if (station.CKindi > 0 && station.CKindi < 31) return station.CKindi;
  if (const StationType* t = stationTypeOf(station); t && !t->radio) return t->code;
  return 0;
}

// Radio device types that announce themselves alike count as one family: a frame tells the
// family, not which HMS100 sensor sent it.
int radioFamily(int code) { return code >= 551 && code <= 565 ? 551 : code; }

std::string typeText(int code) {
  const StationType* t = stationType(code);
  return t ? std::string(t->text) : std::to_string(code);
}

}  // namespace

int radioTypeOfFrame(const ReceivedFrame& frame) {
  // Shorter than its sender's three address bytes, the frame names no device.
  if (frame.receiver.Kind != kKindRadio || frame.L < 9) return 0;
  switch (frame.status2 & 0x1F) {
    case 1: return 401;
    case 5: return 551;
    case 9: return 301;
    default: return 0;
  }
}

std::vector<std::string> lineSearchMemo(const std::vector<std::string>& lines) {
  std::vector<std::string> memo{std::string(kLineSearchHeading), std::string(kLineSearchColumns)};
  memo.insert(memo.end(), lines.begin(), lines.end());
  return memo;
}

StationCommands::StationCommands(Protocol& protocol, Project& project, std::string port, bool batch)
    : m_protocol(protocol), m_project(project), m_batch(batch) {
  for (char c : port)
    if (c != ' ') m_port += c;
}

StationCommands::~StationCommands() { Close(); }

void StationCommands::status(std::string text) {
  MsgLab = std::move(text);
  m_protocol.ui().showStatus(MsgLab);
}

void StationCommands::message(MessageKind kind, std::string text) {
  if (m_batch) protocolLines.push_back(std::move(text));
  else m_protocol.ui().showMessage({kind, std::move(text), MessageButtons::Ok, 0});
}

int StationCommands::send(const StationRequest& r) {
  return m_protocol.SendFrame(m_protocol.line().LineHandle, r.sendMode, r.header, r.L, r.data);
}

bool StationCommands::waitForBytes(int count, double days) {
  SerialLine& line = m_protocol.line();
  const std::uint64_t start = line.clock().monotonicMs();
  const std::uint64_t limit = daysToMs(days);
  for (;;) {
    if (line.InputCount() >= count) return true;
    if (line.clock().monotonicMs() - start >= limit || m_protocol.CancelRequested) return false;
    m_protocol.processMessages();
  }
}

bool StationCommands::Open() {
  // Open: identify with the line kept open, then "A" to a control unit
  m_timerWasRunning = m_protocol.receiveTimerRunning;
  m_protocol.receiveTimerRunning = false;
  if (m_port.empty() || !m_protocol.IdentifyUnit(m_port, true)) {
    message(MessageKind::Error, "Keine Steuereinheit gefunden an Port " + m_port);
    status(std::string(kNoUnitText));
    m_protocol.receiveTimerRunning = m_timerWasRunning;
    return false;
  }
  m_open = true;
  if (usesConfigurationMode(m_protocol.unit.TypeCode)) {
    SerialLine& line = m_protocol.line();
    line.PurgePort(kPurgeInput);
    line.WaitDays(kDays8_64ms);
    const RadioRequest enter = configurationModeRequest(true);
    if (m_protocol.SendFrame(line.LineHandle, enter.sendMode, enter.header, enter.L, enter.data) < 1)
      m_protocol.ui().beep();
  }
  return true;
}

void StationCommands::Close() {
  if (!m_open) return;
  SerialLine& line = m_protocol.line();
  line.PurgePort(kPurgeInput);
  line.WaitDays(kDays8_64ms);
  if (usesConfigurationMode(m_protocol.unit.TypeCode)) {
    const RadioRequest leave = configurationModeRequest(false);
    if (m_protocol.SendFrame(line.LineHandle, leave.sendMode, leave.header, leave.L, leave.data) < 1)
      m_protocol.ui().beep();
  }
  line.CloseLine();
  m_open = false;
  m_protocol.receiveTimerRunning = m_timerWasRunning;
}

std::optional<ConfigBlock> StationCommands::readBlocks(const FrameHeader& header, bool& broken) {
  // readBlocks: three requests at most, each collecting blocks for 1.728 s
  SerialLine& line = m_protocol.line();
  const std::uint64_t limit = daysToMs(kDays1_728s);
  for (int attempt = 0; attempt < 3 && !m_protocol.CancelRequested; ++attempt) {
    line.PurgePort(kPurgeInput);
    status(std::string(kStationReadingText));
    const std::uint64_t start = line.clock().monotonicMs();
    const StationRequest request = configReadRequest(header);
    send(request);
    // The output is purged once the request has surely left: a purge right behind the write
    // can drop the request's own bytes still waiting in the driver (a pseudo-terminal, a USB
    // adapter), and the station never hears it.
    line.WaitDays(kDays86_4ms);
    line.PurgePort(kPurgeOutput);
    ConfigBlockCollector collector(header);
    for (;;) {
      const std::uint64_t spent = line.clock().monotonicMs() - start;
      if (collector.complete() || spent >= limit || m_protocol.CancelRequested) break;
      const double left = static_cast<double>(limit - spent) / 86'400'000.0;
      if (!waitForBytes(1, std::min(kDays864ms, left))) continue;
      line.WaitDays(kDays86_4ms);
      ReceivedFrame frame;
      if (m_protocol.ReceiveFrame(line.LineHandle, frame) < 1) {
        broken = true;
        continue;
      }
      collector.take(frame);
    }
    if (collector.complete()) return collector.block();
  }
  return std::nullopt;
}

// failed -> the status line says why; a batch check also notes the station in its protocol
bool StationCommands::failed(const TPSContr& station, std::string text) {
  status(std::move(text));
  if (m_batch)
    protocolLines.push_back(
        "Fehler bei Pr\xFC"
        "fung " +
        station.CName);
  batchOk = false;
  return false;
}

bool StationCommands::Read(TPSContr& station) {
  // Read: the blocks, then type, version and settings into the station
  auto fail = [&](std::string text) { return failed(station, std::move(text)); };
  if (isRadioStation(station)) return fail("Funkger\xE4te k\xF6nnen nicht gelesen werden");
  m_protocol.CancelRequested = false;
  const FrameHeader header = stationHeader(station);
  bool broken = false;
  const std::optional<ConfigBlock> block = readBlocks(header, broken);
  if (!block) return fail(std::string(broken ? kStationReceiveErrorText : kStationSilentText));
  auto kept =
      std::find_if(m_lastRead.begin(), m_lastRead.end(), [&](const auto& e) { return sameStation(e.first, header); });
  if (kept == m_lastRead.end()) m_lastRead.emplace_back(header, *block);
  else kept->second = *block;
  ACDETyp = typeText(block->typeCode());
  ACDEVers = block->version();
  // A station of another type at this address: its bytes mean something else, so the
  // project's settings stay as they are. A type without settings only has to be itself.
  const StationType* type = stationTypeOf(station);
  const bool taken = configLayoutOf(station) != ConfigLayout::None ? applyConfigBlock(station, *block)
                                                                   : type && stationType(block->typeCode()) == type;
  if (!taken) return fail("Signalstation meldet Typ " + ACDETyp);
  status("");
  if (m_batch) protocolLines.push_back("Signalstation " + station.CName + " ist OK");
  return true;
}

bool StationCommands::Write(TPSContr& station, bool special) {
  // Write: the settings bytes, the write's pause and one more, then the read-back
  SerialLine& line = m_protocol.line();
  m_protocol.CancelRequested = false;
  status(std::string(kStationWritingText));
  if (isRadioStation(station)) {
    // A radio device is configured on the device itself; and it only receives, so a read-back
    // could only ever report it silent.
    line.WaitDays(kDays432ms);
    line.WaitDays(kDays432ms);
    status("");
    return true;
  }
  const FrameHeader header = stationHeader(station);
  auto kept =
      std::find_if(m_lastRead.begin(), m_lastRead.end(), [&](const auto& e) { return sameStation(e.first, header); });
  ConfigBlock lastRead;
  if (kept != m_lastRead.end()) {
    lastRead = kept->second;
  } else if (configLayoutOf(station) != ConfigLayout::None) {
    // Bytes no setting names keep what the station holds: without a read in this dialog they
    // would go out as zeros and wipe the station's own settings.
    bool broken = false;
    const std::optional<ConfigBlock> held = readBlocks(header, broken);
    if (!held) return failed(station, std::string(broken ? kStationReceiveErrorText : kStationSilentText));
    lastRead = *held;
    m_lastRead.emplace_back(header, lastRead);
    status(std::string(kStationWritingText));
  }
  if (const std::optional<StationRequest> request = configWriteRequest(station, lastRead, special)) {
    if (send(*request) != request->L + 2) return failed(station, std::string(kPortWriteErrorText));
  }
  line.WaitDays(kDays432ms);  // the write's own pause
  line.WaitDays(kDays432ms);
  if (station.CKind == "FS20 Dimmer") return true;
  return Read(station);
}

ProbeResult StationCommands::Probe(std::uint8_t address) {
  // Probe: 0x80 to the address; a 0x83 from it within 864 ms, or the unit's two reports
  SerialLine& line = m_protocol.line();
  line.PurgePort(kPurgeInput);
  const StationRequest request = probeRequest(wiredHeader(address));
  if (send(request) != request.L + 2) return ProbeResult::SendFailed;
  const std::uint64_t start = line.clock().monotonicMs();
  const std::uint64_t limit = daysToMs(kDays864ms);
  int reports = 0;
  for (;;) {
    const std::uint64_t spent = line.clock().monotonicMs() - start;
    if (spent >= limit || m_protocol.CancelRequested) return ProbeResult::Absent;
    if (!waitForBytes(1, static_cast<double>(limit - spent) / 86'400'000.0)) continue;
    ReceivedFrame frame;
    if (m_protocol.ReceiveFrame(line.LineHandle, frame) < 1 || frame.sender.Kind != kKindStation) continue;
    const auto d = frameData(frame);
    if (d.empty()) continue;
    if (d[0] == kReplyProbe && frame.sender.Address[0] == address) return ProbeResult::Present;
    // The unit reports an address that did not answer twice; the second settles it.
    if (d[0] == kNotAnswered && d.size() >= 2 && d[1] == address && ++reports == 2) return ProbeResult::Absent;
  }
}

ProbeResult StationCommands::TestNewAddress(int address) {
  m_protocol.CancelRequested = false;
  if (address < 1 || address > 255) {
    message(MessageKind::Error, std::string(kAddressResetText));
    return ProbeResult::SendFailed;
  }
  const ProbeResult r = Probe(static_cast<std::uint8_t>(address));
  if (r == ProbeResult::SendFailed) {
    message(MessageKind::Error, std::string(kProbeFailedText));
    return r;
  }
  const bool owned = std::any_of(m_project.stations.begin(), m_project.stations.end(),
                                 [&](const TPSContr& s) { return !isRadioStation(s) && s.CPAdr[0] == address; });
  message(MessageKind::Information, addressProbeText(address, r == ProbeResult::Present, owned));
  return r;
}

bool StationCommands::AssignAddress(TPSContr& station, int requested, double waitDays) {
  // AssignAddress: the address to give, the station's status message, 0x8D back to it
  SerialLine& line = m_protocol.line();
  m_protocol.CancelRequested = false;
  if (checkNewStationAddress(requested).message) {
    message(MessageKind::Information, std::string(kAddressResetText));
    requested = 0;
  }
  const std::optional<int> given = addressToGive(requested);
  if (!given) return false;
  const int address = *given;
  line.PurgePort(kPurgeInput);
  const std::uint64_t start = line.clock().monotonicMs();
  const std::uint64_t limit = daysToMs(waitDays);
  std::optional<std::uint8_t> from;
  while (!from && !m_protocol.CancelRequested) {
    const std::uint64_t spent = line.clock().monotonicMs() - start;
    if (spent >= limit) break;
    if (!waitForBytes(1, static_cast<double>(limit - spent) / 86'400'000.0)) continue;
    line.WaitDays(kDays86_4ms);
    ReceivedFrame frame;
    if (m_protocol.ReceiveFrame(line.LineHandle, frame) < 1) continue;
    const auto d = frameData(frame);
    if (frame.sender.Kind == kKindStation && frame.receiver.Address[0] == kPcFrameAddress && !d.empty() &&
        d[0] == kStatusMessage)
      from = frame.sender.Address[0];
  }
  if (!from) {
    status(std::string(kStationSilentText));
    return false;
  }
  return giveAddress(station, *from, address);
}

bool StationCommands::ChangeAddress(TPSContr& station, int newAddress) {
  // ChangeAddress: the old address must answer, the new one must be free
  m_protocol.CancelRequested = false;
  if (const AddressCheck check = checkNewStationAddress(newAddress); check.message) {
    message(MessageKind::Error, *check.message);
    return false;
  }
  const std::optional<int> given = addressToGive(newAddress);
  if (!given) return false;
  newAddress = *given;
  const std::uint8_t old = station.CPAdr[0];
  const auto probe = [&](std::uint8_t a) {
    const ProbeResult r = Probe(a);
    if (r == ProbeResult::SendFailed) message(MessageKind::Error, std::string(kProbeFailedText));
    return r;
  };
  ProbeResult r = probe(old);
  if (r == ProbeResult::SendFailed) return false;
  if (r == ProbeResult::Absent) {
    message(MessageKind::Error, addressNotFoundText(old));
    return false;
  }
  r = probe(static_cast<std::uint8_t>(newAddress));
  if (r == ProbeResult::SendFailed) return false;
  if (r == ProbeResult::Present) {
    message(MessageKind::Error, addressProbeText(newAddress, true, true));
    return false;
  }
  return giveAddress(station, old, newAddress);
}

std::optional<int> StationCommands::addressToGive(int requested) {
  if (requested != 0) return requested;
  const std::optional<int> next = nextFreeStationAddress(m_project);
  if (!next) message(MessageKind::Error, std::string(kNoFreeAddressText));
  return next;
}

bool StationCommands::giveAddress(TPSContr& station, std::uint8_t from, int address) {
  const StationRequest request =
      setAddressRequest(wiredHeader(from), typeMode(station), static_cast<std::uint8_t>(address));
  if (send(request) != request.L + 2) {
    message(MessageKind::Error, std::string(kPortWriteErrorText));
    return false;
  }
  station.CPAdr[0] = static_cast<std::uint8_t>(address);
  m_project.modified = true;
  message(MessageKind::Information, addressAssignedText(address, station.CName));
  return true;
}

bool StationCommands::ReceiveRadioAddress(TPSContr& station, double waitDays) {
  // ReceiveRadioAddress: the next radio frame's sender becomes the device's address
  SerialLine& line = m_protocol.line();
  UserInterface& ui = m_protocol.ui();
  const StationType* type = stationTypeOf(station);
  if (!type || !type->radio) return false;
  m_protocol.CancelRequested = false;
  ui.showWait(type->address == AddressKind::NewBatteries ? kRadioAddressBatteryText : kRadioAddressSendText);
  line.PurgePort(kPurgeInput);
  const std::uint64_t start = line.clock().monotonicMs();
  const std::uint64_t limit = daysToMs(waitDays);
  std::optional<ReceivedFrame> got;
  int gotType = 0;
  while (!got && !m_protocol.CancelRequested) {
    const std::uint64_t spent = line.clock().monotonicMs() - start;
    if (spent >= limit) break;
    if (!waitForBytes(1, static_cast<double>(limit - spent) / 86'400'000.0)) continue;
    line.WaitDays(kDays86_4ms);
    ReceivedFrame frame;
    if (m_protocol.ReceiveFrame(line.LineHandle, frame) < 1) continue;
    if ((gotType = radioTypeOfFrame(frame)) != 0) got = frame;
  }
  ui.closeWait();
  if (!got) {
    status(std::string(kStationSilentText));
    return false;
  }
  int code = type->code;
  if (radioFamily(code) != radioFamily(gotType)) {
    const std::string question = "Die empfangene Meldung kommt nicht vom Typ " + std::string(type->text) +
                                 " sondern vom Typ " + typeText(gotType) +
                                 ".\r Soll dieser eingestellt und die Adresse vergeben werden?";
    if (ui.showMessage({MessageKind::Question, question, MessageButtons::YesNo, 0}) != MessageAnswer::Yes) return false;
    code = gotType;
    station.CKind = typeText(code);
    station.CKindi = code;
    ui.showMessage({MessageKind::Information, std::string(kTypeChangedText), MessageButtons::Ok, 0});
  }
  // The room controller has a two-byte address; ReceiveFrame has cleared the third.
  station.CPAdr = {got->sender.Address[0], got->sender.Address[1], got->sender.Address[2], 0};
  station.CPAdrA = code == 301 ? 2 : 3;
  m_project.modified = true;
  return true;
}

bool StationCommands::SendRadioAddress(const TPSContr& station) {
  const StationType* type = stationTypeOf(station);
  if (!type || type->address != AddressKind::Send) return false;
  const StationRequest request{stationHeader(station),
                               station.CKindi == 201 || station.CKindi == 221 ? station.CKindi : type->code,
                               5,
                               {kRadioAddressCommand}};
  if (send(request) < request.L + 6) {
    message(MessageKind::Error, std::string(kPortWriteErrorText));
    return false;
  }
  return true;
}

std::vector<std::string> StationCommands::LineSearch() {
  // LineSearch: 0x80 to address 0, then every 0x83 until 4.32 s of silence
  SerialLine& line = m_protocol.line();
  m_protocol.CancelRequested = false;
  std::vector<std::string> lines;
  line.PurgePort(kPurgeBoth);
  line.WaitDays(kDays8_64ms);
  const StationRequest request = probeRequest(wiredHeader(0));
  if (send(request) != request.L + 2) {
    message(MessageKind::Error, std::string(kProbeFailedText));
    return lines;
  }
  std::uint64_t last = line.clock().monotonicMs();
  const std::uint64_t quiet = daysToMs(kDays4_32s);
  while (!m_protocol.CancelRequested) {
    const std::uint64_t since = line.clock().monotonicMs() - last;
    if (since >= quiet) break;
    const double left = static_cast<double>(quiet - since) / 86'400'000.0;
    if (!waitForBytes(1, std::min(kDays1_728s, left))) continue;
    ReceivedFrame frame;
    if (m_protocol.ReceiveFrame(line.LineHandle, frame) < 1 || frame.receiver.Address[0] != kPcFrameAddress) continue;
    if (std::optional<std::string> l = lineSearchLine(frame)) {
      lines.push_back(std::move(*l));
      last = line.clock().monotonicMs();
    }
  }
  return lines;
}

bool StationCommands::Test(const TPSContr& station, TestCommand command, std::uint8_t threshold) {
  m_protocol.line().PurgePort(kPurgeBoth);
  const StationRequest request = testRequest(command, stationHeader(station), threshold);
  if (send(request) != request.L + 2) {
    status(std::string(kTestRequestFailedText));
    return false;
  }
  if (const std::string_view text = testStatusText(command); !text.empty()) status(std::string(text));
  return true;
}

std::optional<TestReply> StationCommands::TestTick(const TPSContr& station) {
  SerialLine& line = m_protocol.line();
  if (line.InputCount() < 1) return std::nullopt;
  line.WaitDays(kDays86_4ms);
  ReceivedFrame frame;
  const int received = m_protocol.ReceiveFrame(line.LineHandle, frame);
  TestReply reply = interpretTestReply(received, frame, station.CName, station.CPAdr[0]);
  if (!reply.status.empty()) status(reply.status);
  if (reply.finished) m_protocol.ui().beep();
  return reply;
}

std::vector<std::string> StationCommands::batch(bool configure) {
  // batch: one dialog over every wired station, its results as protocol lines
  const bool wasBatch = m_batch;
  m_batch = true;
  protocolLines.assign(1, std::string(configure ? kConfigureProtocolHeading : kCheckProtocolHeading));
  batchOk = true;
  std::vector<TPSContr*> wired;
  for (TPSContr& s : m_project.stations)
    if (!isRadioStation(s)) wired.push_back(&s);
  if (wired.empty()) {
    if (!configure) protocolLines.emplace_back(kNoStationsToCheckText);
  } else if (!Open()) {
    batchOk = false;
  } else {
    for (TPSContr* s : wired) {
      if (m_protocol.CancelRequested) break;
      if (configure) {
        Write(*s);
      } else {
        // A check only looks: the project keeps its settings.
        TPSContr copy = *s;
        Read(copy);
      }
    }
    Close();
  }
  m_batch = wasBatch;
  return protocolLines;
}

std::vector<std::string> StationCommands::CheckAll() { return batch(false); }
std::vector<std::string> StationCommands::ConfigureAll() { return batch(true); }

}  // namespace kelvaro
