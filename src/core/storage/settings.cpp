// Reading and writing back the settings file, and finding it on a Linux machine.
#include "storage/settings.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ui/user_interface.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kInitAll = "INITALL";
constexpr std::string_view kInitSpg = "INITSPG";
constexpr std::string_view kStartPgm = "STARTPGM";
constexpr std::string_view kAstro = "ASTRO";
constexpr std::string_view kRemote = "REMOTE";
constexpr std::string_view kInterfaces = "INTERFACES";

bool endsWithSeparator(std::string_view dir) { return !dir.empty() && (dir.back() == '/' || dir.back() == '\\'); }

// The directories are not upper-cased as they were on Windows: Linux names are
// case-sensitive, so an upper-cased path would name a directory that does not exist.
// An empty value would become the root directory; it gets the default instead.
std::string readDirectory(const IniFile& ini, std::string_view key, std::string_view workDir,
                          std::string_view defaultName) {
  const std::string value = ini.readString(kInitAll, key, "");
  if (!value.empty()) return completeDirectory(value);
  return completeDirectory(pathInDirectory(workDir, defaultName));
}

double readTenths(const IniFile& ini, std::string_view key, int defaultTenths) {
  return ini.readInt(kAstro, key, defaultTenths) / 10.0;
}

// Rounded to whole tenths; kept inside the range of an int so that no entry, however wild,
// makes the conversion undefined.
std::string tenthsText(double degrees) {
  const double tenths = std::isfinite(degrees) ? std::clamp(degrees * 10.0, -2147483648.0, 2147483647.0) : 0.0;
  return std::to_string(std::lround(tenths));
}

// A time field that holds no digit is the empty template (or was never filled in).
bool isEmptyTime(std::string_view time) {
  return time.find_first_not_of(" :") == std::string_view::npos;
}

void writeOrDelete(IniFile& ini, std::string_view section, std::string_view key, bool write,
                   std::string_view value) {
  if (write)
    ini.writeString(section, key, value);
  else
    ini.deleteKey(section, key);
}

std::string recentKey(std::size_t index) { return "PROJEKT" + std::to_string(index + 1); }

// Entries as a user may have left them: blank ones are skipped, so are repeats, and no more
// than the menu shows are kept.
std::vector<std::string> readRecentProjects(const IniFile& ini) {
  std::vector<std::string> recent;
  for (std::size_t i = 0; i < kMaxRecentProjects; ++i) {
    const std::string file = trimRight(ini.readString(kRecentSection, recentKey(i), ""));
    if (!file.empty() && std::find(recent.begin(), recent.end(), file) == recent.end()) recent.push_back(file);
  }
  return recent;
}

}  // namespace

std::string completeDirectory(std::string_view dir) {
  if (dir.empty() || endsWithSeparator(dir)) return std::string(dir);
  return std::string(dir) + "/";
}

std::string pathInDirectory(std::string_view dir, std::string_view name) {
  if (name.starts_with('/') || dir.empty()) return std::string(name);
  return completeDirectory(dir) + std::string(name);
}

