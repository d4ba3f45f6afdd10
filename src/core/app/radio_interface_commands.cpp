// The radio interface dialog on the line.
#include "app/radio_interface_commands.h"

#include "hardware/radio_interface.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

int sendRequest(Protocol& protocol, const RadioRequest& r) {
  return protocol.SendFrame(protocol.line().LineHandle, r.sendMode, r.header, r.L, r.data);
}

}  // namespace

RadioInterfaceCommands::RadioInterfaceCommands(Protocol& protocol, std::string port) : m_protocol(protocol) {
  for (char c : port)
    if (c != ' ') m_port += c;
}

RadioInterfaceCommands::~RadioInterfaceCommands() { Close(); }

void RadioInterfaceCommands::status(std::string text) {
  MsgLab = std::move(text);
  m_protocol.ui().showStatus(MsgLab);
}

bool RadioInterfaceCommands::Open() {
  // Open: identify, "A" to a control unit, read the code
  SerialLine& line = m_protocol.line();
  m_timerWasRunning = m_protocol.receiveTimerRunning;
  m_protocol.receiveTimerRunning = false;
  if (line.portOpen()) line.PurgePort(kPurgeInput);
  if (m_port.empty() || !m_protocol.IdentifyUnit(m_port, true)) {
    showError(m_protocol.ui(), "Keine Steuereinheit gefunden an Port " + m_port);
    m_protocol.receiveTimerRunning = m_timerWasRunning;
    return false;
  }
  m_open = true;
  if (usesConfigurationMode(m_protocol.unit.TypeCode)) {
    line.PurgePort(kPurgeInput);
    line.WaitDays(kDays8_64ms);
    sendRequest(m_protocol, configurationModeRequest(true));
  }
  ReadCentralCode();
  return true;
}

bool RadioInterfaceCommands::ReadCentralCode() {
  // ReadCentralCode: the request, then frames until the reply or 172.8 ms
  SerialLine& line = m_protocol.line();
  status(std::string(kRadioReadingText));
  line.PurgePort(kPurgeInput);
  const std::uint64_t start = line.clock().monotonicMs();
  sendRequest(m_protocol, readCentralCodeRequest());
  const std::uint64_t limit = daysToMs(kDays172_8ms);
  bool ok = false;
  while (!ok) {
    const std::uint64_t waitStart = line.clock().monotonicMs();
    while (line.InputCount() < 8 && line.clock().monotonicMs() - waitStart < limit) m_protocol.processMessages();
    line.WaitDays(kDays86_4ms);
    if (line.InputCount() > 0) {
      line.WaitDays(kDays86_4ms);
      ReceivedFrame frame;
      if (m_protocol.ReceiveFrame(line.LineHandle, frame) > 0) {
        if (const auto reply = decodeCentralCodeReply(frame)) {
          ZentrCodeEdt = reply->code;
          serialNumber = reply->serialNumber;
          SerNrLb = std::to_string(reply->serialNumber);
          ok = true;
        }
      }
    }
    if (line.clock().monotonicMs() - start >= limit) break;
  }
  status(std::string(ok ? kRadioReadDoneText : kRadioReadFailedText));
  return ok;
}

bool RadioInterfaceCommands::WriteCentralCode(int code) {
  const auto request = writeCentralCodeRequest(code);
  if (!request) return false;
  status(std::string(kRadioWritingText));
  if (sendRequest(m_protocol, *request) < 1) m_protocol.ui().beep();
  m_protocol.line().WaitDays(kDays500ms);
  return ReadCentralCode() && ZentrCodeEdt == code;
}

bool RadioInterfaceCommands::HiddenCommand() { return sendRequest(m_protocol, hiddenCommandRequest()) > 0; }

void RadioInterfaceCommands::Close() {
  SerialLine& line = m_protocol.line();
  if (m_protocol.unit.Connected && line.portOpen() && usesConfigurationMode(m_protocol.unit.TypeCode)) {
    line.PurgePort(kPurgeInput);
    line.WaitDays(kDays8_64ms);
    if (sendRequest(m_protocol, configurationModeRequest(false)) < 1) m_protocol.ui().beep();
  }
  if (m_open) {
    line.CloseLine();
    m_open = false;
    m_protocol.receiveTimerRunning = m_timerWasRunning;
  }
}

}  // namespace kelvaro
