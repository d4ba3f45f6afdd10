// Fuzz target for what the PC makes of the control unit's replies: identification (the check
// before every action), configuration read, firmware information, AutoDetect, the actions and
// the configuration write, each run against a device in this process that answers every frame
// the PC sends with the next scripted reply. The input:
//   byte 0   the command (see kCommands)
//   byte 1   the modem lines the device shows (CTS, DSR, RING, DCD in the low four bits)
//   then replies, each: a flag byte, a length byte n and n bytes. Flag bit 0 sends the n bytes
//   as the data of a frame from the unit (start byte, length, kind 0xC9, checksum, addresses
//   1 and 2); bit 1 spoils that frame's checksum; bit 2 takes its kind and addresses from the
//   first three of the n bytes instead; without bit 0 the n bytes go on the line as they are.
//   The high four bits delay the reply by that many times 16 ms.
//
// What must hold whatever the unit answers: every command ends within a bounded virtual time
// and releases the port; the unit record holds a known type or none and a decodable version;
// the fields filled from a configuration reply keep the lengths the page and the unit allow;
// the firmware text is short and holds no NUL; AutoDetect reports at most four lines.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "hardware/in_process_port.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "hardware/unit_commands.h"
#include "hardware/unit_types.h"
#include "text/text_util.h"
#include "time/clock.h"

namespace kelvaro::fuzz {
namespace {

enum class Command { Identify, ConfigRead, FirmwareInfo, AutoDetect, Action, ConfigWrite, Clock, CheckType };
constexpr Command kCommands[] = {Command::Identify,    Command::ConfigRead,  Command::FirmwareInfo,
                                 Command::AutoDetect,  Command::Action,      Command::ConfigWrite,
                                 Command::Clock,       Command::CheckType};

// Virtual time a command may take at most: AutoDetect tries four ports twice with their pauses.
constexpr std::uint64_t kMaxCommandMs = 10 * 60 * 1000;
// Each wait of the line moves the clock on by this much: fine enough for the protocol's pauses
// and limits (the shortest is 9 ms), coarse enough to keep the seconds-long waits quick.
constexpr std::uint64_t kPumpMs = 4;

class ScriptedUnit final : public SimulatedDevice {
 public:
  ScriptedUnit(const std::uint8_t* data, std::size_t size, int lines) : m_lines(lines) {
    std::size_t at = 0;
    while (at + 2 <= size) {
      const std::uint8_t flags = data[at];
      const std::size_t n = std::min<std::size_t>(data[at + 1], size - at - 2);
      m_replies.push_back(reply(flags, std::span<const std::uint8_t>(data + at + 2, n)));
      at += 2 + n;
    }
  }

  void fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) override {
    // A frame is whole when its length byte's count has come after the start byte.
    for (std::uint8_t b : bytes) {
      if (m_rx.empty() && b != kStartByte) continue;
      m_rx.push_back(b);
      if (m_rx.size() >= 2 && m_rx.size() == static_cast<std::size_t>(m_rx[1]) + 2) {
        m_rx.clear();
        ++framesFromPc;
        if (m_next < m_replies.size()) {
          const Reply& r = m_replies[m_next++];
          std::uint64_t when = nowMs + 5 + r.delayMs;
          for (std::uint8_t out : r.bytes) m_out.push_back({++when, out});
        }
      }
    }
  }
  void pcLines(bool, bool, std::uint64_t) override {}
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override {
    while (m_sent < m_out.size() && m_out[m_sent].first <= nowMs) out.push_back(m_out[m_sent++].second);
  }
  int modemLines(std::uint64_t) override { return m_lines; }

  int framesFromPc = 0;

 private:
  struct Reply {
    std::uint64_t delayMs = 0;
    std::vector<std::uint8_t> bytes;
  };

  static Reply reply(std::uint8_t flags, std::span<const std::uint8_t> data) {
    Reply r;
    r.delayMs = 16u * (flags >> 4);
    if ((flags & 1) == 0) {
      r.bytes.assign(data.begin(), data.end());
      return r;
    }
    std::uint8_t kind = 0xC9, to = 1, from = 2;
    if ((flags & 4) != 0 && data.size() >= 3) {
      kind = data[0];
      to = data[1];
      from = data[2];
      data = data.subspan(3);
    }
    r.bytes = {kStartByte, static_cast<std::uint8_t>(data.size() + 4), kind, 0, to, from};
    r.bytes.insert(r.bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = 4; i < r.bytes.size(); ++i) sum += r.bytes[i];
    r.bytes[3] = static_cast<std::uint8_t>(sum + ((flags & 2) != 0 ? 1 : 0));
    return r;
  }

