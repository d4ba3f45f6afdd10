// Closing the program: the questions about unsaved changes and the work done at the end.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/project.h"
#include "storage/ini_file.h"
#include "storage/settings.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kExitSaveQuestion =
    "Das Programm wird beendet\rSoll das aktuelle Projekt gespeichert werden ?";

// "Die letzten Änderungen wurden noch nicht gesichert.\rSoll trotzdem beendet werden ?"
// in Windows-1252.
std::string unsavedChangesWarning();

// The exit command: for a modified project asks whether to save it first and on Yes runs
// saveAs. True when the user chose to save. The caller closes the main window afterwards.
bool exitCommand(const Project& project, UserInterface& ui, const std::function<void()>& saveAs);

// Every close of the main window: when the project is (still) modified, warns and lets the
// user keep the program running. True when the program may close.
bool closeQuery(const Project& project, UserInterface& ui);

// The end of the main window: empties the project and, when a setting changed, writes the
// settings file. False only when that save failed (the user has been told).
bool shutDown(Project& project, const Settings& settings, IniFile& ini, UserInterface& ui);

}  // namespace kelvaro
