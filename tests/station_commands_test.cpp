// The station and radio-interface commands on the line, against the simulated unit with a
// scenario's stations behind it, in virtual time.
#include <gtest/gtest.h>

#include "app/radio_interface_commands.h"
#include "app/station_commands.h"
#include "serial_fixture.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro::test {
namespace {

struct StationFixture : SerialFixture {
  explicit StationFixture(const std::string& scenario, int replyCode = 15) : unit(config(replyCode)) {
    devices["COM1"] = &unit;
    sim::ScenarioLoad load = sim::loadScenario(scenario);
    EXPECT_TRUE(load.ok()) << load.error;
    unit.setScenario(std::move(load.scenario), clock.monotonicMs());
  }
  static sim::UnitConfig config(int replyCode) {
    sim::UnitConfig c;
    c.replyCode = replyCode;
    return c;
  }
  TPSContr& add(TPSContr station) { return project.stations.emplace_back(std::move(station)); }
  // The configuration block the simulated station at scenario index i holds, positions 1 to 20.
  std::string block(std::size_t i) const {
    return hexText(std::span<const std::uint8_t>(unit.stations().state(i).configuration).subspan(1, 20));
  }
  // The command bytes of the frames the PC sent to wired stations.
  std::string stationCommands() const {
    std::vector<std::uint8_t> c;
    for (const auto& f : unit.frames)
      if (f.size() > 6 && f[2] == kKindStation) c.push_back(f[6]);
    return hexText(c);
  }
  std::uint64_t ms() const { return clock.monotonicMs(); }
  sim::ControlUnit unit;
  Project project;
  StationCommands commands{protocol, project, "COM1"};
};

TEST(StationCommands, WriteSendsTheSettingsKeepsWhatNoSettingNamesAndReadsThemBack) {
  // MXB2: flags 3 for the offline marks of slots 5 and 6, slot 1 and slot 5 fields; the group
  // ports of slots 2 and 6 go out as 0. JAL1: the station's own bytes 5 to 8 (set here by a
  // raw write first) survive, though no setting names them. A push-button sensor has no
  // settings: nothing is written, and the read-back shows its type.
  const struct {
    int line;
    const char* model;
    const char* scenarioType;
    std::vector<std::uint8_t> before;  // a raw settings write before the test, or none
    const char* expected;              // the station's positions 1 to 20 afterwards
    const char* commands;              // the read before the write (for the bytes it keeps), the write, the read-back
  } kRows[] = {
      {__LINE__, "MXB2", "MXB2", {}, " 02 78 00 03 05 02 01 09 00 00 00 00 06 03 00 01 02 00 00 00", " 88 87 88"},
      {__LINE__,
       "JAL1",
       "JAL1",
       {0x87, 6, 9, 9, 9, 9, 0x11, 0x22, 0x33, 0x44},
       " 08 78 05 02 09 00 11 22 33 44 00 00 00 00 00 00 00 00 00 00",
       " 87 88 87 88"},
      {__LINE__, "Tastsensor", "101", {}, " 65 78 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", " 88"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    StationFixture f(std::string("wired 10 ") + r.scenarioType + "\n");
    TPSContr& s = f.add(deviceStation("EG", r.model, 1, 10));
    s.slots[0].adr[0] = 5;
    s.slots[0].CCon = 2;
    s.slots[0].CFkt = 1;
    s.slots[0].CEIntW1 = 9;
    s.slots[4] = DeviceSlot{1, 'X', 3, 0, 0, 0, 0, {6, 0, 0, 0}, 1, 2, "A"};
    s.slots[5].COfflB = 'X';
    const TPSContr written = s;
    ASSERT_TRUE(f.commands.Open());
    if (!r.before.empty())
      f.protocol.SendFrame(f.line.LineHandle, 0, stationHeader(s), static_cast<int>(r.before.size()) + 4, r.before);
    ASSERT_TRUE(f.commands.Write(s)) << f.commands.MsgLab;
    EXPECT_EQ(f.block(0), r.expected);
    EXPECT_EQ(f.stationCommands(), r.commands);
    EXPECT_EQ(f.commands.ACDETyp, r.model);
    EXPECT_EQ(f.commands.ACDEVers, 120);
    for (std::size_t k : {0u, 4u})
      EXPECT_EQ(std::tie(s.slots[k].adr[0], s.slots[k].CCon, s.slots[k].CEIntW1),
                std::tie(written.slots[k].adr[0], written.slots[k].CCon, written.slots[k].CEIntW1));
    f.commands.Close();
    EXPECT_FALSE(f.unit.configurationMode);
    EXPECT_EQ(f.unit.configurationModeFrames, 2);
  }
}

TEST(StationCommands, AStationThatDoesNotAnswerEndsEachCommandInItsTimeAndChangesNothing) {
  const struct {
    int line;
    std::function<bool(StationFixture&, TPSContr&)> command;
    const char* text;  // status line or message
    std::uint64_t atLeastMs, atMostMs;
  } kRows[] = {
      // Three requests, each collecting for 1.728 s.
      {__LINE__, [](StationFixture& f, TPSContr& s) { return f.commands.Read(s); }, "Signalstation antwortet nicht",
       3 * 1728, 3 * 1850},
      {__LINE__, [](StationFixture& f, TPSContr& s) { return f.commands.Write(s); }, "Signalstation antwortet nicht",
       3 * 1728, 3 * 1850},
      {__LINE__, [](StationFixture& f, TPSContr& s) { return f.commands.AssignAddress(s, 20, 2e-5); },
       "Signalstation antwortet nicht", 1728, 1800},
      // The unit's two reports settle it long before the probe's 864 ms.
      {__LINE__, [](StationFixture& f, TPSContr& s) { return f.commands.ChangeAddress(s, 20); },
       "Adresse 11 nicht gefunden", 0, 300},
      {__LINE__, [](StationFixture& f, TPSContr&) { return f.commands.TestNewAddress(11) == ProbeResult::Present; },
       "Adresse 11 ist frei", 0, 300},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    StationFixture f("wired 10 MXB2\n");
    TPSContr& s = f.add(deviceStation("Weg", "MXB2", 1, 11));
    s.slots[0].CEIntW1 = 7;
    const TPSContr before = s;
    ASSERT_TRUE(f.commands.Open());
    const std::uint64_t start = f.ms();
    EXPECT_FALSE(r.command(f, s));
    EXPECT_GE(f.ms() - start, r.atLeastMs);
    EXPECT_LE(f.ms() - start, r.atMostMs);
    const std::vector<std::string> messages = f.ui.messageTexts();
    EXPECT_TRUE(f.commands.MsgLab == r.text || (!messages.empty() && messages.back() == r.text))
        << f.commands.MsgLab << " / " << ::testing::PrintToString(messages);
    EXPECT_EQ(s.CPAdr, before.CPAdr);
    EXPECT_EQ(s.slots[0].CEIntW1, 7);
    EXPECT_FALSE(f.project.modified);
    EXPECT_EQ(f.stationCommands().find("87"), std::string::npos);  // nothing written
  }
}

TEST(StationCommands, AddressesAreAssignedOnTheButtonChangedAndProbed) {
  // Station 77 presses its button at 2 s; the project knows 10 and the new station.
  StationFixture f("wired 10 MXB2\nwired 77 MXB2\nwired 90 MXB2\nat 00:00:02 77 button\n");
  f.add(deviceStation("EG", "MXB2", 1, 10));
  TPSContr& neu = f.add(deviceStation("Neu", "MXB2", 1, 0));
  ASSERT_TRUE(f.commands.Open());
  // A refused entry goes back to 0, the next free address, which skips the project's 10 only.
  ASSERT_TRUE(f.commands.AssignAddress(neu, 2, 1e-4));
  EXPECT_EQ(neu.CPAdr[0], 4);
  EXPECT_EQ(f.unit.stations().scenario().devices[1].address[0], 4);
  EXPECT_TRUE(f.project.modified);
  EXPECT_EQ(f.ui.messageTexts(),
            (std::vector<std::string>{"Fehlerhafte Adresse auf 0 gesetzt", "Adresse 4 vergeben an Neu"}));
  f.ui.messages.clear();
  EXPECT_FALSE(f.commands.ChangeAddress(neu, 10));  // taken
  ASSERT_TRUE(f.commands.ChangeAddress(neu, 20));
  EXPECT_EQ(f.unit.stations().scenario().devices[1].address[0], 20);
  EXPECT_EQ(f.commands.TestNewAddress(20), ProbeResult::Present);
  EXPECT_EQ(f.commands.TestNewAddress(90), ProbeResult::Present);
  EXPECT_EQ(f.commands.TestNewAddress(4), ProbeResult::Absent);
  EXPECT_EQ(f.ui.messageTexts(),
            (std::vector<std::string>{
                "Adresse 10 schon vorhanden", "Adresse 20 vergeben an Neu", "Adresse 20 schon vorhanden",
                "Adresse 90 schon vorhanden\raber keiner Signalstation zugewiesen.", "Adresse 4 ist frei"}));
}

TEST(StationCommands, LineSearchListsTheAnsweringStationsAndEndsAfterItsSilence) {
  StationFixture f("wired 10 MXB2\nwired 12 40611x\nwired 30 MXSA\nradio 1.2.3 401\nfrom 00:00 30 silent\n");
  ASSERT_TRUE(f.commands.Open());
  const std::uint64_t start = f.ms();
  const std::vector<std::string> lines = f.commands.LineSearch();
  EXPECT_EQ(lineSearchMemo(lines), (std::vector<std::string>{"Autodetect:", "Ltg.   Adr.   Art", "   1       10   MXB2",
                                                             "   1       12   40611x"}));
  // The second reply comes 50 ms after the first; the search ends 4.32 s after it.
  EXPECT_GE(f.ms() - start, 4320u);
  EXPECT_LE(f.ms() - start, 4320u + 200u);
}

TEST(StationCommands, SensorTestGivesTheFourValuesAndTheErrorCounterItsCount) {
  StationFixture f(
      "wired 21 40611x\nat 00:00:01 21 value 5 channel 1\nat 00:00:01 21 value -3 channel 2\n"
      "at 00:00:01 21 value 300 channel 4\nat 00:00:01 21 errors 7\n");
  TPSContr& s = f.add(deviceStation("Sensor", "40611x", 1, 21));
  ASSERT_TRUE(f.commands.Open());
  f.line.WaitDays(kDays1_728s);  // the scenario's values are in
  auto listen = [&](const TPSContr& station, auto done) {
    std::vector<TestReply> replies;
    for (int tick = 0; tick < 300 && (replies.empty() || !done(replies.back())); ++tick) {
      if (auto r = f.commands.TestTick(station)) replies.push_back(*r);
      f.line.WaitDays(kDays10ms);
    }
    return replies;
  };
  ASSERT_TRUE(f.commands.Test(s, TestCommand::SensorTest));
  EXPECT_EQ(f.commands.MsgLab, fromUtf8("Test läuft ..."));
  std::string values;
  for (const TestReply& r : listen(s, [](const TestReply& r) { return r.finished; }))
    values += " " + testValueFieldName(r.valueField) + "=" + std::to_string(r.value);
  // The value bytes as the station sends them: bit 15 the sign.
  EXPECT_EQ(values, " Wert1=5 Wert2=32771 Wert3=0 Wert4=300");
  EXPECT_EQ(f.commands.MsgLab, "Test beendet");

  ASSERT_TRUE(f.commands.Test(s, TestCommand::ErrorCounterOn, 16));
  ASSERT_TRUE(f.commands.Test(s, TestCommand::ErrorCounterQuery));
  const auto counted = listen(s, [](const TestReply& r) { return r.errorCount.has_value(); });
  ASSERT_FALSE(counted.empty());
  EXPECT_EQ(counted.back().errorCount, 7);
  EXPECT_NE(f.unit.stations().configurationText().find("errors on threshold 16 count 7"), std::string::npos);

  // A station that is not there: the unit's report.
  const TPSContr gone = deviceStation("Weg", "40611x", 1, 40);
  ASSERT_TRUE(f.commands.Test(gone, TestCommand::Reset));
  listen(gone, [](const TestReply& r) { return !r.status.empty(); });
  EXPECT_EQ(f.commands.MsgLab, "Signalstation Weg antwortet nicht");
}

TEST(StationCommands, RadioAddressIsTakenFromTheNextRadioFrameAfterAskingAboutAnotherType) {
  const struct {
    int line;
    const char* model;
    MessageAnswer answer;
    bool taken;
    const char* modelAfter;
    const char* waitText;
  } kRows[] = {
      {__LINE__, "FS20 Taster/Sensor", MessageAnswer::Yes, true, "FS20 Taster/Sensor",
       "Senden Sie jetzt mit dem Sensor eine Meldung"},
      {__LINE__, "HMS100 TF", MessageAnswer::No, false, "HMS100 TF", "Legen Sie jetzt die neuen Batterien ein"},
      {__LINE__, "HMS100 TF", MessageAnswer::Yes, true, "FS20 Taster/Sensor",
       "Legen Sie jetzt die neuen Batterien ein"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    StationFixture f("radio 11.22.33 401\nat 00:00:03 11.22.33 value 19\n");
    TPSContr& s = f.add(deviceStation("Taster", r.model, 4, 0));
    f.ui.answers.push_back(r.answer);
    ASSERT_TRUE(f.commands.Open());
    EXPECT_EQ(f.commands.ReceiveRadioAddress(s, 1e-4), r.taken);
    EXPECT_EQ(s.CKind, r.modelAfter);
    EXPECT_EQ(s.CPAdr, (r.taken ? std::array<std::uint8_t, 4>{11, 22, 33, 0} : std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(f.ui.waitTexts.back(), r.waitText);
  }
}

// The device family a radio frame announces, by its second status value; a frame too short to
// carry its sender's address names none, nor does any other kind of frame.
TEST(StationCommands, RadioFrameNamesItsDeviceFamily) {
  const struct {
    int line;
    int kind, L;
    std::uint8_t status2;
    int type;
  } kRows[] = {
      {__LINE__, kKindRadio, 10, 0x01, 401}, {__LINE__, kKindRadio, 10, 0x21, 401},
      {__LINE__, kKindRadio, 9, 0x05, 551},  {__LINE__, kKindRadio, 12, 0x09, 301},
      {__LINE__, kKindRadio, 8, 0x01, 0},    {__LINE__, kKindRadio, 10, 0x00, 0},
      {__LINE__, kKindStation, 10, 0x01, 0},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ReceivedFrame f;
    f.receiver.Kind = r.kind;
    f.L = r.L;
    f.status2 = r.status2;
    EXPECT_EQ(radioTypeOfFrame(f), r.type);
  }
}

TEST(RadioInterfaceCommands, CentralCodeIsWrittenWithItsCheckByteAndReadBack) {
  const struct {
    int line;
    int replyCode;
    int code;
    std::uint8_t check;
    int modeFrames;  // "A" and "B": a control unit only
  } kRows[] = {
      {__LINE__, 15, 100, 0x31, 2},
      {__LINE__, 1, 1, 0x54, 0},
      {__LINE__, 2, 42, 42 ^ 0x55, 0},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    StationFixture f("", r.replyCode);
    {
      RadioInterfaceCommands radio(f.protocol, "COM1");
      ASSERT_TRUE(radio.Open());
      EXPECT_EQ(radio.ZentrCodeEdt, 1);
      EXPECT_EQ(radio.SerNrLb, "305419896");
      const std::uint64_t start = f.ms();
      ASSERT_TRUE(radio.WriteCentralCode(r.code)) << radio.MsgLab;
      EXPECT_GE(f.ms() - start, 500u);
      EXPECT_EQ(radio.ZentrCodeEdt, r.code);
      EXPECT_EQ(radio.MsgLab, " Zentralen-Code aus Schnittstelle erfolgreich gelesen");
      EXPECT_TRUE(radio.HiddenCommand());
    }
    EXPECT_EQ(f.unit.centralCode, r.code);
    EXPECT_EQ(f.unit.hiddenCommands, 1);
    EXPECT_EQ(f.unit.configurationModeFrames, r.modeFrames);
    const auto write = std::find_if(f.unit.frames.begin(), f.unit.frames.end(),
                                    [](const auto& fr) { return fr.size() > 7 && fr[6] == 0x83 && fr[8] == 1; });
    ASSERT_NE(write, f.unit.frames.end());
    EXPECT_EQ((*write)[7], r.check);
    EXPECT_FALSE(f.line.portOpen());
  }
}

TEST(RadioInterfaceCommands, WithoutARadioPartTheReadFailsInItsTimeAndKeepsTheFields) {
  StationFixture f("", 14);
  RadioInterfaceCommands radio(f.protocol, "COM1");
  radio.ZentrCodeEdt = 33;
  ASSERT_TRUE(radio.Open());
  const std::uint64_t start = f.ms();
  EXPECT_FALSE(radio.ReadCentralCode());
  EXPECT_LE(f.ms() - start, 400u);
  EXPECT_EQ(radio.MsgLab, "Fehler beim Lesen des Zentralen-Codes");
  EXPECT_EQ(radio.ZentrCodeEdt, 33);
  EXPECT_EQ(radio.SerNrLb, "");
}

}  // namespace
}  // namespace kelvaro::test
