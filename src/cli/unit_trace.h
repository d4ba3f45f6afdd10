// kelvaro-cli unit-trace: the project compiled into the control unit's image and run by the
// simulated unit's firmware in virtual time, with a JSON line per change of an object's value
// in the form of `run --fast --trace`, so that the unit's run and the PC's can be compared.
#pragma once

#include <CLI/CLI.hpp>

namespace kelvaro::cli {

void addUnitTraceCommand(CLI::App& app, int& status);

}  // namespace kelvaro::cli
