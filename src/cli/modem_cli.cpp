// kelvaro-cli modem.
#include "modem_cli.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "app/port_settings.h"
#include "console_user_interface.h"
#include "control_unit.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "hardware/unit_types.h"
#include "modem.h"
#include "run_commands.h"
#include "storage/ini_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "time/clock.h"
#include "ui/forwarding_user_interface.h"

namespace kelvaro::cli {
namespace {

// The unit stays silent after a right password; a link without a new request or a wrong-password
// report for this long is open.
constexpr std::uint64_t kQuietMs = 4320;

// The console as the modem window sees it: its messages on stderr, and the password dialog
// answered with the passwords of the command line in turn.
class ModemConsole final : public ForwardingUserInterface {
 public:
  explicit ModemConsole(const std::vector<std::string>& passwords)
      : ForwardingUserInterface(m_console), m_passwords(passwords) {}
  std::optional<std::string> passwordBox(std::string_view, std::string_view) override {
    std::cout << "Steuereinheit: Kennwort angefordert" << std::endl;
    ++asked;
    if (m_next >= m_passwords.size()) {
      std::cerr << "Kein Kennwort mehr angegeben (--password)\n";
      exhausted = true;
      return std::nullopt;
    }
    return fromUtf8(m_passwords[m_next++]);
  }
  void beep() override {}

  int asked = 0;
  bool exhausted = false;

 private:
  ConsoleUserInterface m_console;
  const std::vector<std::string>& m_passwords;
  std::size_t m_next = 0;
};

// The port with the modem. SIM is the built-in simulated modem in front of a simulated unit, in
// virtual time, so that the modem's seconds of dialling take none; a real port runs on the
// machine's clock. Every wait of the line shows the modem's new answers as they come.
struct ModemLine {
  ModemLine(const ModemArguments& a, UserInterface& ui)
      : virtualTime(a.line.port == kSimulatorWord),
        virtualClock(SystemClock().now()),
        modem(unit),
        ini(settingsFilePath().value_or(std::string())) {
    if (!ini.path().empty()) ini.load();
    const Clock& clock = virtualTime ? static_cast<const Clock&>(virtualClock) : systemClock;
    line = std::make_unique<SerialLine>(
        clock, simulatorOrSerialPort(modem, clock),
        [this] {
          if (virtualTime) virtualClock.advanceMs(1);
          else std::this_thread::sleep_for(std::chrono::microseconds(200));
          printAnswers();
        },
        &ui);
    line->resolve = settingsPortResolver(ini);
    line->LineLogOn = a.line.log;
    protocol = std::make_unique<Protocol>(*line, ui);
    connection = std::make_unique<ModemConnection>(*protocol, ui);
    frames = std::make_unique<ModemFrames>(*protocol, ui);
  }
  ~ModemLine() { line->CloseLine(); }

  void printAnswers() {
    if (!connection) return;
    for (const std::string& l : connection->InputBox) std::cout << "Modem: " << messageLine(l) << std::endl;
    connection->DelBtnClick();
  }
  std::uint64_t nowMs() const { return line->clock().monotonicMs(); }
  // One tick of the windows' 100 ms timers.
  void sleepTick() {
    if (virtualTime) virtualClock.advanceMs(kModemTimerMs);
    else std::this_thread::sleep_for(std::chrono::milliseconds(kModemTimerMs));
  }

  bool virtualTime;
  ManualClock virtualClock;
  SystemClock systemClock;
  sim::ControlUnit unit;
  sim::Modem modem;
  IniFile ini;
  std::unique_ptr<SerialLine> line;
  std::unique_ptr<Protocol> protocol;
  std::unique_ptr<ModemConnection> connection;
  std::unique_ptr<ModemFrames> frames;
};

// The built-in unit as the options describe it: its remote password and its program.
void prepareSimulatedUnit(const ModemArguments& a, sim::ControlUnit& unit) {
  unit.config().replyCode = replyCodeOf(unitTypeCode(a.line.unit.value_or("CU/F-A2")));
  if (a.simPassword) {
    const std::string pw = fromUtf8(*a.simPassword).substr(0, 6);
    unit.configuration[65] = static_cast<std::uint8_t>(pw.size());
    std::transform(pw.begin(), pw.end(), unit.configuration.begin() + 66,
                   [](char c) { return static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(c))); });
  }
  if (a.simProgram) unit.programName = fromUtf8(*a.simProgram);
}

}  // namespace

