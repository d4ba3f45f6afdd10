// The rules of the page "Einstellungen" and of the sun-time settings window: which edits are
// written back, the directories' separators, the constants box, the protocol file, the
// postal region, the line log switches and the checks of the sun-time fields.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/settings_page_commands.h"
#include "app/sun_settings_form.h"
#include "app/workspace.h"
#include "astro/region_table.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::TempDir;

TEST(SettingsPageCommands, PathEditsMarkTheSettingsButTheDrawingProgram) {
  const struct {
    int line;
    SettingsPath field;
    std::string Settings::*setting;
    bool marks;
  } kRows[] = {
      {__LINE__, SettingsPath::BitmapDirectory, &Settings::DIRBMP, true},
      {__LINE__, SettingsPath::ProjectDirectory, &Settings::DIRDAT, true},
      {__LINE__, SettingsPath::DefaultDefinitions, &Settings::INITFILE, true},
      {__LINE__, SettingsPath::Autostart, &Settings::AUTOEXEC, true},
      {__LINE__, SettingsPath::PaintProgram, &Settings::PAINTPATH, false},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Settings s;
    setSettingsPath(s, r.field, s.*r.setting);  // unchanged
    EXPECT_FALSE(s.settingsChanged);
    setSettingsPath(s, r.field, "/srv/x");
    EXPECT_EQ(settingsPath(s, r.field), "/srv/x");
    EXPECT_EQ(s.settingsChanged, r.marks);
  }
}

TEST(SettingsPageCommands, LeavingThePageCompletesBothDirectories) {
  const struct {
    int line;
    const char* typed;
    const char* kept;
  } kRows[] = {
      {__LINE__, "/home/p/BMP", "/home/p/BMP/"},
      {__LINE__, "/home/p/BMP/", "/home/p/BMP/"},
      {__LINE__, "C:\\Daten\\", "C:\\Daten\\"},  // a Windows path of an old settings file
      {__LINE__, "", ""},                        // empty stays empty, not the root directory
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Settings s;
    s.DIRBMP = s.DIRDAT = s.PAINTPATH = r.typed;
    EXPECT_EQ(leaveSettingsPage(s), std::string(r.typed) != r.kept);
    EXPECT_EQ(s.DIRBMP + "|" + s.DIRDAT + "|" + s.PAINTPATH, std::string(r.kept) + "|" + r.kept + "|" + r.typed);
  }
}

