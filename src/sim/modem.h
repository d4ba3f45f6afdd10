// A Hayes modem on the PC's port with a simulated control unit behind the far modem: the PC
// dials it (or it rings when the unit's modem calls), and once connected the frames travel to
// the unit and back with the delay of a telephone line. It lets the modem remote control run
// against the simulator, in virtual time, without modems or a telephone line.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "control_unit.h"
#include "hardware/in_process_port.h"
#include "scenario.h"

namespace kelvaro::sim {

// What dialling a number gives.
enum class DialOutcome { Connect, Busy, NoCarrier, NoAnswer };

struct ModemConfig {
  std::uint32_t replyDelayMs = 20;      // a command line to its result
  std::uint32_t connectDelayMs = 3000;  // a dial or an answer to CONNECT, BUSY or NO CARRIER
  std::uint32_t linkDelayMs = 50;       // each way through the telephone line once connected
  std::uint32_t guardMs = 1000;         // the silence before "+++" that makes it an escape
  std::uint32_t ringIntervalMs = 5000;
  int maxRings = 8;         // then the caller gives up
  int autoAnswerRings = 0;  // register S0 after ATZ: 0 answers only on ATA
  // "CONNECT 9600" in two parts, "CON" and the rest, the rest splitGapMs after the PC has read
  // the first: a PC that reads the modem's answers tick by tick sees it split.
  bool splitConnect = false;
  std::uint32_t splitGapMs = 1000;
  std::map<std::string, DialOutcome, std::less<>> numbers;  // every other number connects
};

class Modem final : public SimulatedDevice {
 public:
  enum class State {
    Command,        // takes AT commands
    Dialling,       // ATD: waits for the far side
    Ringing,        // the far side calls: RING, until ATA, S0 or the caller gives up
    Answering,      // ATA: waits for the carrier
    Online,         // bytes pass to the unit and back
    OnlineCommand,  // after "+++": commands, the link still up (ATO returns, ATH hangs up)
  };

  explicit Modem(ControlUnit& far, ModemConfig config = {});

  void fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) override;
  void pcLines(bool dtr, bool rts, std::uint64_t nowMs) override;
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override;
  int modemLines(std::uint64_t nowMs) override;

  // The scenario's `modem` events go to the modem, the rest to the unit; its time 0 is startMs.
  void setScenario(Scenario scenario, std::uint64_t startMs);
  State state() const { return m_state; }
  ModemConfig& config() { return m_config; }

  // What the modem was told: the command lines after "AT" (blanks removed, upper case), the
  // latest kKeptCommands of commandCount, the last number dialled, the links made.
  std::deque<std::string> commands;
  std::size_t commandCount = 0;
  std::size_t bytesFromPc = 0;
  std::string dialled;
  int connects = 0;
  static constexpr std::size_t kKeptCommands = 100;
  // A short text of the above, for --dump.
  std::string dumpText() const;

 private:
  enum class Parse { Idle, GotA, Line };
  struct Pending {
    std::uint64_t atMs;
    std::uint8_t byte;
  };
  // Towards the unit, in the unit's time: bytes, and the carrier coming and going.
  struct ToUnit {
    enum Kind { Byte, LinkUp, LinkDown } kind;
    std::uint64_t atMs;
    std::uint8_t byte;
  };

  // Everything due by nowMs: the scenario's events, the dial and ring timers, then the unit.
  void advance(std::uint64_t nowMs);
  void unitSide(std::uint64_t nowMs);
  void forwardFromUnit(std::uint64_t unitMs);
  void commandByte(std::uint8_t b, std::uint64_t nowMs);
  void onlineByte(std::uint8_t b, std::uint64_t nowMs);
  void execute(std::uint64_t nowMs);
  void due(std::uint64_t atMs);
  void connect(std::uint64_t atMs);
  void goOnline(std::uint64_t atMs);
  // The PC's side hangs up: the unit loses the carrier a line delay later.
  void hangUp(std::uint64_t atMs);
  // The far side has gone: NO CARRIER at pcMs.
  void carrierLost(std::uint64_t pcMs);
  void toCommandMode();
  void say(std::string_view text, std::uint64_t atMs);
  bool linkUp() const { return m_state == State::Online || m_state == State::OnlineCommand; }

  ControlUnit& m_unit;
  ModemConfig m_config;
  State m_state = State::Command;
  Parse m_parse = Parse::Idle;
  std::string m_line;
  bool m_lineTooLong = false;
  bool m_dtr = false;
  std::optional<std::uint64_t> m_dueMs;  // the dial's result, the next ring, the answer
  DialOutcome m_outcome = DialOutcome::Connect;
  int m_rings = 0;
  int m_autoAnswer;
  std::uint64_t m_ringLineUntilMs = 0;
  std::string m_splitRest;
  std::optional<std::uint64_t> m_splitReleaseMs;
  std::uint64_t m_lastPcByteMs = 0;
  std::uint64_t m_firstPlusMs = 0;
  int m_plusCount = 0;
  std::deque<Pending> m_toPc;
  std::deque<ToUnit> m_toUnit;
  std::uint64_t m_unitMs = 0;  // how far the unit has been run
  std::vector<LineEvent> m_events;
  std::size_t m_nextEvent = 0;
  std::uint64_t m_startMs = 0;
};

}  // namespace kelvaro::sim
