// kelvaro-cli assist switch-time: the switching-time assistant headless. It opens the assistant
// on one object as the object editor does, adds the blocks the options ask for, presses OK and
// writes the project, so the object gets exactly the lines the window would give it.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kelvaro::cli {

struct SwitchTimeArguments {
  std::string project;
  std::string object;
  std::optional<std::string> on, off;   // switchable objects: hh:mm[:ss], SA or SU
  std::optional<std::string> up, down;  // shutters ("Rolllade"): the same
  std::optional<std::string> offAfter;  // automatic switch-off after hh:mm[:ss]
  std::vector<std::string> days;        // weekday names or their first two letters; none = every day
  bool clear = false;                   // drop the object's earlier generated lines first
  std::string output;                   // empty: the project file itself
};

// Exit status: 0 written, 1 the job was refused (message on stderr), 2 bad arguments or an
// unreadable project.
int switchTimeCommand(const SwitchTimeArguments& args);

// Registers "switch-time" under "assist".
void addSwitchTimeCommand(CLI::App& assist, int& status);

}  // namespace kelvaro::cli
