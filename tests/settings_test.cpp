// The settings file: every key read and written back, the write-back rules, and where the
// file lives.
#include <cmath>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "storage/settings.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::readFile;
using test::TempDir;
using test::writeFile;

// A settings file under tests/data. every_key.INI sets every key to something other than its
// default, in the order in which the writer puts them into an empty file.
std::string storedSettings(std::string_view name) {
  return readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/" + std::string(name));
}

// A key the reader drops or the writer forgets changes the text.
TEST(Settings, EveryKeyIsReadAndWrittenBack) {
  const std::string stored = storedSettings("every_key.INI");
  ASSERT_FALSE(stored.empty());
  Settings s = readSettings(IniFile::fromText(stored), "/ignored");
  EXPECT_DOUBLE_EQ(s.GEOLANG, 13.4);  // tenths of a degree in the file
  EXPECT_DOUBLE_EQ(s.GEOBREIT, -52.5);
  EXPECT_EQ(s.RS232PROT, 2);
  s.startFile = s.LOADFILE;  // LOADFILE is stored from the start file
  IniFile written;
  writeSettings(s, written);
  // RS232PROT is read, never written.
  EXPECT_EQ(written.text() + "\r\n[INTERFACES]\r\nRS232PROT=2\r\n", stored);
}

// Each row is read from a file of its own, then written over the file that sets every key,
// so that a key the settings leave empty shows as deleted.
TEST(Settings, ValuesAreCheckedWhenReadAndWrittenBack) {
  for (const test::CaseRow& row : test::dataCases("settings_cases.txt", "settings")) {
    SCOPED_TRACE("settings_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    IniFile ini = IniFile::fromText(storedSettings("every_key.INI"));
    writeSettings(readSettings(IniFile::fromText(row.fields[0]), "/w"), ini);
    EXPECT_EQ(ini.value(row.fields[1], row.fields[2]).value_or("(none)"), row.fields[3]);
  }
  // The protocol is a byte: a number outside it counts as absent rather than being cut.
  const std::pair<const char*, int> protocols[] = {{"255", 255}, {"256", 0}, {"-1", 0}};
  for (const auto& [stored, read] : protocols) {
    SCOPED_TRACE(stored);
    EXPECT_EQ(readSettings(IniFile::fromText(std::string("[INTERFACES]\nRS232PROT=") + stored), "/w").RS232PROT, read);
  }
}

// A missing file gives the defaults. Written over a file that sets every key they replace its
// values and delete the keys and sections they leave empty; what is not ours stays.
TEST(Settings, DefaultsWrittenOverAFullFile) {
  Settings s = readSettings(IniFile(), "/home/u/work");
  EXPECT_FALSE(s.settingsChanged);
  EXPECT_EQ(readSettings(IniFile(), "/").DIRBMP, "/BMP/");  // no doubled separator
  // As entered by hand: blanks alone, or the time template without its digits, are empty.
  s.INITFILE = "INIT.SPI  ";
  s.PAINTPATH = " ";
  s.AUTOEXEC = "  ";
  s.SUNSETZ2 = "  :  :";
  IniFile ini =
      IniFile::fromText(storedSettings("every_key.INI") + "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n; Hand-made comment\r\n");
  writeSettings(s, ini);
  EXPECT_EQ(ini.text(), storedSettings("defaults_over_every_key.INI"));
}

// Degrees entered by the user are written as whole tenths; no entry, however wild, makes the
// conversion undefined.
TEST(Settings, DegreesAreWrittenAsWholeTenths) {
  struct Case {
    int line;
    double degrees;
    std::string written;
  };
  const Case cases[] = {
      {__LINE__, 10.46, "105"},        {__LINE__, -8.7, "-87"},           {__LINE__, 51.44, "514"},
      {__LINE__, 1e300, "2147483647"}, {__LINE__, -1e300, "-2147483648"}, {__LINE__, std::nan(""), "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Settings s;
    s.GEOBREIT = c.degrees;
    IniFile out;
    writeSettings(s, out);
    EXPECT_EQ(out.value("ASTRO", "GEOBREIT"), c.written);
  }
}

// The recent projects are read tolerantly and written in a section of their own: a change of
// the list alone rewrites that section and leaves every other line as it was.
TEST(Settings, RecentProjectsKeepASectionOfTheirOwn) {
  TempDir dir;
  const std::string path = dir.file("kelvaro.INI");
  writeFile(path, "[INITALL]\r\nCOMPORT=1\r\n[ZULETZTGEOEFFNET]\r\nPROJEKT1=/p/A.SPG\r\nPROJEKT2= \r\n"
                  "PROJEKT3=/p/A.SPG\r\nPROJEKT4=/p/B.SPG\r\n[PORTS]\r\nCOM1=SIM\r\n");
  IniFile ini(path);
  ASSERT_EQ(ini.load(), IniFile::LoadResult::Loaded);
  Settings s = readSettings(ini, "/w");
  EXPECT_EQ(s.recentProjects, (std::vector<std::string>{"/p/A.SPG", "/p/B.SPG"}));
  s.COMPORT = 4;  // not a change that is written back
  s.recentProjects = {"/p/C.SPG", "/p/A.SPG"};
  s.recentProjectsChanged = true;
  FakeUserInterface ui;
  EXPECT_TRUE(saveChangedSettings(s, ini, ui));
  EXPECT_EQ(readFile(path), "[INITALL]\r\nCOMPORT=1\r\n[ZULETZTGEOEFFNET]\r\nPROJEKT1=/p/C.SPG\r\n"
                            "PROJEKT2=/p/A.SPG\r\n[PORTS]\r\nCOM1=SIM\r\n");
  writeRecentProjects({}, ini);
  EXPECT_FALSE(ini.hasSection(kRecentSection));
}

TEST(Settings, FailedSaveIsReportedWithThePath) {
  TempDir dir;
  writeFile(dir.file("plain"), "x");
  const std::string path = dir.file("plain/kelvaro.INI");
  IniFile ini(path);
  Settings s;
  s.settingsChanged = true;
  FakeUserInterface ui;
  EXPECT_FALSE(saveChangedSettings(s, ini, ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui.messageTexts()[0], "Datei " + path + " konnte nicht gespeichert werden");
}
TEST(SettingsLocation, FollowsTheEnvironment) {
  using Env = std::map<std::string, std::string, std::less<>>;
  struct Case {
    int line;
    Env env;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {__LINE__, {{"HOME", "/home/u"}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "rel/cfg"}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"KELVARO_INI", "/etc/haus.ini"}}, "/etc/haus.ini"},
      {__LINE__, {{"HOME", "/home/u"}, {"KELVARO_INI", ""}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {}, std::nullopt},
      {__LINE__, {{"HOME", ""}}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto lookup = [&c](std::string_view name) -> std::optional<std::string> {
      const auto it = c.env.find(name);
      if (it == c.env.end()) return std::nullopt;
      return it->second;
    };
    EXPECT_EQ(settingsFilePath(lookup), c.expected);
  }
}

TEST(SettingsLocation, ProcessEnvironmentIsUsed) {
  const char* old = std::getenv("KELVARO_INI");
  const std::string saved = old ? old : "";
  ::setenv("KELVARO_INI", "/tmp/kelvaro-test.INI", 1);
  EXPECT_EQ(settingsFilePath(), "/tmp/kelvaro-test.INI");
  ::unsetenv("KELVARO_INI");
  const auto fallback = settingsFilePath();
  ASSERT_TRUE(fallback.has_value());
  EXPECT_TRUE(fallback->ends_with("/kelvaro/kelvaro.INI")) << *fallback;
  if (old) ::setenv("KELVARO_INI", saved.c_str(), 1);
}

}  // namespace
}  // namespace kelvaro
