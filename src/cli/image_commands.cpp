// The image and sun commands of kelvaro-cli.
#include "image_commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/program_transfer.h"
#include "astro/sun_times.h"
#include "configured_sun.h"
#include "console_user_interface.h"
#include "hardware/unit_types.h"
#include "language/compiler.h"
#include "language/image.h"
#include "language_commands.h"
#include "project_loading.h"
#include "storage/atomic_file.h"
#include "text/cp1252.h"
#include "time/clock.h"
#include "time/date_time.h"

namespace kelvaro::cli {
namespace {

std::optional<DateTime> dateArgument(const std::optional<std::string>& text) {
  if (!text) return SystemClock().now();
  return parseIsoDate(*text);
}

std::string twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

int compileCommand(const CompileArguments& args) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, args.project, ui)) return 2;
  const auto today = dateArgument(args.today);
  if (!today) {
    std::cerr << "Ungültiges Datum: " << *args.today << "\n";
    return 2;
  }
  const SunSettings sun = configuredSunSettings();
  const SunTableResult table = SunTable(decodeDate(*today).year, true, sun);
  if (!table.error.empty()) {
    std::cerr << messageLine(table.error) << "\n";
    return 2;
  }
  CompileOptions options;
  options.unitTypeCode = unitTypeCode(args.unit);
  options.programName =
      fromUtf8(args.name.value_or(fileNameStem(std::filesystem::path(args.project).filename().string())));
  options.sunTable = sunWeeks(decodeDate(*today).year, true, sun);

  const CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
  if (out.result.code != 0) {
    if (out.result.code == kErrOverflow) {
      std::cout << "Speicherüberlauf - Programm zu groß\n";
    } else {
      std::cout << compileErrorLine(project, out.result) << "\n";
    }
    return 1;
  }
  if (!replaceFile(args.output, imageFileBytes(out, args.output))) {
    std::cerr << "Datei " << args.output << " konnte nicht gespeichert werden\n";
    return 1;
  }
  std::cout << "Speicherauslastung " << memoryUsePercent(out) << " % (" << out.imageSize + 1 << " Bytes ab 0x"
            << std::hex << out.imageBase << std::dec << ")\n";
  return 0;
}

int sunCommand(const SunArguments& args) {
  const bool explicitOptions = args.latitude || args.longitude || args.riseCorrection || args.setCorrection ||
                               args.earliestRise || args.latestRise || args.earliestSet || args.latestSet;
  SunSettings settings = explicitOptions ? SunSettings{} : configuredSunSettings();
  if (args.latitude) settings.latitude = *args.latitude;
  if (args.longitude) settings.longitude = *args.longitude;
  if (args.riseCorrection) settings.sunriseCorrection = *args.riseCorrection;
  if (args.setCorrection) settings.sunsetCorrection = *args.setCorrection;
  const std::pair<const std::optional<std::string>*, std::optional<DateTime>*> limits[] = {
      {&args.earliestRise, &settings.earliestSunrise},
      {&args.latestRise, &settings.latestSunrise},
      {&args.earliestSet, &settings.earliestSunset},
      {&args.latestSet, &settings.latestSunset},
  };
  for (const auto& [text, limit] : limits) {
    if (!*text) continue;
    *limit = readLimitTime(**text);
    if (!*limit) {
      std::cerr << "Ungültige Uhrzeit: " << **text << "\n";
      return 2;
    }
  }
  if (const auto error = sunSettingsError(settings)) {
    std::cerr << messageLine(*error) << "\n";
    return 2;
  }

  if (args.table) {
    const int year = args.year.value_or(decodeDate(SystemClock().now()).year);
    const SunTableResult table = SunTable(year, args.summer, settings);
    if (!table.error.empty()) {
      std::cerr << messageLine(table.error) << "\n";
      return 2;
    }
    DateTime day = encodeDate(year, 1, 1).value_or(0.0);
    for (const SunWeek& e : table.entries) {
      std::cout << isoDateTimeText(day).substr(0, 10) << " sunrise " << twoDigits(e.riseHour) << ":"
                << twoDigits(e.riseMinute) << " sunset " << twoDigits(e.setHour) << ":" << twoDigits(e.setMinute)
                << "\n";
      day += 7;
    }
    return 0;
  }

  const auto date = dateArgument(args.date);
  if (!date) {
    std::cerr << "Ungültiges Datum: " << *args.date << "\n";
    return 2;
  }
  const SunTimesResult r = SunTimes(*date, args.summer, settings);
  if (!r.error.empty()) {
    std::cerr << messageLine(r.error) << "\n";
    return 2;
  }
  std::cout << "sunrise " << hourMinuteText(r.sunrise) << " sunset " << hourMinuteText(r.sunset) << "\n";
  return 0;
}

}  // namespace kelvaro::cli
