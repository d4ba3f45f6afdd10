// kelvaro-cli compile and sun: the control unit's program image and the sun times.
#pragma once

#include <optional>
#include <string>

namespace kelvaro::cli {

struct CompileArguments {
  std::string project;
  std::string output;
  std::string unit = "CU-A2-3.20";
  std::optional<std::string> name;   // program name for the trailer; default the project's stem
  std::optional<std::string> today;  // YYYY-MM-DD; default the clock
};
int compileCommand(const CompileArguments& args);

struct SunArguments {
  std::optional<double> latitude, longitude;
  std::optional<std::string> date;  // YYYY-MM-DD
  bool summer = false;
  std::optional<int> riseCorrection, setCorrection;
  std::optional<std::string> earliestRise, latestRise, earliestSet, latestSet;
  bool table = false;
  std::optional<int> year;
};
int sunCommand(const SunArguments& args);

}  // namespace kelvaro::cli
