// kelvaro-cli unit.
#include "unit_commands.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "ui/forwarding_user_interface.h"
#include "app/port_settings.h"
#include "app/program_transfer.h"
#include "app/sun_settings.h"
#include "astro/sun_times.h"
#include "console_user_interface.h"
#include "control_unit.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "hardware/unit_commands.h"
#include "hardware/unit_types.h"
#include "language_commands.h"
#include "modem_cli.h"
#include "project_loading.h"
#include "storage/ini_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "time/clock.h"

namespace kelvaro::cli {
namespace {

// The console as the hardware commands see it: status lines and notes on stderr, a progress
// bar when stderr is a terminal, and OK prompts that wait for Enter when someone is there.
class UnitConsole final : public ForwardingUserInterface {
 public:
  UnitConsole() : ForwardingUserInterface(m_console) {}

  MessageAnswer showMessage(const Message& message) override {
    const MessageAnswer answer = m_console.showMessage(message);
    if (message.kind == MessageKind::Information && message.buttons == MessageButtons::Ok && waitForEnter &&
        ::isatty(STDIN_FILENO)) {
      std::cerr << "[Enter] " << std::flush;
      std::string line;
      std::getline(std::cin, line);
    }
    return answer;
  }
  void showStatus(std::string_view text) override {
    endProgress();
    if (!text.empty()) std::cerr << messageLine(text) << "\n";
  }
  void showNote(std::string_view text) override {
    endProgress();
    std::cerr << messageLine(text) << "\n";
  }
  void showProgress(int done, int total) override {
    if (!m_tty || total <= 0) return;
    const int width = 40;
    const int filled = done * width / total;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << done << "/" << total
              << std::flush;
    m_progressShown = true;
  }
  void endProgress() {
    if (m_progressShown) std::cerr << "\n";
    m_progressShown = false;
  }
  bool waitForEnter = false;

