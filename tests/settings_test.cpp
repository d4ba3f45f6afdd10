// The settings file: defaults, every key read and written back, the write-back rules, and
// where the file lives.
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

// Every stored setting as "KEY=value" lines, so that a failure reads like a diff.
std::string describe(const Settings& s) {
  std::string t;
  const auto add = [&t](std::string_view key, const std::string& value) {
    t += std::string(key) + "=" + value + "\n";
  };
  add("DIRBMP", s.DIRBMP);
  add("DIRDAT", s.DIRDAT);
  add("PAINTPATH", s.PAINTPATH);
  add("COMPORT", std::to_string(s.COMPORT));
  add("CONTR", std::to_string(s.CONTR));
  add("MODEMINIT", s.MODEMINIT);
  add("MODEMCON", s.MODEMCON);
  add("CLOCKCOR", s.CLOCKCOR);
  add("REMOTEPW", s.REMOTEPW);
  add("SHOWHINT", s.SHOWHINT ? "true" : "false");
  add("LOADFILE", s.LOADFILE);
  add("INITFILE", s.INITFILE);
  add("AUTOEXEC", s.AUTOEXEC);
  add("PLZ", std::to_string(s.PLZ));
  add("GEOLANG", std::to_string(s.GEOLANG));
  add("GEOBREIT", std::to_string(s.GEOBREIT));
  add("SUNRISEK", std::to_string(s.SUNRISEK));
  add("SUNSETK", std::to_string(s.SUNSETK));
  add("SUNRISEZ1", s.SUNRISEZ1);
  add("SUNRISEZ2", s.SUNRISEZ2);
  add("SUNSETZ1", s.SUNSETZ1);
  add("SUNSETZ2", s.SUNSETZ2);
  add("REMOTEPORT", std::to_string(s.REMOTEPORT));
  add("REMOTEINIT", s.REMOTEINIT);
  add("REMOTETELNR", s.REMOTETELNR);
  add("RS232PROT", std::to_string(s.RS232PROT));
  return t;
}

TEST(Settings, MissingFileGivesEveryDefault) {
  const Settings s = readSettings(IniFile(), "/home/u/work");
  EXPECT_EQ(describe(s),
            "DIRBMP=/home/u/work/BMP/\n"
            "DIRDAT=/home/u/work/SPG/\n"
            "PAINTPATH=\n"
            "COMPORT=-1\n"
            "CONTR=-1\n"
            "MODEMINIT=AT&F E0 S0=1 +fclass=8\n"
            "MODEMCON=VCON\n"
            "CLOCKCOR=45\n"
            "REMOTEPW=40718\n"
            "SHOWHINT=true\n"
            "LOADFILE=\n"
            "INITFILE=INIT.SPI\n"
            "AUTOEXEC=\n"
            "PLZ=-1\n"
            "GEOLANG=10.500000\n"
            "GEOBREIT=51.500000\n"
            "SUNRISEK=0\n"
            "SUNSETK=0\n"
            "SUNRISEZ1=\n"
            "SUNRISEZ2=\n"
            "SUNSETZ1=\n"
            "SUNSETZ2=\n"
            "REMOTEPORT=-1\n"
            "REMOTEINIT=\n"
            "REMOTETELNR=\n"
            "RS232PROT=0\n");
  EXPECT_FALSE(s.settingsChanged);
  EXPECT_FALSE(s.autostartPending);
  EXPECT_EQ(s.startMode, ' ');
  EXPECT_EQ(readSettings(IniFile(), "/").DIRBMP, "/BMP/");  // no doubled separator
}

// A file that sets every key to something other than its default.
constexpr std::string_view kEveryKey =
    "[INITALL]\r\n"
    "DIRBMP=/data/Bilder\r\n"
    "DIRDAT=/data/Projekte/\r\n"
    "PAINTPATH=/usr/bin/pinta\r\n"
    "COMPORT=2\r\n"
    "CONTR=1\r\n"
    "MODEMINIT=ATZ\r\n"
    "MODEMCON=CONNECT\r\n"
    "CLOCKCOR=50\r\n"
    "REMOTEPW=12345\r\n"
    "SHOWHINT=0\r\n"
    "LOADFILE=HAUS.SPG\r\n"
    "[INITSPG]\r\n"
    "INITFILE=MEIN.SPI\r\n"
    "[STARTPGM]\r\n"
    "AUTOEXEC=HAUS.SPG-P\r\n"
    "[ASTRO]\r\n"
    "PLZ=3\r\n"
    "GEOLANG=134\r\n"
    "GEOBREIT=-525\r\n"
    "SUNRISEK=-5\r\n"
    "SUNSETK=7\r\n"
    "SUNRISEZ1=06:00:00\r\n"
    "SUNRISEZ2=08:30:00\r\n"
    "SUNSETZ1=17:00:00\r\n"
    "SUNSETZ2=22:15:00\r\n"
    "[REMOTE]\r\n"
    "REMOTEPORT=3\r\n"
    "REMOTEINIT=AT&F\r\n"
    "REMOTETELNR=0301234567\r\n"
    "[INTERFACES]\r\n"
    "RS232PROT=2\r\n";

