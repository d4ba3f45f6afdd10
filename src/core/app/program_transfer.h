// The program transfer of the page "Steuereinheit": compile the project for the identified
// unit, then load the image into it block by block (or write it into a file instead). It
// lives above the hardware layer because it joins the compiler and the line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astro/sun_times.h"
#include "hardware/unit_commands.h"
#include "language/compiler.h"
#include "model/project.h"

namespace kelvaro {

// What the caller adds to a transfer; every hook may stay unset.
struct TransferHooks {
  // Shows a compiler error at its object (the object editor); unset: the error message box.
  std::function<void(const CompileOutput&)> showCompileError;
  // The weekly sun times for the image; the argument says whether the PC applies summer
  // time (units whose summer-time mode is below 3 leave it to the PC). Unset: the table of
  // the options passed to ProgramTransfer is used as it is.
  std::function<std::vector<SunWeek>(bool applySummerTime)> sunTable;
  // Called after each program block: blocks sent, blocks in all.
  std::function<void(int, int)> blockSent;
};

// The weekly sun times of the year for the program image; empty when the settings give no
// sun times.
std::vector<SunWeek> sunWeeks(int year, bool applySummerTime, const SunSettings& settings);

// Identifies the unit, compiles the project for its type, prepares the unit, sends the load
// address, the image in blocks of 100 bytes, the end and the program name, and with
// "StSndTimeCB" the clock. With outputFile the image goes into that file and nothing is sent
// after the identification. Returns whether it did what the page asked.
bool ProgramTransfer(UnitCommands& unit, Project& project, const CompileOptions& options,
                     const TransferHooks& hooks = {}, const std::optional<std::string>& outputFile = std::nullopt);

}  // namespace kelvaro
