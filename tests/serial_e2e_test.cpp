// End to end through a real pseudo-terminal: kelvaro-sim serves a unit, kelvaro-cli unit
// transfers the demo project to it, and the image the unit holds is the one compile writes.
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/file.h>
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

std::string simPath() {
  std::string cli = KELVARO_CLI_PATH;
  const auto at = cli.rfind("cli/kelvaro-cli");
  return at == std::string::npos ? std::string() : cli.substr(0, at) + "sim/kelvaro-sim";
}

test::CliRun run(const std::string& arguments) { return test::runCli(arguments); }

class Simulator {
 public:
  Simulator(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) m_pid = -1;
  }
  ~Simulator() { stop(); }
  void stop() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      int status = 0;
      waitpid(m_pid, &status, 0);
      m_pid = -1;
    }
  }
  bool running() const { return m_pid > 0; }

 private:
  pid_t m_pid = -1;
};

bool waitFor(const std::filesystem::path& path) {
  for (int i = 0; i < 500; ++i) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SerialEndToEnd, TransferThroughAPseudoTerminalDeliversTheCompiledImage) {
  const std::string sim = simPath();
  if (sim.empty() || !std::filesystem::exists(sim)) GTEST_SKIP() << "kelvaro-sim not built: " << sim;
  TempDir dir;
  const std::string link = dir.file("ttySIM");
  const std::string received = dir.file("received.bin");
  Simulator unit({sim, "--pty", link, "--image", received});
  ASSERT_TRUE(unit.running());
  ASSERT_TRUE(waitFor(link));

  const std::string project = KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG";
  const test::CliRun transfer = run("unit transfer " + project + " --port " + link);
  EXPECT_EQ(transfer.status, 0) << transfer.output;
  EXPECT_NE(transfer.output.find("Programm wird übertragen"), std::string::npos) << transfer.output;

  const std::string compiled = dir.file("DEMO.bin");
  const test::CliRun compile = run("compile " + project + " -o " + compiled);
  ASSERT_EQ(compile.status, 0) << compile.output;
  const std::string expected = readFile(compiled);
  const std::string got = readFile(received);
  ASSERT_FALSE(expected.empty());
  ASSERT_GE(got.size(), expected.size());
  EXPECT_LT(got.size() - expected.size(), 100u);  // the last block is a whole one
  EXPECT_EQ(got.substr(0, expected.size()), expected);

  // The port was given back: a second command can take it again.
  const test::CliRun action = run("unit save --port " + link);
  EXPECT_EQ(action.status, 0) << action.output;
  EXPECT_NE(action.output.find("Speichern in Steuereinheit ausgeführt"), std::string::npos) << action.output;
}

TEST(SerialEndToEnd, ASilentUnitOnAPseudoTerminalEndsWithTheMessage) {
  const std::string sim = simPath();
  if (sim.empty() || !std::filesystem::exists(sim)) GTEST_SKIP() << "kelvaro-sim not built: " << sim;
  TempDir dir;
  const std::string link = dir.file("ttySIM");
  Simulator unit({sim, "--pty", link, "--silent"});
  ASSERT_TRUE(unit.running());
  ASSERT_TRUE(waitFor(link));
  const auto start = std::chrono::steady_clock::now();
  const test::CliRun r = run("unit restart --port " + link);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Keine Steuereinheit gefunden an Port " + link), std::string::npos) << r.output;
  // Two identifications of two attempts each: about 14.3 s, never a hang.
  EXPECT_LT(seconds, 20.0);
}

TEST(SerialEndToEnd, APortHeldByAnotherProgramIsRefused) {
  const std::string sim = simPath();
  if (sim.empty() || !std::filesystem::exists(sim)) GTEST_SKIP() << "kelvaro-sim not built: " << sim;
  TempDir dir;
  const std::string link = dir.file("ttySIM");
  Simulator unit({sim, "--pty", link});
  ASSERT_TRUE(unit.running());
  ASSERT_TRUE(waitFor(link));
  const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  const test::CliRun r = run("unit identify --port " + link);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("Keine Steuereinheit gefunden an Port " + link), std::string::npos) << r.output;
  ::close(fd);
}

TEST(SerialEndToEnd, AUnitThatGoesAwayDuringATransferEndsItWithTheMessage) {
  const std::string sim = simPath();
  if (sim.empty() || !std::filesystem::exists(sim)) GTEST_SKIP() << "kelvaro-sim not built: " << sim;
  TempDir dir;
  const std::string link = dir.file("ttySIM");
  Simulator unit({sim, "--pty", link});
  ASSERT_TRUE(unit.running());
  ASSERT_TRUE(waitFor(link));
  test::CliRun transfer;
  const auto start = std::chrono::steady_clock::now();
  std::thread cli([&] { transfer = run("unit transfer " KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG --port " + link); });
  // Identification and the first blocks take about a second; then the other end vanishes.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  unit.stop();
  cli.join();
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(transfer.status, 1) << transfer.output;
  EXPECT_NE(transfer.output.find("Fehler bei der Programm-Übertragung"), std::string::npos) << transfer.output;
  EXPECT_LT(seconds, 1.5 + 4.32 + 2.0);
}

}  // namespace
}  // namespace kelvaro::test
