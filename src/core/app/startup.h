// The main window's start-up without the window: settings, default definitions, the start
// project and the autostart, so that a test can walk every path the GUI takes at start.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"
#include "storage/ini_file.h"
#include "storage/settings.h"

namespace kelvaro {

class UserInterface;

using FileExists = std::function<bool(const std::string& path)>;

// True for an existing regular file (a directory of that name does not count).
bool regularFileExists(const std::string& path);

// Image editors tried for bitmaps when no drawing program is set. The LAST one that exists
// wins, so the list runs from the least to the most preferred: a simple paint program is all
// a floor plan or a state picture needs, so Pinta and KolourPaint rank above GIMP.
std::vector<std::string> defaultPaintCandidates();

// Leading blanks removed; when that leaves nothing, the last existing candidate, or empty.
std::string findPaintProgram(std::string_view configured, const std::vector<std::string>& candidates,
                             const FileExists& exists);

// What the start-up is given besides the settings file, the project and the user interface.
struct StartupEnvironment {
  std::vector<std::string> arguments;  // command-line arguments after the program name
  std::string workDir;                 // the working directory at start
  FileExists fileExists = regularFileExists;
  std::vector<std::string> paintCandidates = defaultPaintCandidates();
};

// What the main window shows and does after start-up. Selecting the default printer in
// portrait orientation is left to the GUI; it needs nothing from here.
struct AppState {
  Settings settings;
  std::string caption = "kelvaro";
  int hintHidePauseMs = 6000;  // tool tips disappear after this
  int selectedView = -1;       // index into project.views; -1 when there are none
  // HardwareControl of the attached unit follows the project's Extern flag, and the option
  // "Protokoll schreiben" may only be chosen while it is on.
  bool hardwareControl = false;
  bool protocolEnabled = false;
};

// Start-up, in this order: fresh project lists; settings read (LOADFILE looked up as given,
// then in the project directory, else dropped); without LOADFILE the default definitions
// (INITFILE from the project directory, else from workDir); AUTOEXEC replaces the first
// argument as start file; a start file ending in "-P" means PC execution; the start file is
// read on top and, when it was read completely, autostarted; else LOADFILE is read without
// autostart. The caller loads the settings file before.
AppState startUp(const StartupEnvironment& environment, const IniFile& ini, Project& project, UserInterface& ui);

// The application-wide error handler's repair after an error no command handled: every
// object keeps only the bitmaps chosen for it. Nothing is shown to the user.
void recoverFromUnhandledError(Project& project);

enum class AutostartAction { None, PcExecution, Visualisation };

// The main window's timer tick: when an autostart is pending, clears it and says which
// start to make.
AutostartAction autostartTick(Settings& settings);

inline constexpr std::string_view kAutostartErrorText =
    "Die Erstellung des Codes wird wegen eines Fehlers im Objektprogramm abgebrochen";

// Shown when the start made by autostartTick fails.
void showAutostartError(UserInterface& ui);

}  // namespace kelvaro