Settings readSettings(const IniFile& ini, std::string_view workDir) {
  Settings s;
  s.DIRBMP = readDirectory(ini, "DIRBMP", workDir, "BMP");
  s.DIRDAT = readDirectory(ini, "DIRDAT", workDir, "SPG");
  s.PAINTPATH = ini.readString(kInitAll, "PAINTPATH", "");
  s.COMPORT = ini.readInt(kInitAll, "COMPORT", -1);
  s.CONTR = ini.readInt(kInitAll, "CONTR", -1);
  s.MODEMINIT = ini.readString(kInitAll, "MODEMINIT", s.MODEMINIT);
  s.MODEMCON = ini.readString(kInitAll, "MODEMCON", s.MODEMCON);
  s.CLOCKCOR = ini.readString(kInitAll, "CLOCKCOR", s.CLOCKCOR);
  s.REMOTEPW = ini.readString(kInitAll, "REMOTEPW", s.REMOTEPW);
  s.SHOWHINT = ini.readInt(kInitAll, "SHOWHINT", 1) != 0;
  s.LOADFILE = ini.readString(kInitAll, "LOADFILE", "");
  s.INITFILE = ini.readString(kInitSpg, "INITFILE", kDefaultInitFile);
  s.AUTOEXEC = ini.readString(kStartPgm, "AUTOEXEC", "");
  s.PLZ = ini.readInt(kAstro, "PLZ", -1);
  s.GEOLANG = readTenths(ini, "GEOLANG", 105);
  s.GEOBREIT = readTenths(ini, "GEOBREIT", 515);
  s.SUNRISEK = ini.readInt(kAstro, "SUNRISEK", 0);
  s.SUNSETK = ini.readInt(kAstro, "SUNSETK", 0);
  s.SUNRISEZ1 = shortText(ini.readString(kAstro, "SUNRISEZ1", ""), kSunTimeCapacity);
  s.SUNRISEZ2 = shortText(ini.readString(kAstro, "SUNRISEZ2", ""), kSunTimeCapacity);
  s.SUNSETZ1 = shortText(ini.readString(kAstro, "SUNSETZ1", ""), kSunTimeCapacity);
  s.SUNSETZ2 = shortText(ini.readString(kAstro, "SUNSETZ2", ""), kSunTimeCapacity);
  s.REMOTEPORT = ini.readInt(kRemote, "REMOTEPORT", -1);
  s.REMOTEINIT = shortText(ini.readString(kRemote, "REMOTEINIT", ""), kRemoteTextCapacity);
  s.REMOTETELNR = shortText(ini.readString(kRemote, "REMOTETELNR", ""), kRemoteTextCapacity);
  // A byte: a value outside 0..255 is not a protocol number, so it counts as absent rather
  // than being cut to some other protocol.
  const int protocol = ini.readInt(kInterfaces, "RS232PROT", 0);
  s.RS232PROT = protocol >= 0 && protocol <= 255 ? static_cast<std::uint8_t>(protocol) : 0;
  s.recentProjects = readRecentProjects(ini);
  return s;
}

