// Reading the sun-time settings once for a command.
#include "configured_sun.h"

#include <filesystem>

#include "app/sun_settings.h"
#include "storage/ini_file.h"
#include "storage/settings.h"

namespace kelvaro::cli {

SunSettings configuredSunSettings() {
  IniFile ini(settingsFilePath().value_or(std::string()));
  if (!ini.path().empty()) ini.load();
  return sunSettingsFrom(readSettings(ini, std::filesystem::current_path().string()));
}

}  // namespace kelvaro::cli
