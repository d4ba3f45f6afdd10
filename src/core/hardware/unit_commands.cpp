// The control-unit commands.
#include "hardware/unit_commands.h"

#include <algorithm>
#include <cstdio>

#include "ui/user_interface.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "time/date_time.h"

namespace kelvaro {
namespace {

// Hundredths as a number with two decimals and the German decimal comma.
std::string hundredths(int value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d,%02d", value / 100, std::abs(value % 100));
  return text;
}

}  // namespace

RemoteAccess splitRemoteAccess(std::string_view text) {
  RemoteAccess a;
  if (const auto semi = text.find(';'); semi != std::string_view::npos) {
    a.number = std::string(text.substr(0, semi));
    a.password = std::string(text.substr(semi + 1, 6));
  } else if (!text.empty() && !(text[0] >= 'A' && text[0] <= 'Z')) {
    a.number = std::string(text.substr(0, 5));
  } else {
    a.password = std::string(text.substr(0, 6));
  }
  // The unit holds exactly five places for the number.
  if (a.number.size() > 5) a.number.resize(5);
  if (!a.number.empty()) a.number.resize(5, '0');
  return a;
}

std::vector<std::uint8_t> configurationBytes(UnitPage& page, std::uint16_t deviceClass) {
  std::vector<std::uint8_t> c(75, 0);
  // A number the int type cannot hold is no valid number either (the settings file may say
  // anything); a valid one keeps its low byte, as the unit has always been sent.
  c[1] = static_cast<std::uint8_t>(static_cast<unsigned>(parseInt(page.ClockKorEd).value_or(0)) & 0xFFu);
  const std::size_t n = std::min<std::size_t>(page.InitModemEd.size(), 31);
  c[2] = static_cast<std::uint8_t>(n);
  std::copy_n(page.InitModemEd.begin(), n, c.begin() + 3);
  page.PasswModemEd = upperCase(page.PasswModemEd);
  const RemoteAccess access = splitRemoteAccess(page.PasswModemEd);
  std::copy(access.number.begin(), access.number.end(), c.begin() + 34);
  if (page.ConnectModemEd.size() > 25) page.ConnectModemEd.erase(0, page.ConnectModemEd.size() - 25);
  c[39] = static_cast<std::uint8_t>(page.ConnectModemEd.size());
  std::copy(page.ConnectModemEd.begin(), page.ConnectModemEd.end(), c.begin() + 40);
  c[65] = static_cast<std::uint8_t>(access.password.size());
  std::copy(access.password.begin(), access.password.end(), c.begin() + 66);
  c[72] = 0;
  c[73] = static_cast<std::uint8_t>(deviceClass & 0xFF);
  c[74] = page.rs232Prot;
  return c;
}

std::string firmwareText(std::span<const std::uint8_t> data) {
  auto at = [&](std::size_t i) -> unsigned { return i < data.size() ? data[i] : 0u; };
  std::string text;
  for (std::size_t i = 76; i <= 82; ++i)
    if (at(i) != 0) text += static_cast<char>(at(i));
  char digits[4];
  std::snprintf(digits, sizeof digits, "%03u", at(6));
  text += "-";
  text += {digits[2], digits[1], digits[0]};
  text += "-" + std::to_string(at(5)) + "-" + std::to_string(at(7)) + "." + std::to_string(at(8)) + "." +
          std::to_string(at(9)) + "-" + std::to_string(at(10));
  return text;
}

int UnitCommands::send(std::span<const std::uint8_t> data, int L, int mode, std::uint8_t address) {
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Address[0] = address;
  return m_protocol.SendFrame(m_protocol.line().LineHandle, mode, h, L, data);
}

void UnitCommands::status(std::string text) {
  m_page.MsgLb = std::move(text);
  m_protocol.ui().showStatus(m_page.MsgLb);
}

std::string UnitCommands::portName() const {
  std::string port;
  for (char c : m_page.ComPortCoB)
    if (c != ' ') port += c;
  return port;
}

bool UnitCommands::Identify() { return m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB); }

void UnitCommands::Release(bool clearStatus) {
  m_protocol.line().CloseLine();
  if (clearStatus) status("");
}

bool UnitCommands::onUnit(const std::function<bool(SerialLine& line)>& body, bool clearStatus) {
  if (!Identify()) return false;
  const bool ok = body(m_protocol.line());
  Release(clearStatus);
  return ok;
}

void UnitCommands::settleBeforeRequest(double pauseDays) {
  SerialLine& line = m_protocol.line();
  status("");
  line.WaitDays(kDays0_864ms);
  m_protocol.clearSlot();
  line.PurgePort(kPurgeInput);
  line.WaitDays(pauseDays);
}

