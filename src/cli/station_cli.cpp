// kelvaro-cli station and radio.
#include "station_cli.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "app/port_settings.h"
#include "app/radio_interface_commands.h"
#include "app/station_commands.h"
#include "console_user_interface.h"
#include "control_unit.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/radio_interface.h"
#include "hardware/serial_line.h"
#include "hardware/unit_types.h"
#include "project_loading.h"
#include "run_commands.h"
#include "storage/ini_file.h"
#include "storage/project_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "time/clock.h"
#include "ui/forwarding_user_interface.h"

namespace kelvaro::cli {
namespace {

// The console as the station commands see it: the dialogs' status lines on stderr.
class StationConsole final : public ForwardingUserInterface {
 public:
  StationConsole() : ForwardingUserInterface(m_console) {}
  void showStatus(std::string_view text) override {
    if (!text.empty()) std::cerr << messageLine(text) << "\n";
  }
  void showNote(std::string_view text) override { std::cerr << messageLine(text) << "\n"; }
  void showWait(std::string_view text) override { std::cerr << messageLine(text) << "\n"; }

 private:
  ConsoleUserInterface m_console;
};

// The line to the unit. The built-in simulator runs in virtual time, so that a line search's
// seconds of silence or a scenario's button pressed a minute on take no time at all; a real
// port runs on the machine's clock.
struct StationLine {
  StationLine(const LineArguments& a, UserInterface& ui)
      : virtualTime(a.port == kSimulatorWord),
        virtualClock(SystemClock().now()),
        ini(settingsFilePath().value_or(std::string())) {
    if (!ini.path().empty()) ini.load();
    const Clock& clock = virtualTime ? static_cast<const Clock&>(virtualClock) : systemClock;
    // Every wait polls; a short sleep between polls keeps the busy loops off the processor.
    std::function<void()> pump = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    if (virtualTime) pump = [this] { virtualClock.advanceMs(1); };
    simulated.config().replyCode = replyCodeOf(unitTypeCode(a.unit.value_or("CU/F-A2")));
    line = std::make_unique<SerialLine>(clock, simulatorOrSerialPort(simulated, clock), std::move(pump), &ui);
    line->resolve = settingsPortResolver(ini);
    line->LineLogOn = a.log;
    protocol = std::make_unique<Protocol>(*line, ui);
  }
  ~StationLine() { line->CloseLine(); }

