// The frame protocol of the control unit.
#include "hardware/protocol.h"

#include <algorithm>
#include <cstdio>

#include "ui/user_interface.h"
#include "hardware/unit_types.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

bool isWiredMode(int mode) { return (mode >= 0 && mode < 31) || mode == 102 || mode == kModeNoMessage; }
bool isRadioMode(int mode) { return mode >= 200 && mode <= 301; }

std::uint8_t checksumOf(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> buildFrame(int sendMode, const FrameHeader& header, int L,
                                     std::span<const std::uint8_t> data) {
  // buildFrame: 0x81, length, kind, checksum, addresses, data
  if (L < 4 || data.size() < static_cast<std::size_t>(L - 4)) return {};
  const auto payload = data.first(static_cast<std::size_t>(L - 4));
  std::vector<std::uint8_t> frame;
  if (isWiredMode(sendMode)) {
    frame = {kStartByte, static_cast<std::uint8_t>(L), static_cast<std::uint8_t>(header.Kind & 0xFF), 0,
             header.Address[0], 1};
    frame.insert(frame.end(), payload.begin(), payload.end());
  } else if (sendMode == 301) {
    frame = {kStartByte, static_cast<std::uint8_t>(L + 3), 0x04, 0, 2, 1, 0x83, header.Address[0], header.Address[1]};
    frame.insert(frame.end(), payload.begin(), payload.end());
  } else if (isRadioMode(sendMode)) {
    frame = {kStartByte, static_cast<std::uint8_t>(L + 4), 0x04, 0, 2, 1, 1,
             header.Address[0], header.Address[1], header.Address[2]};
    frame.insert(frame.end(), payload.begin(), payload.end());
    // The FS20 switch actuator takes its command 1 as 0x11.
    if (sendMode == 201 && !payload.empty() && frame[10] == 1) frame[10] = 0x11;
  } else {
    return {};
  }
  // The length byte is one byte: a frame beyond 256 bytes cannot be described.
  if (frame.size() > 256 || frame.size() != static_cast<std::size_t>(frame[1]) + 2) return {};
  frame[3] = checksumOf(std::span<const std::uint8_t>(frame).subspan(4));
  return frame;
}

std::span<const std::uint8_t> frameData(const ReceivedFrame& frame) {
  std::size_t count = 0;
  const int kind = frame.receiver.Kind;
  if (kind == kKindStation || kind == kKindValue || kind == kKindUnit) {
    if (frame.L > 4) count = static_cast<std::size_t>(frame.L - 4);
  } else if (kind == kKindRadio) {
    if (frame.L > 10) count = static_cast<std::size_t>(frame.L - 9);
    else if (frame.L >= 5) count = 1;
    // The thermostat's "i" report is rebuilt by ReceiveFrame into three data bytes.
    if (frame.L > 10 && frame.status1 == 9 && (frame.status2 & 0x1F) == 9 && frame.data[1] == 'i')
      count = std::max<std::size_t>(count, 4);
  }
  count = std::min(count, frame.data.size());
  return std::span<const std::uint8_t>(frame.data).first(count);
}

int decodeVersion(std::uint8_t versionByte) {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%03u", static_cast<unsigned>(versionByte));
  // Versions with a last digit above 2 are sent with their digits reversed.
  if (digits[2] > '2') return (digits[2] - '0') * 100 + (digits[1] - '0') * 10 + (digits[0] - '0');
  return versionByte;
}

int featureLevelOf(int replyCode, int version) {
  if (replyCode < 11) return version;
  if (replyCode == 15) return version >= 351 ? 120 : 110;
  return 0;
}

Protocol::Protocol(SerialLine& line, UserInterface& ui) : m_line(line), m_ui(ui) {
  m_line.onLineClosed = [this] { unit.Connected = false; };
}

void Protocol::processMessages() {
  m_line.pump();
  if (m_ui.cancelRequested()) CancelRequested = true;
}

bool Protocol::waitRadioReady() {
  const std::uint64_t gap = daysToMs(kDays259_2ms);
  if (m_lastRadioMs) {
    while (m_line.clock().monotonicMs() - *m_lastRadioMs < gap) m_line.pump();
  }
  if ((m_line.ModemStatus() & kStatusCts) == 0) {
    const std::uint32_t start = m_line.nowMs();
    const std::uint32_t limit = daysToMs(kDays3_456s);
    while ((m_line.ModemStatus() & kStatusCts) == 0) {
      if (static_cast<std::uint32_t>(m_line.nowMs() - start) >= limit) return false;
      m_line.pump();
    }
  }
  m_lastRadioMs = m_line.clock().monotonicMs();
  return true;
}

int Protocol::SendFrame(int lineHandle, int sendMode, const FrameHeader& header, int L,
                        std::span<const std::uint8_t> data) {
  // SendFrame: build, radio pacing, hand-shake, pause, write, log
  std::vector<std::uint8_t> frame = buildFrame(sendMode, header, L, data);
  if (frame.empty()) return kSendInvalidMode;
  if (lineHandle < 0 || !m_line.portOpen()) return 0;
  if (isRadioMode(sendMode) && !waitRadioReady()) return kSendRadioNotReady;

  // Over a modem link the unit's hand-shake lines are at the far end; dropping DTR here would
  // only make the PC's own modem hang up.
  const bool handshake = usesHandshake(unit.TypeCode) && !m_line.ModemLinkUp;
  bool timedOut = false;
  if (handshake) {
    m_line.LineControl(kClearDtr);
    const std::uint32_t start = m_line.nowMs();
    const std::uint32_t limit = daysToMs(kDays5_184s);
    while (m_line.ModemStatus() != kUnitReady) {
      if (static_cast<std::uint32_t>(m_line.nowMs() - start) >= limit) {
        timedOut = true;
        break;
      }
      m_line.pump();
    }
  }
  m_line.WaitDays(kDays17_28ms);
  if (timedOut) {
    m_ui.beep();
    if (sendMode != kModeNoMessage) m_ui.showNote("Steuereinheit antwortet nicht !");
    m_line.LineControl(kSetDtr);
    return kSendNoHandshake;
  }
  const int written = m_line.WritePort(frame.data(), static_cast<int>(frame.size()));
  if (handshake) m_line.LineControl(kSetDtr);
  m_line.logSent(frame);
  return written;
}

int Protocol::ReceiveFrame(int lineHandle, ReceivedFrame& frame) {
  // ReceiveFrame: hunt the start, take the length, wait for the body, decode, check
  frame.receiver = kEmptyHeader;
  frame.sender = kEmptyHeader;
  frame.L = 0;
  frame.data[0] = 0;
  frame.status1 = frame.status2 = 0;
  if (lineHandle < 0 || !m_line.portOpen()) return kReceiveNothing;
  if (m_line.InputCount() < 1) return kReceiveNothing;
  const std::uint32_t limit = daysToMs(m_line.ModemLinkUp ? kDays7_776s : kDays3_456s);

  const std::uint32_t huntStart = m_line.nowMs();
  for (;;) {
    std::uint8_t b = 0;
    if (m_line.ReadPort(&b, 1, 200) == 1 && b == kStartByte) break;
    if (static_cast<std::uint32_t>(m_line.nowMs() - huntStart) > limit) return kReceiveNothing;
  }
  if (m_line.ModemLinkUp) {
    const std::uint32_t start = m_line.nowMs();
    while (m_line.InputCount() < 1 && static_cast<std::uint32_t>(m_line.nowMs() - start) < daysToMs(kDays1_728s))
      m_line.pump();
  }
  // The length byte may still be on the wire right behind the start byte (a byte takes about
  // a millisecond at 9600 baud): giving up when it is not queued yet would lose the frame
  // whose start byte we have just taken, so it gets the same 200 ms as every other byte.
  std::uint8_t lengthByte = 0;
  if (m_line.ReadPort(&lengthByte, 1, 200) != 1) return kReceiveNothing;
  const int L = lengthByte;

  // The body must be queued within the limit; every new byte restarts the clock.
  {
    std::uint32_t start = m_line.nowMs();
    int seen = m_line.InputCount();
    while (seen < L) {
      if (static_cast<std::uint32_t>(m_line.nowMs() - start) > limit) {
        m_ui.beep();
        return kReceiveNothing;
      }
      m_line.pump();
      const int now = m_line.InputCount();
      if (now != seen) {
        seen = now;
        start = m_line.nowMs();
      }
    }
  }
  if (L < 2 || L > 253) {
    m_ui.beep();
    return kReceiveBadLength;
  }
  // Bytes past L read as 0, so that a short frame never shows bytes of an earlier one.
  std::array<std::uint8_t, 256> B{};
  const int got = m_line.ReadPort(B.data(), L, 500);
  if (got < L) {
    // The queue was emptied under us (a purge, a vanished device): a cut frame is dropped.
    m_ui.beep();
    return kReceiveNothing;
  }
  frame.L = L;

  if (B[4] == 0xFF && L >= 5) {
    frame.receiver.Kind = frame.sender.Kind = kKindValue;
    frame.receiver.Class = frame.sender.Class = 2;
    frame.receiver.Address[1] = B[0];
  } else {
    frame.receiver.Kind = frame.sender.Kind = B[0];
  }
  if (frame.receiver.Kind == kKindStation || frame.receiver.Kind == kKindUnit)
    frame.receiver.Class = frame.sender.Class = 1;

  const int kind = frame.receiver.Kind;
  if (kind == kKindStation || kind == kKindValue || kind == kKindUnit) {
    frame.receiver.Address[0] = B[2];
    frame.sender.Address[0] = B[3];
    if (L > 4) std::copy(B.begin() + 4, B.begin() + L, frame.data.begin());
  } else if (kind == kKindRadio) {
    m_lastRadioMs = m_line.clock().monotonicMs();
    frame.receiver.Class = 1;
    frame.receiver.Address[0] = B[5];
    frame.sender.Class = 3;
    frame.sender.Address = {B[6], B[7], B[8]};
    frame.status1 = B[2];
    frame.status2 = B[3];
    frame.data[0] = B[4];
    if (L > 10) std::copy(B.begin() + 10, B.begin() + L, frame.data.begin() + 1);
    if ((frame.status2 & 0x1F) == 1) frame.data[1] &= 0x1F;
    if ((frame.status2 & 0x1F) == 9 && frame.status1 == 9 && B[10] == 'i' && L > 10) {
      frame.data[1] = 'i';
      frame.data[2] = B[8];
      frame.data[3] = B[11];
      frame.sender.Address[2] = 0;
    }
  }

  int result = got;
  if (B[1] != 0 && B[1] != checksumOf(std::span<const std::uint8_t>(B).subspan(2, static_cast<std::size_t>(L - 2))))
    result = kReceiveChecksum;
  m_line.logReceived(std::span<const std::uint8_t>(B).first(static_cast<std::size_t>(got)));
  return result;
}

bool Protocol::IdentifyUnit(std::string_view portName, bool keepOpen) {
  // IdentifyUnit: two requests at most, then decode the reply into the unit record
  CancelRequested = false;
  if (m_line.OpenLine(portName) < 0) return false;
  ReceivedFrame reply;
  const auto isReply = [&reply] {
    return reply.receiver.Kind == kKindUnit && reply.receiver.Address == std::array<std::uint8_t, 3>{1, 0, 0} &&
           reply.sender.Address == std::array<std::uint8_t, 3>{2, 0, 0} && reply.data[0] == 0x1F;
  };
  bool got = false;
  for (int attempt = 0; attempt < 2 && !got && !CancelRequested; ++attempt) {
    m_line.PurgePort(kPurgeInput);
    m_line.WaitDays(kDays86_4ms);
    FrameHeader header;
    header.Kind = kKindUnit;
    header.Address[0] = 2;
    const std::uint8_t request[] = {0x1F, 0};
    if (SendFrame(m_line.LineHandle, kModeNoMessage, header, 6, request) < 1) m_ui.beep();
    processMessages();
    m_line.WaitDays(kDays8_64ms);
    const std::uint32_t start = m_line.nowMs();
    const std::uint32_t limit = daysToMs(kDays3_456s);
    for (;;) {
      // A station's message the unit passes on may come before the reply: it is not the
      // answer, and the reply still follows it.
      if (ReceiveFrame(m_line.LineHandle, reply) > 0 && isReply()) {
        got = true;
        break;
      }
      if (static_cast<std::uint32_t>(m_line.nowMs() - start) >= limit || CancelRequested) break;
      processMessages();
    }
  }
  const bool accepted = got;
  if (accepted) {
    const std::uint8_t code = reply.data[1];
    const std::uint8_t V = reply.data[2];
    unit.Version = decodeVersion(V);
    if (const UnitType* type = unitTypeForReply(code)) {
      unit.TypeName = std::string(type->name);
      unit.TypeCode = type->typeCode;
    }
    if (code < 11 || code == 15) unit.FeatureLevel = static_cast<std::uint16_t>(featureLevelOf(code, unit.Version));
    unit.PortName = std::string(portName);
    for (int i = 0; i < 4; ++i)
      unit.Capability[static_cast<std::size_t>(i)] =
          static_cast<std::uint16_t>(reply.data[static_cast<std::size_t>(6 + 2 * i)] << 8 |
                                     reply.data[static_cast<std::size_t>(7 + 2 * i)]);
    if (code == 1 || code == 2) unit.DeviceClass = 8;
    if (code >= 11 && code <= 15) unit.DeviceClass = 1;
    unit.SummerTimeMode = 0;
    if (code == 15 || (code == 14 && V == 123)) unit.SummerTimeMode = reply.data[5];
  }
  if (keepOpen && accepted) {
    unit.Connected = true;
    return true;
  }
  m_line.CloseLine();
  return accepted;
}

bool Protocol::FindUnit(int preferredPort, int selection, std::span<const std::string> laterPorts) {
  // FindUnit: the preferred port, then a hand-shake probe, then every port in turn
  bool found = false;
  if (preferredPort >= 1 && selection >= 1) {
    unit.TypeCode = 500;
    found = IdentifyUnit("COM" + std::to_string(preferredPort), false);
  }
  if (found) return true;
  unit.TypeCode = 0;
  int handshakePort = 0;
  for (int n = 1; n <= 4 && handshakePort == 0 && !CancelRequested; ++n) {
    if (m_line.OpenLine("COM" + std::to_string(n)) < 0) continue;
    m_line.LineControl(kClearDtr);
    const std::uint32_t start = m_line.nowMs();
    const std::uint32_t limit = daysToMs(kDays2_592s);
    for (;;) {
      if (m_line.ModemStatus() == kUnitReady) {
        handshakePort = n;
        break;
      }
      if (static_cast<std::uint32_t>(m_line.nowMs() - start) >= limit || CancelRequested) break;
      processMessages();
    }
    m_line.LineControl(kSetDtr);
    m_line.CloseLine();
  }
  if (handshakePort == 0) unit.TypeCode = 500;
  for (int n = handshakePort ? handshakePort : 1; n <= 4 && !found && !CancelRequested; ++n)
    found = IdentifyUnit("COM" + std::to_string(n), false);
  for (std::size_t i = 0; i < laterPorts.size() && !found && !CancelRequested; ++i)
    found = IdentifyUnit(laterPorts[i], false);
  return found;
}

bool Protocol::CheckUnit(int mode, std::string_view portText, std::string_view selectedType) {
  // CheckUnit: identify, compare with the chosen type, report
  std::string port;
  for (char c : portText)
    if (c != ' ') port += c;
  if (port.empty()) {
    showError(m_ui, "Kein COM-Port auf der Seite Steuereinheit angegeben.");
    return false;
  }
  receiveTimerRunning = false;
  bool ok = IdentifyUnit(port, true);
  if (!ok && !CancelRequested) ok = IdentifyUnit(port, true);
  if (ok && mode != 0 && selectedType != unit.TypeName) {
    const std::string head = fromUtf8(
        "Die angeschlossene Steuereinheit entspricht nicht dem angegeben Typ\r"
        "Benutzen Sie AutoDetect um die richtige Steuereinheit einzustellen.\r");
    if (mode == 1) {
      const Message question{MessageKind::Question, head + fromUtf8("Soll die Ausführung trotzdem fortgesetzt werden ?"),
                             MessageButtons::YesNo, 0};
      if (m_ui.showMessage(question) != MessageAnswer::Yes) {
        m_line.CloseLine();
        receiveTimerRunning = true;
        return false;
      }
    } else {
      showError(m_ui, head + fromUtf8("Die gewünschte Aktion ist mit der Steuereinheit nicht ausführbar."));
      m_line.CloseLine();
      receiveTimerRunning = true;
      return false;
    }
  }
  if (!ok) showError(m_ui, "Keine Steuereinheit gefunden an Port " + port);
  receiveTimerRunning = true;
  return ok;
}

void Protocol::receiveTick() {
  // The main window's receive timer
  if (!receiveTimerRunning) return;
  if (!(m_line.LineOpen || m_line.ModemLinkUp) || m_line.LineHandle < 0) return;
  const std::uint64_t now = m_line.clock().monotonicMs();
  if (slot.L != 0 && now - slotTimeMs > daysToMs(kDays4_32s)) clearSlot();
  if (slot.L == 0 && m_line.InputCount() > 0) {
    // Only a whole, sound frame takes the slot.
    if (ReceiveFrame(m_line.LineHandle, slot) <= 0) clearSlot();
    slotTimeMs = m_line.clock().monotonicMs();
  }
}

bool Protocol::waitForSlot(double days) {
  const std::uint64_t start = m_line.clock().monotonicMs();
  const std::uint64_t limit = daysToMs(days);
  for (;;) {
    receiveTick();
    if (slot.L != 0) return true;
    if (m_line.clock().monotonicMs() - start >= limit) return false;
    processMessages();
  }
}

}  // namespace kelvaro
