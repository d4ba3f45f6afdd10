// kelvaro-cli run on the demo project: a simulated day in virtual time, with its switching
// times, clicks, entries, and the runtime error handling of a headless run.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "astro/sun_times.h"
#include "model/project.h"
#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "time/date_time.h"

namespace kelvaro {
namespace {

// Standard output holds the trace; messages go apart.
test::CliRun runCli(const std::string& arguments) { return test::runCli(arguments, {}, test::Stderr::Apart); }

const std::string kDemo = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/DEMO.SPG";

struct Change {
  std::string t, object, value;
};

std::vector<Change> changes(const std::string& out) {
  std::vector<Change> result;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    const auto j = nlohmann::json::parse(line);
    EXPECT_EQ(j.size(), 3u) << line;
    result.push_back({j.at("t"), j.at("object"), j.at("value")});
  }
  return result;
}

std::vector<std::string> timesOf(const std::vector<Change>& all, const std::string& object, const std::string& value) {
  std::vector<std::string> times;
  for (const auto& c : all)
    if (c.object == object && c.value == value) times.push_back(c.t);
  return times;
}

// The day's schedule; when the sun sets at the demo's place is the sun tables' own test.
TEST(CliRun, DemoDaySwitchesAtItsTimes) {
  const test::CliRun r = runCli("run '" + kDemo + "' --start '2026-06-15 12:00:00' --for 1d --fast --trace");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.errors, "");
  const auto all = changes(r.output);
  const DateTime day = *encodeDate(2026, 6, 15);
  const SunTimesResult sun = SunTimes(day, true, SunSettings{});
  ASSERT_TRUE(sun.sunset.has_value());
  const std::string sunset = isoDateTimeText(day + *encodeTime(sun.sunset->hour, sun.sunset->minute, 0));
  EXPECT_EQ(timesOf(all, "Aussenlicht", "an"), std::vector<std::string>{sunset});
  EXPECT_EQ(timesOf(all, "Aussenlicht", "aus"), std::vector<std::string>{"2026-06-15 23:00:00"});
  EXPECT_EQ(timesOf(all, "RolloWohnen", "unten"), std::vector<std::string>{sunset});
  EXPECT_EQ(timesOf(all, "RolloWohnen", "oben"), std::vector<std::string>{"2026-06-16 07:00:00"});
  EXPECT_EQ(all.size(), 4u) << r.output;
}

// An entry that is no number, or none that fits, changes nothing; the next good one does.
TEST(CliRun, ClicksAndEntriesRunTheObjectsPrograms) {
  const test::CliRun r = runCli(
      "run '" + kDemo +
      "' --start '2026-06-15 12:00:00' --for 30m --fast --trace --input 'Besucher=nan@12:00:10'"
      " --input 'Besucher=-inf@12:00:20' --input 'Besucher=1e999@12:00:30' --input 'Besucher=99999999999@12:00:40'"
      " --input 'Besucher=7@12:01:00' --click Haustuer@12:10:00 --click Klingel@12:20:00"
      " --input 'Anzeige=Grüße@12:25:00'");
  ASSERT_EQ(r.status, 0) << r.errors;
  const auto all = changes(r.output);
  std::vector<std::string> visitors;
  for (const auto& c : all)
    if (c.object == "Besucher") visitors.push_back(c.t + " " + c.value);
  EXPECT_EQ(visitors, (std::vector<std::string>{"2026-06-15 12:01:00 7", "2026-06-15 12:10:00 8"}));
  EXPECT_EQ(timesOf(all, "Haustuer", "offen"), std::vector<std::string>{"2026-06-15 12:10:00"});
  EXPECT_EQ(timesOf(all, "Flurlicht", "an"), (std::vector<std::string>{"2026-06-15 12:10:00", "2026-06-15 12:20:00"}));
  // Flurlicht goes out by itself once more than five minutes have passed, at a 5-second tick.
  EXPECT_EQ(timesOf(all, "Flurlicht", "aus"), (std::vector<std::string>{"2026-06-15 12:15:05", "2026-06-15 12:25:05"}));
  EXPECT_EQ(timesOf(all, "Anzeige", "Es hat geklingelt"), std::vector<std::string>{"2026-06-15 12:20:00"});
  EXPECT_EQ(timesOf(all, "Anzeige", "Grüße"), std::vector<std::string>{"2026-06-15 12:25:00"});
}

TEST(CliRun, RuntimeErrorsEndTheRunUnlessToldToGoOn) {
  test::TempDir dir;
  Project p;
  test::FakeUserInterface ui;
  ASSERT_EQ(readProject(p, kDemo, "", ui), ReadStatus::Complete);
  // Starting a program from a number is a runtime error.
  const int klingel = findObject(p, "Klingel");
  ASSERT_GE(klingel, 0);
  p.objects[static_cast<std::size_t>(klingel)].program.push_back("-STARTWIN(Anzahl)");
  const std::string file = dir.file("FEHLER.SPG");
  ASSERT_TRUE(writeProject(p, file, "", ui).has_value());

  const std::string common = "run '" + file + "' --start '2026-06-15 12:00:00' --for 10m --fast --trace"
                             " --click Klingel@12:01:00 --click Klingel@12:08:00";
  const test::CliRun cancel = runCli(common);
  EXPECT_EQ(cancel.status, 1);
  EXPECT_EQ(cancel.errors,
            "2026-06-15 12:01:00 Laufzeitfehler 2013 - Keine Stringvariable bei Programmaufruf Programm Klingel in Zeile 4\n");
  const test::CliRun goOn = runCli(common + " --continue-on-error");
  EXPECT_EQ(goOn.status, 0);
  EXPECT_NE(goOn.errors.find("2026-06-15 12:08:00 Laufzeitfehler 2013"), std::string::npos) << goOn.errors;
  EXPECT_EQ(timesOf(changes(goOn.output), "Flurlicht", "an").size(), 2u);
}

// A program that queues itself keeps every tick busy; the run still ends at its --for, in
// virtual and in real time.
TEST(CliRun, AProgramThatQueuesItselfEndsAtItsFor) {
  test::TempDir dir;
  Project p;
  p.objects = {test::programObject("*INIT", "Undefiniert", "", {"AUSFUEHRUNG(Selbst)"}),
               test::programObject("Selbst", "Zahl", "", {"Selbst:=Selbst+1", "AUSFUEHRUNG(Selbst)"})};
  test::FakeUserInterface ui;
  const std::string file = dir.file("SELBST.SPG");
  ASSERT_TRUE(writeProject(p, file, "", ui).has_value());
  for (const char* pace : {"--for 5s --fast", "--for 1s"}) {
    SCOPED_TRACE(pace);
    const auto began = std::chrono::steady_clock::now();
    const test::CliRun r = runCli("run '" + file + "' " + pace);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.errors, "");
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
  }
}

}  // namespace
}  // namespace kelvaro