  int m_lines;
  std::vector<Reply> m_replies;
  std::size_t m_next = 0;
  std::vector<std::uint8_t> m_rx;
  std::vector<std::pair<std::uint64_t, std::uint8_t>> m_out;
  std::size_t m_sent = 0;
};

void checkUnitRecord(const UnitRecord& u) {
  const std::string d = "type \"" + shown(u.TypeName) + "\" code " + std::to_string(u.TypeCode) + " version " +
                        std::to_string(u.Version);
  check(u.TypeName.empty() || unitTypeCode(u.TypeName) == u.TypeCode, "the unit's type name matches its code", d);
  check(u.Version >= 0 && u.Version <= 999, "the version is three decimal digits", d);
}

void checkFirmwareText(std::span<const std::uint8_t> data) {
  const std::string text = firmwareText(data);
  check(text.size() <= 7 + 24 && text.find('\0') == std::string::npos,
        "the firmware text is at most 31 characters without NUL", shown(text));
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  if (size < 2) return 0;
  const Command command = kCommands[data[0] % std::size(kCommands)];
  ManualClock clock(46000.5);
  QuietUserInterface ui;
  ScriptedUnit unit(data + 2, size - 2, data[1] & 0x0F);
  std::uint64_t pumps = 0;
  SerialLine line(
      clock, [&](const PortTarget&) { return std::make_unique<InProcessSerialPort>(unit, clock); },
      [&] {
        clock.advanceMs(kPumpMs);
        if (++pumps * kPumpMs > kMaxCommandMs) fail("a unit command ends in bounded time", "command " + std::to_string(data[0]));
      },
      &ui);
  line.resolve = [](std::string_view name) { return PortTarget{false, std::string(name)}; };
  Protocol protocol(line, ui);
  UnitPage page;
  page.ComPortCoB = "COM1";
  page.ConvertCoB = std::string(kDefaultUnitType);
  page.ConvertIndex = data[1] >> 4;
  UnitCommands commands(protocol, page);

  bool ok = false;
  switch (command) {
    case Command::Identify:
      ok = protocol.CheckUnit(0, page.ComPortCoB, page.ConvertCoB);
      line.CloseLine();
      break;
    case Command::CheckType:
      ok = protocol.CheckUnit(2, page.ComPortCoB, "CU-A1");
      line.CloseLine();
      break;
    case Command::ConfigRead:
      ok = commands.ConfigRead();
      if (ok) {
        const std::string d = "init \"" + shown(page.InitModemEd) + "\" connect \"" + shown(page.ConnectModemEd) +
                              "\" access \"" + shown(page.PasswModemEd) + "\" clock \"" + page.ClockKorEd + "\"";
        check(page.InitModemEd.size() < 128 && page.ConnectModemEd.size() <= 25 && page.PasswModemEd.size() <= 12,
              "a configuration reply fills the fields within their lengths", d);
        const std::optional<int> clock = parseInt(page.ClockKorEd);
        check(clock && *clock >= 0 && *clock <= 255, "the clock correction read is a byte", d);
      }
      break;
    case Command::FirmwareInfo:
      ok = commands.FirmwareInfo();
      if (ok)
        check(page.RelInfoLb.size() <= 31 && page.RelInfoLb.find('\0') == std::string::npos,
              "the firmware line is short and has no NUL", shown(page.RelInfoLb));
      break;
    case Command::AutoDetect:
      ok = commands.AutoDetect();
      check(page.CfgM.size() <= 4, "AutoDetect reports at most four lines", std::to_string(page.CfgM.size()));
      for (const std::string& m : page.CfgM) check(!m.empty(), "no empty AutoDetect line");
      break;
    case Command::Action:
      ok = commands.UnitAction(kUnitActions[data[1] % std::size(kUnitActions)].command, "Aktion");
      break;
    case Command::ConfigWrite:
      ok = commands.ConfigWrite();
      break;
    case Command::Clock:
      if (protocol.CheckUnit(0, page.ComPortCoB, page.ConvertCoB)) ok = commands.SetUnitClock();
      line.CloseLine();
      break;
  }
  (void)ok;
  checkUnitRecord(protocol.unit);
  check(!line.portOpen() && !line.LineOpen, "every command releases the port");
  checkFirmwareText(std::span<const std::uint8_t>(data, size));
  return 0;
}