TEST(Settings, ReadsEveryKey) {
  const Settings s = readSettings(IniFile::fromText(kEveryKey), "/ignored");
  EXPECT_EQ(describe(s),
            "DIRBMP=/data/Bilder/\n"
            "DIRDAT=/data/Projekte/\n"
            "PAINTPATH=/usr/bin/pinta\n"
            "COMPORT=2\n"
            "CONTR=1\n"
            "MODEMINIT=ATZ\n"
            "MODEMCON=CONNECT\n"
            "CLOCKCOR=50\n"
            "REMOTEPW=12345\n"
            "SHOWHINT=false\n"
            "LOADFILE=HAUS.SPG\n"
            "INITFILE=MEIN.SPI\n"
            "AUTOEXEC=HAUS.SPG-P\n"
            "PLZ=3\n"
            "GEOLANG=13.400000\n"
            "GEOBREIT=-52.500000\n"
            "SUNRISEK=-5\n"
            "SUNSETK=7\n"
            "SUNRISEZ1=06:00:00\n"
            "SUNRISEZ2=08:30:00\n"
            "SUNSETZ1=17:00:00\n"
            "SUNSETZ2=22:15:00\n"
            "REMOTEPORT=3\n"
            "REMOTEINIT=AT&F\n"
            "REMOTETELNR=0301234567\n"
            "RS232PROT=2\n");
}

TEST(Settings, EveryKeyRoundTripsThroughTheFile) {
  TempDir dir;
  IniFile ini(dir.file("kelvaro.INI"));
  Settings s = readSettings(IniFile::fromText(kEveryKey), "/ignored");
  s.startFile = s.LOADFILE;  // LOADFILE is stored from the start file
  s.settingsChanged = true;
  FakeUserInterface ui;
  ASSERT_TRUE(saveChangedSettings(s, ini, ui));
  EXPECT_TRUE(ui.messages.empty());

  IniFile again(dir.file("kelvaro.INI"));
  ASSERT_EQ(again.load(), IniFile::LoadResult::Loaded);
  std::string expected = describe(s);
  // RS232PROT is never written, so it comes back as its default.
  expected.replace(expected.find("RS232PROT=2"), 11, "RS232PROT=0");
  EXPECT_EQ(describe(readSettings(again, "/ignored")), expected);
}

