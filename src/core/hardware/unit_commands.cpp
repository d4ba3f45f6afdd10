// The control-unit commands.
#include "hardware/unit_commands.h"

#include <algorithm>
#include <cstdio>

#include "ui/user_interface.h"
#include "language/errors.h"
#include "language/image.h"
#include "storage/atomic_file.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "time/date_time.h"

namespace kelvaro {
namespace {

constexpr int kBlockSize = 100;

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

bool UnitCommands::SetUnitClock() {
  // SetUnitClock: command 0x20 with the PC's date and time, no reply
  const DateTime now = m_protocol.line().clock().now();
  const CalendarDate d = decodeDate(now);
  const ClockTime t = decodeTime(now);
  const std::uint8_t data[] = {0x20,
                               static_cast<std::uint8_t>(d.year % 100),
                               static_cast<std::uint8_t>(d.month),
                               static_cast<std::uint8_t>(d.day),
                               static_cast<std::uint8_t>(t.hour),
                               static_cast<std::uint8_t>(t.minute),
                               static_cast<std::uint8_t>(t.second),
                               static_cast<std::uint8_t>(dayOfWeek(now) - 1)};
  const int r = send(data, 12, 102, 3);
  if (r < 1) m_protocol.ui().beep();
  return r == 14;
}

bool UnitCommands::ProgramTransfer(Project& project, const CompileOptions& baseOptions,
                                   const std::optional<std::string>& outputFile) {
  // ProgramTransfer: identify, compile, prepare, load address, blocks, end, name, clock
  UserInterface& ui = m_protocol.ui();
  SerialLine& line = m_protocol.line();
  const bool hasObjects = !project.objects.empty();
  if (!hasObjects) m_page.StSndPgmCB = false;
  status("");
  m_protocol.CancelRequested = false;
  bool ok = true;

  ui.showWait(kConnectingText);
  if (!m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB)) {
    ui.closeWait();
    return false;
  }
  m_page.ConvertCoB = m_protocol.unit.TypeName;
  ui.closeWait();
  const std::uint8_t loadHigh = m_protocol.unit.TypeCode == 11 ? 0x30 : 0x10;

  auto finish = [&](bool result) {
    m_compiled = {};
    line.CloseLine();
    status("");
    return result;
  };

  if (m_page.StSndPgmCB || outputFile) {
    CompileOptions options = baseOptions;
    options.unitTypeCode = m_protocol.unit.TypeCode;
    if (sunTable) options.sunTable = sunTable(m_protocol.unit.SummerTimeMode < 3);
    m_compiled = compile(project, project.constants, CompileMode::Image, options);
    if (m_compiled.result.code != 0) {
      if (m_compiled.result.code == kErrOverflow) {
        showError(ui, fromUtf8("Speicherüberlauf - Programm zu groß"));
      } else if (m_compiled.result.code > -8000) {
        if (showCompileError) showCompileError(m_compiled);
        else showError(ui, languageErrorMessage(m_compiled.result.code, m_compiled.result.name));
      }
      return finish(false);
    }
    m_page.InfoPgmGrLb = std::to_string(memoryUsePercent(m_compiled)) + " %";
    if (outputFile) {
      if (!replaceFile(*outputFile, imageFileBytes(m_compiled, *outputFile))) {
        showError(ui, "Datei " + *outputFile + " konnte nicht gespeichert werden");
        return finish(false);
      }
      return finish(true);
    }
  }

