// kelvaro-cli run with the hardware: the in-process simulated unit and the devices of a scenario
// in virtual time, what reaches the objects, what the stations receive, and the protocol.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/project.h"
#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

const std::string kDemoDir = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The demo's door and window contacts reach their objects, only those are marked as the
// hardware's, the hall light's output goes to the station, and the protocol has both sides.
TEST(CliHardwareRun, TheDemoRunsAgainstItsScenario) {
  test::TempDir dir;
  const test::CliRun r = test::runCli("run '" + kDemoDir + "DEMO.SPG' --start '2026-06-15 12:00:00' --for 20m --fast"
                                      " --trace --port SIM --scenario '" + kDemoDir + "DEMO.scenario' --protocol '" +
                                          dir.file("PROTOCOL.TXT") + "' --dump-sim '" + dir.file("sim.txt") + "'",
                                      {}, test::Stderr::Apart);
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.errors, "");
  // At 12:03 the door contact comes as a value message, which runs the door's program.
  EXPECT_EQ(lines(r.output), (std::vector<std::string>{
      R"({"t":"2026-06-15 12:00:10","object":"Haustuer","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:00:25","object":"Haustuer","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:01:00","object":"FensterKueche","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:02:00","object":"FensterKueche","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:03:00","object":"Flurlicht","value":"an"})",
      R"({"t":"2026-06-15 12:03:00","object":"Haustuer","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:03:00","object":"Besucher","value":"1"})",
      R"({"t":"2026-06-15 12:03:05","object":"Haustuer","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:08:05","object":"Flurlicht","value":"aus"})"}));
  // Each value message is acknowledged (0x89, channel); the hall light is output 2.
  const std::string dump = test::readFile(dir.file("sim.txt"));
  EXPECT_NE(dump.find("device 10 type 2 silent 0 battery 0 received 4\n  got 89 01\n  got 02 01\n"
                      "  got 89 01\n  got 02 00\n"),
            std::string::npos)
      << dump;
  EXPECT_EQ(test::readFile(dir.file("PROTOCOL.TXT")),
            "15.06.26 12:00:10: Eingabe f\xFCr Haustuer <- 0\r\n"
            "15.06.26 12:00:25: Eingabe f\xFCr Haustuer <- 1\r\n"
            "15.06.26 12:01:00: Eingabe f\xFCr FensterKueche <- 0\r\n"
            "15.06.26 12:02:00: Eingabe f\xFCr FensterKueche <- 1\r\n"
            "15.06.26 12:03:00: Eingabe f\xFCr Haustuer <- 0\r\n"
            "15.06.26 12:03:00: Ausgabe von Flurlicht -> 2\r\n"
            "15.06.26 12:03:05: Eingabe f\xFCr Haustuer <- 1\r\n"
            "15.06.26 12:08:05: Ausgabe von Flurlicht -> 2\r\n");
}

