// The machine-wide settings of kelvaro.INI: every key with its default, the values the
// start-up sets up beside them, where the file lives, and the rules for writing it back.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/ini_file.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kSettingsFileName = "kelvaro.INI";
inline constexpr std::string_view kDefaultInitFile = "INIT.SPI";
// What an untouched time field of the sun-time limits holds; it means "no limit".
inline constexpr std::string_view kEmptyTimeTemplate = "  :  :  ";
inline constexpr std::size_t kSunTimeCapacity = 8;
inline constexpr std::size_t kRemoteTextCapacity = 64;
// The recently opened projects live in a section of their own, so that every other program
// reading kelvaro.INI finds its sections exactly as before.
inline constexpr std::string_view kRecentSection = "ZULETZTGEOEFFNET";
inline constexpr std::size_t kMaxRecentProjects = 8;

inline constexpr char kStartVisualise = ' ';
inline constexpr char kStartPcExecution = 'P';

struct Settings {
  // [INITALL]
  std::string DIRBMP;  // bitmap directory, always ending in a separator
  std::string DIRDAT;  // project directory, always ending in a separator
  std::string PAINTPATH;
  std::int32_t COMPORT = -1;  // index in "COM1" ... "COM6"; -1 none
  std::int32_t CONTR = -1;    // index in the control-unit model choice; -1 none
  std::string MODEMINIT = "AT&F E0 S0=1 +fclass=8";
  std::string MODEMCON = "VCON";
  std::string CLOCKCOR = "45";
  std::string REMOTEPW = "40718";
  bool SHOWHINT = true;
  std::string LOADFILE;
  // [INITSPG]
  std::string INITFILE = std::string(kDefaultInitFile);
  // [STARTPGM]
  std::string AUTOEXEC;
  // [ASTRO]
  std::int32_t PLZ = -1;   // 0 = "Benutzerdefiniert"
  double GEOLANG = 10.5;   // degrees; the file holds tenths of a degree
  double GEOBREIT = 51.5;
  std::int32_t SUNRISEK = 0;
  std::int32_t SUNSETK = 0;
  std::string SUNRISEZ1, SUNRISEZ2, SUNSETZ1, SUNSETZ2;  // short text [8]: "hh:mm:ss"
  // [REMOTE]
  std::int32_t REMOTEPORT = -1;
  std::string REMOTEINIT;   // short text [64]
  std::string REMOTETELNR;  // short text [64]
  // [INTERFACES]
  std::uint8_t RS232PROT = 0;  // read only: the program never writes it

  // Set up at start; not stored under keys of their own.
  std::string startFile;  // the project from the command line or AUTOEXEC
  char startMode = kStartVisualise;
  bool autostartPending = false;
  // Set by the editors of the directories, the default-definitions file, the autostart
  // project, the COM port, the control-unit model, the modem strings, the password and the
  // clock correction. Only then is the file written back at exit.
  bool settingsChanged = false;
  std::string projectNameLabel;
  // [ZULETZTGEOEFFNET] PROJEKT1 ... PROJEKT8, newest first. Written at exit when it changed,
  // whether or not a setting of the table above did.
  std::vector<std::string> recentProjects;
  bool recentProjectsChanged = false;
};

// Reads every key in the order of the settings table, applying its default. The directory
// defaults lie in workDir, the working directory at start.
Settings readSettings(const IniFile& ini, std::string_view workDir);

// Puts the settings into the file by the write-back rules (sections erased, keys deleted for
// empty values). Leaves every other line, RS232PROT and unknown sections such as PORTS alone.
void writeSettings(const Settings& settings, IniFile& ini);

// Replaces the recent-projects section by the list; an empty list removes the section.
void writeRecentProjects(const std::vector<std::string>& recent, IniFile& ini);

// At exit: when settingsChanged is set, writes the settings, when recentProjectsChanged is
// set, the recent projects, and then saves the file; a failed save
// shows "Datei <path> konnte nicht gespeichert werden". False only after such a failure.
bool saveChangedSettings(const Settings& settings, IniFile& ini, UserInterface& ui);

// A directory with exactly the separator it needs at the end: "/" added unless the text
// already ends in "/" or in a "\" of a Windows path. An empty text stays empty.
std::string completeDirectory(std::string_view dir);

// name inside dir, unless name is already an absolute path.
std::string pathInDirectory(std::string_view dir, std::string_view name);

// Where kelvaro.INI lives: $KELVARO_INI when set; else $XDG_CONFIG_HOME/kelvaro/kelvaro.INI
// when that is an absolute path; else $HOME/.config/kelvaro/kelvaro.INI. Nothing when no
// home is known.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;
std::optional<std::string> settingsFilePath(const EnvironmentLookup& environment);
// The same for this process; without HOME the home directory of the user database counts.
std::optional<std::string> settingsFilePath();

}  // namespace kelvaro
