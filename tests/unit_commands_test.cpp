// The control-unit commands and the program transfer built on them, against the simulated
// unit in virtual time.
#include <gtest/gtest.h>

#include "app/program_transfer.h"
#include "hardware/unit_commands.h"
#include "language/image.h"
#include "serial_fixture.h"
#include "storage/project_file.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro::test {
namespace {

struct UnitFixture : SerialFixture {
  explicit UnitFixture(sim::UnitConfig config = {}) : unit(std::move(config)) {
    devices["COM1"] = &unit;
    page.ComPortCoB = "COM1";
    page.ConvertCoB = "CU-A2-3.20";
  }
  Project demoProject() {
    Project p;
    EXPECT_EQ(readProject(p, KELVARO_SOURCE_DIR "/examples/demo/DEMO.SPG", "", ui), ReadStatus::Complete);
    return p;
  }
  sim::ControlUnit unit;
  UnitPage page;
  UnitCommands commands{protocol, page};
};

// The command byte of every frame the unit received.
std::string commandBytes(const sim::ControlUnit& unit) {
  std::vector<std::uint8_t> commands;
  for (const auto& f : unit.frames) commands.push_back(f.size() > 6 ? f[6] : 0);
  return hexText(commands);
}

TEST(UnitCommands, TransferLoadsTheImageSetsTheClockAndAsksForTheSunTable) {
  const struct {
    int line;
    int replyCode;
    std::uint8_t versionByte;
    std::uint8_t summerMode;  // extra byte 5 of the identification reply
    int loadBase;
    std::uint64_t blockGapMs;  // 172.8 ms before every block, 17.28 ms inside SendFrame, the hand-shake
    bool summerTimeApplied;    // to the sun table: unless the unit keeps the summer time itself (mode 3 and up)
  } kRows[] = {
      {__LINE__, 14, 53, 4, 0x1000, 190, true},  {__LINE__, 11, 53, 0, 0x3000, 192, true},
      {__LINE__, 12, 53, 0, 0x1000, 192, true},  {__LINE__, 15, 53, 2, 0x1000, 190, true},
      {__LINE__, 15, 53, 3, 0x1000, 190, false}, {__LINE__, 14, 123, 4, 0x1000, 190, false},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    UnitFixture f({.replyCode = r.replyCode, .versionByte = r.versionByte, .extra = {0, 0, r.summerMode}, .faults = {}});
    f.clock.set(*encodeDate(2026, 12, 6) + *encodeTime(9, 41, 7));
    f.page.ProjNamLb = "DEMO";
    f.page.StSndTimeCB = true;
    Project project = f.demoProject();
    Project copy = project;
    CompileOptions options;
    options.programName = "DEMO";
    std::vector<std::uint64_t> blockTimes;
    std::vector<bool> sunTableAsked;
    TransferHooks hooks;
    hooks.blockSent = [&](int, int) { blockTimes.push_back(f.clock.monotonicMs()); };
    hooks.sunTable = [&](bool applySummerTime) {
      sunTableAsked.push_back(applySummerTime);
      return std::vector<SunWeek>(kSunTableWeeks, SunWeek{7, 30, 18, 15});
    };
    const auto start = f.clock.monotonicMs();
    ASSERT_TRUE(ProgramTransfer(f.commands, project, options, hooks)) << ::testing::PrintToString(f.ui.messageTexts());
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(sunTableAsked, std::vector<bool>{r.summerTimeApplied});
    options.unitTypeCode = f.protocol.unit.TypeCode;
    options.sunTable = std::vector<SunWeek>(kSunTableWeeks, SunWeek{7, 30, 18, 15});
    const CompileOutput expected = compile(copy, copy.constants, CompileMode::Image, options);
    ASSERT_EQ(expected.result.code, 0);
    EXPECT_EQ(f.unit.loadBase, r.loadBase);
    const std::string image = imageFileBytes(expected, "demo.bin");
    const auto received = f.unit.programImage();
    // The last block is a whole one too.
    ASSERT_GE(received.size(), image.size());
    EXPECT_EQ(received.size() % 100, 0u);
    EXPECT_LT(received.size() - image.size(), 100u);
    EXPECT_EQ(std::string(received.begin(), received.begin() + static_cast<long>(image.size())), image);
    EXPECT_EQ(f.unit.programName, "DEMO    ");
    const int blocks = static_cast<int>(received.size() / 100);
    ASSERT_FALSE(f.ui.progress.empty());
    EXPECT_EQ(f.ui.progress.back(), std::make_pair(blocks, blocks));
    std::string blockCommands;
    for (int i = 0; i < blocks; ++i) blockCommands += " 37";
    EXPECT_EQ(commandBytes(f.unit), " 1F 29 36" + blockCommands + " 38 39 20");
    ASSERT_GE(blockTimes.size(), 2u);
    EXPECT_EQ(blockTimes[1] - blockTimes[0], r.blockGapMs);
    EXPECT_GT(f.clock.monotonicMs() - start, blockTimes.size() * 190u + 1728u);
    // Year 26, December 6th, 9 o'clock, a Sunday (0); the minutes and seconds moved on during the transfer.
    ASSERT_EQ(f.unit.clock.size(), 7u);
    EXPECT_EQ(hexText(std::span(f.unit.clock).first(4)), " 1A 0C 06 09");
    EXPECT_EQ(f.unit.clock[6], 0);
    EXPECT_EQ(f.unit.frames.back()[4], 3);
    EXPECT_FALSE(f.line.portOpen());
    EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{"", fromUtf8("Übertragung läuft"),
                                                          fromUtf8("Programm wird übertragen"),
                                                          fromUtf8("Übertragung abgeschlossen")}));
    EXPECT_EQ(f.ui.waitTexts, (std::vector<std::string>{std::string(kConnectingText)}));
    EXPECT_FALSE(f.ui.waitOpen);
  }
}

