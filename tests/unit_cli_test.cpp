// kelvaro-cli unit as other tools call it, against the built-in simulated unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

test::CliRun cli(const std::string& arguments, const std::string& dir = "/tmp") {
  return test::runCli(arguments, dir);
}

TEST(UnitCli, CommandsAgainstTheBuiltInSimulator) {
  const struct {
    int line;
    const char* arguments;
    int status;
    const char* output;
  } kRows[] = {
      {__LINE__, "unit identify --port SIM", 0, "CU-A2-3.20 (124) version 3.50 at SIM\n"},
      {__LINE__, "unit restart --simulator", 0, "Neustart ausgeführt\n"},
      {__LINE__, "unit identify --port /nonexistent/tty", 1,
       "Keine Steuereinheit gefunden an Port /nonexistent/tty\n"
       "/nonexistent/tty: open /nonexistent/tty: No such file or directory\n"},
      {__LINE__, "unit transfer /nonexistent/X.SPG --port SIM", 2, nullptr},
      // Through the built-in simulated modem: dialled, sent, hung up.
      {__LINE__, "unit transfer " KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG --port SIM --modem 0301234", 0,
       "Modem: CONNECT 9600\nVerbindung\nVerbindung getrennt\n"},
      {__LINE__, "unit identify --port SIM --modem 0301234", 2, "--modem goes with transfer only\n"},
      {__LINE__, "unit transfer X.SPG --port SIM --password abc", 2, "--password goes with transfer --modem only\n"},
      // Invalid arguments: exit 2 and one line, whatever the command would have done.
      {__LINE__, "unit transfer --port SIM", 2, "transfer needs PROJECT\n"},
      {__LINE__, "unit identify", 2, "--port is required\n"},
      {__LINE__, "unit identify DEMO.SPG --port SIM", 2, "PROJECT and --clock go with transfer only\n"},
      {__LINE__, "unit save --port SIM --clockcor 5", 2, "--clockcor goes with config-write only\n"},
      {__LINE__, "unit config-write --port SIM --clockcor 256", 2, "--clockcor: Value 256 not in range 0 to 255\n"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const test::CliRun got = cli(r.arguments);
    EXPECT_EQ(got.status, r.status) << got.output;
    if (r.output) {
      EXPECT_EQ(got.output, r.output);
    } else if (r.status == 2) {
      EXPECT_EQ(std::count(got.output.begin(), got.output.end(), '\n'), 1) << got.output;
    }
  }
}

// The clock correction of the settings file is whatever the file says; one that no int holds
// is no valid number and is sent as 0 (it once ended the tool with an uncaught exception).
TEST(UnitCli, ClockCorrectionFromTheSettingsFileIsSentAsAByte) {
  const struct {
    int line;
    const char* setting;
    const char* frame;  // the configuration block's first bytes
  } kRows[] = {
      {__LINE__, "45", " 37 2D 16 "},
      {__LINE__, "99999999999", " 37 00 16 "},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    TempDir dir;
    writeFile(dir.file("kelvaro.INI"), std::string("[INITALL]\r\nCLOCKCOR=") + r.setting + "\r\n");
    const test::CliRun got = test::runCli("unit config-write --port SIM --log", dir.path().string(),
                                          test::Stderr::Merged, dir.file("kelvaro.INI"));
    EXPECT_EQ(got.status, 0) << got.output;
    EXPECT_NE(readFile(dir.file("RS232LOG.TXT")).find(r.frame), std::string::npos);
  }
}

// Each call starts its own built-in unit, so this reads a fresh unit's configuration.
TEST(UnitCli, ConfigReadPrintsTheSettingsKeys) {
  const test::CliRun read = cli("unit config-read --port SIM");
  EXPECT_EQ(read.status, 0) << read.output;
  EXPECT_NE(read.output.find("MODEMINIT=\n"), std::string::npos) << read.output;
  EXPECT_NE(read.output.find("CLOCKCOR=0\n"), std::string::npos) << read.output;
}

}  // namespace
}  // namespace kelvaro::test
