// kelvaro-cli assist switch-time: the assistant's lines written into a project, and a headless
// run of that project that switches at exactly those times.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

std::string writeLampProject(const test::TempDir& dir) {
  const std::string file = dir.file("LAMPE.SPG");
  test::writeFile(file, projectFileText(test::lampProject({test::lampObject("Lampe", {"** von Hand"})})));
  return file;
}

TEST(AssistCli, SwitchTimeRunsOnTheChosenWeekdaysOnly) {
  test::TempDir dir;
  const std::string project = writeLampProject(dir), out = dir.file("OUT.SPG");
  const test::CliRun assist =
      test::runCli("assist switch-time '" + project + "' Lampe --on 7:30 --off 07:35:00 --days Mo,fr -o '" + out + "'",
                   {}, test::Stderr::Apart);
  ASSERT_EQ(assist.status, 0) << assist.errors;
  EXPECT_EQ(assist.output,
            "[Lampe]\n"
            "-&**--/A4/--**Block mit 4 Anweisungen\n-&** Am Montag Freitag \n"
            "-&WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN\n-&  Lampe  EINSCHALTEN\n-&ENDEWENN\n"
            "-&**--/A4/--**Block mit 4 Anweisungen\n-&** Am Montag Freitag \n"
            "-&WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:35:00\" DANN\n-&  Lampe  AUSSCHALTEN\n-&ENDEWENN\n"
            "Gespeichert: " +
                out + "\n");

  // 18 June 2026 is a Thursday: the lamp stays off then and switches on Friday, at the minutes given.
  const test::CliRun run =
      test::runCli("run '" + out + "' --start '2026-06-18 07:00:00' --for 25h --fast --trace", {}, test::Stderr::Apart);
  ASSERT_EQ(run.status, 0) << run.errors;
  std::istringstream trace(run.output);
  std::vector<std::string> switched;
  for (std::string line; std::getline(trace, line);) {
    const auto change = nlohmann::json::parse(line);
    if (change.at("object") == "Lampe")
      switched.push_back(change.at("t").get<std::string>() + " " + change.at("value").get<std::string>());
  }
  EXPECT_EQ(switched, (std::vector<std::string>{"2026-06-19 07:30:00 an", "2026-06-19 07:35:00 aus"}));
}

// A refused job writes nothing: the project file stays as it was.
TEST(AssistCli, SwitchTimeRefusals) {
  struct Row {
    int line;
    const char* arguments;
    int status;
    const char* error;
  };
  const Row rows[] = {
      {__LINE__, "Lampe --on 07:30:07", 2,
       "--on: 07:30:07 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "Lampe --on SA --days Mo,Xy", 2, "--days: Xy ist kein Wochentag\n"},
      {__LINE__, "Leuchte --on SA", 1, "Objekt Leuchte gibt es nicht\n"},
      {__LINE__, "Lampe --up 07:00", 1, "Lampe ist keine Rolllade: Zeiten mit --on, --off und --off-after\n"},
  };
  test::TempDir dir;
  const std::string project = writeLampProject(dir);
  const std::string before = test::readFile(project);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const test::CliRun run =
        test::runCli("assist switch-time '" + project + "' " + r.arguments, {}, test::Stderr::Apart);
    EXPECT_EQ(run.status, r.status);
    EXPECT_EQ(run.errors, r.error);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(test::readFile(project), before);
  }
}

}  // namespace
}  // namespace kelvaro
