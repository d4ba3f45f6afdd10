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
#include "firmware.h"
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
  CompileOptions options;
  options.programName = fromUtf8(fileNameStem(std::filesystem::path(a.project).filename().string()));
  options.sunTable = sunWeeks(decodeDate(start).year, true, configuredSunSettings());
  const CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
  if (out.result.code != 0) {
    std::cerr << compileErrorLine(project, out.result) << "\n";
    return 1;
  }
  // The unit's memory as a transfer leaves it: the image from its base, FF around it.
  std::vector<std::uint8_t> memory(0x10000, 0xFF);
  std::copy(out.image.begin(), out.image.end(), memory.begin() + 4096);
  sim::Firmware firmware;
  if (!firmware.load(memory, out.imageBase, out.imageBase + out.imageSize + 1)) {
    std::cerr << messageLine(firmware.log.back()) << "\n";
    return 1;
  }
  firmware.onChange = [&](int object, const std::string& text, DateTime when) {
    nlohmann::ordered_json line;
    line["t"] = isoDateTimeText(when);
    line["object"] = toUtf8(firmware.image()->objects[static_cast<std::size_t>(object)].name);
    line["value"] = toUtf8(text);
    std::cout << line.dump() << '\n';
  };
  firmware.setClock(start);
  firmware.start();
  const long long ticks = *durationMs / static_cast<long long>(sim::Firmware::kTickMs);
  for (long long i = 0; i < ticks && firmware.running(); ++i) firmware.tick();
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
  cmd->callback([args, &status] { status = unitTraceCommand(*args); });
}

}  // namespace kelvaro::cli
