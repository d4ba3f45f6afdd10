// A control unit (or radio PC interface) in software: it answers the frames the PC sends the
// way the real devices do as far as the PC relies on it, keeps what it was sent, and can be
// told to misbehave, so that the PC side can be tested without hardware.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "firmware.h"
#include "hardware/in_process_port.h"
#include "scenario.h"
#include "stations.h"

namespace kelvaro::sim {

struct Faults {
  double dropRate = 0.0;       // share of reply bytes lost on the way to the PC
  bool noise = false;          // random bytes (never 0x81) before every reply
  bool wrongChecksum = false;  // replies carry a checksum one too high
  bool silent = false;         // no replies and no modem lines: a unit switched off
  bool identifyOnly = false;   // answers identification, ignores every other command
  bool unplugged = false;      // the cable is pulled: nothing goes either way
  std::uint32_t seed = 1;
};

struct UnitConfig {
  int replyCode = 14;                  // type code in the identification reply (14 = "CU-A2-3.20")
  std::uint8_t versionByte = 53;       // as sent: 53 stands for version 3.50
  std::array<std::uint8_t, 3> extra{};  // reply data bytes 3 to 5 (5: summer-time mode)
  std::array<std::uint8_t, 8> capability{0, 0x5F, 0, 0xFF, 0, 0, 0, 0};
  std::uint32_t replyDelayMs = 20;     // from the end of a request to the first reply byte
  std::string firmwareText = "SIMUNIT";  // 7 characters of the firmware information
  // The radio part of a "CU/F-A2" (reply code 15) or of a radio PC interface (1, 2).
  std::uint8_t centralCode = 1;             // 1 to 100
  std::uint32_t serialNumber = 0x12345678;  // 305419896
  Faults faults;
};

class ControlUnit final : public SimulatedDevice {
 public:
  explicit ControlUnit(UnitConfig config = {});

  void fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) override;
  void pcLines(bool dtr, bool rts, std::uint64_t nowMs) override;
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override;
  int modemLines(std::uint64_t nowMs) override;
  bool accepting() const override { return !m_config.faults.unplugged; }

  UnitConfig& config() { return m_config; }
  // The feature level the PC derives from this unit's identification reply.
  int featureLevel() const;

  // Puts the scenario's stations and radio devices behind the unit; its time 0 is startMs of
  // the clock the unit is driven with, so that a run in virtual time replays exactly.
  void setScenario(Scenario scenario, std::uint64_t startMs);
  const Stations& stations() const { return m_stations; }
  bool usesHandshake() const { return m_config.replyCode == 11 || m_config.replyCode == 12; }
  // A radio PC interface: no program memory, no wired line, only radio and its radio part.
  bool isRadioInterface() const { return m_config.replyCode == 1 || m_config.replyCode == 2; }
  bool hasRadioPart() const { return isRadioInterface() || m_config.replyCode == 15; }