std::array<std::uint8_t, 8> unitClockCommand(DateTime now) {
  const CalendarDate d = decodeDate(now);
  const ClockTime t = decodeTime(now);
  return {0x20,
          static_cast<std::uint8_t>(d.year % 100),
          static_cast<std::uint8_t>(d.month),
          static_cast<std::uint8_t>(d.day),
          static_cast<std::uint8_t>(t.hour),
          static_cast<std::uint8_t>(t.minute),
          static_cast<std::uint8_t>(t.second),
          static_cast<std::uint8_t>(dayOfWeek(now) - 1)};
}

bool UnitCommands::SetUnitClock() {
  // SetUnitClock: command 0x20 with the PC's date and time, no reply
  const auto data = unitClockCommand(m_protocol.line().clock().now());
  const int r = send(data, 12, kModeUnitClock, kUnitClockAddress);
  if (r < 1) m_protocol.ui().beep();
  return r == 14;
}

bool UnitCommands::ConfigWrite() {
  // ConfigWrite: load address, the 74 bytes, end of configuration
  return onUnit(
      [&](SerialLine& line) {
        line.WaitDays(kDays17_28ms);
        const std::uint8_t address[] = {0x36, static_cast<std::uint8_t>(m_protocol.unit.TypeCode == 11 ? 0x10 : 0x06),
                                        0, 0};
        send(address, 8);
        line.WaitDays(kDays17_28ms);
        status(fromUtf8("Konfigurationsdaten werden übertragen"));
        std::vector<std::uint8_t> block = configurationBytes(m_page, m_protocol.unit.DeviceClass);
        block[0] = 0x37;
        line.WaitDays(kDays172_8ms);
        const bool ok = send(block, 79) == 81;
        if (ok) {
          line.WaitDays(kDays34_56ms);
          const std::uint8_t end[] = {0x50, block[1]};
          send(end, 6);
          line.WaitDays(kDays17_28ms);
        } else {
          showError(m_protocol.ui(), fromUtf8("Übertragungsfehler"));
        }
        return ok;
      },
      true);
}

bool UnitCommands::ConfigRead() {
  // ConfigRead: request "Q", wait for the reply in the slot, fill the fields
  return onUnit([&](SerialLine& line) {
    settleBeforeRequest(kDays691_2ms);
    const std::uint8_t request[] = {0x51, 0};
    send(request, 6);
    line.PurgePort(kPurgeInput);
    if (!m_protocol.waitForSlot(kDays864ms)) {
      status("Fehler bei Empfang 2");
      return false;
    }
    if (m_protocol.slot.receiver.Kind != kKindUnit || m_protocol.slot.receiver.Address[0] != 1) {
      status("Fehler bei Empfang 1");
      return false;
    }
    if (m_protocol.slot.data[0] != 'Q' && m_protocol.slot.data[0] != 'R') return false;
    const ReceivedFrame& f = m_protocol.slot;
    bool ok = false;
    // Only what the frame brought counts: the slot may hold bytes of an older, longer frame.
    const std::size_t count = static_cast<std::size_t>(std::max(0, f.L - 4));
    auto text = [&](std::size_t from, std::size_t length) {
      std::string t;
      for (std::size_t i = from; i < from + length && i < count; ++i) t += static_cast<char>(f.data[i]);
      return t;
    };
    if (f.data[2] >= 128) {
      status("Fehler bei Empfang");
    } else {
      m_page.InitModemEd = text(3, f.data[2]);
      std::string access;
      for (std::size_t i = 34; i <= 38 && i < count && f.data[i] != 0; ++i) access += static_cast<char>(f.data[i]);
      const std::size_t k = std::min<std::size_t>(f.data[65], 6);
      if (k != 0) {
        if (!access.empty()) access += ';';
        access += text(66, k);
      }
      m_page.PasswModemEd = access;
      m_page.ConnectModemEd = text(40, std::min<std::size_t>(f.data[39], 25));
      if (f.data[0] == 'Q') m_page.ClockKorEd = std::to_string(f.data[1]);
      status("Konfigurationsdaten wurden gelesen");
      ok = true;
    }
    m_protocol.clearSlot();
    return ok;
  });
}

bool UnitCommands::UnitAction(std::uint8_t command, std::string_view actionName) {
  // UnitAction: one command, confirmed by 0x0A
  return onUnit([&](SerialLine& line) {
    line.WaitDays(kDays172_8ms);
    m_protocol.clearSlot();
    const std::uint8_t data[] = {command, 0};
    send(data, 6);
    if (m_protocol.waitForSlot(kDays864ms) && m_protocol.slot.receiver.Kind == kKindUnit &&
        m_protocol.slot.receiver.Address[0] == 1 && m_protocol.slot.data[0] == 0x0A) {
      status(fromUtf8(std::string(actionName) + " ausgeführt"));
      m_protocol.clearSlot();
      return true;
    }
    status(fromUtf8("Keine Bestätigung erhalten"));
    return false;
  });
}

