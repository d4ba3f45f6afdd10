// kelvaro-cli: the headless tool. Each subcommand prints what other tools read; keep it stable.
// Every argument is checked before a command starts: an invalid one ends the tool with exit
// status 2 and one line on stderr, never with a default put in its place.
#include <CLI/CLI.hpp>

#include <charconv>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "arguments.h"
#include "assist_cli.h"
#include "hardware/serial_line.h"
#include "hardware/station_config.h"
#include "hardware/unit_types.h"
#include "help_export.h"
#include "image_commands.h"
#include "language_commands.h"
#include "modem_cli.h"
#include "print_cli.h"
#include "project_commands.h"
#include "run_commands.h"
#include "shutter_cli.h"
#include "station_cli.h"
#include "text/cp1252.h"
#include "unit_commands.h"
#include "uses_cli.h"
#include "unit_trace.h"

namespace {

// A name that other tools pass on may still be empty; a file without a name is no file.
const CLI::Validator kNotEmpty(
    [](std::string& text) { return text.empty() ? std::string("darf nicht leer sein") : std::string(); }, "",
    "not empty");

// Degrees checked by the program's own number reading: the library's would let "nan" through.
// The text is handed on in the form the library reads back exactly.
CLI::Validator degrees(double bound) {
  return CLI::Validator(
      [bound](std::string& text) {
        const std::optional<double> value = kelvaro::cli::parseDegrees(text, bound);
        if (!value) return text + " ist keine Zahl von " + std::to_string(static_cast<int>(-bound)) + " bis " +
                           std::to_string(static_cast<int>(bound));
        char digits[32];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, *value);
        text.assign(digits, end);
        return std::string();
      },
      "DEG", "degrees");
}

// The names a command accepts, from the one table of unit types.
std::vector<std::string> unitTypeNames(bool controlUnitsOnly) {
  std::vector<std::string> names;
  for (const auto& t : kelvaro::kUnitTypes)
    if (!controlUnitsOnly || t.typeCode == 11 || t.typeCode >= 122) names.emplace_back(t.name);
  return names;
}

// A program name for the image: one to eight characters of the code page.
const CLI::Validator kProgramName(
    [](std::string& text) {
      const std::size_t length = kelvaro::fromUtf8(text).size();
      return length >= 1 && length <= 8 ? std::string() : text + " hat nicht 1 bis 8 Zeichen";
    },
    "NAME8", "program name");