int modemCommand(const ModemArguments& a) {
  ModemConsole ui(a.passwords);
  ModemLine hw(a, ui);
  if (a.line.scenario) {
    std::optional<sim::Scenario> scenario = readScenario(*a.line.scenario);
    if (!scenario) return 2;
    hw.modem.setScenario(std::move(*scenario), hw.nowMs());
  }
  prepareSimulatedUnit(a, hw.unit);

  ModemConnection& c = *hw.connection;
  c.FormShow(readSettings(hw.ini, std::filesystem::current_path().string()));
  c.ComPortCB = a.line.port;
  c.TelNrEdt = fromUtf8(a.number);
  if (a.init) c.ModemInitEdt = fromUtf8(*a.init);

  std::optional<std::string> project;
  hw.frames->remoteProject = [&](const std::string& name) {
    project = name;
    std::cout << "Projekt: " << toUtf8(name) << std::endl;
  };

  const bool dial = a.command == "dial";
  if (dial) c.ConnectBtnClick();
  else c.WaitForConnectBtnClick();
  hw.printAnswers();
  if (dial ? !c.connected() : !c.answerMode()) return 1;  // the connection told why

  // The link: the main window's receive tick and the link's frames, until the time is up or
  // the link has ended.
  const std::uint64_t end = hw.nowMs() + static_cast<std::uint64_t>(a.seconds) * 1000;
  bool wasConnected = false, everConnected = false, open = false, wrong = false;
  bool accepted = false, endedByUnit = false;
  std::uint64_t quietSince = hw.nowMs();
  while (hw.nowMs() < end && (dial ? c.connected() : c.answerMode())) {
    hw.sleepTick();
    c.timer1Tick();
    c.timer2Tick();
    hw.printAnswers();
    if (c.connected() && !wasConnected) {
      quietSince = hw.nowMs();
      open = false;
      everConnected = true;
      std::cout << "Verbindung" << std::endl;
    }
    wasConnected = c.connected();
    if (!c.connected()) continue;
    hw.protocol->receiveTick();
    const ReceivedFrame& slot = hw.protocol->slot;
    const std::span<const std::uint8_t> data = slot.L > 0 ? frameData(slot) : std::span<const std::uint8_t>();
    const char kind = data.empty() ? '\0' : static_cast<char>(data[0]);
    const int askedBefore = ui.asked;
    // Told before the new question that the frame brings.
    if (kind == 'L' && slot.receiver.Kind == kKindUnit) {
      std::cout << "Steuereinheit: Kennwort falsch" << std::endl;
      wrong = true;
    }
    if (hw.frames->handleSlot()) {
      if (kind == 'H') {
        std::cout << "Steuereinheit: Verbindung beendet" << std::endl;
        endedByUnit = true;
      }
      if (kind == 'J' || kind == 'L' || ui.asked != askedBefore) quietSince = hw.nowMs();
    } else if (slot.L > 0) {
      hw.protocol->clearSlot();  // nobody here shows the unit's other frames
    }
    if (!open && c.connected() && hw.nowMs() - quietSince >= kQuietMs) {
      open = true;
      if (ui.asked > 0 && !ui.exhausted) {
        accepted = true;
        std::cout << "Steuereinheit: Kennwort angenommen" << std::endl;
      }
      if (a.visualisation && !hw.frames->requestRemoteVisualisation()) std::cerr << "Keine Verbindung\n";
    }
  }

  // However the command ends, the modem hangs up.
  if (dial ? c.connected() : c.answerMode()) {
    if (dial) c.ConnectBtnClick();
    else c.WaitForConnectBtnClick();
  }
  hw.printAnswers();
  if (everConnected && !endedByUnit) std::cout << "Verbindung getrennt" << std::endl;
  if (!everConnected) {
    std::cerr << "Kein Anruf in " << a.seconds << " s\n";
    return 1;
  }
  if (ui.asked > 0 && !accepted) {
    if (!wrong && !ui.exhausted) std::cerr << "Das Kennwort wurde nicht beantwortet\n";
    return 1;
  }
  if (a.visualisation && !project) {
    std::cerr << "Die Steuereinheit hat ihr Projekt nicht gemeldet\n";
    return 1;
  }
  return 0;
}

}  // namespace kelvaro::cli
