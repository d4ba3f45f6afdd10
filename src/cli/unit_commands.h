// kelvaro-cli unit: the control-unit commands on a serial port, a pseudo-terminal or the
// built-in simulator. Messages go to stderr; the exit status is 0 only on success.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
  // transfer through a modem: the number dialled, the answers to the unit's password requests
  // in turn, and how long the dial and the password exchange may take.
  std::optional<std::string> modem;
  std::vector<std::string> passwords;
  int modemSeconds = 120;
};

int unitCommand(const UnitArguments& args);

}  // namespace kelvaro::cli