bool UnitCommands::StartWithoutProgram() {
  // Start without the stored program: DTR high while the user resets the unit
  SerialLine& line = m_protocol.line();
  const std::string port = portName();
  if (line.OpenLine(port) < 0) {
    showError(m_protocol.ui(), fromUtf8("Fehler beim Öffnen der seriellen Schnittstelle ") + port);
    return false;
  }
  m_protocol.ui().showMessage(
      {MessageKind::Information,
       fromUtf8("Drücken Sie jetzt den RESET-Knopf der Steuereinheit.\rDas in der Steuereinheit gespeicherte "
                "Programm wird nicht geladen.\rWarten Sie bis die Steuereinheit <PC-Verbindung> oder <Offline> "
                "anzeigt.\rDrücken Sie dann auf den OK-Knopf."),
       MessageButtons::Ok, 0});
  line.LineControl(kClearDtr);
  line.CloseLine();
  return true;
}

bool UnitCommands::FirmwareInfo() {
  // Firmware information: request "?", show the first reply's text
  return onUnit([&](SerialLine& line) {
    settleBeforeRequest(kDays5_184s);
    const std::uint8_t request[] = {0x3F, 1, 1, 0, 0x70, 0};
    send(request, 10);
    bool ok = false;
    const std::uint64_t start = line.clock().monotonicMs();
    const std::uint64_t limit = daysToMs(kDays3_456s);
    while (line.clock().monotonicMs() - start < limit) {
      m_protocol.receiveTick();
      if (m_protocol.slot.L != 0 && m_protocol.slot.data[0] == '?') {
        const std::size_t count = static_cast<std::size_t>(std::max(0, m_protocol.slot.L - 4));
        m_page.RelInfoLb = firmwareText(std::span<const std::uint8_t>(m_protocol.slot.data).first(count));
        m_protocol.clearSlot();
        ok = true;
      }
      m_protocol.processMessages();
    }
    return ok;
  });
}

bool UnitCommands::AutoDetect() {
  // AutoDetect: search the ports, report what answered
  UserInterface& ui = m_protocol.ui();
  m_page.CfgM.clear();
  const bool blank = std::all_of(m_page.ComPortCoB.begin(), m_page.ComPortCoB.end(), [](char c) { return c == ' '; });
  int preferred = 0;
  if (!blank && m_page.ComPortCoB.size() >= 4 && m_page.ComPortCoB[3] >= '0' && m_page.ComPortCoB[3] <= '9')
    preferred = m_page.ComPortCoB[3] - '0';
  ui.showWait(kConnectingText);
  m_protocol.receiveTimerRunning = false;
  const bool found = m_protocol.FindUnit(preferred, m_page.ConvertIndex, laterSearchPorts);
  ui.closeWait();
  const UnitRecord& u = m_protocol.unit;
  bool ok = false;
  if (found) {
    const int code = u.TypeCode;
    if (code == 11 || (code >= 122 && code <= 125)) {
      m_page.ConvertCoB = u.TypeName;
      m_page.ComPortCoB = u.PortName;
      ui.showMessage({MessageKind::Information, "Steuereinheit " + u.TypeName + " gefunden an " + u.PortName,
                      MessageButtons::Ok, 0});
      m_page.CfgM.push_back("Steuereinheit : " + u.TypeName);
      m_page.CfgM.push_back("Prog.-Version : " + hundredths(u.Version));
      const char* labels[] = {"PLC-Controller : ", "Funk-Controller: "};
      for (int i = 0; i < 2; ++i) {
        const int low = u.Capability[static_cast<std::size_t>(i)] & 0xFF;
        if (low < 255) m_page.CfgM.push_back(labels[i] + hundredths(low));
      }
      ok = true;
    } else if (code == 1 || code == 2) {
      m_page.ConvertCoB = u.TypeName;
      m_page.ComPortCoB = u.PortName;
      ui.showMessage({MessageKind::Information, "Funk-Schnittstelle " + u.TypeName + " gefunden an " + u.PortName,
                      MessageButtons::Ok, 0});
      m_page.CfgM.push_back("Funk-Schnittstelle : " + u.TypeName);
      m_page.CfgM.push_back("Prog.-Version : " + hundredths(u.Version));
      ok = true;
    } else {
      showError(ui, "Unbekannte Steuereinheit (" + std::to_string(code) + ")" + " gefunden an " + u.PortName +
                        "\r" + "Bitte benutzen Sie eine neuere Programmversion.");
      m_page.CfgM.push_back("Unbekannte Steuereinheit " + std::to_string(code));
    }
    if (typeChanged) typeChanged();
  } else {
    showError(ui, fromUtf8("Keine Steuereinheit gefunden.\rBitte überprüfen Sie die Kabelverbindungen."));
  }
  m_protocol.receiveTimerRunning = true;
  return ok;
}

}  // namespace kelvaro