  status(fromUtf8("Übertragung läuft"));
  if (m_page.StInitCB || m_page.StSndPgmCB) {
    const std::uint8_t prepare[] = {0x29, 0};
    send(prepare, 6);
    line.WaitDays(kDays172_8ms);
  }
  if (m_page.StSndPgmCB && hasObjects) {
    line.WaitDays(kDays172_8ms);
    const std::uint8_t address[] = {0x36, loadHigh, 0, 0};
    send(address, 8);
    line.WaitDays(kDays172_8ms);
    status(fromUtf8("Programm wird übertragen"));
    const int start = m_compiled.imageBase;
    const int end = m_compiled.imageBase + m_compiled.imageSize + 1;
    const int total = (end - start + kBlockSize - 1) / kBlockSize;
    int sent = 0;
    for (int a = start; a < end; a += kBlockSize) {
      // The last block is a whole one too: it carries what the buffer holds past the end.
      // The frame's length counts one byte more than command and block: it goes as 0.
      std::uint8_t block[1 + kBlockSize + 1] = {};
      block[0] = 0x37;
      for (int i = 0; i < kBlockSize; ++i) {
        const std::size_t index = static_cast<std::size_t>(a + i - kDataStart);
        block[1 + i] = index < m_compiled.image.size() ? m_compiled.image[index] : 0xFF;
      }
      line.WaitDays(kDays172_8ms);
      if (send(block, 106) != 108) {
        showError(ui, fromUtf8("Fehler bei der Programm-Übertragung"));
        status(fromUtf8("Abbruch der Programmübertragung"));
        return finish(false);
      }
      ++sent;
      ui.showProgress(sent, total);
      if (blockSent) blockSent(sent, total);
    }
    line.WaitDays(kDays1_728s);
    const std::uint8_t endOfData[] = {0x38, 0};
    send(endOfData, 6);
    line.WaitDays(kDays172_8ms);
    std::uint8_t name[10] = {0x39, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0};
    for (std::size_t i = 0; i < 8 && i < m_page.ProjNamLb.size(); ++i)
      name[1 + i] = static_cast<std::uint8_t>(m_page.ProjNamLb[i]);
    ok = send(name, 14) == 16;
  } else if (m_page.StSndPgmCB) {
    showError(ui, "Keine Objekte definiert");
    status("");
    return finish(false);
  }
  if (m_page.StSndTimeCB) ok = SetUnitClock() && ok;
  return finish(ok);
}

bool UnitCommands::ConfigWrite() {
  // ConfigWrite: load address, the 74 bytes, end of configuration
  SerialLine& line = m_protocol.line();
  if (!m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB)) return false;
  line.WaitDays(kDays17_28ms);
  const std::uint8_t address[] = {0x36, static_cast<std::uint8_t>(m_protocol.unit.TypeCode == 11 ? 0x10 : 0x06), 0, 0};
  send(address, 8);
  line.WaitDays(kDays17_28ms);
  status(fromUtf8("Konfigurationsdaten werden übertragen"));
  std::vector<std::uint8_t> block = configurationBytes(m_page, m_protocol.unit.DeviceClass);
  block[0] = 0x37;
  line.WaitDays(kDays172_8ms);
  bool ok = send(block, 79) == 81;
  if (ok) {
    line.WaitDays(kDays34_56ms);
    const std::uint8_t end[] = {0x50, block[1]};
    send(end, 6);
    line.WaitDays(kDays17_28ms);
  } else {
    showError(m_protocol.ui(), fromUtf8("Übertragungsfehler"));
  }
  line.CloseLine();
  status("");
  return ok;
}

bool UnitCommands::ConfigRead() {
  // ConfigRead: request "Q", wait for the reply in the slot, fill the fields
  SerialLine& line = m_protocol.line();
  if (!m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB)) return false;
  status("");
  line.WaitDays(kDays0_864ms);
  m_protocol.clearSlot();
  line.PurgePort(kPurgeInput);
  line.WaitDays(kDays691_2ms);
  const std::uint8_t request[] = {0x51, 0};
  send(request, 6);
  line.PurgePort(kPurgeInput);
  bool ok = false;
  if (!m_protocol.waitForSlot(kDays864ms)) {
    status("Fehler bei Empfang 2");
  } else if (m_protocol.slot.receiver.Kind != kKindUnit || m_protocol.slot.receiver.Address[0] != 1) {
    status("Fehler bei Empfang 1");
  } else if (m_protocol.slot.data[0] == 'Q' || m_protocol.slot.data[0] == 'R') {
    const ReceivedFrame& f = m_protocol.slot;
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
  }
  line.CloseLine();
  return ok;
}

bool UnitCommands::UnitAction(std::uint8_t command, std::string_view actionName) {
  // UnitAction: one command, confirmed by 0x0A
  SerialLine& line = m_protocol.line();
  if (!m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB)) return false;
  line.WaitDays(kDays172_8ms);
  m_protocol.clearSlot();
  const std::uint8_t data[] = {command, 0};
  send(data, 6);
  bool ok = false;
  if (m_protocol.waitForSlot(kDays864ms) && m_protocol.slot.receiver.Kind == kKindUnit &&
      m_protocol.slot.receiver.Address[0] == 1 && m_protocol.slot.data[0] == 0x0A) {
    status(fromUtf8(std::string(actionName) + " ausgeführt"));
    m_protocol.clearSlot();
    ok = true;
  } else {
    status(fromUtf8("Keine Bestätigung erhalten"));
  }
  line.CloseLine();
  return ok;
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
  SerialLine& line = m_protocol.line();
  if (!m_protocol.CheckUnit(0, m_page.ComPortCoB, m_page.ConvertCoB)) return false;
  status("");
  line.WaitDays(kDays0_864ms);
  m_protocol.clearSlot();
  line.PurgePort(kPurgeInput);
  line.WaitDays(kDays5_184s);
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
  line.CloseLine();
  return ok;
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
  const bool found = m_protocol.FindUnit(preferred, m_page.ConvertIndex);
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
