// kelvaro-cli modem: the window "Modem-Verbindung" headless. dial rings a distant unit through
// the modem on the port, answer waits for its call; while the link is up the tool answers the
// unit's password request and can ask for its project, and when the command ends the link ends
// with the modem's hang-up sequence. Results on stdout, messages on stderr; exit status 0
// success, 1 the job failed, 2 bad arguments or files.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "station_cli.h"

namespace kelvaro {
class Protocol;
class UserInterface;
}  // namespace kelvaro

namespace kelvaro::cli {

struct ModemArguments {
  std::string command;                     // dial, answer, hangup
  std::string number;                      // dial: the telephone number
  LineArguments line;                      // SIM: the built-in simulated modem in front of the simulated unit
  std::optional<std::string> init;         // the initialisation text (default: the saved one)
  std::vector<std::string> passwords;      // the answers to the unit's password requests, in turn
  int seconds = 60;                        // how long the link (or the waiting for a call) lasts
  bool visualisation = false;              // ask the unit for its project and print its name
  std::optional<std::string> simPassword;  // SIM: the remote password the simulated unit asks for
  std::optional<std::string> simProgram;   // SIM: the program the simulated unit runs
};

int modemCommand(const ModemArguments& args);

// Dials args.number as dial does, answers the unit's password requests and, once the unit has
// let the link open, runs job on it (the line's commands go through the link, with its longer
// time limits); then hangs up. args.seconds bounds the dial and the password exchange. The exit
// status: 0 when the job succeeded.
int overModemLink(const ModemArguments& args, const std::function<bool(Protocol&, UserInterface&)>& job);

}  // namespace kelvaro::cli