 private:
  ConsoleUserInterface m_console;
  bool m_tty = ::isatty(STDERR_FILENO) != 0;
  bool m_progressShown = false;
};

std::string hundredthsText(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%d.%02d", v / 100, v % 100);
  return b;
}

// The page "Steuereinheit" as the options and the settings fill it.
UnitPage pageFor(const UnitArguments& args, const Settings& settings) {
  UnitPage page;
  page.ComPortCoB = args.port;
  page.ConvertCoB = args.unit.value_or("");
  page.ClockKorEd = args.clockCorrection ? std::to_string(*args.clockCorrection) : settings.CLOCKCOR;
  page.InitModemEd = args.init ? fromUtf8(*args.init) : settings.MODEMINIT;
  page.ConnectModemEd = args.connect ? fromUtf8(*args.connect) : settings.MODEMCON;
  page.PasswModemEd = args.access ? fromUtf8(*args.access) : settings.REMOTEPW;
  page.rs232Prot = settings.RS232PROT;
  return page;
}

// A transfer's project and sun times, checked before the line (or the telephone) is taken.
struct PreparedTransfer {
  Project project;
  SunSettings sun;
  int year = 0;
  CompileOptions options;
};

std::optional<PreparedTransfer> prepareTransfer(const UnitArguments& args, const Settings& settings,
                                                const Clock& clock) {
  ConsoleUserInterface loadUi;
  PreparedTransfer t;
  if (!loadProject(t.project, args.project, loadUi)) return std::nullopt;
  t.sun = sunSettingsFrom(settings);
  t.year = decodeDate(clock.now()).year;
  if (const SunTableResult check = SunTable(t.year, true, t.sun); !check.error.empty()) {
    std::cerr << messageLine(check.error) << "\n";
    return std::nullopt;
  }
  t.options.programName = fromUtf8(fileNameStem(std::filesystem::path(args.project).filename().string()));
  return t;
}

bool sendTransfer(PreparedTransfer& t, UnitCommands& commands, UnitPage& page, bool setClock) {
  TransferHooks hooks;
  hooks.sunTable = [&](bool applySummerTime) { return sunWeeks(t.year, applySummerTime, t.sun); };
  page.ProjNamLb = t.options.programName;
  page.StSndTimeCB = setClock;
  hooks.showCompileError = [&](const CompileOutput& out) {
    std::cerr << compileErrorLine(t.project, out.result) << "\n";
  };
  return ProgramTransfer(commands, t.project, t.options, hooks);
}

// transfer --modem: the project checked first, then dialled, sent through the link and hung up.
int transferOverModem(const UnitArguments& args, const Settings& settings) {
  std::optional<PreparedTransfer> transfer = prepareTransfer(args, settings, SystemClock());
  if (!transfer) return 2;
  ModemArguments m;
  m.command = "dial";
  m.number = *args.modem;
  m.line.port = args.simulator ? std::string(kSimulatorWord) : args.port;
  m.line.log = args.log;
  // The built-in unit behind the simulated modem plays the type the page has selected.
  if (m.line.port == kSimulatorWord) m.line.unit = args.unit;
  m.passwords = args.passwords;
  m.seconds = args.modemSeconds;
  return overModemLink(m, [&](Protocol& protocol, UserInterface&) {
    UnitPage page = pageFor(args, settings);
    UnitCommands commands(protocol, page);
    return sendTransfer(*transfer, commands, page, args.clock);
  });
}

}  // namespace

int unitCommand(const UnitArguments& args) {
  UnitConsole ui;
  IniFile ini(settingsFilePath().value_or(std::string()));
  if (!ini.path().empty()) ini.load();
  const Settings settings = readSettings(ini, std::filesystem::current_path().string());
  if (args.modem) return transferOverModem(args, settings);

  SystemClock clock;
  sim::ControlUnit builtIn;  // the demo unit behind "SIM"
  // Every wait polls; a short sleep between polls keeps the busy loops off the processor
  // while staying far below the shortest pause of the protocol.
  auto pump = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
  SerialLine line(clock, simulatorOrSerialPort(builtIn, clock, args.simulator), pump, &ui);
  line.resolve = settingsPortResolver(ini);
  line.LineLogOn = args.log;
  Protocol protocol(line, ui);

  UnitPage page = pageFor(args, settings);
  UnitCommands commands(protocol, page);

  auto reportOpenError = [&] {
    if (!line.openError().empty()) std::cerr << args.port << ": " << line.openError() << "\n";
  };

  const std::string& c = args.command;
  bool ok = false;
  if (c == "identify") {
    ok = commands.Identify();
    if (ok) {
      const UnitRecord& u = protocol.unit;
      std::cout << (u.TypeName.empty() ? "?" : u.TypeName) << " (" << u.TypeCode << ") version "
                << hundredthsText(u.Version) << " at " << u.PortName << "\n";
      commands.Release();
    } else {
      reportOpenError();
    }
  } else if (c == "autodetect") {
    ok = commands.AutoDetect();
    for (const auto& m : page.CfgM) std::cout << messageLine(m) << "\n";
  } else if (c == "transfer") {
    std::optional<PreparedTransfer> transfer = prepareTransfer(args, settings, clock);
    if (!transfer) return 2;
    ok = sendTransfer(*transfer, commands, page, args.clock);
    ui.endProgress();
    if (!ok) reportOpenError();
  } else if (c == "clock") {
    ok = commands.Identify();
    if (ok) {
      ok = commands.SetUnitClock();
      commands.Release();
    }
  } else if (c == "config-write") {
    ok = commands.ConfigWrite();
  } else if (c == "config-read") {
    ok = commands.ConfigRead();
    if (ok) {
      std::cout << "MODEMINIT=" << toUtf8(page.InitModemEd) << "\nMODEMCON=" << toUtf8(page.ConnectModemEd)
                << "\nREMOTEPW=" << toUtf8(page.PasswModemEd) << "\nCLOCKCOR=" << page.ClockKorEd << "\n";
    }
  } else if (c == "info") {
    ok = commands.FirmwareInfo();
    if (ok) std::cout << messageLine(page.RelInfoLb) << "\n";
  } else if (c == "no-program") {
    ui.waitForEnter = true;
    ok = commands.StartWithoutProgram();
  } else {
    const std::pair<const char*, int> actions[] = {
        {"save", 0}, {"restart", 1}, {"delete", 2}, {"end", 3}, {"modem-init", 4},
    };
    for (const auto& [name, index] : actions) {
      if (c != name) continue;
      const auto& action = kUnitActions[index];
      ok = commands.UnitAction(action.command, action.name);
    }
  }
  return ok ? 0 : 1;
}

}  // namespace kelvaro::cli
