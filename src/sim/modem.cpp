// The simulated Hayes modem. The unit behind it runs one line delay behind the PC's clock: what
// the unit has sent by then has just reached the PC, and what the PC sent at t reaches the unit
// at t + delay. So the unit's own clock never goes back, and a round trip takes two delays.
#include "modem.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace kelvaro::sim {
namespace {

// The longest command line after "AT": the PC's 256-byte blocks less "AT" and the return. A
// longer line is answered with ERROR and what went beyond it is dropped, not stored.
constexpr std::size_t kMaxLine = 253;
// The RING line is on for a second per ring.
constexpr std::uint64_t kRingLineMs = 1000;
constexpr int kCts = 1, kDsr = 2, kRing = 4, kDcd = 8;
constexpr std::string_view kConnect = "CONNECT 9600\r\n";
constexpr std::size_t kSplitAt = 3;  // "CON" | "NECT 9600\r\n"
// The characters a dial string keeps; blanks and the rest are dropped.
constexpr std::string_view kDialCharacters = "0123456789*#,ABCDW@!";

// 9600 baud, ten bits a byte, as the unit's own replies.
std::uint64_t byteArrivalMs(std::uint64_t start, std::size_t index) {
  return start + ((index + 1) * 1042 + 999) / 1000;
}

const char* stateName(Modem::State s) {
  switch (s) {
    case Modem::State::Command: return "command";
    case Modem::State::Dialling: return "dialling";
    case Modem::State::Ringing: return "ringing";
    case Modem::State::Answering: return "answering";
    case Modem::State::Online: return "online";
    case Modem::State::OnlineCommand: return "online-command";
  }
  return "?";
}

}  // namespace

Modem::Modem(ControlUnit& far, ModemConfig config)
    : m_unit(far), m_config(std::move(config)), m_autoAnswer(m_config.autoAnswerRings) {}

void Modem::setScenario(Scenario scenario, std::uint64_t startMs) {
  m_events.clear();
  for (const auto& e : scenario.lineEvents)
    if (e.kind == LineAction::ModemCall || e.kind == LineAction::ModemHangup) m_events.push_back(e);
  m_nextEvent = 0;
  m_startMs = startMs;
  m_unit.setScenario(std::move(scenario), startMs);
}

void Modem::say(std::string_view text, std::uint64_t atMs) {
  const std::uint64_t start = std::max(atMs, m_toPc.empty() ? 0 : m_toPc.back().atMs);
  for (std::size_t i = 0; i < text.size(); ++i)
    m_toPc.push_back({byteArrivalMs(start, i), static_cast<std::uint8_t>(text[i])});
}

void Modem::fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) {
  advance(nowMs);
  bytesFromPc += bytes.size();
  for (const std::uint8_t b : bytes) {
    switch (m_state) {
      case State::Online: onlineByte(b, nowMs); break;
      case State::Dialling:
      case State::Answering:
        // A character while the modem waits for the far side stops the wait and may begin
        // the next command ("ATH"); the padding of the PC's blocks is no character.
        if (b == 0) break;
        toCommandMode();
        m_parse = Parse::Idle;
        say("NO CARRIER\r\n", nowMs + m_config.replyDelayMs);
        commandByte(b, nowMs);
        break;
      default: commandByte(b, nowMs); break;
    }
  }
}

void Modem::pcLines(bool dtr, bool, std::uint64_t nowMs) {
  advance(nowMs);
  // DTR dropped hangs up and returns to command mode, without a word (the PC is not listening).
  if (m_dtr && !dtr) {
    if (linkUp()) hangUp(nowMs);
    else if (m_state == State::Dialling || m_state == State::Answering) toCommandMode();
  }
  m_dtr = dtr;
}

