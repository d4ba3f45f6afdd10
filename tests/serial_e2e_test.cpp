// End to end through a real pseudo-terminal: kelvaro-sim serves a unit, kelvaro-cli unit
// transfers the demo project to it, and the image the unit holds is the one compile writes;
// kelvaro-cli run exchanges with the devices of the demo's scenario behind it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kelvaro::test {
namespace {

const std::string kDemoDir = KELVARO_SOURCE_DIR "/examples/demo/";

std::string simPath() {
  std::string cli = KELVARO_CLI_PATH;
  const auto at = cli.rfind("cli/kelvaro-cli");
  return at == std::string::npos ? std::string() : cli.substr(0, at) + "sim/kelvaro-sim";
}

// kelvaro-sim on a pseudo-terminal in a temporary directory, stopped when the test ends; the
// test is skipped when it is not built.
class SerialEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (m_sim.empty() || !std::filesystem::exists(m_sim)) GTEST_SKIP() << "kelvaro-sim not built: " << m_sim;
  }
  void TearDown() override { stop(); }
  // Starts it with these options and waits for the pseudo-terminal's link to appear.
  void start(std::vector<std::string> options) {
    options.insert(options.begin(), {m_sim, "--pty", link});
    std::vector<char*> argv;
    for (auto& a : options) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) m_pid = -1;
    ASSERT_GT(m_pid, 0) << "kelvaro-sim did not start";
    std::error_code ec;
    for (int i = 0; i < 500 && !std::filesystem::exists(link, ec); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(link, ec)) << "kelvaro-sim made no pseudo-terminal";
  }
  // Ends it; its dump is then complete.
  void stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
  }

  TempDir dir;
  const std::string link = dir.file("ttySIM");

 private:
  const std::string m_sim = simPath();
  pid_t m_pid = -1;
};

TEST_F(SerialEndToEnd, TransferThroughAPseudoTerminalDeliversTheCompiledImage) {
  const std::string received = dir.file("received.bin");
  ASSERT_NO_FATAL_FAILURE(start({"--image", received}));

  const std::string project = kDemoDir + "DEMO.SPG";
  const test::CliRun transfer = runCli("unit transfer " + project + " --port " + link);
  EXPECT_EQ(transfer.status, 0) << transfer.output;
  EXPECT_NE(transfer.output.find("Programm wird übertragen"), std::string::npos) << transfer.output;

  const std::string compiled = dir.file("DEMO.bin");
  const test::CliRun compile = runCli("compile " + project + " -o " + compiled);
  ASSERT_EQ(compile.status, 0) << compile.output;
  const std::string expected = readFile(compiled);
  const std::string got = readFile(received);
  ASSERT_FALSE(expected.empty());
  ASSERT_GE(got.size(), expected.size());
  EXPECT_LT(got.size() - expected.size(), 100u);  // the last block is a whole one
  EXPECT_EQ(got.substr(0, expected.size()), expected);
}

// The demo's hour against its scenario, both sped up 600 times. The line keeps its real pace,
// so the times shift from run to run: what must hold is that the push-button's press reaches the
// garden light's actuator byte for byte and that the sensor's silence times out exactly once on
// the sped-up clock. What each message means is checked in virtual time (cli_hardware_run_test).
TEST_F(SerialEndToEnd, TheDemoRunsAgainstTheSimulatorsDevicesSpedUp) {
  ASSERT_NO_FATAL_FAILURE(
      start({"--scenario", kDemoDir + "DEMO.scenario", "--speed", "600", "--dump", dir.file("sim.txt")}));

  const CliRun run =
      runCli("run " + kDemoDir + "DEMO.SPG --start '2026-06-15 12:00:00' --for 75m --speed 600 --port " + link, {},
             Stderr::Apart);
  stop();
  EXPECT_EQ(run.status, 0) << run.errors;
  const std::string dump = readFile(dir.file("sim.txt"));
  EXPECT_NE(dump.find("device 20.1.1 type 201 silent 0 battery 0 received 2\n  got 11\n  got 00\n"), std::string::npos)
      << dump;
  const std::string timeout = " Erdgeschoss [Ausführung aktiv] Zeitüberschreitung bei Außentemperatur (0,1 °C)\n";
  const std::size_t first = run.errors.find(timeout);
  EXPECT_NE(first, std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find(timeout, first + 1), std::string::npos) << run.errors;
}

// The station and radio commands through the pseudo-terminal, on the machine's clock: the line
// search finds the scenario's stations, and a central code written is read back from the radio
// part of the unit type asked for.
TEST_F(SerialEndToEnd, StationsAndTheRadioPartAreConfiguredThroughAPseudoTerminal) {
  writeFile(dir.file("S.scenario"), "wired 10 MXB2\nwired 12 40611x\n");
  ASSERT_NO_FATAL_FAILURE(start({"--type", "CU/F-A2", "--scenario", dir.file("S.scenario")}));
  const CliRun search = runCli("station autodetect --port " + link, dir.path().string(), Stderr::Apart);
  EXPECT_EQ(search.status, 0) << search.errors;
  EXPECT_EQ(search.output, "Autodetect:\nLtg.   Adr.   Art\n   1       10   MXB2\n   1       12   40611x\n");
  const CliRun code = runCli("radio write-code 55 --port " + link, dir.path().string(), Stderr::Apart);
  EXPECT_EQ(code.status, 0) << code.errors;
  EXPECT_EQ(code.output, "Zentralencode 55\nSeriennummer 305419896\n");
}

// kelvaro-sim's modem in real time, its CONNECT in two parts: the dial sees it whole, the link
// comes up, and the command ends with the escape and ATH.
TEST_F(SerialEndToEnd, ModemDialThroughAPseudoTerminalSeesASplitConnect) {
  ASSERT_NO_FATAL_FAILURE(start({"--modem", "--split-connect", "--dump", dir.file("sim.txt")}));
  const CliRun got = runCli("modem dial 0301234 --init ATZ --seconds 2 --port " + link, {}, Stderr::Apart);
  EXPECT_EQ(got.status, 0) << got.errors;
  EXPECT_EQ(got.output, "Modem: OK\nModem: CON\nModem: NECT 9600\nVerbindung\nVerbindung getrennt\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_NE(readFile(dir.file("sim.txt")).find("modem command dialled \"0301234\" connects 1 commands 3"),
            std::string::npos);
}

}  // namespace
}  // namespace kelvaro::test
