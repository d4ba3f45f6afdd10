// The recently opened projects of the menu "Projekt": which files the list keeps, in which
// order, how an entry reads in the menu, and opening one that may have gone missing since.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "app/workspace.h"

namespace kelvaro {

class UserInterface;

// Puts the file at the front; an earlier entry of the same file goes, and only the newest
// kMaxRecentProjects stay. True when the list changed.
bool rememberProject(std::vector<std::string>& recent, std::string_view file);

// After a project was read or written: its file goes to the front of the list, as an absolute
// path so that the entry leads to it from any working directory. A name that does not exist
// as given is looked up in the project directory, as reading does; a file found nowhere is
// not remembered. Marks the list for writing at exit when it changed.
void rememberProject(Workspace& workspace, const std::string& file, const FileExists& exists = regularFileExists);

// The menu entry of the index-th file: "&1 HAUS.SPG  (/home/u/SPG)", with every "&" of the
// path doubled so that it is not taken for a mnemonic. UTF-8, as the paths are.
std::string recentProjectLabel(std::size_t index, std::string_view file);

// Chooses the index-th entry. A file that is no longer there is named in a warning and
// dropped from the list; otherwise, after the user agreed to drop a modified project, the
// file replaces the project as "Öffnen" does. True when a project was read.
bool openRecentProject(Workspace& workspace, UserInterface& ui, std::size_t index,
                       const FileExists& exists = regularFileExists);

}  // namespace kelvaro
