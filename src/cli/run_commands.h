// kelvaro-cli run: a headless PC execution of a project, in real or in virtual time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scenario.h"

namespace kelvaro::cli {

struct RunArguments {
  std::string project;
  std::optional<std::string> start;     // "YYYY-MM-DD hh:mm:ss"; none = now
  std::optional<std::string> duration;  // "90s", "2h", "7d"; none = until Ctrl+C or the program ends
  bool fast = false;     // virtual time in 10 ms ticks without sleeping
  int speed = 1;         // real time this many times faster: a run against kelvaro-sim --speed
  bool trace = false;    // one JSON line per change of a shown value
  std::vector<std::string> clicks;  // OBJECT@TIME
  std::vector<std::string> inputs;  // OBJECT=VALUE@TIME
  bool continueOnError = false;
  std::optional<double> latitude, longitude;  // default: the ASTRO settings
  bool summerTime = true;
  // Hardware: the port of the control unit (a device path, a name of [PORTS], or SIM for the
  // built-in simulated unit); none = the PC runs alone.
  std::optional<std::string> port;
  std::optional<std::string> scenario;  // SIM only: the devices behind the unit
  std::optional<std::string> protocol;  // the file of "Protokoll schreiben"
  std::optional<std::string> dumpSim;   // SIM only: what the simulated unit received, at the end
  bool visualisation = false;           // the unit runs the program; the PC shows its values
};

int runCommand(const RunArguments& arguments);

// A scenario file for the simulated unit, or nothing after one line on stderr naming the file
// (and the line) when it cannot be used.
std::optional<sim::Scenario> readScenario(const std::string& path);

}  // namespace kelvaro::cli
