// The language commands of kelvaro-cli: check, translate and dump.
#pragma once

#include <string>

namespace kelvaro::cli {

int checkCommand(const std::string& project);
int translateCommand(const std::string& project, const std::string& object, const std::string& line);
int dumpCommand(const std::string& project, int mode, bool json);

}  // namespace kelvaro::cli
