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
#include "app/modem_session.h"
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
  bool wrong = false;  // the unit has said a password was wrong

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

namespace {

// The command's lines for what happens on the link.
void printEvents(ModemSession& session, ModemLine& hw, ModemConsole& ui) {
  session.onEvent = [&session, &hw, &ui](ModemEvent e) {
    switch (e) {
      case ModemEvent::LinkUp:
        hw.printAnswers();
        std::cout << "Verbindung" << std::endl;
        break;
      case ModemEvent::WrongPassword:
        ui.wrong = true;
        std::cout << "Steuereinheit: Kennwort falsch" << std::endl;
        break;
      case ModemEvent::EndedByUnit: std::cout << "Steuereinheit: Verbindung beendet" << std::endl; break;
      case ModemEvent::Open:
        if (session.passwordAccepted() && !ui.exhausted) std::cout << "Steuereinheit: Kennwort angenommen" << std::endl;
        break;
    }
  };
}

// The modem window and the built-in unit as the options describe them.
std::optional<int> prepare(const ModemArguments& a, ModemLine& hw) {
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
  return std::nullopt;
}

int hangUpCommand(const ModemArguments& a) {
  ModemConsole ui(a.passwords);
  ModemLine hw(a, ui);
  if (const auto status = prepare(a, hw)) return *status;
  const bool ok = hw.connection->HangUpModem();
  hw.printAnswers();
  if (ok) std::cout << "Aufgelegt" << std::endl;
  return ok ? 0 : 1;
}

}  // namespace

int modemCommand(const ModemArguments& a) {
  if (a.command == "hangup") return hangUpCommand(a);
  ModemConsole ui(a.passwords);
  ModemLine hw(a, ui);
  if (const auto status = prepare(a, hw)) return *status;
  ModemConnection& c = *hw.connection;

  std::optional<std::string> project;
  hw.frames->remoteProject = [&](const std::string& name) {
    project = name;
    std::cout << "Projekt: " << toUtf8(name) << std::endl;
  };
  ModemSession session(c, *hw.frames, *hw.protocol, [&] { hw.sleepTick(); });
  printEvents(session, hw, ui);
  auto previous = session.onEvent;
  session.onEvent = [&](ModemEvent e) {
    previous(e);
    if (e == ModemEvent::Open && a.visualisation && !hw.frames->requestRemoteVisualisation())
      std::cerr << "Keine Verbindung\n";
  };

  const bool dial = a.command == "dial";
  if (dial) c.ConnectBtnClick();
  else c.WaitForConnectBtnClick();
  hw.printAnswers();
  if (dial ? !c.connected() : !c.answerMode()) return 1;  // the connection told why

  // The link until the time is up or the link has ended.
  const std::uint64_t end = hw.nowMs() + static_cast<std::uint64_t>(a.seconds) * 1000;
  while (hw.nowMs() < end && (dial ? c.connected() : c.answerMode())) {
    session.tick();
    hw.printAnswers();
  }

  // However the command ends, the modem hangs up.
  if (dial ? c.connected() : c.answerMode()) {
    if (dial) c.ConnectBtnClick();
    else c.WaitForConnectBtnClick();
  }
  hw.printAnswers();
  if (session.everConnected() && !session.endedByUnit()) std::cout << "Verbindung getrennt" << std::endl;
  if (!session.everConnected()) {
    std::cerr << "Kein Anruf in " << a.seconds << " s\n";
    return 1;
  }
  // A unit that ends the link before it accepted a password has said so ("Verbindung beendet"):
  // no password was left unanswered.
  if (session.endedByUnit() && !session.passwordAccepted()) return 1;
  if (ui.asked > 0 && !session.passwordAccepted()) {
    if (!ui.exhausted && !ui.wrong) std::cerr << "Das Kennwort wurde nicht beantwortet\n";
    return 1;
  }
  if (a.visualisation && !project) {
    std::cerr << "Die Steuereinheit hat ihr Projekt nicht gemeldet\n";
    return 1;
  }
  return 0;
}

int overModemLink(const ModemArguments& a, const std::function<bool(Protocol&, UserInterface&)>& job) {
  ModemConsole ui(a.passwords);
  ModemLine hw(a, ui);
  if (const auto status = prepare(a, hw)) return *status;
  ModemConnection& c = *hw.connection;
  ModemSession session(c, *hw.frames, *hw.protocol, [&] { hw.sleepTick(); });
  printEvents(session, hw, ui);

  const ModemOpenResult result = session.dialAndOpen(static_cast<std::uint64_t>(a.seconds) * 1000);
  hw.printAnswers();
  bool ok = false;
  if (result == ModemOpenResult::Open) {
    ok = job(*hw.protocol, ui);
  } else if (result == ModemOpenResult::TimedOut) {
    std::cerr << "Die Steuereinheit hat die Verbindung nicht in " << a.seconds << " s freigegeben\n";
  }
  if (c.connected()) c.ConnectBtnClick();
  hw.printAnswers();
  if (session.everConnected() && !session.endedByUnit()) std::cout << "Verbindung getrennt" << std::endl;
  return ok ? 0 : 1;
}

}  // namespace kelvaro::cli
