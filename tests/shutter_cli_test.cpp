// kelvaro-cli assist shutter-group: the group it writes moves its shutters in a headless run at
// the sunset that kelvaro-cli sun gives for the day and place.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "model/project.h"
#include "storage/project_file.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

test::CliRun runCli(const std::string& arguments) { return test::runCli(arguments, {}, test::Stderr::Apart); }

// A house with the shutter type, one view and one lamp that no group may take.
std::string writeHouse(const test::TempDir& dir) {
  Project p;
  p.types = {"Lampe;1", "Rolllade;1"};
  for (const char* s : {"Rolllade:oben", "Rolllade:halb", "Rolllade:unten", "Lampe:aus", "Lampe:an"})
    p.typeStates.push_back({s, std::nullopt});
  rebuildTypeNames(p);
  p.views.push_back({"Haus", {}});
  TPSObj lamp = createObject("Licht");
  lamp.Typ = "Lampe";
  lamp.OKind = kKindUser;
  lamp.StartVal = "aus";
  lamp.CtZust = 2;
  lamp.ObjTypO = 1;
  lamp.plans[0].ViewName = "Haus";
  p.objects.push_back(lamp);
  const std::string file = dir.file("HAUS.SPG");
  test::writeFile(file, projectFileText(p));
  return file;
}

TEST(ShutterGroupCli, GroupMovesItsShuttersAtSunset) {
  test::TempDir dir;
  const std::string in = writeHouse(dir);
  const std::string out = dir.file("OUT.SPG");
  const test::CliRun r =
      runCli("assist shutter-group '" + in + "' Wohnen --members Kueche,Bad,Flur --down SU -o '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.errors, "");
  EXPECT_EQ(r.output,
            "Rolllade angelegt: Kueche\nRolllade angelegt: Bad\nRolllade angelegt: Flur\n"
            "[Wohnen]\n-&**--/A3/RG--**Block mit 3 Anweisungen\n-&Bad  WIE  Wohnen\n-&Flur  WIE  Wohnen\n"
            "-&Kueche  WIE  Wohnen\n"
            "[WohnenZeitStellen]\n-&**--/A3/--**Block mit 3 Anweisungen\n-&WENN Wohnen.RunterZeit=\"0\" DANN\n"
            "-&  Wohnen.RunterZeit:=\"SU\"\n-&ENDEWENN\n-&**--/A12/--**SUNSETS*Block mit 12 Anweisungen\n"
            "-&WENN Wohnen.RunterZeit=\"SA\" DANN\n-&  Wohnen.RunterZeit:=SONNENAUFGANG(Datum)\n-&ENDEWENN\n"
            "-&WENN Wohnen.RunterZeit=\"SU\" DANN\n-&  Wohnen.RunterZeit:=SONNENUNTERGANG(Datum)\n-&ENDEWENN\n"
            "-&WENN Wohnen.RaufZeit=\"SA\" DANN\n-&  Wohnen.RaufZeit:=SONNENAUFGANG(Datum)\n-&ENDEWENN\n"
            "-&WENN Wohnen.RaufZeit=\"SU\" DANN\n-&  Wohnen.RaufZeit:=SONNENUNTERGANG(Datum)\n-&ENDEWENN\n"
            "[WohnenZeituhr]\n-&**--/A10/RG--**Block mit 10 Anweisungen\n-&WENN Uhrzeit ist Wohnen.RunterZeit DANN\n"
            "-&  Wohnen.RunterZeit:=\"0\"\n-&  Wohnen:=\"unten\"\n-&  AUSFUEHRUNG(Wohnen)\n-&ENDEWENN\n"
            "-&WENN Uhrzeit ist Wohnen.RaufZeit DANN\n-&  Wohnen.RaufZeit:=\"0\"\n-&  Wohnen:=\"oben\"\n"
            "-&  AUSFUEHRUNG(Wohnen)\n-&ENDEWENN\n"
            "Gespeichert: " +
                out + "\n");

  const test::CliRun sun = runCli("sun --lat 52.52 --lon 13.4 --date 2026-06-21 --summer");
  ASSERT_EQ(sun.status, 0) << sun.errors;
  const std::size_t at = sun.output.find("sunset ");
  ASSERT_NE(at, std::string::npos) << sun.output;
  const std::string sunset = "2026-06-21 " + sun.output.substr(at + 7, 5) + ":00";

  const test::CliRun run =
      runCli("run '" + out + "' --start '2026-06-20 23:59:00' --for 1d --fast --trace --lat 52.52 --lon 13.4");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::istringstream lines(run.output);
  std::string line, moves;
  while (std::getline(lines, line)) {
    const auto j = nlohmann::json::parse(line);
    if (j.at("value") == "unten")
      moves += j.at("t").get<std::string>() + " " + j.at("object").get<std::string>() + "\n";
  }
  // The trace follows the objects' order: the group first, then its shutters as they were created.
  EXPECT_EQ(moves, sunset + " Wohnen\n" + sunset + " Kueche\n" + sunset + " Bad\n" + sunset + " Flur\n");
}

TEST(ShutterGroupCli, RefusesWhatWouldNotWork) {
  test::TempDir dir;
  const std::string in = writeHouse(dir);
  struct Row {
    int line;
    std::string arguments;
    int status;
    std::string message;
  };
  const Row kRows[] = {
      {__LINE__, "G --down 25:00", 2,
       "--down: 25:00 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "G --up 07:00:03", 2,
       "--up: 07:00:03 ist keine Uhrzeit (hh:mm, hh:mm:ss in Schritten von 5 s, SA, SU)\n"},
      {__LINE__, "G --days Mo,Xy", 2, "--days: Xy ist kein Wochentag\n"},
      {__LINE__, "G --members A,Licht", 1, "Licht ist keine Rolllade\n"},
      {__LINE__, "Licht --members A", 1, "Licht ist keine Rollladen-Gruppe\n"},
      {__LINE__, "1G", 1, "1G  ist kein gültiger Name\n"},
  };
  const std::string before = test::readFile(in);
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    const test::CliRun r = runCli("assist shutter-group '" + in + "' " + row.arguments);
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.errors, row.message);
    EXPECT_EQ(test::readFile(in), before);  // a refused job leaves the file as it was
  }
}

}  // namespace
}  // namespace kelvaro
