// Runs kelvaro-cli as other tools do, never with the settings file of whoever runs the tests.
#pragma once

#include <string>

namespace kelvaro::test {

struct CliRun {
  int status = -1;
  std::string output;  // stdout, and stderr too unless kept apart
  std::string errors;  // stderr when kept apart
};

enum class Stderr { Merged, Apart };

// arguments are shell words; dir, when given, is the working directory; ini, when given, the
// settings file (else there is none).
CliRun runCli(const std::string& arguments, const std::string& dir = {}, Stderr stderrMode = Stderr::Merged,
              const std::string& ini = {});

}  // namespace kelvaro::test
