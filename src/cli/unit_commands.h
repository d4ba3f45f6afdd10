// kelvaro-cli unit: the control-unit commands on a serial port, a pseudo-terminal or the
// built-in simulator. Messages go to stderr; the exit status is 0 only on success.
#pragma once

#include <optional>
#include <string>

namespace kelvaro::cli {

struct UnitArguments {
  std::string command;   // identify, autodetect, transfer, clock, config-read, config-write, save,
                         // restart, delete, end, modem-init, info, no-program
  std::string project;   // transfer only
  std::string port;      // COMn (mapped by the PORTS section), SIM, or a device path
  bool simulator = false;  // attach the built-in simulator whatever the port says
  bool log = false;        // write RS232LOG.TXT
  bool clock = false;      // transfer: set the unit's clock afterwards
  std::optional<std::string> unit;  // the type the page has selected
  std::optional<std::string> init, connect, access;
  std::optional<int> clockCorrection;
};

int unitCommand(const UnitArguments& args);

}  // namespace kelvaro::cli