void Modem::toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) {
  advance(nowMs);
  while (!m_toPc.empty() && m_toPc.front().atMs <= nowMs) {
    out.push_back(m_toPc.front().byte);
    m_toPc.pop_front();
  }
  // The first part of a split CONNECT has been read: the rest follows a while later.
  if (!m_splitRest.empty() && !m_splitReleaseMs && m_toPc.empty()) m_splitReleaseMs = nowMs + m_config.splitGapMs;
}

int Modem::modemLines(std::uint64_t nowMs) {
  advance(nowMs);
  int lines = kCts | kDsr;
  if (linkUp()) lines |= kDcd;
  if (m_state == State::Ringing && nowMs < m_ringLineUntilMs) lines |= kRing;
  return lines;
}

void Modem::advance(std::uint64_t nowMs) {
  // advance: the modem's own timers and the scenario in time order, then the unit
  while (true) {
    std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
    int which = 0;
    if (m_nextEvent < m_events.size()) next = m_startMs + m_events[m_nextEvent].atMs, which = 1;
    if (m_dueMs && *m_dueMs < next) next = *m_dueMs, which = 2;
    if (m_splitReleaseMs && *m_splitReleaseMs < next) next = *m_splitReleaseMs, which = 3;
    if (which == 0 || next > nowMs) break;
    if (which == 1) {
      const LineEvent& e = m_events[m_nextEvent++];
      if (e.kind == LineAction::ModemCall && m_state == State::Command && m_splitRest.empty()) {
        m_state = State::Ringing;
        m_rings = 0;
        m_dueMs = next;
      } else if (e.kind == LineAction::ModemHangup) {
        if (linkUp()) {
          m_toUnit.push_back({ToUnit::LinkDown, next, 0});
          carrierLost(next + m_config.linkDelayMs);
        } else if (m_state == State::Ringing) {
          toCommandMode();  // the caller gave up
        } else if (m_state == State::Answering || m_state == State::Dialling) {
          carrierLost(next);
        }
      }
    } else if (which == 2) {
      m_dueMs.reset();
      due(next);
    } else {
      m_splitReleaseMs.reset();
      say(m_splitRest, next);
      m_splitRest.clear();
      goOnline(next);
    }
  }
  unitSide(nowMs);
}

void Modem::due(std::uint64_t atMs) {
  // due: the result of a dial, the next ring, an answer's carrier
  switch (m_state) {
    case State::Dialling:
      if (m_outcome == DialOutcome::Connect) connect(atMs);
      else {
        toCommandMode();
        say(m_outcome == DialOutcome::Busy ? "BUSY\r\n" : "NO CARRIER\r\n", atMs);
      }
      break;
    case State::Answering: connect(atMs); break;
    case State::Ringing:
      say("RING\r\n", atMs);
      m_ringLineUntilMs = atMs + kRingLineMs;
      ++m_rings;
      if (m_autoAnswer > 0 && m_rings >= m_autoAnswer) {
        m_state = State::Answering;
        m_dueMs = atMs + m_config.connectDelayMs;
      } else if (m_rings >= m_config.maxRings) {
        toCommandMode();  // the caller gives up
      } else {
        m_dueMs = atMs + m_config.ringIntervalMs;
      }
      break;
    default: break;
  }
}

void Modem::connect(std::uint64_t atMs) {
  if (!m_config.splitConnect) {
    say(kConnect, atMs);
    goOnline(atMs);
    return;
  }
  say(kConnect.substr(0, kSplitAt), atMs);
  m_splitRest = std::string(kConnect.substr(kSplitAt));
}

void Modem::goOnline(std::uint64_t atMs) {
  m_state = State::Online;
  ++connects;
  m_lastPcByteMs = atMs;
  m_plusCount = 0;
  // Both modems report the carrier at the same moment.
  m_toUnit.push_back({ToUnit::LinkUp, std::max(atMs, m_unitMs), 0});
}

void Modem::hangUp(std::uint64_t atMs) {
  toCommandMode();
  m_toUnit.push_back({ToUnit::LinkDown, atMs + m_config.linkDelayMs, 0});
}