TEST(SettingsPageCommands, BrowsedPaths) {
  Settings s;
  s.DIRDAT = "/home/p/SPG/";
  const struct {
    int line;
    SettingsPath field;
    const char* chosen;
    const char* path;
  } kRows[] = {
      {__LINE__, SettingsPath::BitmapDirectory, "/home/p/BMP/haus.bmp", "/home/p/BMP/"},
      {__LINE__, SettingsPath::DefaultDefinitions, "/home/p/SPG/INIT.SPI", "INIT.SPI"},
      {__LINE__, SettingsPath::DefaultDefinitions, "/srv/INIT.SPI", "/srv/INIT.SPI"},
      {__LINE__, SettingsPath::Autostart, "/home/p/SPG/DEMO.SPG", "/home/p/SPG/DEMO.SPG"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(browsedPath(s, r.field, r.chosen), r.path);
  }
}

TEST(SettingsPageCommands, ConstantsBoxLinesAndLeavingTheBox) {
  using Lines = std::vector<std::string>;
  const struct {
    int line;
    const char* text;
    Lines lines;
  } kRows[] = {
      {__LINE__, "", {}},
      {__LINE__, "MAX=10\n", {"MAX=10"}},  // the final line break starts no line
      {__LINE__, "MAX=10\r\nMIN=2\r\n", {"MAX=10", "MIN=2"}},
      {__LINE__, "A=1\n\nB=2", {"A=1", "", "B=2"}},
      {__LINE__, "\n", {""}},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(constantsFromText(r.text), r.lines);
  }
  EXPECT_EQ(constantsText({"A=1", "", "B=2"}), "A=1\n\nB=2");
  // Leaving the box marks the project only when the lines changed.
  Project p;
  p.constants = {"MAX=10"};
  EXPECT_FALSE(leaveConstantsBox(p, {"MAX=10"}));
  EXPECT_FALSE(p.modified);
  EXPECT_TRUE(leaveConstantsBox(p, {"MAX=12"}));
  EXPECT_TRUE(p.modified);
  EXPECT_EQ(p.constants, (std::vector<std::string>{"MAX=12"}));
}

TEST(SettingsPageCommands, DeletingTheProtocolFile) {
  TempDir dir;
  const std::filesystem::path file = dir.path() / "PROTOCOL.TXT";
  FakeUserInterface ui;

  test::writeFile(file.string(), "12:00 Lampe 1\r\n");
  EXPECT_TRUE(deleteProtocolFile(dir.path().string(), ui));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(ui.messages.empty());

  // Nothing there: nothing to delete, nothing to report.
  EXPECT_TRUE(deleteProtocolFile(dir.path().string(), ui));
  EXPECT_TRUE(ui.messages.empty());

  // A directory of that name with something in it stays.
  std::filesystem::create_directory(file);
  test::writeFile((file / "x").string(), "x");
  EXPECT_FALSE(deleteProtocolFile(dir.path().string(), ui));
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Datei konnte nicht gelöscht werden"});
  EXPECT_TRUE(std::filesystem::exists(file / "x"));
}

int choiceIndex(std::string_view text) {
  const auto choices = regionChoices();
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (choices[i] == text) return static_cast<int>(i);
  return -1;
}

TEST(SettingsPageCommands, PostalRegionSetsTheCoordinates) {
  const struct {
    int line;
    const char* region;
    double longitude;
    double latitude;
  } kRows[] = {
      {__LINE__, "24xxx", 9.5, 54.5},
      {__LINE__, "33xxx", 1.25, 2.5},              // listed, but without coordinates
      {__LINE__, "Benutzerdefiniert", 1.25, 2.5},  // the user's own
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Settings s;
    s.GEOLANG = 1.25;
    s.GEOBREIT = 2.5;
    const int index = choiceIndex(r.region);
    ASSERT_GE(index, 0);
    chooseRegion(s, index);
    EXPECT_EQ(s.PLZ, index);
    EXPECT_DOUBLE_EQ(s.GEOLANG, r.longitude);
    EXPECT_DOUBLE_EQ(s.GEOBREIT, r.latitude);
    EXPECT_FALSE(s.settingsChanged);  // the region alone does not rewrite the settings file
  }
  Settings s;
  chooseRegion(s, 1000);
  EXPECT_EQ(s.PLZ, -1);
}

TEST(SettingsPageCommands, LineLogSwitches) {
  Workspace ws;
  // Ctrl+Q: the label shows and the log is on; again: hidden and off.
  EXPECT_TRUE(toggleLineLogLabel(ws, false));
  EXPECT_TRUE(ws.lineLog);
  EXPECT_FALSE(toggleLineLogLabel(ws, true));
  EXPECT_FALSE(ws.lineLog);
  toggleLineLog(ws);
  EXPECT_EQ(portLabelCaption(ws.lineLog), "COM-Port:");
  toggleLineLog(ws);
  EXPECT_EQ(portLabelCaption(ws.lineLog), "COM-Port");
}

TEST(SunSettingsForm, ReadDecimal) {
  for (const test::CaseRow& row : test::dataCases("settings_cases.txt", "decimal")) {
    SCOPED_TRACE("settings_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    const std::optional<double> expected =
        row.fields[1] == "(none)" ? std::nullopt : std::optional(std::stod(row.fields[1]));
    EXPECT_EQ(readDecimal(row.fields[0]), expected);
  }
}

// The sun-time settings as one line: place, region, corrections, the four limits, and whether
// the settings file needs writing back.
std::string sunText(const Settings& s) {
  std::ostringstream out;
  out << s.GEOLANG << " " << s.GEOBREIT << " plz " << s.PLZ << " corr " << s.SUNRISEK << " " << s.SUNSETK << " limits "
      << s.SUNRISEZ1 << "|" << s.SUNRISEZ2 << "|" << s.SUNSETZ1 << "|" << s.SUNSETZ2
      << (s.settingsChanged ? " changed" : "");
  return out.str();
}

TEST(SunSettingsForm, OkStoresTheFieldsAndChoosesOwnCoordinates) {
  Settings s;
  s.PLZ = 37;
  SunSettingsForm form = sunSettingsForm(s);
  EXPECT_EQ(form.longitude, "10,5");
  EXPECT_EQ(form.latitude, "51,5");

  // Nothing changed: the region stays and nothing needs writing back.
  EXPECT_EQ(applySunSettingsForm(s, form), std::nullopt);
  EXPECT_EQ(sunText(s), "10.5 51.5 plz 37 corr 0 0 limits |||");

  form.longitude = "8,25";
  form.sunriseCorrection = 120;  // beyond the field's range
  form.sunsetCorrection = -15;
  form.sunriseEarliest = "06:00:00";
  form.sunriseLatest = "  :  :  ";
  form.sunsetLatest = "::";
  EXPECT_EQ(applySunSettingsForm(s, form), std::nullopt);
  // Own coordinates choose the region "Benutzerdefiniert".
  EXPECT_EQ(sunText(s), "8.25 51.5 plz 0 corr 90 -15 limits 06:00:00||| changed");

  // A change of the limits alone keeps the region.
  Settings t;
  t.PLZ = 37;
  SunSettingsForm limits = sunSettingsForm(t);
  limits.sunsetLatest = "22:00:00";
  EXPECT_EQ(applySunSettingsForm(t, limits), std::nullopt);
  EXPECT_EQ(sunText(t), "10.5 51.5 plz 37 corr 0 0 limits |||22:00:00 changed");
}

TEST(SunSettingsForm, BadFieldsStoreNothing) {
  const struct {
    int line;
    void (*change)(SunSettingsForm&);
    const char* message;  // UTF-8 start of the message
  } kRows[] = {
      {__LINE__, [](SunSettingsForm& f) { f.longitude = "zehn"; }, "Die geografische Länge \"zehn\" ist keine Zahl."},
      {__LINE__, [](SunSettingsForm& f) { f.latitude = ""; }, "Die geografische Breite \"\" ist keine Zahl."},
      {__LINE__, [](SunSettingsForm& f) { f.latitude = "95"; }, "Geografische Breite"},
      {__LINE__, [](SunSettingsForm& f) { f.sunriseEarliest = "99:99:99"; },
       "Sonnenaufgang frühestens: \"99:99:99\" ist keine Uhrzeit."},
      {__LINE__, [](SunSettingsForm& f) { f.sunsetLatest = "12:77:00"; }, "Sonnenuntergang spätestens"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Settings s;
    SunSettingsForm form = sunSettingsForm(s);
    form.sunsetCorrection = 30;  // a good change that must not be stored either
    r.change(form);
    const std::optional<std::string> error = applySunSettingsForm(s, form);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(toUtf8(*error).rfind(r.message, 0), 0u) << toUtf8(*error);
    EXPECT_EQ(sunText(s), sunText(Settings{}));
  }
}

}  // namespace
}  // namespace kelvaro
