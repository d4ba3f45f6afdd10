// The project commands of the main window: new, open, add file, save, save as and rename.
// They work on the workspace and talk through the user interface, so a test runs them
// without a window; the window refreshes its pages after open, new and add file.
#pragma once

#include <string>
#include <string_view>

#include "app/startup.h"
#include "app/workspace.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kProjectExtension = ".SPG";
inline constexpr std::string_view kNewProjectFile = "NEU.SPG";

// A filter as the program's dialogs were given it, "Name|*.X|Name|*.Y", in the form the file
// dialogs take: "Name (*.X *.x);;Name (*.Y *.y)". The lower-case pattern is added because
// file names on Linux keep their case, and a project saved as "haus.spg" must still be seen.
std::string fileDialogFilter(std::string_view pairs);

// "/p/HAUS.V2.SPG" → "HAUS": what the project-name label shows for a file.
std::string projectNameOf(std::string_view fileName);

// The directory part of a path including its separator; empty when there is none.
std::string directoryOf(std::string_view path);
// The part after the last separator.
std::string baseNameOf(std::string_view path);

// "&Neu": after the user agreed to drop a modified project, empties it, reads the default
// definitions and asks the project name ("NEU.SPG" when cancelled). False when the user
// kept the old project.
bool newProject(Workspace& workspace, UserInterface& ui, const FileExists& exists = regularFileExists);

// "Ö&ffnen": replaces the project by a file the user picks. False when nothing was opened.
bool openProject(Workspace& workspace, UserInterface& ui);

// The question "Öffnen" asks before a modified project is dropped; true when the user agreed
// or nothing was modified.
bool mayDropProject(const Project& project, UserInterface& ui);

// Replaces the project by the file, as "Öffnen" does once a file was chosen: the file becomes
// the current one, and the recent projects remember it when it was read completely.
void loadProjectFile(Workspace& workspace, UserInterface& ui, const std::string& file);

// "&Zufügen": reads a file the user picks on top of the project. The project counts as
// modified afterwards even when the dialog was cancelled. False when nothing was read.
bool addProjectFile(Workspace& workspace, UserInterface& ui);

// "&Speichern": writes to the current file; without one it asks for a name like save as.
bool saveProject(Workspace& workspace, UserInterface& ui);

// "Speichern &unter": asks for a file name, refuses to overwrite unless the user agrees.
bool saveProjectAs(Workspace& workspace, UserInterface& ui, const FileExists& exists = regularFileExists);

// The main window's title: the caption, then the current file's name and a "*" while the
// project has unsaved changes ("kelvaro - HAUS.SPG *"); the caption alone before there is a
// file. The file name is UTF-8, as paths are; the title is Windows-1252, as the caption.
std::string windowTitle(std::string_view caption, std::string_view fileName, bool modified);

// A double click on the project name: asks a new name; the file becomes that name + ".SPG"
// in the project directory. Nothing is written until the next save.
bool renameProject(Workspace& workspace, UserInterface& ui);

}  // namespace kelvaro
