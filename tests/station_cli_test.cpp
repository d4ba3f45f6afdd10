// kelvaro-cli station and radio as other tools call them, against the built-in simulated unit
// with a scenario's stations behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

constexpr const char* kScenario =
    "wired 10 MXB2\nwired 12 40611x\nradio 20.1.2 401\n"
    "at 00:00 10 errors 3\nat 00:00:03 20.1.2 value 19\nat 00:00:05 12 button\n";

TEST(StationCli, CommandsAgainstTheBuiltInSimulator) {
  TempDir dir;
  std::filesystem::copy_file(KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG", dir.file("DEMO.SPG"));
  writeFile(dir.file("S.scenario"), kScenario);
  writeFile(dir.file("EMPTY.scenario"), "wired 12 MXB2\n");
  const std::string sim = " --port SIM --scenario S.scenario";
  const struct {
    int line;
    std::string arguments;
    int status;
    const char* output;  // stdout from its start; nullptr: one line on stderr (exit 2)
  } kRows[] = {
      {__LINE__, "station list DEMO.SPG", 0,
       "StationEG\tMXB2\t1\t10\nFunkAktorGarten\tFS20 Schaltaktor\t4\t20.1.1\n"
       "FunkTaster\tFS20 Taster/Sensor\t4\t20.1.2\nFunkFuehler\tHMS100 TF\t4\t33.0.0\n"},
      {__LINE__, "station autodetect" + sim, 0,
       "Autodetect:\nLtg.   Adr.   Art\n   1       10   MXB2\n   1       12   40611x\n"},
      {__LINE__, "station read DEMO.SPG StationEG" + sim, 0,
       "Typ: MXB2\nVersion: 1,20\nKanal 1: KontaktTuer Funktion 0 Gruppen-Adresse 0 Gruppen-Anschluss 1 Werte 0 0 Offline -\n"},
      {__LINE__, "station write DEMO.SPG StationEG" + sim, 0,
       "Typ: MXB2\nVersion: 1,20\nKanal 1: KontaktTuer Funktion 0 Gruppen-Adresse 0 Gruppen-Anschluss 0 Werte 0 0 Offline -\n"},
      {__LINE__, "station check-all DEMO.SPG" + sim, 0, "Protokoll Prüfung:\nSignalstation StationEG ist OK\n"},
      {__LINE__, "station check-all DEMO.SPG --port SIM --scenario EMPTY.scenario", 1,
       "Protokoll Prüfung:\nFehler bei Prüfung StationEG\n"},
      {__LINE__, "station test DEMO.SPG StationEG --seconds 3" + sim, 0, "Wert1 0\nWert2 0\nWert3 0\nWert4 0\n"},
      {__LINE__, "station errors DEMO.SPG StationEG --seconds 3" + sim, 0, "Störungszähler 3\n"},
      {__LINE__, "station errors DEMO.SPG StationEG --on 16" + sim, 0, ""},
      {__LINE__, "station address DEMO.SPG FunkTaster" + sim, 0, "FunkTaster\t20.1.2\n"},
      {__LINE__, "station autodetect --port /nonexistent/tty", 1, ""},
      {__LINE__, "radio read" + sim, 0, "Zentralencode 1\nSeriennummer 305419896\n"},
      {__LINE__, "radio write-code 77 --port SIM --unit RFI-RS1", 0, "Zentralencode 77\nSeriennummer 305419896\n"},
      {__LINE__, "radio read --port SIM --unit CU-A2-3.20", 1, ""},
      // Invalid arguments: exit 2 and one line.
      {__LINE__, "station read DEMO.SPG FunkTaster" + sim, 2, nullptr},
      {__LINE__, "station read DEMO.SPG Nirgends" + sim, 2, nullptr},
      {__LINE__, "station list DEMO.SPG --port SIM", 2, nullptr},
      {__LINE__, "station address DEMO.SPG FunkTaster --new 5 --port SIM", 2, nullptr},
      {__LINE__, "station read DEMO.SPG --port SIM", 2, nullptr},
      {__LINE__, "station test DEMO.SPG StationEG --new 5 --port SIM", 2, nullptr},
      {__LINE__, "station errors DEMO.SPG StationEG --on 5 --port SIM", 2, nullptr},
      {__LINE__, "station autodetect --port COM1 --scenario S.scenario", 2, nullptr},
      {__LINE__, "radio write-code 101 --port SIM", 2, nullptr},
      {__LINE__, "radio read 5 --port SIM", 2, nullptr},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const CliRun got = runCli(r.arguments, dir.path().string(), Stderr::Apart);
    EXPECT_EQ(got.status, r.status) << got.output << got.errors;
    if (r.output) EXPECT_EQ(got.output.substr(0, std::string(r.output).size()), r.output) << got.errors;
    else EXPECT_EQ(std::count(got.errors.begin(), got.errors.end(), '\n'), 1) << got.errors;
  }
}

// The station at 12 presses its button after 5 s; with --save the project keeps its new address.
TEST(StationCli, AddressAssignedOnTheButtonIsSavedOnlyWithSave) {
  TempDir dir;
  std::filesystem::copy_file(KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG", dir.file("DEMO.SPG"));
  writeFile(dir.file("S.scenario"), kScenario);
  const std::string before = readFile(dir.file("DEMO.SPG"));
  for (const bool save : {false, true}) {
    SCOPED_TRACE(save);
    const CliRun got =
        runCli(std::string("station address DEMO.SPG StationEG --new 30 --port SIM --scenario S.scenario") +
                   (save ? " --save" : ""),
               dir.path().string(), Stderr::Apart);
    EXPECT_EQ(got.status, 0) << got.errors;
    EXPECT_EQ(got.output, "StationEG\t30\n");
    EXPECT_EQ(got.errors, "Adresse 30 vergeben an StationEG\n");
    const CliRun list = runCli("station list DEMO.SPG", dir.path().string(), Stderr::Apart);
    EXPECT_EQ(list.output.substr(0, list.output.find('\n')),
              save ? "StationEG\tMXB2\t1\t30" : "StationEG\tMXB2\t1\t10");
    EXPECT_EQ(readFile(dir.file("DEMO.SPG")) == before, !save);
  }
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"DEMO.SPG", "S.scenario"}));
}

}  // namespace
}  // namespace kelvaro::test