void Modem::carrierLost(std::uint64_t pcMs) {
  toCommandMode();
  m_parse = Parse::Idle;
  say("NO CARRIER\r\n", pcMs);
}

void Modem::toCommandMode() {
  m_state = State::Command;
  m_dueMs.reset();
  m_splitRest.clear();
  m_splitReleaseMs.reset();
  m_rings = 0;
  m_plusCount = 0;
}

void Modem::onlineByte(std::uint8_t b, std::uint64_t nowMs) {
  // The escape: "+++" after guardMs without a byte, the three within guardMs. No silence is
  // needed after it, since the PC writes its hang-up block straight after.
  if (b == '+' &&
      (m_plusCount > 0 ? nowMs - m_firstPlusMs <= m_config.guardMs : nowMs - m_lastPcByteMs >= m_config.guardMs)) {
    if (m_plusCount++ == 0) m_firstPlusMs = nowMs;
  } else {
    m_plusCount = 0;
  }
  m_lastPcByteMs = nowMs;
  // The "+" travel on as well, as through a real modem; the unit reads past them.
  m_toUnit.push_back({ToUnit::Byte, nowMs + m_config.linkDelayMs, b});
  if (m_plusCount == 3) {
    m_plusCount = 0;
    m_state = State::OnlineCommand;
    m_parse = Parse::Idle;
    say("OK\r\n", nowMs + m_config.replyDelayMs);
  }
}

void Modem::commandByte(std::uint8_t b, std::uint64_t nowMs) {
  // commandByte: "AT" (either case) opens a line, a return ends it; all before "AT" is dropped
  if (b == 0) return;
  const bool a = b == 'A' || b == 'a', t = b == 'T' || b == 't';
  switch (m_parse) {
    case Parse::Idle:
      if (a) m_parse = Parse::GotA;
      break;
    case Parse::GotA:
      if (t) {
        m_parse = Parse::Line;
        m_line.clear();
        m_lineTooLong = false;
      } else if (!a) {
        m_parse = Parse::Idle;
      }
      break;
    case Parse::Line:
      if (b == '\r') {
        m_parse = Parse::Idle;
        execute(nowMs);
      } else if (b == 8) {
        if (!m_line.empty()) m_line.pop_back();
      } else if (b == ' ' || b == '\n') {
      } else if (m_line.size() < kMaxLine) {
        m_line += static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
      } else {
        m_lineTooLong = true;
      }
      break;
  }
}

void Modem::execute(std::uint64_t nowMs) {
  // execute: the first command letter decides; the rest of the line only sets registers
  const std::uint64_t at = nowMs + m_config.replyDelayMs;
  if (m_lineTooLong) {
    say("ERROR\r\n", at);
    return;
  }
  commands.push_back(m_line);
  ++commandCount;
  if (commands.size() > kKeptCommands) commands.pop_front();
  const char c = m_line.empty() ? '\0' : m_line[0];
  if (c == 'D') {
    std::string_view rest = std::string_view(m_line).substr(1);
    if (!rest.empty() && (rest[0] == 'T' || rest[0] == 'P')) rest.remove_prefix(1);
    std::string number;
    for (const char d : rest)
      if (kDialCharacters.find(d) != std::string_view::npos) number += d;
    if (m_state != State::Command || number.empty()) {
      say("ERROR\r\n", at);
      return;
    }
    dialled = number;
    const auto found = m_config.numbers.find(number);
    m_outcome = found == m_config.numbers.end() ? DialOutcome::Connect : found->second;
    m_state = State::Dialling;
    // Nobody answering leaves the modem dialling until the PC gives up.
    if (m_outcome != DialOutcome::NoAnswer) m_dueMs = nowMs + m_config.connectDelayMs;
    return;
  }
  if (c == 'A') {
    if (m_state == State::Ringing) {
      m_state = State::Answering;
      m_dueMs = nowMs + m_config.connectDelayMs;
    } else {
      say("NO CARRIER\r\n", at);
    }
    return;
  }
  if (c == 'O') {
    if (m_state != State::OnlineCommand) {
      say("NO CARRIER\r\n", at);
      return;
    }
    m_state = State::Online;
    m_lastPcByteMs = nowMs;
    say(kConnect, at);
    return;
  }
  if (c == 'H') {
    if (linkUp()) hangUp(nowMs);
    else if (m_state == State::Ringing) toCommandMode();  // the call is refused
  }
  if (c == 'Z' || m_line.starts_with("&F")) m_autoAnswer = m_config.autoAnswerRings;
  if (const auto s0 = m_line.find("S0="); s0 != std::string::npos) {
    int rings = 0;
    for (std::size_t i = s0 + 3; i < m_line.size() && i < s0 + 6 && m_line[i] >= '0' && m_line[i] <= '9'; ++i)
      rings = rings * 10 + (m_line[i] - '0');
    m_autoAnswer = rings;
  }
  say("OK\r\n", at);
}