TEST(UnitCommands, APulledCableEndsTheTransferWithItsMessage) {
  UnitFixture f;
  Project project = f.demoProject();
  TransferHooks hooks;
  hooks.blockSent = [&](int done, int) {
    if (done == 3) f.unit.config().faults.unplugged = true;
  };
  const auto start = f.clock.monotonicMs();
  EXPECT_FALSE(ProgramTransfer(f.commands, project, {}, hooks));
  EXPECT_EQ(f.ui.messageTexts(), (std::vector<std::string>{"Fehler bei der Programm-Übertragung"}));
  EXPECT_EQ(f.unit.programBlocks, 3);
  EXPECT_FALSE(f.line.portOpen());
  // The write gave up after 4.32 s without progress, not later.
  EXPECT_LT(f.clock.monotonicMs() - start, 20000u);
  EXPECT_NE(std::find(f.ui.statusTexts.begin(), f.ui.statusTexts.end(), fromUtf8("Abbruch der Programmübertragung")),
            f.ui.statusTexts.end());
}

TEST(UnitCommands, TransferToAFileWritesTheImageAndSendsNoProgram) {
  TempDir dir;
  UnitFixture f;
  Project project = f.demoProject();
  Project copy = project;
  const std::string file = dir.file("DEMO.SPA");
  ASSERT_TRUE(ProgramTransfer(f.commands, project, {}, {}, file));
  CompileOptions options;
  options.unitTypeCode = 124;
  const CompileOutput expected = compile(copy, copy.constants, CompileMode::Image, options);
  EXPECT_EQ(readFile(file), imageFileBytes(expected, file));
  EXPECT_EQ(commandBytes(f.unit), " 1F");
  EXPECT_EQ(f.page.InfoPgmGrLb, std::to_string(memoryUsePercent(expected)) + " %");
}

