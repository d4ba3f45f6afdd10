// Over the telephone with kelvaro-cli, in virtual time against the built-in simulator: a caller
// keys commands into a headless run, and the modem commands dial and answer a distant unit.
#include <gtest/gtest.h>

#include <string>

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "app/modem_session.h"
#include "app/program_transfer.h"
#include "hardware/unit_commands.h"
#include "modem.h"
#include "serial_fixture.h"
#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

const std::string kDemoDir = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/";

// The access number comes from the settings and the tones follow the modem type of the
// initialisation text there (#CLS: AT#VTS); the caller's keys switch Aussenlicht (11), and the
// run reports it. What each key and tone means is telephone_control_test's.
TEST(TelephoneCli, ACallerKeysCommandsIntoAHeadlessRun) {
  TempDir dir;
  writeFile(dir.file("k.ini"), "[INITALL]\nREMOTEPW=12345\nMODEMINIT=AT&F E0 S0=1 #CLS=8\n");
  writeFile(dir.file("T.scenario"),
            "at 00:00:10 phone call\nat 00:00:20 phone keys 12345#\nat 00:00:40 phone keys 11*99#\n");
  const CliRun r = runCli("run '" + kDemoDir +
                              "DEMO.SPG' --start '2026-06-15 12:00:00' --for 1m --fast --trace"
                              " --port SIM --scenario T.scenario --dump-sim sim.txt",
                          dir.path().string(), Stderr::Apart, dir.file("k.ini"));
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, R"({"t":"2026-06-15 12:00:40","object":"Aussenlicht","value":"an","from":"hardware"})"
                      "\n");
  const std::string dump = readFile(dir.file("sim.txt"));
  EXPECT_NE(dump.find("  modem text \"AT#VTS=[2800,2800,1]\\r\"\n  modem text \"AT#VTS=[2800,2800,1]\\r\"\n"),
            std::string::npos)
      << dump;
}

// Dialling and answering through the built-in simulated modem: the unit's password request,
// the passwords in turn, the project of the remote visualisation, and the hang-up at the end.
TEST(ModemCli, DialsAndAnswersTheSimulatedUnit) {
  TempDir dir;
  writeFile(dir.file("call.scenario"), "at 00:00:02 modem call\n");
  writeFile(dir.file("hangup.scenario"), "at 00:00:06 unit hangup\n");
  const std::string unit = " --port SIM --sim-password abcd --sim-program GARTEN --seconds 20";
  const struct {
    int line;
    std::string arguments;
    int status;
    std::string output;
    std::string errors;
  } kRows[] = {
      {__LINE__, "dial 0301234 --init 'AT&F E0' --password abcx --password abcd --visualisation" + unit, 0,
       "Modem: OK\nModem: CONNECT 9600\nVerbindung\nSteuereinheit: Kennwort angefordert\n"
       "Steuereinheit: Kennwort falsch\nSteuereinheit: Kennwort angefordert\nSteuereinheit: Kennwort angenommen\n"
       "Projekt: GARTEN\nVerbindung getrennt\n",
       "Falsches Kennwort eingegeben\n"},
      // The passwords run out: the unit stays locked and the command fails.
      {__LINE__, "dial 0301234 --password x --visualisation" + unit, 1,
       "Modem: CONNECT 9600\nVerbindung\nSteuereinheit: Kennwort angefordert\nSteuereinheit: Kennwort falsch\n"
       "Steuereinheit: Kennwort angefordert\nVerbindung getrennt\n",
       "Falsches Kennwort eingegeben\nKein Kennwort mehr angegeben (--password)\n"},
      // The unit ends the link while the PC waits for it to accept the password.
      {__LINE__, "dial 0301234 --password abcd --scenario hangup.scenario" + unit, 1,
       "Modem: CONNECT 9600\nVerbindung\nSteuereinheit: Kennwort angefordert\nSteuereinheit: Verbindung beendet\n", ""},
      // A modem that answers after two rings (S0=2) takes the unit's call.
      {__LINE__, "answer --init 'AT S0=2' --scenario call.scenario --port SIM --seconds 30", 0,
       "Modem: OK\nModem: RING\nModem: RING\nModem: CONNECT 9600\nVerbindung\nVerbindung getrennt\n", ""},
      {__LINE__, "answer --init ATZ --port SIM --seconds 5", 1, "Modem: OK\n", "Kein Anruf in 5 s\n"},
      // A modem left off-hook: the escape and ATH on their own.
      {__LINE__, "hangup --port SIM", 0, "Modem: OK\nAufgelegt\n", ""},
      {__LINE__, "dial --port SIM", 2, "", "NUMBER goes with dial, and dial needs it\n"},
      {__LINE__, "dial 0301234 --port COM1 --sim-program X", 2, "",
       "--sim-password and --sim-program go with --port SIM only\n"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const CliRun got = runCli("modem " + r.arguments, dir.path().string(), Stderr::Apart);
    EXPECT_EQ(got.status, r.status);
    EXPECT_EQ(got.output, r.output);
    EXPECT_EQ(got.errors, r.errors);
  }
}

// The program transfer through the telephone, to a unit that asks for its password: the image is
// sent with the link's longer time limits, and the unit behind the modem holds the same image as
// a unit on the cable. The dial, the passwords and the hang-up are the modem command's (above).
TEST(ModemTransfer, TheUnitBehindTheModemGetsTheSameImageAsOnTheCable) {
  Project project;
  FakeUserInterface loadUi;
  ASSERT_EQ(readProject(project, kDemoDir + "DEMO.SPG", "", loadUi), ReadStatus::Complete);
  CompileOptions options;
  options.programName = "DEMO";
  TransferHooks hooks;
  hooks.sunTable = [](bool) { return std::vector<SunWeek>(kSunTableWeeks, SunWeek{7, 30, 18, 15}); };
  auto transfer = [&](SerialFixture& f, const std::string& port) {
    UnitPage page;
    page.ComPortCoB = port;
    UnitCommands commands(f.protocol, page);
    Project copy = project;
    return ProgramTransfer(commands, copy, options, hooks);
  };

  SerialFixture cable;
  sim::ControlUnit direct;
  cable.devices["COM1"] = &direct;
  ASSERT_TRUE(transfer(cable, "COM1")) << ::testing::PrintToString(cable.ui.messageTexts());

  SerialFixture phone;
  sim::ControlUnit far;
  far.configuration[65] = 4;
  std::copy_n("ABCD", 4, far.configuration.begin() + 66);
  sim::Modem modem(far);
  phone.devices["COM2"] = &modem;
  ModemConnection connection(phone.protocol, phone.ui);
  ModemFrames frames(phone.protocol, phone.ui);
  connection.ComPortCB = "COM2";
  connection.TelNrEdt = "0301234";
  phone.ui.inputs = {std::string("abcd")};
  ModemSession session(connection, frames, phone.protocol, [&] { phone.clock.advanceMs(kModemTimerMs); });
  ASSERT_EQ(session.dialAndOpen(60000), ModemOpenResult::Open);
  ASSERT_TRUE(transfer(phone, "COM2")) << ::testing::PrintToString(phone.ui.messageTexts());
  // The commands leave the link up; ending it hangs up once the last frame has gone through.
  EXPECT_TRUE(phone.line.ModemLinkUp);
  connection.ConnectBtnClick();

  ASSERT_FALSE(direct.programImage().empty());
  EXPECT_EQ(far.programImage(), direct.programImage());
  EXPECT_EQ(far.programName, direct.programName);
  EXPECT_EQ(far.programBlocks, direct.programBlocks);
}

}  // namespace
}  // namespace kelvaro::test