  // What the unit was sent.
  std::vector<std::vector<std::uint8_t>> frames;  // every whole frame with a good checksum
  int badFrames = 0;                              // frames dropped for their checksum
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0xFF);
  int loadBase = -1;      // address of the last 0x36 "set load address"
  int loadEnd = -1;       // one past the last program byte loaded
  int programBlocks = 0;
  bool prepared = false;  // 0x29 seen
  bool loadEnded = false; // 0x38 seen
  std::string programName;
  std::array<std::uint8_t, 75> configuration{};  // positions 1 to 74 as sent
  bool configurationWritten = false;
  std::vector<std::uint8_t> clock;  // the 7 bytes of the last 0x20
  std::vector<std::uint8_t> actions;  // command bytes acknowledged with 0x0A
  bool configurationMode = false;     // "A" came last, not "B"
  int configurationModeFrames = 0;    // "A" and "B" frames taken
  // The radio part.
  std::uint8_t centralCode = 1;
  int hiddenCommands = 0;

  // The telephone link through a modem in front of the unit (sim::Modem). linkUp: the carrier
  // is there; a unit with a remote password asks for it ("J") and takes nothing but "K" and "H"
  // until it has it. linkEnd: when the unit has ended the link itself (on "H", or by the
  // scenario's `unit hangup`), the time its modem hangs up; the modem then calls linkDown.
  void linkUp(std::uint64_t nowMs);
  void linkDown();
  std::optional<std::uint64_t> linkEnd() const { return m_linkEndMs; }
  bool linkIsUp() const { return m_linkUp; }
  bool passwordAwaited() const { return m_passwordAwaited; }
  int links = 0;
  int wrongPasswords = 0;
  int remoteVisualisations = 0;

  // The telephone at the unit's own modem: a call, its keys and the PC's modem texts.
  bool phoneConnected = false;
  int phoneCalls = 0;
  std::string phoneKeys;  // pressed since the last "#"
  // The modem texts the PC sent (the tone commands "AT#VTS=..."): the latest kKeptTexts of
  // modemTextCount.
  std::deque<std::string> modemTexts;
  std::size_t modemTextCount = 0;
  static constexpr std::size_t kKeptTexts = 100;

  // The firmware runs the program loaded; "0" keeps a copy as the unit's EEPROM does, which a
  // restart ("1") loads again. The reset button, pressed while the PC holds DTR high, starts
  // the unit without its stored program ("Programm ignorieren").
  Firmware firmware;
  std::vector<std::uint8_t> savedProgram;
  int savedBase = -1, savedEnd = -1;
  void resetButton(std::uint64_t nowMs);

  // The program bytes loaded, from the load address on.
  std::vector<std::uint8_t> programImage() const;
  // A short text of all of the above and of what each device received, for tests and --dump.
  std::string dumpText() const;

 private:
  void handleFrame(const std::vector<std::uint8_t>& frame, std::uint64_t nowMs);
  // Runs the firmware up to now, passes its outputs to the devices and puts its value frames
  // on the way to the PC.
  void runFirmware(std::uint64_t nowMs);
  // A device's frame as the program running in the unit takes it; nothing for a frame of no
  // configured device.
  std::optional<StationMessage> stationMessage(std::span<const std::uint8_t> frame) const;
  void restartProgram();
  void radioPart(std::span<const std::uint8_t> data, std::uint64_t nowMs);
  // Sends what the scenario has due by now.
  void playScenario(std::uint64_t nowMs);
  void reply(std::vector<std::uint8_t> data, std::uint64_t nowMs);
  // A frame of kind 201 to the PC with these data, its first byte leaving at startMs.
  void send(std::vector<std::uint8_t> data, std::uint64_t startMs);
  // Puts a whole frame on the way to the PC, its first byte leaving at startMs.
  void transmit(std::vector<std::uint8_t> frame, std::uint64_t startMs);
  void transmit(std::vector<Outgoing>& frames, std::uint64_t delayMs);
  // The frames of kind 201 that only the telephone link and the telephone use.
  bool linkFrame(std::span<const std::uint8_t> data, std::uint64_t nowMs);
  void lineEvent(const LineEvent& event, std::uint64_t atMs);
  void modemText(std::string_view text);
  void endLink(std::uint64_t atMs);
  std::string password() const;

  UnitConfig m_config;
  std::mt19937 m_random;
  std::vector<std::uint8_t> m_rx;
  std::size_t m_rxNeed = 0;
  struct Pending {
    std::uint64_t atMs;
    std::uint8_t byte;
  };
  std::deque<Pending> m_out;
  bool m_dtr = false;
  std::uint64_t m_dtrChangedMs = 0;
  Stations m_stations;
  std::vector<LineEvent> m_lineEvents;
  std::size_t m_nextLineEvent = 0;
  std::uint64_t m_scenarioStartMs = 0;
  bool m_linkUp = false;
  bool m_passwordAwaited = false;
  std::optional<std::uint64_t> m_linkEndMs;
};

}  // namespace kelvaro::sim
