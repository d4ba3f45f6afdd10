// kelvaro-cli run with the hardware: the in-process simulated unit and the devices of a scenario
// in virtual time, what reaches the objects, what the stations receive, and the protocol.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
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

// The demo's devices: the door and window contacts reach their objects, the terrace push-button
// switches the garden light through its radio actuator, only those inputs are marked as the
// hardware's, the outputs reach the devices, the sensor's low battery puts its caption and its
// silence afterwards times out exactly once, and the protocol has both sides.
TEST(CliHardwareRun, TheDemoRunsAgainstItsScenario) {
  test::TempDir dir;
  const test::CliRun r = test::runCli("run '" + kDemoDir + "DEMO.SPG' --start '2026-06-15 12:00:00' --for 70m --fast"
                                      " --trace --port SIM --scenario '" + kDemoDir + "DEMO.scenario' --protocol '" +
                                          dir.file("PROTOCOL.TXT") + "' --dump-sim '" + dir.file("sim.txt") + "'",
                                      {}, test::Stderr::Apart);
  ASSERT_EQ(r.status, 0) << r.errors;
  // At 12:03 the door contact comes as a value message, which runs the door's program.
  EXPECT_EQ(lines(r.output), (std::vector<std::string>{
      R"({"t":"2026-06-15 12:00:10","object":"Haustuer","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:00:25","object":"Haustuer","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:00:30","object":"Gartenlicht","value":"an"})",
      R"({"t":"2026-06-15 12:00:30","object":"TasterTerrasse","value":"an","from":"hardware"})",
      R"({"t":"2026-06-15 12:01:00","object":"FensterKueche","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:01:00","object":"Aussentemperatur","value":"185","from":"hardware"})",
      R"({"t":"2026-06-15 12:02:00","object":"FensterKueche","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:03:00","object":"Flurlicht","value":"an"})",
      R"({"t":"2026-06-15 12:03:00","object":"Haustuer","value":"offen","from":"hardware"})",
      R"({"t":"2026-06-15 12:03:00","object":"Besucher","value":"1"})",
      R"({"t":"2026-06-15 12:03:05","object":"Haustuer","value":"zu","from":"hardware"})",
      R"({"t":"2026-06-15 12:05:00","object":"Aussentemperatur","value":"178","from":"hardware"})",
      R"({"t":"2026-06-15 12:06:00","object":"Gartenlicht","value":"aus"})",
      R"({"t":"2026-06-15 12:06:00","object":"TasterTerrasse","value":"aus","from":"hardware"})",
      R"({"t":"2026-06-15 12:08:05","object":"Flurlicht","value":"aus"})"}));
  // The caption, one timeout after 57.6 silent minutes, and the message lists at the end.
  EXPECT_EQ(lines(r.errors), (std::vector<std::string>{
      "2026-06-15 12:05:00 Erdgeschoss [Ausführung aktiv] Batterie-Warnung von Außentemperatur (0,1 °C)",
      "2026-06-15 13:02:41 Erdgeschoss [Ausführung aktiv] Zeitüberschreitung bei Außentemperatur (0,1 °C)",
      "Zeitüberschreitungen: Außentemperatur (0,1 °C), letzte Meldung von FuehlerGarten: 15.06.26 12:05:00",
      "Batteriemeldungen: Batterie-Warnung von FuehlerGarten"}));
  // Each wired value message is acknowledged (0x89, channel); the hall light is output 2; the
  // FS20 actuator takes "on" as 0x11.
  const std::string dump = test::readFile(dir.file("sim.txt"));
  EXPECT_NE(dump.find("device 10 type 2 silent 0 battery 0 received 4\n  got 89 01\n  got 02 01\n"
                      "  got 89 01\n  got 02 00\n"
                      "device 20.1.1 type 201 silent 0 battery 0 received 2\n  got 11\n  got 00\n"),
            std::string::npos)
      << dump;
  EXPECT_EQ(test::readFile(dir.file("PROTOCOL.TXT")),
            test::readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/demo_protocol.txt"));
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
      {__LINE__, "--speed 600", 2, "--fast excludes --speed\n"},
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
