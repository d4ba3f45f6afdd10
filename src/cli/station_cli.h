// kelvaro-cli station and radio: the commands of the page "E/A-Module", of the station dialogs
// and of the radio interface dialog, on a serial port, a pseudo-terminal or the built-in
// simulator (which plays a scenario's stations). Results on stdout, messages on stderr; exit
// status 0 success, 1 the job failed, 2 bad arguments or files.
#pragma once

#include <optional>
#include <string>

namespace kelvaro::cli {

// Where the commands talk: the port, and for SIM the scenario and the type of unit it plays.
struct LineArguments {
  std::string port;                     // COMn (mapped by the PORTS section), SIM, or a device path
  std::optional<std::string> scenario;  // SIM only: the stations behind the unit
  std::optional<std::string> unit;      // SIM only: the type the simulated unit plays
  bool log = false;                     // write RS232LOG.TXT
};

struct StationArguments {
  std::string command;  // list, read, write, check, check-all, configure-all, autodetect, address, test, errors
  std::string project;
  std::string station;
  LineArguments line;
  std::optional<int> newAddress;  // address of a wired station: 0 (the default) = the next free one
  int seconds = 10;               // test and errors: how long to listen
  std::optional<int> errorsOn;    // errors: the threshold to switch the counter on with
  bool errorsOff = false;
  bool save = false;  // save the project when the command changed it
};

struct RadioArguments {
  std::string command;  // read, write-code
  int code = 0;         // write-code: 1 to 100
  LineArguments line;
};

// How long "station address" waits for the button of a wired station or the message of a
// radio device: long enough to walk to the device and press it.
inline constexpr int kAddressWaitSeconds = 60;

int stationCommand(const StationArguments& args);
int radioCommand(const RadioArguments& args);

}  // namespace kelvaro::cli
