// The program's start: the settings file found and read, the workspace filled by the core's
// start-up with the command-line arguments, and the main window shown on the result.
#pragma once

#include <string>
#include <vector>

#include "ui/user_interface.h"
#include "app/workspace.h"

namespace kelvaro::gui {

// Reads kelvaro.INI (where settingsFilePath() puts it) into the workspace and runs the
// start-up: default definitions or the last project, the start project from the arguments
// (after the program name; "-P" at its end selects PC execution) or AUTOEXEC. The working
// directory at start is the current directory.
void startWorkspace(Workspace& workspace, UserInterface& ui, const std::vector<std::string>& arguments);

// Qt's own texts in German (the buttons of standard dialogs, the file dialogs, the menus of
// edit fields) and a German default locale; needs the application object. Without Qt's
// translation file the program still starts, with Qt's English texts. True when loaded.
bool useGermanTexts();

// The whole program: application, main window, start-up, event loop. Returns the exit code.
int runKelvaro(int argc, char* argv[]);

}  // namespace kelvaro::gui
