// The project commands of kelvaro-cli: round trip through the file format and the model dump.
#pragma once

#include <string>

namespace kelvaro::cli {

// Exit codes: 0 success, 1 the job failed, 2 the input could not be read.
int roundtripCommand(const std::string& in, const std::string& out);
int infoCommand(const std::string& project, bool json);

}  // namespace kelvaro::cli