void writeSettings(const Settings& s, IniFile& ini) {
  ini.writeString(kInitAll, "DIRBMP", s.DIRBMP);
  ini.writeString(kInitAll, "DIRDAT", s.DIRDAT);
  ini.writeString(kInitAll, "COMPORT", std::to_string(s.COMPORT));
  ini.writeString(kInitAll, "CONTR", std::to_string(s.CONTR));
  ini.writeString(kInitAll, "MODEMINIT", s.MODEMINIT);
  ini.writeString(kInitAll, "MODEMCON", s.MODEMCON);
  ini.writeString(kInitAll, "CLOCKCOR", s.CLOCKCOR);
  ini.writeString(kInitAll, "REMOTEPW", s.REMOTEPW);
  ini.writeString(kInitAll, "SHOWHINT", s.SHOWHINT ? "1" : "0");

  // The default definitions file is stored only when it is not the default one. The name is
  // compared exactly: on Linux "init.spi" is another file than "INIT.SPI".
  const std::string initFile = trimRight(s.INITFILE);
  if (!initFile.empty() && initFile != kDefaultInitFile)
    ini.writeString(kInitSpg, "INITFILE", initFile);
  else
    ini.eraseSection(kInitSpg);

  const std::string paintPath = trimRight(s.PAINTPATH);
  writeOrDelete(ini, kInitAll, "PAINTPATH", !paintPath.empty(), paintPath);

  const std::string autoExec = trimRight(s.AUTOEXEC);
  if (!autoExec.empty())
    ini.writeString(kStartPgm, "AUTOEXEC", autoExec);
  else
    ini.eraseSection(kStartPgm);

  writeOrDelete(ini, kInitAll, "LOADFILE", !s.startFile.empty(), s.startFile);

  ini.writeString(kAstro, "PLZ", std::to_string(s.PLZ));
  ini.writeString(kAstro, "GEOLANG", tenthsText(s.GEOLANG));
  ini.writeString(kAstro, "GEOBREIT", tenthsText(s.GEOBREIT));
  ini.writeString(kAstro, "SUNRISEK", std::to_string(s.SUNRISEK));
  ini.writeString(kAstro, "SUNSETK", std::to_string(s.SUNSETK));
  writeOrDelete(ini, kAstro, "SUNRISEZ1", !isEmptyTime(s.SUNRISEZ1), s.SUNRISEZ1);
  writeOrDelete(ini, kAstro, "SUNRISEZ2", !isEmptyTime(s.SUNRISEZ2), s.SUNRISEZ2);
  writeOrDelete(ini, kAstro, "SUNSETZ1", !isEmptyTime(s.SUNSETZ1), s.SUNSETZ1);
  writeOrDelete(ini, kAstro, "SUNSETZ2", !isEmptyTime(s.SUNSETZ2), s.SUNSETZ2);

  writeOrDelete(ini, kRemote, "REMOTEPORT", s.REMOTEPORT > -1, std::to_string(s.REMOTEPORT));
  const std::string remoteInit = trimRight(s.REMOTEINIT);
  writeOrDelete(ini, kRemote, "REMOTEINIT", !remoteInit.empty(), remoteInit);
  const std::string remoteTelNr = trimRight(s.REMOTETELNR);
  writeOrDelete(ini, kRemote, "REMOTETELNR", !remoteTelNr.empty(), remoteTelNr);
}

// Key by key where the section stands, so that the file keeps its order.
void writeRecentProjects(const std::vector<std::string>& recent, IniFile& ini) {
  if (recent.empty()) {
    ini.eraseSection(kRecentSection);
    return;
  }
  for (std::size_t i = 0; i < kMaxRecentProjects; ++i)
    writeOrDelete(ini, kRecentSection, recentKey(i), i < recent.size(), i < recent.size() ? recent[i] : "");
}

bool saveChangedSettings(const Settings& settings, IniFile& ini, UserInterface& ui) {
  if (!settings.settingsChanged && !settings.recentProjectsChanged) return true;
  if (settings.settingsChanged) writeSettings(settings, ini);
  if (settings.recentProjectsChanged) writeRecentProjects(settings.recentProjects, ini);
  if (ini.save()) return true;
  // Paths on Linux are UTF-8; the message box speaks Windows-1252.
  showError(ui, "Datei " + fromUtf8(ini.path()) + " konnte nicht gespeichert werden");
  return false;
}

std::optional<std::string> settingsFilePath(const EnvironmentLookup& environment) {
  const auto get = [&](std::string_view name) { return environment(name).value_or(std::string()); };
  const std::string explicitPath = get("KELVARO_INI");
  if (!explicitPath.empty()) return explicitPath;
  // The base directory rules: a relative XDG_CONFIG_HOME is invalid and is ignored.
  const std::string configHome = get("XDG_CONFIG_HOME");
  if (configHome.starts_with('/'))
    return pathInDirectory(pathInDirectory(configHome, "kelvaro"), kSettingsFileName);
  const std::string home = get("HOME");
  if (!home.empty()) return pathInDirectory(pathInDirectory(home, ".config/kelvaro"), kSettingsFileName);
  return std::nullopt;
}

std::optional<std::string> settingsFilePath() {
  return settingsFilePath([](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (value && *value) return std::string(value);
    if (name == "HOME") {
      const passwd* user = ::getpwuid(::getuid());
      if (user && user->pw_dir && *user->pw_dir) return std::string(user->pw_dir);
    }
    return std::nullopt;
  });
}

}  // namespace kelvaro