std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kelvaro-cli - headless tool of kelvaro"};
  app.require_subcommand(1);
  int status = 0;

  std::string in, out;
  auto* roundtrip = app.add_subcommand("roundtrip", "Read a project and write it again");
  roundtrip->add_option("IN", in, "project file to read")->required()->check(kNotEmpty);
  roundtrip->add_option("OUT", out, "project file to write")->required()->check(kNotEmpty);
  roundtrip->callback([&] { status = kelvaro::cli::roundtripCommand(in, out); });

  std::string project;
  bool json = false;
  auto* info = app.add_subcommand("info", "Show a project: a summary, or every stored field as JSON");
  info->add_option("PROJECT", project, "project file")->required()->check(kNotEmpty);
  info->add_flag("--json", json, "print the model as JSON");
  info->callback([&] { status = kelvaro::cli::infoCommand(project, json); });

  auto* check = app.add_subcommand("check", "Compile for the PC: OK and counts, or OBJECT:LINE: MESSAGE");
  check->add_option("PROJECT", project, "project file")->required()->check(kNotEmpty);
  check->callback([&] { status = kelvaro::cli::checkCommand(project); });

  std::string objectName, line;
  auto* translate = app.add_subcommand("translate", "Translate one line of an object: token bytes, then the result");
  translate->add_option("PROJECT", project, "project file")->required()->check(kNotEmpty);
  translate->add_option("OBJECT", objectName, "object whose program the line belongs to")->required()->check(kNotEmpty);
  translate->add_option("LINE", line, "the program line")->required();
  translate->callback([&] { status = kelvaro::cli::translateCommand(project, objectName, line); });

  int mode = 1;
  bool dumpJson = false;
  auto* dump = app.add_subcommand("dump", "Compile and print code, symbols, line map and object order");
  dump->add_option("PROJECT", project, "project file")->required()->check(kNotEmpty);
  dump->add_option("--mode", mode, "1 (PC code) or 9 (symbols only)")->check(CLI::IsMember({1, 9}));
  dump->add_flag("--json", dumpJson, "one line of JSON");
  dump->callback([&] { status = kelvaro::cli::dumpCommand(project, mode, dumpJson); });

  kelvaro::cli::CompileArguments compileArgs;
  auto* compileCmd = app.add_subcommand("compile", "Build the control unit's program image");
  compileCmd->add_option("PROJECT", compileArgs.project, "project file")->required()->check(kNotEmpty);
  compileCmd->add_option("-o", compileArgs.output, "image file: .SPA by address, else the plain image")
      ->required()
      ->check(kNotEmpty);
  compileCmd->add_option("--unit", compileArgs.unit, "control-unit type name")->check(CLI::IsMember(unitTypeNames(true)));
  compileCmd->add_option("--name", compileArgs.name, "program name (8 characters)")->check(kProgramName);
  compileCmd->add_option("--today", compileArgs.today, "YYYY-MM-DD: the year of the sun tables");
  compileCmd->callback([&] { status = kelvaro::cli::compileCommand(compileArgs); });

  kelvaro::cli::SunArguments sunArgs;
  auto* sun = app.add_subcommand("sun", "Sunrise and sunset: for a date, or the weekly table of a year");
  auto* sunLat = sun->add_option("--lat", sunArgs.latitude, "latitude in degrees north")->transform(degrees(90));
  auto* sunLon = sun->add_option("--lon", sunArgs.longitude, "longitude in degrees east")->transform(degrees(180));
  sunLat->needs(sunLon);
  sunLon->needs(sunLat);
  auto* table = sun->add_flag("--table", sunArgs.table, "the 52 weekly entries of a year");
  sun->add_option("--date", sunArgs.date, "YYYY-MM-DD (default: today)")->excludes(table);
  sun->add_flag("--summer", sunArgs.summer, "apply summer time");
  sun->add_option("--rise-corr", sunArgs.riseCorrection, "minutes added to sunrise")->check(CLI::Range(-90, 90));
  sun->add_option("--set-corr", sunArgs.setCorrection, "minutes added to sunset")->check(CLI::Range(-90, 90));
  sun->add_option("--earliest-rise", sunArgs.earliestRise, "hh:mm:ss");
  sun->add_option("--latest-rise", sunArgs.latestRise, "hh:mm:ss");
  sun->add_option("--earliest-set", sunArgs.earliestSet, "hh:mm:ss");
  sun->add_option("--latest-set", sunArgs.latestSet, "hh:mm:ss");
  sun->add_option("--year", sunArgs.year, "year of the table (default: this year)")->check(CLI::Range(1, 9999))->needs(table);
  sun->callback([&] { status = kelvaro::cli::sunCommand(sunArgs); });

  kelvaro::cli::RunArguments runArgs;
  auto* run = app.add_subcommand("run", "Run the project headless on the PC, in real or virtual time");
  run->add_option("PROJECT", runArgs.project, "project file")->required()->check(kNotEmpty);
  run->add_option("--start", runArgs.start, "\"YYYY-MM-DD hh:mm:ss\": the clock at the start (default: now)");
  run->add_option("--for", runArgs.duration, "how long to run: 90s, 15m, 2h, 7d");
  auto* runFast = run->add_flag("--fast", runArgs.fast, "virtual time in 10 ms ticks, as fast as the machine allows");
  run->add_option("--speed", runArgs.speed, "real time N times faster, in steps of N x 10 ms (for kelvaro-sim --speed N)")
      ->check(CLI::Range(1, 3600))
      ->excludes(runFast);
  run->add_flag("--trace", runArgs.trace, "one JSON line per change of an object's shown value");
  run->add_option("--click", runArgs.clicks, "OBJECT@TIME: a click on the object's element (repeatable)");
  run->add_option("--input", runArgs.inputs, "OBJECT=VALUE@TIME: an entry in the input dialog (repeatable)");
  run->add_flag("--continue-on-error", runArgs.continueOnError, "answer runtime errors with OK instead of Cancel");
  auto* runLat = run->add_option("--lat", runArgs.latitude, "latitude of the sun times in degrees north")->transform(degrees(90));
  auto* runLon = run->add_option("--lon", runArgs.longitude, "longitude of the sun times in degrees east")->transform(degrees(180));
  runLat->needs(runLon);
  runLon->needs(runLat);
  auto* runPort = run->add_option("--port", runArgs.port, "run with the hardware: COM1 ... (see [PORTS]), SIM, or a device path")
                      ->check(kNotEmpty);
  run->add_option("--scenario", runArgs.scenario, "SIM: the devices behind the unit and what they send when")
      ->check(kNotEmpty)
      ->needs(runPort);
  run->add_option("--protocol", runArgs.protocol, "write the protocol of inputs and outputs to this file")
      ->check(kNotEmpty)
      ->needs(runPort);
  run->add_option("--dump-sim", runArgs.dumpSim, "SIM: write what the simulated unit received to this file at the end")
      ->check(kNotEmpty)
      ->needs(runPort);
  run->add_flag("--visualisation", runArgs.visualisation, "show the values of the program the unit runs")->needs(runPort);
  run->callback([&] {
    if ((runArgs.scenario || runArgs.dumpSim) && runArgs.port != kelvaro::kSimulatorWord)
      throw CLI::ValidationError("--scenario and --dump-sim go with --port SIM only");
    status = kelvaro::cli::runCommand(runArgs);
  });

  kelvaro::cli::UnitArguments unitArgs;
  auto* unit = app.add_subcommand("unit", "Talk to the control unit on a serial port");
  unit->add_option("COMMAND", unitArgs.command, "what to do")
      ->required()
      ->check(CLI::IsMember({"identify", "autodetect", "transfer", "clock", "config-read", "config-write", "save",
                             "restart", "delete", "end", "modem-init", "info", "no-program"}));
  auto* unitProject = unit->add_option("PROJECT", unitArgs.project, "transfer: the project file");
  unit->add_option("--port", unitArgs.port, "COM1 ... (see [PORTS] in kelvaro.INI), SIM, or a device path");
  unit->add_flag("--simulator", unitArgs.simulator, "use the built-in simulated control unit");
  unit->add_flag("--log", unitArgs.log, "write the line log RS232LOG.TXT");
  auto* unitClock = unit->add_flag("--clock", unitArgs.clock, "transfer: set the unit's clock afterwards");
  unit->add_option("--unit", unitArgs.unit, "the control-unit type the page has selected")
      ->check(CLI::IsMember(unitTypeNames(false)));
  const std::vector<CLI::Option*> configOptions = {
      unit->add_option("--init", unitArgs.init, "config-write: modem initialisation text"),
      unit->add_option("--connect", unitArgs.connect, "config-write: modem connect message"),
      unit->add_option("--access", unitArgs.access, "config-write: access number;password"),
      unit->add_option("--clockcor", unitArgs.clockCorrection, "config-write: clock correction")
          ->check(CLI::Range(0, 255)),
  };
  const std::vector<CLI::Option*> modemOptions = {
      unit->add_option("--modem", unitArgs.modem, "transfer: dial this number through the modem on --port")
          ->check(kNotEmpty),
      unit->add_option("--password", unitArgs.passwords, "transfer --modem: the unit's password (repeatable, in turn)"),
      unit->add_option("--modem-seconds", unitArgs.modemSeconds, "transfer --modem: time for the dial and the password")
          ->check(CLI::Range(1, 3600)),
  };
  unit->callback([&] {
    const std::string& c = unitArgs.command;
    if (c == "transfer" && unitArgs.project.empty()) throw CLI::ValidationError("transfer needs PROJECT");
    // What another command would use must not be given here and silently ignored.
    if (c != "transfer" && (unitProject->count() > 0 || unitClock->count() > 0))
      throw CLI::ValidationError("PROJECT and --clock go with transfer only");
    for (const CLI::Option* o : configOptions)
      if (c != "config-write" && o->count() > 0)
        throw CLI::ValidationError(o->get_name() + " goes with config-write only");
    for (const CLI::Option* o : modemOptions)
      if (o->count() > 0 && (c != "transfer" || (o != modemOptions[0] && !unitArgs.modem)))
        throw CLI::ValidationError(o->get_name() +
                                   (o == modemOptions[0] ? " goes with transfer only" : " goes with transfer --modem only"));
    if (unitArgs.port.empty() && c != "autodetect" && !unitArgs.simulator)
      throw CLI::ValidationError("--port is required");
    if (unitArgs.port.empty() && unitArgs.simulator) unitArgs.port = "SIM";
    status = kelvaro::cli::unitCommand(unitArgs);
  });

  // The port options the station and radio commands share.
  auto addLineOptions = [](CLI::App* command, kelvaro::cli::LineArguments& line) {
    command->add_option("--port", line.port, "COM1 ... (see [PORTS] in kelvaro.INI), SIM, or a device path")
        ->required()
        ->check(kNotEmpty);
    command->add_option("--scenario", line.scenario, "SIM: the stations behind the unit and what they do when")
        ->check(kNotEmpty);
    command->add_option("--unit", line.unit, "SIM: the type the simulated unit plays (default CU/F-A2)")
        ->check(CLI::IsMember(unitTypeNames(false)));
    command->add_flag("--log", line.log, "write the line log RS232LOG.TXT");
  };
  auto checkLineOptions = [](const kelvaro::cli::LineArguments& line) {
    if ((line.scenario || line.unit) && line.port != kelvaro::kSimulatorWord)
      throw CLI::ValidationError("--scenario and --unit go with --port SIM only");
  };

  kelvaro::cli::StationArguments stationArgs;
  auto* station = app.add_subcommand("station", "Configure and test the stations of the page E/A-Module");
  station->add_option("COMMAND", stationArgs.command, "what to do")
      ->required()
      ->check(CLI::IsMember({"list", "read", "write", "check", "check-all", "configure-all", "autodetect", "address",
                             "test", "errors"}));
  auto* stationProject = station->add_option("PROJECT", stationArgs.project, "project file")->check(kNotEmpty);
  auto* stationName = station->add_option("STATION", stationArgs.station, "the station's name")->check(kNotEmpty);
  addLineOptions(station, stationArgs.line);
  station->get_option("--port")->required(false);
  auto* stationNew = station->add_option("--new", stationArgs.newAddress, "address: the new address, 0 = the next free one")
                         ->check(CLI::Range(0, 255));
  auto* stationSeconds = station->add_option("--seconds", stationArgs.seconds, "test, errors: how long to listen")
                             ->check(CLI::Range(1, 3600));
  std::vector<int> thresholds(kelvaro::kErrorThresholds.begin(), kelvaro::kErrorThresholds.end());
  auto* errorsOn = station->add_option("--on", stationArgs.errorsOn, "errors: switch the counter on with this threshold")
                       ->check(CLI::IsMember(thresholds));
  auto* errorsOff = station->add_flag("--off", stationArgs.errorsOff, "errors: switch the counter off");
  bool errorsQuery = false;
  auto* errorsQueryOption = station->add_flag("--query", errorsQuery, "errors: ask for the count (the default)");
  errorsOn->excludes(errorsOff)->excludes(errorsQueryOption);
  errorsOff->excludes(errorsQueryOption);
  auto* stationSave = station->add_flag("--save", stationArgs.save, "save the project when the command changed it");
  station->callback([&] {
    const std::string& c = stationArgs.command;
    const bool withProject = c != "autodetect";
    const bool withStation = c != "list" && c != "autodetect" && c != "check-all" && c != "configure-all";
    if (withProject && stationProject->count() == 0) throw CLI::ValidationError(c + " needs PROJECT");
    if (withStation && stationName->count() == 0) throw CLI::ValidationError(c + " needs STATION");
    if (!withProject && stationProject->count() > 0) throw CLI::ValidationError(c + " takes no PROJECT");
    if (!withStation && stationName->count() > 0) throw CLI::ValidationError(c + " takes no STATION");
    if ((c == "list") != stationArgs.line.port.empty())
      throw CLI::ValidationError(c == "list" ? "list takes no --port" : "--port is required");
    if (stationNew->count() > 0 && c != "address") throw CLI::ValidationError("--new goes with address only");
    if (stationSeconds->count() > 0 && c != "test" && c != "errors")
      throw CLI::ValidationError("--seconds goes with test and errors only");
    for (const CLI::Option* o : {errorsOn, errorsOff, errorsQueryOption})
      if (o->count() > 0 && c != "errors") throw CLI::ValidationError(o->get_name() + " goes with errors only");
    if (stationSave->count() > 0 && c != "read" && c != "write" && c != "address" && c != "configure-all")
      throw CLI::ValidationError("--save goes with read, write, address and configure-all only");
    checkLineOptions(stationArgs.line);
    status = kelvaro::cli::stationCommand(stationArgs);
  });

  kelvaro::cli::RadioArguments radioArgs;
  auto* radio = app.add_subcommand("radio", "Read or write the central code of the radio interface");
  radio->add_option("COMMAND", radioArgs.command, "what to do")->required()->check(CLI::IsMember({"read", "write-code"}));
  auto* radioCode = radio->add_option("CODE", radioArgs.code, "write-code: the central code, 1 to 100")
                        ->check(CLI::Range(1, 100));
  addLineOptions(radio, radioArgs.line);
  radio->callback([&] {
    if ((radioArgs.command == "write-code") != (radioCode->count() > 0))
      throw CLI::ValidationError("CODE goes with write-code, and write-code needs it");
    checkLineOptions(radioArgs.line);
    status = kelvaro::cli::radioCommand(radioArgs);
  });

  kelvaro::cli::ModemArguments modemArgs;
  auto* modem = app.add_subcommand("modem", "Dial a distant unit through the modem, or wait for its call");
  modem->add_option("COMMAND", modemArgs.command, "what to do")->required()->check(CLI::IsMember({"dial", "answer", "hangup"}));
  auto* modemNumber = modem->add_option("NUMBER", modemArgs.number, "dial: the telephone number")->check(kNotEmpty);
  addLineOptions(modem, modemArgs.line);
  modem->add_option("--init", modemArgs.init, "the modem's initialisation text (default: the saved one)");
  modem->add_option("--password", modemArgs.passwords, "the answer to the unit's password request (repeatable, in turn)");
  modem->add_option("--seconds", modemArgs.seconds, "how long the link, or the waiting for a call, lasts")
      ->check(CLI::Range(1, 86400));
  modem->add_flag("--visualisation", modemArgs.visualisation, "ask the unit for its project and print its name");
  auto* simPassword = modem->add_option("--sim-password", modemArgs.simPassword, "SIM: the unit's remote password");
  auto* simProgram = modem->add_option("--sim-program", modemArgs.simProgram, "SIM: the unit's program name")
                         ->check(kProgramName);
  modem->callback([&] {
    if ((modemArgs.command == "dial") != (modemNumber->count() > 0))
      throw CLI::ValidationError("NUMBER goes with dial, and dial needs it");
    checkLineOptions(modemArgs.line);
    if ((simPassword->count() > 0 || simProgram->count() > 0) && modemArgs.line.port != kelvaro::kSimulatorWord)
      throw CLI::ValidationError("--sim-password and --sim-program go with --port SIM only");
    status = kelvaro::cli::modemCommand(modemArgs);
  });

  // The assistants' commands each register themselves under "assist".
  auto* assist = app.add_subcommand("assist", "Let an assistant write program lines into a project");
  assist->require_subcommand(1);
  kelvaro::cli::addUsesCommand(app, status);
  kelvaro::cli::addSwitchTimeCommand(*assist, status);
  kelvaro::cli::addShutterGroupCommand(*assist, status);

  kelvaro::cli::addUnitTraceCommand(app, status);
  kelvaro::cli::addHelpExport(app, status);
  kelvaro::cli::addPrintCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help is a success; every other parse failure is an invalid argument, told in one line.
    if (e.get_exit_code() == 0) return app.exit(e);
    std::cerr << oneLine(e.what()) << "\n";
    return 2;
  } catch (const std::bad_alloc&) {
    std::cerr << "Nicht genug Speicher\n";
    return 1;
  } catch (const std::exception& e) {
    // Nothing from outside may end the tool without a word.
    std::cerr << oneLine(e.what()) << "\n";
    return 1;
  }
  return status;
}
