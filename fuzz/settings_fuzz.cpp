// Fuzz target for the settings file kelvaro.INI. The first line of the input is a port name
// as the user types it (--port, the port field); the rest is the file.
//
// What must hold for any bytes:
// - reading the settings, resolving port names through the PORTS section, building the 74
//   configuration bytes the way `unit config-write` does, and computing the sun times of the
//   ASTRO section never throw;
// - a port name resolves to the simulator, to the device its PORTS entry names, or to a device
//   path; a COMn entry is used as written;
// - the configuration bytes hold the lengths and texts of the fields within their places, and a
//   clock correction of 0 to 255 goes into its byte unchanged;
// - the weekly sun table holds real times of day whenever the settings are usable;
// - writing the settings back and reading them again gives the same settings, up to what the
//   file's own rules change (blanks around a value, one pair of quotes, line breaks).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/sun_settings.h"
#include "astro/sun_times.h"
#include "fuzz_support.h"
#include "app/port_settings.h"
#include "hardware/serial_line.h"
#include "hardware/unit_commands.h"
#include "storage/ini_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro::fuzz {
namespace {

constexpr std::string_view kWorkDir = "/work";

void checkPort(const IniFile& ini, std::string_view name) {
  const PortTarget target = resolvePortName(name, portsSection(ini));
  const PortTarget again = settingsPortResolver(ini)(name);
  const std::string d = "port \"" + shown(name) + "\" -> " + (target.simulator ? "SIM" : "\"" + shown(target.device) + "\"");
  check(target.simulator == again.simulator && target.device == again.device,
        "the settings' resolver and resolvePortName agree", d);
  check(!target.simulator || target.device.empty(), "the simulator has no device path", d);
  if (name.size() == 4 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
      (name[2] == 'M' || name[2] == 'm') && name[3] >= '1' && name[3] <= '9') {
    const std::optional<std::string> entry = ini.value("PORTS", "COM" + std::string(1, name[3]));
    if (entry && !entry->empty() && !equalsNoCase(*entry, "SIM"))
      check(!target.simulator && target.device == *entry, "a PORTS entry names the device", d);
    if (!entry || entry->empty())
      check(!target.simulator && target.device == "/dev/ttyS" + std::to_string(name[3] - '1'),
            "an unmapped COMn is the n-th serial device", d);
  }
}

// The configuration bytes the way `kelvaro-cli unit config-write` builds them from the settings.
void checkConfiguration(const Settings& s, std::uint16_t deviceClass) {
  UnitPage page;
  page.ClockKorEd = s.CLOCKCOR;
  page.InitModemEd = s.MODEMINIT;
  page.ConnectModemEd = s.MODEMCON;
  page.PasswModemEd = s.REMOTEPW;
  page.rs232Prot = s.RS232PROT;
  const std::vector<std::uint8_t> c = configurationBytes(page, deviceClass);
  const std::string d = "CLOCKCOR \"" + shown(s.CLOCKCOR) + "\" MODEMINIT \"" + shown(s.MODEMINIT) + "\" MODEMCON \"" +
                        shown(s.MODEMCON) + "\" REMOTEPW \"" + shown(s.REMOTEPW) + "\"";
  check(c.size() == 75, "75 configuration bytes", d);
  if (const std::optional<int> clock = parseInt(s.CLOCKCOR); clock && *clock >= 0 && *clock <= 255)
    check(c[1] == *clock, "a clock correction of 0 to 255 is sent as it is", d);
  check(c[2] <= 31 && c[2] == std::min<std::size_t>(s.MODEMINIT.size(), 31), "the modem init string's length", d);
  check(std::string(c.begin() + 3, c.begin() + 3 + c[2]) == s.MODEMINIT.substr(0, c[2]),
        "the modem init string as given", d);
  check(c[39] <= 25 && page.ConnectModemEd.size() == c[39], "the connect message is at most 25 characters", d);
  check(std::string(c.begin() + 40, c.begin() + 40 + c[39]) == page.ConnectModemEd, "the connect message as sent", d);
  check(c[65] <= 6, "the password is at most 6 characters", d);
  check(c[73] == (deviceClass & 0xFF) && c[74] == s.RS232PROT, "device class and protocol", d);
  check(page.PasswModemEd == upperCase(page.PasswModemEd), "the access field is upper-cased", d);
}

void checkSun(const Settings& s) {
  std::vector<std::string> problems;
  const SunSettings sun = sunSettingsFrom(s, &problems);
  const std::optional<std::string> error = sunSettingsError(sun);
  for (const int year : {1999, 2024}) {
    const SunTableResult table = SunTable(year, true, sun);
    check(table.error.empty() == !error.has_value(), "the sun table fails exactly when the settings are unusable",
          "GEOLANG " + std::to_string(s.GEOLANG) + " GEOBREIT " + std::to_string(s.GEOBREIT));
    if (!table.error.empty()) continue;
    for (const SunWeek& e : table.entries)
      check(e.riseHour >= 0 && e.riseHour <= 23 && e.riseMinute >= 0 && e.riseMinute <= 59 && e.setHour >= 0 &&
                e.setHour <= 23 && e.setMinute >= 0 && e.setMinute <= 59,
            "every week of the sun table holds a time of day",
            "corrections " + std::to_string(s.SUNRISEK) + "/" + std::to_string(s.SUNSETK) + " latitude " +
                std::to_string(sun.latitude));
    const SunTimesResult day = SunTimes(*encodeDate(year, 6, 21), true, sun);
    check(day.error.empty(), "a usable setting gives the sun times of a day", day.error);
    if (day.sunrise && day.sunset)
      check(day.sunrise->hour >= 0 && day.sunrise->hour <= 23 && day.sunset->minute >= 0 && day.sunset->minute <= 59,
            "sun times are times of day");
  }
}

// What a value is after a trip through the file: one line, blanks and tabs around it removed,
// then one pair of enclosing quotes.
std::string throughFile(std::string_view value) {
  std::string line(value);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  std::string_view v = line;
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

void same(const std::string& before, const std::string& after, std::string_view key) {
  check(after == throughFile(before), "a written text setting reads back",
        std::string(key) + ": \"" + shown(before) + "\" -> \"" + shown(after) + "\"");
}

void same(std::int64_t before, std::int64_t after, std::string_view key) {
  check(before == after, "a written number setting reads back",
        std::string(key) + ": " + std::to_string(before) + " -> " + std::to_string(after));
}

// A text that is deleted from the file when it is empty after trailing blanks are removed, so
// that it reads back as its default.
void sameOrDefault(const std::string& before, const std::string& after, std::string_view fallback, std::string_view key) {
  if (trimRight(before).empty()) {
    check(after == fallback, "an empty setting reads back as its default", std::string(key) + ": \"" + shown(after) + "\"");
    return;
  }
  same(trimRight(before), after, key);
}

void checkWriteBack(std::string_view text, const Settings& s) {
  IniFile ini = IniFile::fromText(text);
  writeSettings(s, ini);
  const Settings r = readSettings(IniFile::fromText(ini.text()), kWorkDir);
  same(s.DIRBMP, r.DIRBMP, "DIRBMP");
  same(s.DIRDAT, r.DIRDAT, "DIRDAT");
  same(s.COMPORT, r.COMPORT, "COMPORT");
  same(s.CONTR, r.CONTR, "CONTR");
  same(s.MODEMINIT, r.MODEMINIT, "MODEMINIT");
  same(s.MODEMCON, r.MODEMCON, "MODEMCON");
  same(s.CLOCKCOR, r.CLOCKCOR, "CLOCKCOR");
  same(s.REMOTEPW, r.REMOTEPW, "REMOTEPW");
  same(s.SHOWHINT, r.SHOWHINT, "SHOWHINT");
  sameOrDefault(s.PAINTPATH, r.PAINTPATH, "", "PAINTPATH");
  sameOrDefault(s.AUTOEXEC, r.AUTOEXEC, "", "AUTOEXEC");
  sameOrDefault(s.INITFILE, r.INITFILE, kDefaultInitFile, "INITFILE");
  sameOrDefault(s.REMOTEINIT, r.REMOTEINIT, "", "REMOTEINIT");
  sameOrDefault(s.REMOTETELNR, r.REMOTETELNR, "", "REMOTETELNR");
  same(s.PLZ, r.PLZ, "PLZ");
  same(std::llround(s.GEOLANG * 10), std::llround(r.GEOLANG * 10), "GEOLANG");
  same(std::llround(s.GEOBREIT * 10), std::llround(r.GEOBREIT * 10), "GEOBREIT");
  same(s.SUNRISEK, r.SUNRISEK, "SUNRISEK");
  same(s.SUNSETK, r.SUNSETK, "SUNSETK");
  same(s.REMOTEPORT > -1 ? s.REMOTEPORT : -1, r.REMOTEPORT, "REMOTEPORT");
  same(s.RS232PROT, r.RS232PROT, "RS232PROT");
  const std::array<std::pair<const std::string*, const std::string*>, 4> times = {{
      {&s.SUNRISEZ1, &r.SUNRISEZ1}, {&s.SUNRISEZ2, &r.SUNRISEZ2}, {&s.SUNSETZ1, &r.SUNSETZ1}, {&s.SUNSETZ2, &r.SUNSETZ2}}};
  for (const auto& [before, after] : times) {
    if (before->find_first_not_of(" :") == std::string::npos)
      check(after->empty(), "an empty sun-time limit is not stored", shown(*after));
    else
      same(*before, *after, "sun-time limit");
  }
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view port = input.substr(0, newline);
  const std::string_view text = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);

  const IniFile ini = IniFile::fromText(text);
  const Settings settings = readSettings(ini, kWorkDir);
  check(!settings.DIRBMP.empty() && (settings.DIRBMP.back() == '/' || settings.DIRBMP.back() == '\\'),
        "the bitmap directory ends in a separator", shown(settings.DIRBMP));
  check(!settings.DIRDAT.empty() && (settings.DIRDAT.back() == '/' || settings.DIRDAT.back() == '\\'),
        "the project directory ends in a separator", shown(settings.DIRDAT));
  check(settings.SUNRISEZ1.size() <= kSunTimeCapacity && settings.SUNSETZ2.size() <= kSunTimeCapacity &&
            settings.REMOTEINIT.size() <= kRemoteTextCapacity && settings.REMOTETELNR.size() <= kRemoteTextCapacity,
        "short texts keep their capacity");

  for (const std::string_view name : {port, std::string_view("COM1"), std::string_view("com2"),
                                      std::string_view("COM9"), std::string_view("COM0"), std::string_view("SIM"),
                                      std::string_view("COM999"), std::string_view("COM2147483648")})
    checkPort(ini, name);
  checkConfiguration(settings, size % 2 ? 1 : 8);
  checkSun(settings);
  checkWriteBack(text, settings);
  return 0;
}
