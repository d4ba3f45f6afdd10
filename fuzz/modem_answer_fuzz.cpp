// Fuzz target for what the PC makes of a modem's answers: the modem window dials or waits for a
// call while a modem on its port says whatever the input says, in pieces over many timer ticks,
// and once a link is up the main window reads the link's frames from the same bytes. The input:
//   byte 0   bit 0: wait for a call instead of dialling; bit 1: no initialisation text;
//            bit 2: the password dialog answers (else it is cancelled); bit 3: the window is
//            closed in the middle of the answers instead of at the end
//   then pieces, each: a delay byte d, a lines byte and a length byte n, then n bytes. The
//   piece arrives d times 16 ms after the one before; the low four bits of the lines byte are
//   the modem lines (CTS, DSR, RING, DCD) from then on.
//
// What must hold whatever the modem says: every click returns within the window's own time
// limits; the answer text and the answer list stay within their bounds, and the list shows no
// line breaks or control characters; ModemLinkUp is never set without a connection, and a
// connection always has its port; closing the window leaves the port closed and no link.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "fuzz_support.h"
#include "hardware/in_process_port.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "storage/settings.h"
#include "time/clock.h"

namespace kelvaro::fuzz {
namespace {

// The longest a click may wait: the initialisation's and the dial's limits, the hang-up's
// pauses, and reads of answers on the way.
constexpr std::uint64_t kMaxClickMs = 6912 + 69120 + 10000;
// The window's timers run this long after the last piece.
constexpr std::uint64_t kTailMs = 3000;
constexpr std::uint64_t kPumpMs = 2;

class TalkingModem final : public SimulatedDevice {
 public:
  TalkingModem(const std::uint8_t* data, std::size_t size) {
    std::uint64_t at = 0;
    std::size_t i = 0;
    while (i + 3 <= size) {
      at += 16u * data[i];
      const int lines = data[i + 1] & 0x0F;
      const std::size_t n = std::min<std::size_t>(data[i + 2], size - i - 3);
      m_pieces.push_back({at, lines, std::vector<std::uint8_t>(data + i + 3, data + i + 3 + n)});
      i += 3 + n;
    }
    lastMs = at;
  }
  void fromPc(std::span<const std::uint8_t>, std::uint64_t) override {}
  void pcLines(bool, bool, std::uint64_t) override {}
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override {
    const std::uint64_t t = nowMs - m_startMs;
    while (m_next < m_pieces.size() && m_pieces[m_next].atMs <= t) {
      const Piece& p = m_pieces[m_next++];
      out.insert(out.end(), p.bytes.begin(), p.bytes.end());
      m_lines = p.lines;
    }
  }
  int modemLines(std::uint64_t) override { return m_lines; }
  void start(std::uint64_t nowMs) { m_startMs = nowMs; }

  std::uint64_t lastMs = 0;

 private:
  struct Piece {
    std::uint64_t atMs;
    int lines;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Piece> m_pieces;
  std::size_t m_next = 0;
  std::uint64_t m_startMs = 0;
  int m_lines = 0;
};

class PasswordUser final : public QuietUserInterface {
 public:
  explicit PasswordUser(bool answers) : m_answers(answers) {}
  std::optional<std::string> passwordBox(std::string_view, std::string_view) override {
    if (m_answers) return std::string("abcdef");
    return std::nullopt;
  }

 private:
  bool m_answers;
};

void checkWindow(const ModemConnection& c, const SerialLine& line) {
  check(c.answerText().size() <= kModemAnswerKeep, "the answer text keeps its bound",
        std::to_string(c.answerText().size()));
  check(c.InputBox.size() <= kModemAnswerLines, "the answer list keeps its bound", std::to_string(c.InputBox.size()));
  for (const std::string& l : c.InputBox) {
    for (char ch : l)
      check(static_cast<unsigned char>(ch) >= 0x20, "an answer line shows no control characters", [&] { return shown(l); });
  }
  check(!line.ModemLinkUp || c.connected(), "ModemLinkUp only with a connection");
  check(!c.connected() || c.portOpen(), "a connection has its port");
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  ManualClock clock(46000.5);
  PasswordUser ui((mode & 4) != 0);
  TalkingModem modem(data + 1, size - 1);
  std::uint64_t clickStart = 0;
  bool inClick = false;
  SerialLine line(
      clock, [&](const PortTarget&) { return std::make_unique<InProcessSerialPort>(modem, clock); },
      [&] {
        clock.advanceMs(kPumpMs);
        if (inClick && clock.monotonicMs() - clickStart > kMaxClickMs)
          fail("a click returns within the window's time limits", std::to_string(mode));
      },
      &ui);
  line.resolve = [](std::string_view name) { return PortTarget{false, std::string(name)}; };
  Protocol protocol(line, ui);
  ModemConnection c(protocol, ui);
  ModemFrames frames(protocol, ui);
  frames.remoteProject = [](const std::string& name) {
    check(!name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos,
          "a remote project name stays a file name", shown(name));
  };
  c.ComPortCB = "COM1";
  c.TelNrEdt = "0301234";
  if ((mode & 2) == 0) c.ModemInitEdt = "ATZ";
  Settings settings;

  auto click = [&](auto&& what) {
    inClick = true;
    clickStart = clock.monotonicMs();
    what();
    inClick = false;
    checkWindow(c, line);
  };
  modem.start(clock.monotonicMs());
  if ((mode & 1) != 0) click([&] { c.WaitForConnectBtnClick(); });
  else click([&] { c.ConnectBtnClick(); });

  const std::uint64_t end = clock.monotonicMs() + modem.lastMs + kTailMs;
  const std::uint64_t closeAt = (mode & 8) != 0 ? clock.monotonicMs() + modem.lastMs / 2 : end;
  while (clock.monotonicMs() < closeAt) {
    clock.advanceMs(kModemTimerMs);
    click([&] {
      c.timer1Tick();
      c.timer2Tick();
      protocol.receiveTick();
      if (!frames.handleSlot() && protocol.slot.L > 0) protocol.clearSlot();
    });
  }
  click([&] { check(c.FormClose(settings), "closing with Yes closes the window"); });
  check(!c.portOpen() && !line.ModemLinkUp && !c.connected(), "closing leaves no port and no link");
  return 0;
}
