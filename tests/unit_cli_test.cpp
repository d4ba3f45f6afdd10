// kelvaro-cli unit as other tools call it, against the built-in simulated unit.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

test::CliRun cli(const std::string& arguments, const std::string& dir = "/tmp") {
  return test::runCli(arguments, dir);
}

constexpr int kAnyFailure = -2;

TEST(UnitCli, CommandsAgainstTheBuiltInSimulator) {
  const struct {
    int line;
    const char* arguments;
    int status;
    const char* output;
  } kRows[] = {
      {__LINE__, "unit identify --port SIM", 0, "CU-A2-3.20 (124) version 3.50 at SIM\n"},
      {__LINE__, "unit restart --simulator", 0, "Neustart ausgeführt\n"},
      {__LINE__, "unit end --port sim", 0, "Programm beenden ausgeführt\n"},
      {__LINE__, "unit identify --port /nonexistent/tty", 1,
       "Keine Steuereinheit gefunden an Port /nonexistent/tty\n"
       "/nonexistent/tty: open /nonexistent/tty: No such file or directory\n"},
      {__LINE__, "unit transfer /nonexistent/X.SPG --port SIM", 2, nullptr},
      // Invalid arguments: the argument parser's own non-zero status and message.
      {__LINE__, "unit transfer --port SIM", kAnyFailure, "transfer needs PROJECT\nRun with --help for more information.\n"},
      {__LINE__, "unit identify", kAnyFailure, "--port is required\nRun with --help for more information.\n"},
      {__LINE__, "unit fly --port SIM", kAnyFailure, nullptr},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const test::CliRun got = cli(r.arguments);
    if (r.status == kAnyFailure) {
      EXPECT_NE(got.status, 0) << got.output;
    } else {
      EXPECT_EQ(got.status, r.status) << got.output;
    }
    if (r.output) {
      EXPECT_EQ(got.output, r.output);
    }
  }
}

TEST(UnitCli, LogOptionWritesTheLineLogInTheWorkingDirectory) {
  TempDir dir;
  const test::CliRun got = cli("unit save --port SIM --log", dir.path().string());
  ASSERT_EQ(got.status, 0) << got.output;
  const std::string log = readFile(dir.file("RS232LOG.TXT"));
  EXPECT_NE(log.find(": Ausgabe ->  81 06 C9 22 02 01 1F 00\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": Eingabe ->  C9 0D 01 02 0A 00\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": Ausgabe ->  81 06 C9 33 02 01 30 00\r\n"), std::string::npos) << log;
}

TEST(UnitCli, ConfigurationRoundTripWithinOneSimulatorIsNotKept) {
  // Each call starts its own built-in unit: what one call writes, the next does not see.
  const test::CliRun write = cli("unit config-write --port SIM --init ATZ --access '1234;pw' --clockcor 50");
  EXPECT_EQ(write.status, 0) << write.output;
  const test::CliRun read = cli("unit config-read --port SIM");
  EXPECT_EQ(read.status, 0) << read.output;
  EXPECT_NE(read.output.find("MODEMINIT=\n"), std::string::npos) << read.output;
  EXPECT_NE(read.output.find("CLOCKCOR=0\n"), std::string::npos) << read.output;
}

}  // namespace
}  // namespace kelvaro::test
