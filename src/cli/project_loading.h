// Loading the project a command works on, with one line on stderr when it cannot be read.
#pragma once

#include <string>

#include "console_user_interface.h"
#include "model/project.h"

namespace kelvaro::cli {

bool loadProject(Project& project, const std::string& fileName, ConsoleUserInterface& ui);

}  // namespace kelvaro::cli
