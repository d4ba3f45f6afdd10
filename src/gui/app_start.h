// The program's start: the settings file found and read, the workspace filled by the core's
// start-up with the command-line arguments, and the main window shown on the result.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/workspace.h"
#include "storage/settings.h"
#include "ui/user_interface.h"

namespace kelvaro::gui {

// Reads kelvaro.INI (where settingsFilePath() puts it) into the workspace and runs the
// start-up: default definitions or the last project, the start project from the arguments
// (after the program name; "-P" at its end selects PC execution) or AUTOEXEC. The working
// directory at start is the current directory.
void startWorkspace(Workspace& workspace, UserInterface& ui, const std::vector<std::string>& arguments);

// The desktop's menu entry and a double-click on a project start the program with this first
// argument before the project's name.
inline constexpr std::string_view kAskStartOption = "--ask-start";

// Removes kAskStartOption from the front of the arguments; true when it was there.
bool takeAskStartOption(std::vector<std::string>& arguments);

// A project opened from the desktop is named on the command line like a start project, but a
// double-click is no consent to a run or a visualisation that switches the installation's
// outputs: when an autostart is pending, the user is asked first ("Nein" is the default and
// leaves the project open in the main window). Call before the main timer can autostart.
void confirmAutostart(Settings& settings, UserInterface& ui);

// Qt's own texts in German (the buttons of standard dialogs, the file dialogs, the menus of
// edit fields) and a German default locale; needs the application object. Without Qt's
// translation file the program still starts, with Qt's English texts. True when loaded.
bool useGermanTexts();

// The whole program: application, main window, start-up, event loop. Returns the exit code.
int runKelvaro(int argc, char* argv[]);

}  // namespace kelvaro::gui
