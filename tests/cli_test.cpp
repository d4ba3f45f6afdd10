// kelvaro-cli as other tools use it: exit codes, messages, the JSON keys and the images it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/project.h"
#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

using RunResult = test::CliRun;
using test::runCli;

const std::string kDemo = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/DEMO.SPG";

TEST(Cli, InfoJsonCarriesTheStableKeys) {
  const RunResult r = runCli("info --json '" + kDemo + "'");
  ASSERT_EQ(r.status, 0) << r.output;
  for (const char* key : {"\"views\"", "\"types\"", "\"typeStates\"", "\"constants\"", "\"objects\"",
                          "\"stations\"", "\"groups\"", "\"slots\"", "\"program\"", "\"ExeWinPos\""})
    EXPECT_NE(r.output.find(key), std::string::npos) << key;
}

// A file that cannot be read, or an invalid argument, gives exit 2 and one line; a file that
// cannot be written gives exit 1. Every option of every command is checked before the command
// starts; an invalid one is never replaced by its default.
TEST(Cli, FailuresGiveTheirExitCodeAndOneLine) {
  const std::string demo = "'" + kDemo + "' ";
  const struct {
    int line;
    std::string arguments;
    std::string message;
    int status = 2;
  } kRows[] = {
      {__LINE__, "roundtrip INIT.SPI X.SPG", "Datei INIT.SPI nicht gefunden"},  // reported, unlike in a project
      {__LINE__, "roundtrip " + demo + "fehlt/X.SPG", "Datei fehlt/X.SPG konnte nicht gespeichert werden", 1},
      {__LINE__, "roundtrip " + demo + "''", "OUT: darf nicht leer sein"},
      {__LINE__, "dump " + demo + "--mode 3", "--mode: 3 not in {1,9}"},
      {__LINE__, "compile " + demo + "-o X.SPA --unit bogus",
       "--unit: bogus not in {CU/F-A2,CU-A2-3.20,CU-A2-3.00-10,CU-A2 Ver.2,CU-A1}"},
      {__LINE__, "compile " + demo + "-o X.SPA --name NEUNZEICH", "--name: NEUNZEICH hat nicht 1 bis 8 Zeichen"},
      {__LINE__, "compile " + demo + "-o X.SPA --today 2026-02-30", "Ungültiges Datum: 2026-02-30"},
      {__LINE__, "sun --lat nan --lon 10", "--lat: nan ist keine Zahl von -90 bis 90"},
      {__LINE__, "sun --lat 51.5 --lon 181", "--lon: 181 ist keine Zahl von -180 bis 180"},
      {__LINE__, "sun --lat 51.5", "--lat requires --lon"},
      {__LINE__, "sun --rise-corr 91", "--rise-corr: Value 91 not in range -90 to 90"},
      {__LINE__, "sun --earliest-set 25:00:00", "Ungültige Uhrzeit: 25:00:00"},
      {__LINE__, "sun --year 2026", "--year requires --table"},
      {__LINE__, "sun --table --date 2026-01-01", "--table excludes --date"},
      {__LINE__, "info", "PROJECT is required"},
      {__LINE__, "run " + demo + "--start 2026-13-01 --for 1s", "--start erwartet \"YYYY-MM-DD hh:mm:ss\": 2026-13-01"},
      // An empty duration once started a run without end.
      {__LINE__, "run " + demo + "--for ''", "--for erwartet eine Dauer wie 90s, 15m, 2h oder 7d: "},
      {__LINE__, "run " + demo + "--click Niemand@12:00:00 --for 1s", "Objekt Niemand nicht gefunden"},
      {__LINE__, "run " + demo + "--click Klingel --for 1s", "--click erwartet OBJEKT@ZEIT: Klingel"},
      {__LINE__, "run " + demo + "--input Anzeige@12:00:00 --for 1s",
       "--input erwartet OBJEKT=WERT@ZEIT: Anzeige@12:00:00"},
      {__LINE__, "run " + demo + "--lon 10 --for 1s", "--lon requires --lat"},
  };
  test::TempDir dir;
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const RunResult got = runCli(r.arguments, dir.path().string());
    EXPECT_EQ(got.status, r.status);
    EXPECT_EQ(got.output, r.message + "\n");
  }
  EXPECT_TRUE(dir.names().empty());  // nothing was written on the way
}

// A project with one lamp whose program is given.
std::string writeLampProject(const test::TempDir& dir, std::vector<std::string> program) {
  const std::string file = dir.file("LAMPE.SPG");
  test::writeFile(file, projectFileText(test::lampProject({test::lampObject("Lampe", std::move(program))})));
  return file;
}

TEST(Cli, CheckPrintsOkOrTheFirstErrorWithItsLine) {
  test::TempDir dir;
  const RunResult ok = runCli("check '" + writeLampProject(dir, {"Lampe EINSCHALTEN"}) + "'");
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.output, "OK 1 Objekte, 3 Symbole, 8 Bytes Code, 1 Zeilen\n");

  const RunResult bad =
      runCli("check '" + writeLampProject(dir, {"** Kommentar", "Lampe EINSCHALTEN", "Lampe := Blau"}) + "'");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.output, "Lampe:3: Unbekannter Bezeichner ->BLAU\n");
}

TEST(Cli, TranslatePrintsHexTokensAndResult) {
  test::TempDir dir;
  const std::string file = writeLampProject(dir, {"Lampe:=\"x\""});
  RunResult r = runCli("translate '" + file + "' lampe 'Lampe AUSSCHALTEN'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "BD B4 26 30 30 30 30 31 B8\n0\n");
  // The literal "x" is known from the collect pass over the project: symbol 3.
  r = runCli("translate '" + file + "' Lampe 'WENN Lampe = \"x\" DANN'");
  EXPECT_EQ(r.output, "BD BE 26 30 30 30 30 31 3D 26 30 30 30 30 33 BF\n0\n");
  r = runCli("translate '" + file + "' Fehlt 'Lampe AUSSCHALTEN'");
  EXPECT_EQ(r.status, 2);
}

TEST(Cli, DumpJsonHasTheStableKeys) {
  test::TempDir dir;
  const RunResult r = runCli("dump '" + writeLampProject(dir, {"Lampe EINSCHALTEN"}) + "' --mode 1 --json");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, test::readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/lamp_dump.json"));
}

TEST(Cli, CompileWritesTheImageByItsExtension) {
  test::TempDir dir;
  RunResult r = runCli("compile '" + kDemo + "' -o '" + dir.file("DEMO.SPA") + "' --today 2026-12-06");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.rfind("Speicherauslastung ", 0), 0u) << r.output;
  EXPECT_EQ(test::readFile(dir.file("DEMO.SPA")).size(), 65501u);

  r = runCli("compile '" + kDemo + "' -o '" + dir.file("demo.bin") + "' --unit CU-A1 --name TEST");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string image = test::readFile(dir.file("demo.bin"));
  ASSERT_GT(image.size(), 12u);
  EXPECT_EQ(image.substr(image.size() - 12, 10), "XXTEST    ");
}

TEST(Cli, SunTimesForADateAndTheWeeklyTable) {
  RunResult r = runCli("sun --lat 51.5 --lon 10.5 --date 2026-06-21 --summer --earliest-rise 05:00:00");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "sunrise 05:00 sunset 22:27\n");
  r = runCli("sun --lat 51.5 --lon 10.5 --table --year 2026");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 52);
  EXPECT_EQ(r.output.rfind("2026-01-01 sunrise ", 0), 0u);
}

}  // namespace
}  // namespace kelvaro