TEST(UnitCommands, AProjectWithoutObjectsOnlyPreparesTheUnit) {
  UnitFixture f;
  Project empty;
  EXPECT_TRUE(ProgramTransfer(f.commands, empty, {}));
  EXPECT_FALSE(f.page.StSndPgmCB);
  EXPECT_EQ(commandBytes(f.unit), " 1F 29");
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(UnitCommands, RemoteAccessSplitting) {
  const struct {
    int line;
    const char* text;
    const char* split;  // number/password
  } kRows[] = {
      {__LINE__, "1234;ABC", "12340/ABC"}, {__LINE__, "4071", "40710/"},       {__LINE__, "P4SSWORT", "/P4SSWO"},
      {__LINE__, "407189", "40718/"},      {__LINE__, ";PASSWORT", "/PASSWO"}, {__LINE__, "", "/"},
      {__LINE__, "1234567;X", "12345/X"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const RemoteAccess a = splitRemoteAccess(r.text);
    EXPECT_EQ(a.number + "/" + a.password, r.split);
  }
}

TEST(UnitCommands, ConfigurationBytesByPosition) {
  UnitPage page;
  page.ClockKorEd = "45";
  page.InitModemEd = "ATZ";
  page.PasswModemEd = "1234;geh";
  page.ConnectModemEd = "CONNECT 9600/ARQ/V42BIS/LAPM";  // 28: three go from the front
  page.rs232Prot = 2;
  const auto c = configurationBytes(page, 1);
  ASSERT_EQ(c.size(), 75u);
  EXPECT_EQ(page.PasswModemEd, "1234;GEH");
  EXPECT_EQ(page.ConnectModemEd, "NECT 9600/ARQ/V42BIS/LAPM");
  EXPECT_EQ(hexText(std::span(c).subspan(1, 6)), " 2D 03 41 54 5A 00");
  EXPECT_EQ(hexText(std::span(c).subspan(34, 6)), " 31 32 33 34 30 19");
  EXPECT_EQ(std::string(c.begin() + 40, c.begin() + 65), "NECT 9600/ARQ/V42BIS/LAPM");
  EXPECT_EQ(hexText(std::span(c).subspan(65, 10)), " 03 47 45 48 00 00 00 00 01 02");
  page.ClockKorEd = "x5";
  page.InitModemEd = std::string(40, 'A');
  page.PasswModemEd = "";
  const auto d = configurationBytes(page, 8);
  EXPECT_EQ(hexText(std::span(d).subspan(1, 2)), " 00 1F");
  EXPECT_EQ(hexText(std::span(d).subspan(33, 2)), " 41 00");
  EXPECT_EQ(d[65], 0);
  EXPECT_EQ(d[73], 8);
}

TEST(UnitCommands, ConfigurationWrittenIsReadBack) {
  for (int code : {14, 11}) {
    SCOPED_TRACE(code);
    UnitFixture f({.replyCode = code, .faults = {}});
    f.page.ClockKorEd = "52";
    f.page.InitModemEd = "AT&F E0";
    f.page.PasswModemEd = "4071;pw";
    f.page.ConnectModemEd = "VCON";
    ASSERT_TRUE(f.commands.ConfigWrite());
    EXPECT_TRUE(f.unit.configurationWritten);
    EXPECT_EQ(commandBytes(f.unit), " 1F 36 37 50");
    EXPECT_EQ(f.unit.frames[1][7], code == 11 ? 0x10 : 0x06);
    EXPECT_EQ(f.ui.statusTexts.back(), "");
    f.page = UnitPage{};
    f.page.ComPortCoB = "COM1";
    f.page.ClockKorEd = "1";
    ASSERT_TRUE(f.commands.ConfigRead());
    EXPECT_EQ(f.page.ClockKorEd + "|" + f.page.InitModemEd + "|" + f.page.PasswModemEd + "|" + f.page.ConnectModemEd,
              "52|AT&F E0|40710;PW|VCON");
    EXPECT_EQ(f.page.MsgLb, "Konfigurationsdaten wurden gelesen");
    EXPECT_FALSE(f.line.portOpen());
  }
}

TEST(UnitCommands, ConfigReadFailures) {
  UnitFixture f({.faults = {.identifyOnly = true}});
  EXPECT_FALSE(f.commands.ConfigRead());
  EXPECT_EQ(f.page.MsgLb, "Fehler bei Empfang 2");
  EXPECT_FALSE(f.line.portOpen());

  // An implausible reply: an initialisation text of 128 characters or more.
  UnitFixture g;
  g.unit.configuration[2] = 200;
  EXPECT_FALSE(g.commands.ConfigRead());
  EXPECT_EQ(g.page.MsgLb, "Fehler bei Empfang");
}

TEST(UnitCommands, EveryActionIsConfirmedAndAnUnconfirmedOneSaysSo) {
  for (const auto& action : kUnitActions) {
    SCOPED_TRACE(action.name);
    UnitFixture f;
    ASSERT_TRUE(f.commands.UnitAction(action.command, action.name));
    EXPECT_EQ(f.unit.actions, std::vector<std::uint8_t>{action.command});
    EXPECT_EQ(toUtf8(f.page.MsgLb), std::string(action.name) + " ausgeführt");
    EXPECT_FALSE(f.line.portOpen());
  }
  UnitFixture f({.faults = {.identifyOnly = true}});
  EXPECT_FALSE(f.commands.UnitAction(0x31, "Neustart"));
  EXPECT_EQ(f.page.MsgLb, fromUtf8("Keine Bestätigung erhalten"));
  EXPECT_FALSE(f.line.portOpen());
}

TEST(UnitCommands, FirmwareInformation) {
  UnitFixture f;
  ASSERT_TRUE(f.commands.FirmwareInfo());
  EXPECT_EQ(f.page.RelInfoLb, "SIMUNIT-350-7-24.12.6-1");
  EXPECT_EQ(hexText(f.unit.frames.back()), " 81 0A C9 B4 02 01 3F 01 01 00 70 00");
}

TEST(UnitCommands, StartWithoutStoredProgram) {
  UnitFixture f;
  ASSERT_TRUE(f.commands.StartWithoutProgram());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(f.ui.messageTexts()[0],
            "Drücken Sie jetzt den RESET-Knopf der Steuereinheit.\rDas in der Steuereinheit gespeicherte Programm "
            "wird nicht geladen.\rWarten Sie bis die Steuereinheit <PC-Verbindung> oder <Offline> anzeigt.\r"
            "Drücken Sie dann auf den OK-Knopf.");
  EXPECT_FALSE(f.line.portOpen());

  UnitFixture g;
  g.page.ComPortCoB = "COM5";
  EXPECT_FALSE(g.commands.StartWithoutProgram());
  EXPECT_EQ(g.ui.messageTexts(), (std::vector<std::string>{"Fehler beim Öffnen der seriellen Schnittstelle COM5"}));
}

TEST(UnitCommands, AutoDetectMessages) {
  const struct {
    int line;
    int replyCode;
    bool silent;
    const char* message;
    const char* memo;  // its lines joined with '|'
  } kRows[] = {
      {__LINE__, 14, false, "Steuereinheit CU-A2-3.20 gefunden an COM1",
       "Steuereinheit : CU-A2-3.20|Prog.-Version : 3,50|PLC-Controller : 0,95"},
      {__LINE__, 15, false, "Steuereinheit CU/F-A2 gefunden an COM1",
       "Steuereinheit : CU/F-A2|Prog.-Version : 3,50|PLC-Controller : 0,95"},
      {__LINE__, 1, false, "Funk-Schnittstelle RFI-RS1 gefunden an COM1",
       "Funk-Schnittstelle : RFI-RS1|Prog.-Version : 3,50"},
      {__LINE__, 33, false,
       "Unbekannte Steuereinheit (500) gefunden an COM1\rBitte benutzen Sie eine neuere Programmversion.",
       "Unbekannte Steuereinheit 500"},
      {__LINE__, 14, true, "Keine Steuereinheit gefunden.\rBitte überprüfen Sie die Kabelverbindungen.", ""},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    UnitFixture f({.replyCode = r.replyCode, .faults = {.silent = r.silent}});
    f.page.ComPortCoB = "";
    bool changed = false;
    f.commands.typeChanged = [&] { changed = true; };
    const bool known = r.replyCode != 33 && !r.silent;
    EXPECT_EQ(f.commands.AutoDetect(), known);
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{r.message});
    std::string memo;
    for (const auto& line : f.page.CfgM) memo += (memo.empty() ? "" : "|") + line;
    EXPECT_EQ(memo, r.memo);
    EXPECT_EQ(changed, !r.silent);
    EXPECT_EQ(f.page.ComPortCoB, known ? "COM1" : "");
    EXPECT_TRUE(f.protocol.receiveTimerRunning);
    EXPECT_FALSE(f.line.portOpen());
  }
}

}  // namespace
}  // namespace kelvaro::test
