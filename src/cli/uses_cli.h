// kelvaro-cli uses PROJECT NAME: the where-used window headless. Prints the header line and
// one line per program line that uses the object, "OBJECT  :  LINE" as the window lists them.
// Exit status 0 (also when the object is used nowhere), 2 bad arguments or files.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace kelvaro::cli {

int usesCommand(const std::string& projectFile, const std::string& objectName);

void addUsesCommand(CLI::App& app, int& status);

}  // namespace kelvaro::cli
