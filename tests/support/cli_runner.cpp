// Starting kelvaro-cli through the shell and collecting what it prints.
#include "support/cli_runner.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "support/temp_dir.h"

namespace kelvaro::test {

CliRun runCli(const std::string& arguments, const std::string& dir, Stderr stderrMode, const std::string& ini) {
  TempDir scratch;
  const std::string errFile = scratch.file("stderr.txt");
  std::string command = dir.empty() ? std::string() : "cd '" + dir + "' && ";
  command += "KELVARO_INI='" + (ini.empty() ? std::string("/nonexistent/kelvaro.INI") : ini) + "' " +
             std::string(KELVARO_CLI_PATH) + " " + arguments;
  command += stderrMode == Stderr::Merged ? " 2>&1" : " 2>'" + errFile + "'";
  CliRun result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (stderrMode == Stderr::Apart) result.errors = readFile(errFile);
  return result;
}

}  // namespace kelvaro::test