TEST(Settings, LongitudeAndLatitudeAreTenthsOfADegreeInTheFile) {
  struct Case {
    int line;
    std::string_view stored;
    double degrees;
    std::string_view written;
  };
  const Case cases[] = {
      {__LINE__, "105", 10.5, "105"},
      {__LINE__, "-87", -8.7, "-87"},
      {__LINE__, "0", 0.0, "0"},
      {__LINE__, "1800", 180.0, "1800"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const IniFile in = IniFile::fromText("[ASTRO]\nGEOLANG=" + std::string(c.stored) + "\n");
    const Settings s = readSettings(in, "/w");
    EXPECT_DOUBLE_EQ(s.GEOLANG, c.degrees);
    IniFile out;
    writeSettings(s, out);
    EXPECT_EQ(out.value("ASTRO", "GEOLANG"), c.written);
  }
  // Degrees entered by the user are rounded to the nearest tenth when written.
  Settings s;
  s.GEOLANG = 10.46;
  s.GEOBREIT = 51.44;
  IniFile out;
  writeSettings(s, out);
  EXPECT_EQ(out.value("ASTRO", "GEOLANG"), "105");
  EXPECT_EQ(out.value("ASTRO", "GEOBREIT"), "514");
  // No entry, however wild, makes the conversion undefined.
  s.GEOLANG = 1e300;
  s.GEOBREIT = std::nan("");
  writeSettings(s, out);
  EXPECT_EQ(out.value("ASTRO", "GEOLANG"), "2147483647");
  EXPECT_EQ(out.value("ASTRO", "GEOBREIT"), "0");
}

TEST(Settings, DirectoriesKeepTheirCaseAndGetOneTrailingSeparator) {
  struct Case {
    int line;
    std::string_view stored;
    bool present;
    std::string expected;
  };
  const Case cases[] = {
      {__LINE__, "/home/u/Bilder", true, "/home/u/Bilder/"},
      {__LINE__, "/home/u/Bilder/", true, "/home/u/Bilder/"},
      {__LINE__, "C:\\Haus\\BMP\\", true, "C:\\Haus\\BMP\\"},  // from a Windows machine
      {__LINE__, "C:\\Haus\\BMP", true, "C:\\Haus\\BMP/"},
      {__LINE__, "relativ/bmp", true, "relativ/bmp/"},
      {__LINE__, "", true, "/w/BMP/"},  // an empty value must not become "/"
      {__LINE__, "", false, "/w/BMP/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string text = c.present ? "[INITALL]\nDIRBMP=" + std::string(c.stored) + "\n" : "";
    EXPECT_EQ(readSettings(IniFile::fromText(text), "/w").DIRBMP, c.expected);
  }
}

TEST(Settings, MalformedNumbersGiveTheirDefaults) {
  const IniFile ini = IniFile::fromText(
      "[INITALL]\nCOMPORT=zwei\nCONTR=\nSHOWHINT=ja\n"
      "[ASTRO]\nGEOLANG=10,5\nPLZ=3x\n"
      "[REMOTE]\nREMOTEPORT=1.0\n"
      "[INTERFACES]\nRS232PROT=300\n");
  const Settings s = readSettings(ini, "/w");
  EXPECT_EQ(s.COMPORT, -1);
  EXPECT_EQ(s.CONTR, -1);
  EXPECT_TRUE(s.SHOWHINT);
  EXPECT_DOUBLE_EQ(s.GEOLANG, 10.5);
  EXPECT_EQ(s.PLZ, -1);
  EXPECT_EQ(s.REMOTEPORT, -1);
  EXPECT_EQ(s.RS232PROT, 0);  // not a byte: not cut to 44
}

TEST(Settings, BooleansReadAsNotZero) {
  struct Case {
    int line;
    std::string_view stored;
    bool expected;
  };
  const Case cases[] = {
      {__LINE__, "0", false}, {__LINE__, "1", true}, {__LINE__, "2", true}, {__LINE__, "-1", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(readSettings(IniFile::fromText("[INITALL]\nSHOWHINT=" + std::string(c.stored)), "/w").SHOWHINT,
              c.expected);
  }
}

TEST(Settings, ShortTextsAreCut) {
  const std::string longText(80, 'x');
  const IniFile ini = IniFile::fromText("[ASTRO]\nSUNRISEZ1=06:00:00:99\n[REMOTE]\nREMOTEINIT=" + longText +
                                        "\nREMOTETELNR=" + longText + "\n");
  const Settings s = readSettings(ini, "/w");
  EXPECT_EQ(s.SUNRISEZ1, "06:00:00");
  EXPECT_EQ(s.REMOTEINIT, std::string(64, 'x'));
  EXPECT_EQ(s.REMOTETELNR, std::string(64, 'x'));
}

TEST(Settings, NothingIsWrittenWhenNoSettingChanged) {
  TempDir dir;
  const std::string path = dir.file("kelvaro.INI");
  const std::string original = "[INITALL]\nCOMPORT=1\n";
  writeFile(path, original);
  IniFile ini(path);
  ASSERT_EQ(ini.load(), IniFile::LoadResult::Loaded);
  Settings s = readSettings(ini, "/w");
  s.COMPORT = 4;  // e.g. the postal region, drawing program or tool-tip option changed
  s.PLZ = 2;
  s.PAINTPATH = "/usr/bin/gimp";
  FakeUserInterface ui;
  EXPECT_TRUE(saveChangedSettings(s, ini, ui));
  EXPECT_EQ(readFile(path), original);
  EXPECT_FALSE(std::filesystem::exists(dir.file("other")));

  s.settingsChanged = true;
  EXPECT_TRUE(saveChangedSettings(s, ini, ui));
  const IniFile again = IniFile::fromText(readFile(path));
  EXPECT_EQ(again.value("INITALL", "COMPORT"), "4");
  EXPECT_EQ(again.value("ASTRO", "PLZ"), "2");
  EXPECT_EQ(again.value("INITALL", "PAINTPATH"), "/usr/bin/gimp");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(Settings, WriteBackErasesSectionsAndDeletesKeysOfEmptyValues) {
  IniFile ini = IniFile::fromText(std::string(kEveryKey) +
                                  "[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n"
                                  "; Hand-made comment\r\n");
  Settings s;  // defaults: everything empty, INIT.SPI, no remote port
  s.DIRBMP = "/b/";
  s.DIRDAT = "/d/";
  s.SUNRISEZ1 = std::string(kEmptyTimeTemplate);
  s.SUNSETZ2 = "  :  :";  // the template with its trailing blanks lost
  writeSettings(s, ini);
  EXPECT_EQ(ini.text(),
            "[INITALL]\r\n"
            "DIRBMP=/b/\r\n"
            "DIRDAT=/d/\r\n"
            "COMPORT=-1\r\n"
            "CONTR=-1\r\n"
            "MODEMINIT=AT&F E0 S0=1 +fclass=8\r\n"
            "MODEMCON=VCON\r\n"
            "CLOCKCOR=45\r\n"
            "REMOTEPW=40718\r\n"
            "SHOWHINT=1\r\n"
            "[ASTRO]\r\n"
            "PLZ=-1\r\n"
            "GEOLANG=105\r\n"
            "GEOBREIT=515\r\n"
            "SUNRISEK=0\r\n"
            "SUNSETK=0\r\n"
            "[REMOTE]\r\n"
            "[INTERFACES]\r\n"
            "RS232PROT=2\r\n"
            "[PORTS]\r\n"
            "COM1=/dev/ttyUSB0\r\n"
            "; Hand-made comment\r\n");
}

TEST(Settings, DefaultDefinitionsFileIsStoredOnlyWhenItIsNotTheDefault) {
  struct Case {
    int line;
    std::string initFile;
    std::optional<std::string> stored;
  };
  const Case cases[] = {
      {__LINE__, "INIT.SPI", std::nullopt},
      {__LINE__, "", std::nullopt},
      {__LINE__, "   ", std::nullopt},
      {__LINE__, "INIT.SPI  ", std::nullopt},
      {__LINE__, "init.spi", "init.spi"},  // another file on a case-sensitive file system
      {__LINE__, "WOHNUNG.SPI ", "WOHNUNG.SPI"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    IniFile ini = IniFile::fromText("[INITSPG]\nINITFILE=OLD.SPI\nOTHER=1\n");
    Settings s;
    s.INITFILE = c.initFile;
    writeSettings(s, ini);
    EXPECT_EQ(ini.value("INITSPG", "INITFILE"), c.stored);
    EXPECT_EQ(ini.hasSection("INITSPG"), c.stored.has_value());
  }
}

TEST(Settings, OptionalKeysAreWrittenOrDeleted) {
  struct Case {
    int line;
    void (*set)(Settings&);
    std::string_view section, key;
    std::optional<std::string> stored;
  };
  const Case cases[] = {
      {__LINE__, [](Settings& s) { s.PAINTPATH = "/usr/bin/pinta"; }, "INITALL", "PAINTPATH", "/usr/bin/pinta"},
      {__LINE__, [](Settings& s) { s.PAINTPATH = " "; }, "INITALL", "PAINTPATH", std::nullopt},
      {__LINE__, [](Settings& s) { s.startFile = "/p/HAUS.SPG"; }, "INITALL", "LOADFILE", "/p/HAUS.SPG"},
      {__LINE__, [](Settings& s) { s.LOADFILE = "ALT.SPG"; }, "INITALL", "LOADFILE", std::nullopt},
      {__LINE__, [](Settings& s) { s.AUTOEXEC = "HAUS.SPG-P"; }, "STARTPGM", "AUTOEXEC", "HAUS.SPG-P"},
      {__LINE__, [](Settings& s) { s.AUTOEXEC = "  "; }, "STARTPGM", "AUTOEXEC", std::nullopt},
      {__LINE__, [](Settings& s) { s.SUNRISEZ2 = "07:00:00"; }, "ASTRO", "SUNRISEZ2", "07:00:00"},
      {__LINE__, [](Settings& s) { s.SUNSETZ1 = "  :  :  "; }, "ASTRO", "SUNSETZ1", std::nullopt},
      {__LINE__, [](Settings& s) { s.SUNSETZ1 = ""; }, "ASTRO", "SUNSETZ1", std::nullopt},
      {__LINE__, [](Settings& s) { s.REMOTEPORT = 0; }, "REMOTE", "REMOTEPORT", "0"},
      {__LINE__, [](Settings& s) { s.REMOTEPORT = -1; }, "REMOTE", "REMOTEPORT", std::nullopt},
      {__LINE__, [](Settings& s) { s.REMOTEINIT = "ATZ"; }, "REMOTE", "REMOTEINIT", "ATZ"},
      {__LINE__, [](Settings& s) { s.REMOTETELNR = ""; }, "REMOTE", "REMOTETELNR", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    IniFile ini = IniFile::fromText(kEveryKey);
    Settings s;
    c.set(s);
    writeSettings(s, ini);
    EXPECT_EQ(ini.value(c.section, c.key), c.stored);
  }
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
      {__LINE__, {{"HOME", "/home/u/"}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg/"}}, "/cfg/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "rel/cfg"}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"KELVARO_INI", "/etc/haus.ini"}},
       "/etc/haus.ini"},
      {__LINE__, {{"HOME", "/home/u"}, {"KELVARO_INI", ""}}, "/home/u/.config/kelvaro/kelvaro.INI"},
      {__LINE__, {{"KELVARO_INI", "/etc/haus.ini"}}, "/etc/haus.ini"},
      {__LINE__, {{"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/kelvaro/kelvaro.INI"},
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
