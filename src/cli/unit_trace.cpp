// kelvaro-cli unit-trace (see unit_trace.h).
#include "unit_trace.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "app/program_transfer.h"
#include "arguments.h"
#include "configured_sun.h"
#include "console_user_interface.h"
#include "control_unit.h"
#include "hardware/unit_types.h"
#include "run_commands.h"
#include "language/compiler.h"
#include "language_commands.h"
#include "project_loading.h"
#include "text/cp1252.h"
#include "time/clock.h"
#include "time/date_time.h"

namespace kelvaro::cli {
namespace {

struct UnitTraceArguments {
  std::string project;
  std::optional<std::string> start;
  std::string duration = "1d";
  std::optional<std::string> scenario;
  std::string unit = "CU/F-A2";
};

int unitTraceCommand(const UnitTraceArguments& a) {
  DateTime start = SystemClock().now();
  if (a.start) {
    const auto parsed = parseIsoDateTime(*a.start);
    if (!parsed) {
      std::cerr << "--start erwartet \"YYYY-MM-DD hh:mm:ss\": " << *a.start << "\n";
      return 2;
    }
    start = *parsed;
  }
  const auto durationMs = parseDuration(a.duration);
  if (!durationMs) {
    std::cerr << "--for erwartet eine Dauer wie 90s, 15m, 2h oder 7d: " << a.duration << "\n";
    return 2;
  }
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, a.project, ui)) return 2;
  if (project.objects.empty()) {
    std::cerr << "Keine Objekte definiert\n";
    return 2;
  }
  const int typeCode = unitTypeCode(a.unit);
  if (replyCodeOf(typeCode) == 0) {
    std::cerr << "--unit: unbekannter Typ " << a.unit << "\n";
    return 2;
  }
  std::optional<sim::Scenario> scenario;
  if (a.scenario && !(scenario = readScenario(*a.scenario))) return 2;
  CompileOptions options;
  options.programName = fromUtf8(fileNameStem(std::filesystem::path(a.project).filename().string()));
  options.sunTable = sunWeeks(decodeDate(start).year, true, configuredSunSettings());
  options.unitTypeCode = typeCode;
  const CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
  if (out.result.code != 0) {
    std::cerr << compileErrorLine(project, out.result) << "\n";
    return 1;
  }
  // The unit as a transfer leaves it: the image in its memory from the base, FF around it,
  // its devices behind it from the first moment on, as for the PC's run.
  sim::UnitConfig config;
  config.replyCode = replyCodeOf(typeCode);
  sim::ControlUnit unit(config);
  if (scenario) unit.setScenario(std::move(*scenario), 0);
  std::copy(out.image.begin(), out.image.end(), unit.memory.begin() + out.imageBase);
  sim::Firmware& firmware = unit.firmware;
  if (!firmware.load(unit.memory, out.imageBase, out.imageBase + out.imageSize + 1)) {
    std::cerr << messageLine(firmware.log.back()) << "\n";
    return 1;
  }
  firmware.onChange = [&](int object, const std::string& text, DateTime when, bool fromStation) {
    nlohmann::ordered_json line;
    line["t"] = isoDateTimeText(when);
    line["object"] = toUtf8(firmware.image()->objects[static_cast<std::size_t>(object)].name);
    line["value"] = toUtf8(text);
    if (fromStation) line["from"] = "hardware";
    std::cout << line.dump() << '\n';
  };
  firmware.setClock(start);
  firmware.start();
  std::vector<std::uint8_t> toPc;  // nobody listens on the line
  const auto endMs = static_cast<std::uint64_t>(*durationMs);
  for (std::uint64_t ms = 0; ms <= endMs && firmware.running(); ms += sim::Firmware::kTickMs) {
    unit.toPc(ms, toPc);
    toPc.clear();
  }
  std::cout.flush();
  // What the unit noted besides the changes: runaway programs, a full queue, PROGRAMMENDE.
  for (std::size_t i = 1; i < firmware.log.size(); ++i) std::cerr << messageLine(firmware.log[i]) << "\n";
  return 0;
}

}  // namespace

void addUnitTraceCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<UnitTraceArguments>();
  auto* cmd = app.add_subcommand("unit-trace", "Run the project's image on the simulated unit in virtual time");
  cmd->add_option("PROJECT", args->project, "project file")->required();
  cmd->add_option("--start", args->start, "\"YYYY-MM-DD hh:mm:ss\": the unit's clock at the start (default: now)");
  cmd->add_option("--for", args->duration, "how long to run: 90s, 15m, 2h, 7d (default 1d)");
  cmd->add_option("--scenario", args->scenario, "the devices behind the unit and what they send when");
  cmd->add_option("--unit", args->unit, "the unit's type (default CU/F-A2, the unit with a radio part)");
  cmd->callback([args, &status] { status = unitTraceCommand(*args); });
}

}  // namespace kelvaro::cli
