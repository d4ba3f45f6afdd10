// End to end through a real pseudo-terminal: kelvaro-sim serves a unit, kelvaro-cli unit
// transfers the demo project to it, and the image the unit holds is the one compile writes.
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

std::string simPath() {
  std::string cli = KELVARO_CLI_PATH;
  const auto at = cli.rfind("cli/kelvaro-cli");
  return at == std::string::npos ? std::string() : cli.substr(0, at) + "sim/kelvaro-sim";
}

// kelvaro-sim, stopped when the test ends.
class Simulator {
 public:
  explicit Simulator(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) m_pid = -1;
  }
  ~Simulator() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
  }
  bool running() const { return m_pid > 0; }

 private:
  pid_t m_pid = -1;
};

TEST(SerialEndToEnd, TransferThroughAPseudoTerminalDeliversTheCompiledImage) {
  const std::string sim = simPath();
  if (sim.empty() || !std::filesystem::exists(sim)) GTEST_SKIP() << "kelvaro-sim not built: " << sim;
  TempDir dir;
  const std::string link = dir.file("ttySIM");
  const std::string received = dir.file("received.bin");
  Simulator unit({sim, "--pty", link, "--image", received});
  ASSERT_TRUE(unit.running());
  std::error_code ec;
  for (int i = 0; i < 500 && !std::filesystem::exists(link, ec); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(std::filesystem::exists(link, ec)) << "kelvaro-sim made no pseudo-terminal";

  const std::string project = KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG";
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

}  // namespace
}  // namespace kelvaro::test