// Radio devices: a push-button switches a lamp whose actuator gets the frame, a sensor's low
// battery puts its caption, and the same sensor silent for 58 minutes times out exactly once.
TEST(CliHardwareRun, RadioDevicesSwitchWarnAndTimeOut) {
  test::TempDir dir;
  Project p = test::lampProject({test::deviceObject("Flur", "Lampe", true),
                                 test::deviceObject("Taster", "Lampe", false, {"Flur EINSCHALTEN"}),
                                 test::deviceObject("Fuehler", "Zahl", false)});
  p.views = {{"Haus", {}}};
  p.stations = {test::deviceStation("Flur", "FS20 Schaltaktor", 4, 7),
                test::deviceStation("Taster", "FS20 Taster/Sensor", 4, 12),
                test::deviceStation("Fuehler", "HMS100 T", 4, 33)};
  test::FakeUserInterface ui;
  ASSERT_TRUE(writeProject(p, dir.file("FUNK.SPG"), "", ui).has_value());
  test::writeFile(dir.file("FUNK.scenario"),
                  "radio 7.7.7 201\nradio 12.12.12 401\nradio 33.33.33 552\n"
                  "at 00:00:10 12.12.12 value 19\n"
                  "at 00:05 33.33.33 battery low\nat 00:05 33.33.33 value -235\n");
  const test::CliRun r = test::runCli("run FUNK.SPG --start '2026-06-15 12:00:00' --for 70m --fast --trace"
                                      " --port SIM --scenario FUNK.scenario --dump-sim sim.txt",
                                      dir.path().string(), test::Stderr::Apart);
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(lines(r.output), (std::vector<std::string>{
      R"({"t":"2026-06-15 12:00:10","object":"Flur","value":"an"})",
      R"({"t":"2026-06-15 12:00:10","object":"Taster","value":"an","from":"hardware"})",
      R"({"t":"2026-06-15 12:05:00","object":"Fuehler","value":"-235","from":"hardware"})"}));
  EXPECT_NE(test::readFile(dir.file("sim.txt")).find("device 7.7.7 type 201 silent 0 battery 0 received 1\n  got 11\n"),
            std::string::npos)
      << test::readFile(dir.file("sim.txt"));
  EXPECT_NE(r.errors.find("2026-06-15 12:05:00 Haus [Ausführung aktiv] Batterie-Warnung von Fuehler\n"),
            std::string::npos)
      << r.errors;
  EXPECT_EQ(count(r.errors, "Zeitüberschreitung bei Fuehler\n"), 1u) << r.errors;
  EXPECT_EQ(count(r.errors, "\nZeitüberschreitungen: Fuehler, letzte Meldung von Fuehler: 15.06.26 12:05:00\n"), 1u)
      << r.errors;
  EXPECT_EQ(count(r.errors, "\nBatteriemeldungen: Batterie-Warnung von Fuehler\n"), 1u) << r.errors;
}

TEST(CliHardwareRun, BadArgumentsAndFilesAreToldAndEndTheRun) {
  test::TempDir dir;
  test::writeFile(dir.file("BAD.scenario"), "wired 10 MXB2\nat 00:00:05 10 blink\n");
  struct Row {
    int line;
    std::string arguments;
    int status;
    std::string message;
  };
  const Row rows[] = {
      {__LINE__, "--port SIM --scenario BAD.scenario", 2, "BAD.scenario: line 2: unknown action \"blink\""},
      {__LINE__, "--port SIM --scenario NONE.scenario", 2, "Die Szenariodatei NONE.scenario kann nicht gelesen werden.\n"},
      {__LINE__, "--port SIM --scenario .", 2, "Die Szenariodatei . kann nicht gelesen werden.\n"},
      {__LINE__, "--scenario BAD.scenario", 2, "--scenario requires --port\n"},
      {__LINE__, "--port COM1 --dump-sim sim.txt", 2, "--scenario and --dump-sim go with --port SIM only\n"},
      {__LINE__, "--visualisation", 2, "--visualisation requires --port\n"},
      {__LINE__, "--port SIM --protocol NODIR/P.TXT", 2, "NODIR/P.TXT: kann nicht geschrieben werden\n"},
      {__LINE__, "--port NODIR/tty", 1, "NODIR/tty: open NODIR/tty: No such file or directory\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "line " << row.line);
    const test::CliRun r = test::runCli("run '" + kDemoDir + "DEMO.SPG' --for 1m --fast " + row.arguments,
                                        dir.path().string(), test::Stderr::Apart);
    EXPECT_EQ(r.status, row.status);
    EXPECT_NE(r.errors.find(row.message), std::string::npos) << r.errors;
    EXPECT_EQ(r.output, "");
  }
  // Nothing that failed left a file behind.
  EXPECT_EQ(dir.names(), std::vector<std::string>{"BAD.scenario"});
}

}  // namespace
}  // namespace kelvaro