void Modem::forwardFromUnit(std::uint64_t unitMs) {
  std::vector<std::uint8_t> out;
  m_unit.toPc(unitMs, out);
  // Without a carrier the unit's bytes go nowhere; in online command mode the modem drops them.
  if (!m_unit.linkIsUp() || m_state != State::Online) return;
  const std::uint64_t at = std::max(unitMs + m_config.linkDelayMs, m_toPc.empty() ? 0 : m_toPc.back().atMs);
  for (const std::uint8_t b : out) m_toPc.push_back({at, b});
}

void Modem::unitSide(std::uint64_t nowMs) {
  // unitSide: the unit's time is one line delay behind; it ends the link, or takes what is due
  const std::uint64_t delay = m_config.linkDelayMs;
  const std::uint64_t unitNow = nowMs > delay ? nowMs - delay : 0;
  const auto unitEnded = [&](std::uint64_t by) {
    const auto end = m_unit.linkEnd();
    if (!m_unit.linkIsUp() || !end || *end > by) return;
    forwardFromUnit(*end);
    m_unit.linkDown();
    if (linkUp()) carrierLost(*end + delay);
  };
  while (!m_toUnit.empty() && m_toUnit.front().atMs <= unitNow) {
    const std::uint64_t at = std::max(m_toUnit.front().atMs, m_unitMs);
    unitEnded(at);
    const ToUnit item = m_toUnit.front();
    if (item.kind == ToUnit::Byte) {
      // The bytes of one write arrive together.
      std::vector<std::uint8_t> bytes;
      while (!m_toUnit.empty() && m_toUnit.front().kind == ToUnit::Byte && m_toUnit.front().atMs == item.atMs) {
        bytes.push_back(m_toUnit.front().byte);
        m_toUnit.pop_front();
      }
      if (m_unit.linkIsUp()) m_unit.fromPc(bytes, at);
    } else {
      m_toUnit.pop_front();
      forwardFromUnit(at);
      if (item.kind == ToUnit::LinkUp) m_unit.linkUp(at);
      else m_unit.linkDown();
    }
    m_unitMs = at;
  }
  unitEnded(unitNow);
  forwardFromUnit(std::max(unitNow, m_unitMs));
  m_unitMs = std::max(unitNow, m_unitMs);
}

std::string Modem::dumpText() const {
  char line[160];
  std::snprintf(line, sizeof line, "modem %s dialled \"%s\" connects %d commands %zu bytes %zu\n", stateName(m_state),
                dialled.c_str(), connects, commandCount, bytesFromPc);
  std::string text = line;
  for (const auto& c : commands) {
    text += "  AT";
    for (const char ch : c) text += static_cast<std::uint8_t>(ch) < 0x20 ? '.' : ch;
    text += "\n";
  }
  return text;
}

}  // namespace kelvaro::sim