  bool virtualTime;
  ManualClock virtualClock;
  SystemClock systemClock;
  sim::ControlUnit simulated;
  IniFile ini;
  std::unique_ptr<SerialLine> line;
  std::unique_ptr<Protocol> protocol;
};

// Checks the SIM-only options and puts the scenario behind the simulated unit; false after
// one line on stderr.
bool prepareLine(const LineArguments& a, StationLine& hw) {
  if (!a.scenario) return true;
  std::optional<sim::Scenario> scenario = readScenario(*a.scenario);
  if (!scenario) return false;
  // The scenario's time 0 is the identification request, the first frame the unit gets.
  hw.simulated.setScenario(std::move(*scenario), hw.line->clock().monotonicMs());
  return true;
}

std::string addressText(const TPSContr& s) {
  if (!isRadioStation(s)) return std::to_string(s.CPAdr[0]);
  const int bytes = s.CPAdrA >= 1 && s.CPAdrA <= 3 ? s.CPAdrA : 3;
  std::string text;
  for (int i = 0; i < bytes; ++i) text += (i ? "." : "") + std::to_string(s.CPAdr[static_cast<std::size_t>(i)]);
  return text;
}

std::string typeTextOf(const TPSContr& s) {
  if (!s.CKind.empty()) return s.CKind;
  const StationType* t = stationTypeOf(s);
  return t ? std::string(t->text) : std::to_string(s.CKindi);
}

std::string hundredths(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%d,%02d", v / 100, v % 100);
  return b;
}

void printStation(const StationCommands& commands, const TPSContr& s) {
  std::cout << "Typ: " << toUtf8(commands.ACDETyp) << "\nVersion: " << hundredths(commands.ACDEVers) << "\n";
  for (std::size_t k = 0; k < s.slots.size(); ++k) {
    const DeviceSlot& d = s.slots[k];
    std::cout << "Kanal " << k + 1 << ": " << (d.CNam.empty() ? "-" : toUtf8(d.CNam)) << " Funktion " << d.CFkt
              << " Gruppen-Adresse " << int{d.adr[0]} << " Gruppen-Anschluss " << d.CCon << " Werte " << d.CEIntW1
              << " " << d.CEIntW2 << " Offline " << (d.COfflB == 'X' ? "X" : "-") << "\n";
  }
}

void printLines(const std::vector<std::string>& lines) {
  for (const auto& l : lines) std::cout << messageLine(l) << "\n";
}

}  // namespace

int stationCommand(const StationArguments& a) {
  StationConsole ui;
  ConsoleUserInterface loadUi;
  Project project;
  const std::string& c = a.command;
  const bool needsProject = c != "autodetect";
  if (needsProject && !loadProject(project, a.project, loadUi)) return 2;

  if (c == "list") {
    for (const TPSContr& s : project.stations)
      std::cout << toUtf8(s.CName) << "\t" << toUtf8(typeTextOf(s)) << "\t" << s.CLine << "\t" << addressText(s)
                << "\n";
    return 0;
  }

  TPSContr* station = nullptr;
  const bool oneStation = c != "check-all" && c != "configure-all" && c != "autodetect";
  if (oneStation) {
    const int index = findStation(project, fromUtf8(a.station));
    if (index < 0) {
      std::cerr << "Signalstation " << a.station << " nicht gefunden\n";
      return 2;
    }
    station = &project.stations[static_cast<std::size_t>(index)];
    if (a.newAddress && isRadioStation(*station)) {
      std::cerr << "--new geht nur mit einer Signalstation am Bus: " << a.station << " ist ein Funkger\xC3\xA4t\n";
      return 2;
    }
    const bool wiredOnly = c == "read" || c == "check" || c == "test" || c == "errors";
    if (wiredOnly && isRadioStation(*station)) {
      std::cerr << "Signalstation " << a.station << " ist ein Funkger\xC3\xA4t: es antwortet nicht auf der Leitung\n";
      return 2;
    }
  }

  StationLine hw(a.line, ui);
  if (!prepareLine(a.line, hw)) return 2;
  Protocol& protocol = *hw.protocol;
  const bool batch = c == "check";
  StationCommands commands(protocol, project, a.line.port, batch);
  auto failOpen = [&] {
    if (!hw.line->openError().empty()) std::cerr << a.line.port << ": " << hw.line->openError() << "\n";
    return 1;
  };
  auto save = [&](bool ok) {
    if (!ok || !a.save) return ok ? 0 : 1;
    return writeProject(project, fromUtf8(a.project), "", loadUi) ? 0 : 1;
  };

  if (c == "check-all" || c == "configure-all") {
    const std::vector<std::string> lines = c == "check-all" ? commands.CheckAll() : commands.ConfigureAll();
    printLines(lines);
    return c == "configure-all" ? save(commands.batchOk) : (commands.batchOk ? 0 : 1);
  }

  if (!commands.Open()) return failOpen();
  int status = 1;
  if (c == "autodetect") {
    printLines(lineSearchMemo(commands.LineSearch()));
    status = 0;
  } else if (c == "read") {
    const bool ok = commands.Read(*station);
    if (ok) printStation(commands, *station);
    commands.Close();
    return save(ok);
  } else if (c == "write") {
    const bool ok = commands.Write(*station);
    if (ok && !isRadioStation(*station)) printStation(commands, *station);
    commands.Close();
    return save(ok);
  } else if (c == "check") {
    TPSContr copy = *station;
    status = commands.Read(copy) ? 0 : 1;
    printLines(commands.protocolLines);
  } else if (c == "address") {
    const StationType* type = stationTypeOf(*station);
    const double wait = kAddressWaitSeconds / 86'400.0;
    bool ok = false;
    if (!isRadioStation(*station)) ok = commands.AssignAddress(*station, a.newAddress.value_or(0), wait);
    else if (type && type->address == AddressKind::Send) ok = commands.SendRadioAddress(*station);
    else ok = commands.ReceiveRadioAddress(*station, wait);
    if (ok) std::cout << toUtf8(station->CName) << "\t" << addressText(*station) << "\n";
    commands.Close();
    return save(ok);
  } else if (c == "test" || c == "errors") {
    TestCommand command = TestCommand::SensorTest;
    if (c == "errors") {
      command = a.errorsOn ? TestCommand::ErrorCounterOn
                           : (a.errorsOff ? TestCommand::ErrorCounterOff : TestCommand::ErrorCounterQuery);
    }
    if (commands.Test(*station, command, static_cast<std::uint8_t>(a.errorsOn.value_or(0)))) {
      if (command == TestCommand::ErrorCounterOn || command == TestCommand::ErrorCounterOff) {
        status = 0;
      } else {
        // The test dialog's 10 ms timer, for as long as asked.
        const std::uint64_t start = hw.line->clock().monotonicMs();
        const std::uint64_t limit = static_cast<std::uint64_t>(a.seconds) * 1000;
        bool done = false;
        while (!done && hw.line->clock().monotonicMs() - start < limit) {
          if (const std::optional<TestReply> r = commands.TestTick(*station)) {
            if (r->valueField != 0) std::cout << toUtf8(testValueFieldName(r->valueField)) << " " << r->value << "\n";
            if (r->errorCount) std::cout << "St\xC3\xB6rungsz\xC3\xA4hler " << *r->errorCount << "\n";
            done = command == TestCommand::SensorTest ? r->finished : r->errorCount.has_value();
          }
          hw.line->WaitDays(kDays10ms);
        }
        status = done ? 0 : 1;
      }
    }
  }
  commands.Close();
  return status;
}

int radioCommand(const RadioArguments& a) {
  StationConsole ui;
  StationLine hw(a.line, ui);
  if (!prepareLine(a.line, hw)) return 2;
  RadioInterfaceCommands commands(*hw.protocol, a.line.port);
  if (!commands.Open()) {
    if (!hw.line->openError().empty()) std::cerr << a.line.port << ": " << hw.line->openError() << "\n";
    return 1;
  }
  bool ok = commands.MsgLab == kRadioReadDoneText;
  if (a.command == "write-code") ok = commands.WriteCentralCode(a.code);
  if (ok) std::cout << "Zentralencode " << commands.ZentrCodeEdt << "\nSeriennummer " << commands.SerNrLb << "\n";
  commands.Close();
  return ok ? 0 : 1;
}

}  // namespace kelvaro::cli
