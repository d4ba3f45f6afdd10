// kelvaro-cli assist shutter-group: the shutter assistant headless. It sets up a shutter group
// with its members and times and writes the same lines the window writes.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kelvaro::cli {

struct ShutterGroupArguments {
  std::string project;
  std::string group;
  std::optional<std::vector<std::string>> members;  // none given: the group keeps its members
  std::optional<std::string> up;                    // hh:mm[:ss], SA or SU
  std::optional<std::string> down;
  std::vector<std::string> days;  // weekday names or their first two letters; none = every day
  bool clearTimes = false;        // drop the group's earlier times first
  std::string output;             // empty: the project file itself
};

// Exit status: 0 written, 1 the job was refused (message on stderr), 2 the project could not be read.
int shutterGroupCommand(const ShutterGroupArguments& args);

// Registers "shutter-group" under "assist".
void addShutterGroupCommand(CLI::App& assist, int& status);

}  // namespace kelvaro::cli
