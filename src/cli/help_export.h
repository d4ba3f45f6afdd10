// The manual page's command list and the bash completion of kelvaro-cli, written from the
// parser itself at build time, so that a new subcommand or option reaches both on its own.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace kelvaro::cli {

// roff (man(7)) for the section COMMANDS: per visible subcommand, nested ones included, its
// synopsis line, description, positionals with their choices, and options.
std::string manCommands(const CLI::App& app, const std::string& program);

// A bash completion script for the program named `program`: subcommand names, then for the
// subcommand given its options, its positionals' choices, and option values' choices.
std::string bashCompletion(const CLI::App& app, const std::string& program);

// Registers --version and the hidden subcommand "help-export man|bash", which prints the
// above for the whole application; status stays 0.
void addHelpExport(CLI::App& app, int& status);

}  // namespace kelvaro::cli
