// kelvaro-cli assist: the lines switch-time and shutter-group write into a project, and headless
// runs of that project that switch at exactly those times (the group at the sunset that
// kelvaro-cli sun gives for the day and place). The lines themselves are the assistants' tests.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

test::CliRun runCli(const std::string& arguments) { return test::runCli(arguments, {}, test::Stderr::Apart); }

// A house with a lamp, which no shutter group may take, and the shutter type but no shutter yet.
std::string writeHouse(const test::TempDir& dir) {
  Project p = test::lampProject({test::lampObject("Lampe", {"** von Hand"})});
  p.types = {"Lampe;1", "Rolllade;1"};
  for (const char* s : {"Rolllade:oben", "Rolllade:halb", "Rolllade:unten"}) p.typeStates.push_back({s, std::nullopt});
  rebuildTypeNames(p);
  const std::string file = dir.file("HAUS.SPG");
  test::writeFile(file, projectFileText(p));
  return file;
}

// The changes a traced run reports, "time object value" a line: all of them, or those to the value given.
std::string tracedChanges(const std::string& trace, const std::string& value = "") {
  std::istringstream lines(trace);
  std::string changes;
  for (std::string line; std::getline(lines, line);) {
    const auto change = nlohmann::json::parse(line);
    if (value.empty() || change.at("value") == value)
      changes += change.at("t").get<std::string>() + " " + change.at("object").get<std::string>() + " " +
                 change.at("value").get<std::string>() + "\n";
  }
  return changes;
}

// Both assistants on one house, then a run from just before Thursday, 18 June 2026: the group
// closes at the sunset that kelvaro-cli sun gives for the day and place (its times are armed at
// midnight); the lamp stays off on Thursday and switches on Friday, at the minutes given.
TEST(AssistCli, SwitchTimeAndShutterGroupRunAtTheirTimes) {
  test::TempDir dir;
  const std::string in = writeHouse(dir), lamp = dir.file("LAMPE.SPG"), out = dir.file("OUT.SPG");
  const test::CliRun assist =
      runCli("assist switch-time '" + in + "' Lampe --on 7:30 --off 07:35:00 --days Mo,fr -o '" + lamp + "'");
  ASSERT_EQ(assist.status, 0) << assist.errors;
  EXPECT_EQ(assist.output,
            "[Lampe]\n"
            "-&**--/A4/--**Block mit 4 Anweisungen\n-&** Am Montag Freitag \n"
            "-&WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN\n-&  Lampe  EINSCHALTEN\n-&ENDEWENN\n"
            "-&**--/A4/--**Block mit 4 Anweisungen\n-&** Am Montag Freitag \n"
            "-&WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:35:00\" DANN\n-&  Lampe  AUSSCHALTEN\n-&ENDEWENN\n"
            "Gespeichert: " +
                lamp + "\n");

  const test::CliRun r =
      runCli("assist shutter-group '" + lamp + "' Wohnen --members Kueche,Bad,Flur --down SU -o '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.errors, "");
  // The shutters it created, then the programs of the group and its two helpers as saved.
  Project saved;
  ASSERT_EQ(readProjectText(saved, test::readFile(out)), ReadStatus::Complete);
  std::string printed = "Rolllade angelegt: Kueche\nRolllade angelegt: Bad\nRolllade angelegt: Flur\n";
  for (const std::string name : {"Wohnen", "WohnenZeitStellen", "WohnenZeituhr"}) {
    const int i = findObject(saved, name);
    ASSERT_GE(i, 0) << name;
    printed += "[" + name + "]\n";
    for (const auto& line : saved.objects[static_cast<std::size_t>(i)].program) printed += line + "\n";
  }
  EXPECT_EQ(r.output, printed + "Gespeichert: " + out + "\n");

  const test::CliRun sun = runCli("sun --lat 52.52 --lon 13.4 --date 2026-06-18 --summer");
  ASSERT_EQ(sun.status, 0) << sun.errors;
  const std::size_t at = sun.output.find("sunset ");
  ASSERT_NE(at, std::string::npos) << sun.output;
  const std::string sunset = "2026-06-18 " + sun.output.substr(at + 7, 5) + ":00";

  const test::CliRun run =
      runCli("run '" + out + "' --start '2026-06-17 23:59:00' --for 32h --fast --trace --lat 52.52 --lon 13.4");
  ASSERT_EQ(run.status, 0) << run.errors;
  // The trace follows the objects' order: the group first, then its shutters as they were created.
  EXPECT_EQ(tracedChanges(run.output), sunset + " Wohnen unten\n" + sunset + " Kueche unten\n" + sunset +
                                           " Bad unten\n" + sunset + " Flur unten\n" +
                                           "2026-06-19 07:30:00 Lampe an\n2026-06-19 07:35:00 Lampe aus\n");
}

// A refused job writes nothing: the project file stays as it was.
TEST(AssistCli, RefusalsLeaveTheProjectAsItWas) {
  const struct {
    int line;
    const char* arguments;
    int status;
    const char* error;
  } kRows[] = {
      {__LINE__, "switch-time {} Lampe --on 07:30:07", 2,
       "--on: 07:30:07 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "switch-time {} Lampe --on SA --days Mo,Xy", 2, "--days: Xy ist kein Wochentag\n"},
      {__LINE__, "switch-time {} Leuchte --on SA", 1, "Objekt Leuchte gibt es nicht\n"},
      {__LINE__, "switch-time {} Lampe --up 07:00", 1,
       "Lampe ist keine Rolllade: Zeiten mit --on, --off und --off-after\n"},
      {__LINE__, "shutter-group {} G --down 25:00", 2,
       "--down: 25:00 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "shutter-group {} G --up 07:00:03", 2,
       "--up: 07:00:03 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "shutter-group {} G --days Mo,Xy", 2, "--days: Xy ist kein Wochentag\n"},
      {__LINE__, "shutter-group {} G --members A,Lampe", 1, "Lampe ist keine Rolllade\n"},
      {__LINE__, "shutter-group {} Lampe --members A", 1, "Lampe ist keine Rollladen-Gruppe\n"},
      {__LINE__, "shutter-group {} 1G", 1, "1G  ist kein gültiger Name\n"},
  };
  test::TempDir dir;
  const std::string project = writeHouse(dir);
  const std::string before = test::readFile(project);
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    std::string arguments = row.arguments;
    arguments.replace(arguments.find("{}"), 2, "'" + project + "'");
    const test::CliRun run = runCli("assist " + arguments);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.errors, row.error);
    EXPECT_EQ(test::readFile(project), before);
  }
}

}  // namespace
}  // namespace kelvaro
