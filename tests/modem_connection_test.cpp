// The modem connection window's logic and the main window's frames over the link, against a
// scripted modem in virtual time: every byte the PC writes, every wait, every text shown.
#include <gtest/gtest.h>

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "serial_fixture.h"
#include "storage/settings.h"
#include "text/cp1252.h"

namespace kelvaro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A frame of the unit to the PC (kind 201, address 1) as it comes down the line.
Bytes unitFrame(const Bytes& data) {
  Bytes f = {0x81, static_cast<std::uint8_t>(data.size() + 4), 0xC9, 0, 0x01, 0x02};
  f.insert(f.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (std::size_t i = 4; i < f.size(); ++i) sum += f[i];
  f[3] = static_cast<std::uint8_t>(sum);
  return f;
}

// A frame of the PC to the unit as SendFrame writes it.
Bytes pcFrame(const Bytes& data) { return buildFrame(1, unitHeader(), static_cast<int>(data.size()) + 4, data); }

const Bytes kInitBlock = modemBlock("ATZ\r");
const Bytes kDial = bytes("ATDT0301234\r");
const Bytes kInitDial = kInitBlock + kDial;

// The window with no port open, waiting for a call after a link, and with a dialled link up
// (the frames are then the main window's: the answer timer rests, the link timer runs).
constexpr const char* kIdle = "wait | hidden | &Verbindung herstellen";
constexpr const char* kWaiting = "port timer1 dtr rts wait | aqua Warten auf Anruf | &Verbindung herstellen";
constexpr const char* kOnline = "connected link port timer2 dtr rts send | green Verbindung | &Verbindung trennen";

// The modem window, the main window's link frames and a scripted modem on COM2. The pump is
// the event loop: it moves time on by a millisecond and runs what the user does meanwhile.
struct ModemFixture {
  ModemFixture() {
    line.resolve = [](std::string_view name) { return PortTarget{false, std::string(name)}; };
    modem.ComPortCB = "COM2";
    modem.TelNrEdt = "0301234";
    modem.ModemInitEdt = "ATZ";
  }
  // The modem's answer at a time after now.
  void answer(std::uint64_t afterMs, std::string_view text) { dev.at(clock.monotonicMs() + afterMs, bytes(text)); }
  // The 100 ms timers of both windows, for ms of virtual time.
  void run(std::uint64_t ms) {
    const std::uint64_t end = clock.monotonicMs() + ms;
    while (clock.monotonicMs() < end) {
      clock.advanceMs(kModemTimerMs);
      modem.timer1Tick();
      modem.timer2Tick();
      protocol.receiveTick();
      frames.handleSlot();
    }
  }
  // Dials with the modem answering OK and then CONNECT.
  void connect() {
    answer(50, "\r\nOK\r\n");
    answer(2000, "CONNECT 9600\r\n");
    modem.ConnectBtnClick();
    ASSERT_TRUE(modem.connected());
    dev.written.clear();
    dev.writeTimes.clear();
  }
  std::string panel() const {
    if (!modem.ConPnlVisible) return "hidden";
    static constexpr const char* kColours[] = {"yellow", "green", "aqua"};
    return std::string(kColours[static_cast<int>(modem.ConPnlColor)]) + " " + toUtf8(modem.ConPnl);
  }
  // The link, the port's lines, the timers and the window in one line: the flags that are set,
  // then the panel and the connect button's caption.
  std::string state() const {
    return std::string(modem.connected() ? "connected " : "") + (line.ModemLinkUp ? "link " : "") +
           (modem.portOpen() ? "port " : "") + (modem.timer1Running() ? "timer1 " : "") +
           (modem.timer2Running() ? "timer2 " : "") + (dev.dtr ? "dtr " : "") + (dev.rts ? "rts " : "") +
           (modem.SendBtnEnabled ? "send " : "") + (modem.WaitForConnectBtnVisible ? "wait " : "") + "| " + panel() +
           " | " + modem.ConnectBtn;
  }

  ManualClock clock{45000.5};
  FakeUserInterface ui;
  ScriptedDevice dev;
  SimulatedDevice* device = &dev;
  std::function<void()> duringWaits;
  SerialLine line{clock,
                  [this](const PortTarget& t) -> std::unique_ptr<SerialPort> {
                    if (t.device != "COM2") return nullptr;
                    return std::make_unique<InProcessSerialPort>(*device, clock);
                  },
                  [this] {
                    clock.advanceMs(1);
                    if (duringWaits) duringWaits();
                  },
                  &ui};
  Protocol protocol{line, ui};
  ModemConnection modem{protocol, ui};
  ModemFrames frames{protocol, ui};
};

TEST(ModemConnection, DialWritesTheBlocksAndWaitsForTheModemsAnswers) {
  const struct {
    int line;
    std::string init;
    std::vector<std::pair<std::uint64_t, std::string>> answers;  // ms after the click, text
    Bytes written;
    bool connected;
    int errorCode;
    std::uint64_t doneMs;  // at least this long after the click
  } kRows[] = {
      // "CON" and "NECT" come in two ticks: the answers are one text.
      {__LINE__, "ATZ", {{50, "\r\nOK\r\n"}, {1500, "CON"}, {2500, "NECT 9600\r\n"}}, kInitDial, true, 0, 2500},
      // Lower case counts; a NO CARRIER of an earlier try does not end the new link.
      {__LINE__, "ATZ", {{50, "ok\r\n"}, {1000, "no carrier\r\n"}, {1500, "connect\r\n"}}, kInitDial, true, 0, 1500},
      // Without an initialisation text the modem is dialled at once.
      {__LINE__, "", {{900, "\r\nCONNECT\r\n"}}, kDial, true, 0, 900},
      // No "OK\r" within 6.912 s: the modem is not asked to dial.
      {__LINE__, "ATZ", {{50, "OK"}}, kInitBlock, false, 3, 6912},
      // No CONNECT within 69.12 s after the dial.
      {__LINE__, "ATZ", {{50, "OK\r\n"}, {5000, "NO CARRIER\r\n"}}, kInitDial, false, 0, 69120},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ModemFixture f;
    f.modem.ModemInitEdt = r.init;
    for (const auto& [ms, text] : r.answers) f.answer(ms, text);
    const auto start = f.clock.monotonicMs();
    f.modem.ConnectBtnClick();
    EXPECT_GE(f.clock.monotonicMs() - start, r.doneMs);
    EXPECT_LT(f.clock.monotonicMs() - start, r.doneMs + 1000);
    EXPECT_EQ(hexText(f.dev.written), hexText(r.written));
    EXPECT_EQ(f.state(), r.connected ? kOnline : kIdle);
    EXPECT_EQ(f.modem.errorCode(), r.errorCode);
    EXPECT_EQ(f.ui.messageTexts(),
              r.connected ? std::vector<std::string>{}
                          : std::vector<std::string>{"Fehler beim Verbindungsaufbau - Modem antwortet nicht"});
  }
}

TEST(ModemConnection, CommandsRefuseWithoutNumberOrPort) {
  ModemFixture f;
  f.modem.TelNrEdt = "";
  f.modem.ConnectBtnClick();
  f.modem.TelNrEdt = "0301234";
  f.modem.ComPortCB = "COM4";
  f.modem.ConnectBtnClick();
  f.modem.WaitForConnectBtnClick();
  EXPECT_FALSE(f.modem.HangUpModem());
  const std::string noPort = "Fehler beim Öffnen der Schnittstelle COM4";
  EXPECT_EQ(f.ui.messageTexts(), (std::vector<std::string>{"Keine Telefonnummer angegeben", noPort, noPort, noPort}));
  EXPECT_EQ(f.ui.beeps, 3);
  EXPECT_EQ(f.state(), kIdle);
}

TEST(ModemConnection, FreeCommandAndHangUpWriteTheirBlocksWithTheirPauses) {
  ModemFixture f;
  f.connect();
  f.modem.RemoteAnwEdt = "ATI3";
  f.modem.SendBtnClick();
  const auto start = f.clock.monotonicMs();
  f.modem.ConnectBtnClick();
  // "H" to the unit, then after two 864 ms pauses the escape and the hang-up block.
  EXPECT_EQ(hexText(f.dev.written),
            hexText(modemBlock("ATI3") + pcFrame({'H', 0}) + modemBlock("+++") + modemBlock("ATH\r")));
  ASSERT_EQ(f.dev.writeTimes.size(), 4u);
  EXPECT_GE(f.dev.writeTimes[2] - f.dev.writeTimes[1], 1728u);
  // DTR dropped, pulsed and dropped, 518.4 ms apart.
  EXPECT_GE(f.clock.monotonicMs() - start, 1728u + 3 * 518u);
  EXPECT_EQ(f.state(), kIdle);
}

TEST(ModemConnection, AnswerModeWaitsAgainAfterEveryLinkEnd) {
  ModemFixture f;
  f.answer(50, "OK\r\n");
  f.modem.WaitForConnectBtnClick();
  EXPECT_EQ(hexText(f.dev.written), hexText(kInitBlock));
  // RTS comes up with the first link and stays up while waiting for the next call.
  EXPECT_EQ(f.state(), "port timer1 dtr wait | aqua Warten auf Anruf | &Verbindung herstellen");
  EXPECT_EQ(f.modem.WaitForConnectBtn, "&Warten beenden");

  // A call that drops at once: NO CARRIER behind the CONNECT goes back to waiting.
  f.answer(100, "RING\r\nCONNECT 2400\r\nNO CARRIER\r\n");
  f.run(1000);
  EXPECT_EQ(f.state(), kWaiting);

  // The next call holds, until the unit ends it with "H": hung up, and waiting again.
  f.answer(100, "RING\r\nCONNECT 2400\r\n");
  f.run(1000);
  EXPECT_EQ(f.state(), "connected link port timer2 dtr rts send wait | green Verbindung | &Verbindung trennen");
  f.dev.written.clear();
  f.dev.at(f.clock.monotonicMs() + 100, unitFrame({'H', 0}));
  f.run(500);
  EXPECT_EQ(hexText(f.dev.written), hexText(modemBlock("+++") + modemBlock("ATH\r")));
  EXPECT_EQ(f.state(), kWaiting);

  f.modem.WaitForConnectBtnClick();
  EXPECT_EQ(f.state(), kIdle);
  EXPECT_EQ(f.modem.WaitForConnectBtn, "&Warte auf Anruf");
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(ModemConnection, TheUnitEndingADialledLinkLeavesThePanelSayingSo) {
  ModemFixture f;
  f.connect();
  f.dev.at(f.clock.monotonicMs() + 100, unitFrame({'H', 0}));
  f.run(400);
  // No "H" back to a unit that has gone: only the modem is hung up.
  EXPECT_EQ(hexText(f.dev.written), hexText(modemBlock("+++") + modemBlock("ATH\r")));
  EXPECT_EQ(f.state(), "wait | yellow Verbindung wurde von der Steuereinheit beendet | &Verbindung herstellen");
}

// Once the link is up only the carrier line tells that the far side has gone. A port whose
// lines read 0 throughout (a modem that never raises DCD) keeps its link.
TEST(ModemConnection, ACarrierThatDropsEndsTheLink) {
  const struct {
    int line;
    bool answerMode;
    int linesWhileUp;
    std::string state;
  } kRows[] = {
      {__LINE__, false, kStatusCts | kStatusDcd, "wait | yellow Keine Verbindung | &Verbindung herstellen"},
      {__LINE__, true, kStatusCts | kStatusDcd, kWaiting},
      {__LINE__, false, 0, kOnline},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ModemFixture f;
    if (r.answerMode) {
      f.answer(50, "OK\r\n");
      f.modem.WaitForConnectBtnClick();
      f.answer(100, "RING\r\nCONNECT 2400\r\n");
      f.run(1000);
    } else {
      f.connect();
    }
    f.dev.lines = r.linesWhileUp;
    f.run(500);
    ASSERT_TRUE(f.modem.connected());
    f.dev.written.clear();
    f.dev.lines = kStatusCts;
    f.run(200);
    EXPECT_EQ(f.state(), r.state);
    // The modem has hung up by itself: nothing is written to it, the unit is not told.
    EXPECT_EQ(hexText(f.dev.written), "");
    if (r.state != kOnline) {
      ASSERT_FALSE(f.modem.InputBox.empty());
      EXPECT_EQ(toUtf8(f.modem.InputBox.back()), "Keine Verbindung - Trägersignal verloren");
    }
  }
}

// A modem an earlier session left off-hook: the escape and the hang-up, the DTR pulse, and
// what the modem answered; the port is free again afterwards.
TEST(ModemConnection, HangingUpOnItsOwn) {
  ModemFixture f;
  f.answer(2500, "\r\nOK\r\n");
  const std::uint64_t start = f.clock.monotonicMs();
  ASSERT_TRUE(f.modem.HangUpModem());
  EXPECT_EQ(hexText(f.dev.written), hexText(modemBlock("+++") + modemBlock("ATH\r")));
  // A second of silence before the escape.
  ASSERT_EQ(f.dev.writeTimes.size(), 2u);
  EXPECT_GE(f.dev.writeTimes[0] - start, 1728u);
  EXPECT_EQ(f.modem.InputBox, (std::vector<std::string>{"OK"}));
  EXPECT_EQ(f.state(), kIdle);
}

TEST(ModemConnection, ClosingAsksWhileConnectedAndSavesTheTexts) {
  ModemFixture f;
  Settings settings;
  settings.REMOTETELNR = "0301234";
  settings.REMOTEINIT = "ATZ";
  settings.REMOTEPORT = 1;
  f.modem.TelNrEdt.clear();
  f.modem.FormShow(settings);
  EXPECT_EQ(f.modem.TelNrEdt, "0301234");
  EXPECT_EQ(f.modem.ModemInitEdt, "ATZ");
  EXPECT_EQ(f.modem.ComPortCB, "COM2");
  f.connect();

  f.ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(f.modem.FormClose(settings));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, "Es besteht eine aktive Verbindung, soll trotzedem beendet werden?");
  EXPECT_EQ(f.ui.messages[0].buttons, MessageButtons::YesNo);
  // No keeps the link as it was.
  EXPECT_EQ(f.state(), kOnline);
  EXPECT_TRUE(f.dev.written.empty());
  EXPECT_FALSE(settings.settingsChanged);

  f.modem.TelNrEdt = std::string(70, '7');
  EXPECT_TRUE(f.modem.FormClose(settings));
  EXPECT_EQ(hexText(f.dev.written), hexText(pcFrame({'H', 0}) + modemBlock("+++") + modemBlock("ATH\r")));
  EXPECT_EQ(f.state(), kIdle);
  EXPECT_EQ(f.modem.errorCode(), kModemClosed);
  EXPECT_EQ(settings.REMOTETELNR, std::string(64, '7'));
  EXPECT_TRUE(settings.settingsChanged);
  // Closing again with the same texts leaves the settings file alone.
  settings.settingsChanged = false;
  EXPECT_TRUE(f.modem.FormClose(settings));
  EXPECT_FALSE(settings.settingsChanged);
}

TEST(ModemConnection, ClosingOrCancellingDuringADialEndsItQuietly) {
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close);
    ModemFixture f;
    Settings settings;
    f.answer(50, "OK\r\n");
    // At 3 s, while the dial waits for CONNECT, the user closes the window or clicks the
    // button that now says "&Verbindung trennen".
    bool done = false;
    f.duringWaits = [&] {
      if (done || f.clock.monotonicMs() < 3000) return;
      done = true;
      if (close) EXPECT_TRUE(f.modem.FormClose(settings));
      else f.modem.ConnectBtnClick();
    };
    f.modem.ConnectBtnClick();
    EXPECT_TRUE(done);
    EXPECT_LT(f.clock.monotonicMs(), 3200u);
    EXPECT_EQ(f.state(), kIdle);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.modem.errorCode(), close ? kModemClosed : kModemNoError);
  }
}

TEST(ModemConnection, ModemTalkOfAnyLengthOrContentStaysBounded) {
  ModemFixture f;
  f.modem.ModemInitEdt = "";
  f.modem.WaitForConnectBtnClick();
  // 10000 bytes of every value, a line end in every fifth, then a lower-case connect at the
  // very end: three ticks' worth, and far more lines than the list keeps.
  Bytes noise;
  for (int i = 0; i < 10000; ++i) noise.push_back(static_cast<std::uint8_t>(i % 5 == 0 ? '\n' : i * 7 + (i >> 8)));
  for (auto& b : noise)
    if (b == 'C' || b == 'c') b = 'x';
  f.dev.at(f.clock.monotonicMs() + 10, noise + bytes("connect"));
  std::size_t longest = 0;
  for (int tick = 0; tick < 10 && !f.modem.connected(); ++tick) {
    f.run(kModemTimerMs);
    longest = std::max(longest, f.modem.answerText().size());
  }
  EXPECT_TRUE(f.modem.connected());
  EXPECT_LE(longest, kModemAnswerKeep);
  EXPECT_LE(f.modem.InputBox.size(), kModemAnswerLines);
  EXPECT_TRUE(f.modem.InputBox.back().ends_with("CONNECT"));
  // More than 4096 bytes waited in the first two ticks: a beep each; then the connect's beep.
  EXPECT_EQ(f.ui.beeps, 3);
}

TEST(ModemConnection, TestLinkOverTheCable) {
  ModemFixture f;
  f.modem.ComPortLbDblClick();
  EXPECT_EQ(f.modem.InputBox, std::vector<std::string>{"Test-Verbindung"});
  EXPECT_EQ(f.state(), "connected link port timer2 dtr rts | green Verbindung | &Verbindung trennen");
  EXPECT_TRUE(f.dev.written.empty());
  // A second double click tells the unit and lets the port go; no modem commands on a cable.
  f.modem.ComPortLbDblClick();
  EXPECT_EQ(hexText(f.dev.written), hexText(pcFrame({'H', 0})));
  EXPECT_EQ(f.state(), kIdle);
}

TEST(ModemFrames, PasswordRequestWrongPasswordAndCancel) {
  ModemFixture f;
  f.modem.ComPortLbDblClick();
  f.ui.inputs = {std::string("geheimnis"), std::string("ab"), std::nullopt};
  // The unit asks again with a "J" straight after its "L": the question of the "L" answers it.
  for (const std::uint8_t reply : {'J', 'L', 'J', 'L'}) {
    f.dev.at(f.clock.monotonicMs() + 100, unitFrame({reply, 0}));
    f.run(300);
  }
  // Upper case, six characters, padded with blanks; the cancelled third answer sends nothing.
  EXPECT_EQ(hexText(f.dev.written), hexText(pcFrame(bytes(std::string_view("KGEHEIM\0", 8))) +
                                            pcFrame(bytes(std::string_view("KAB    \0", 8)))));
  EXPECT_EQ(f.ui.inputPrompts.size(), 3u);
  EXPECT_EQ(f.ui.messageTexts(),
            (std::vector<std::string>{"Falsches Kennwort eingegeben", "Falsches Kennwort eingegeben"}));
  EXPECT_EQ(f.protocol.slot.L, 0);
}

TEST(ModemFrames, RemoteVisualisationAsksForTheProjectAndOpensIt) {
  ModemFixture f;
  EXPECT_FALSE(f.frames.requestRemoteVisualisation());  // no link
  f.modem.ComPortLbDblClick();
  std::vector<std::string> opened;
  f.frames.remoteProject = [&](const std::string& name) { opened.push_back(name); };
  EXPECT_TRUE(f.frames.requestRemoteVisualisation());
  EXPECT_EQ(hexText(f.dev.written), " 81 0A C9 9A 02 01 3F 00 07 3F 12 00");
  // The unit's answer to the request: the project's name in eight characters.
  auto reply = [](std::string_view name) { return bytes("?\x01\x07?\x01") + bytes(name); };
  const struct {
    int line;
    Bytes data;
    std::vector<std::string> opened;
    int messages;
  } kRows[] = {
      {__LINE__, reply("DEMO    "), {"DEMO"}, 0},
      {__LINE__, reply(std::string_view("HAUS\0xyz", 8)), {"HAUS"}, 0},
      // A name that would lead out of the project directory opens nothing.
      {__LINE__, reply("../ETC  "), {}, 1},
      // Too short to hold a name: no such reply, the frame stays for whoever waits for it.
      {__LINE__, reply("AB"), {}, 0},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    opened.clear();
    f.ui.messages.clear();
    f.protocol.clearSlot();
    f.dev.at(f.clock.monotonicMs() + 100, unitFrame(r.data));
    f.run(300);
    EXPECT_EQ(opened, r.opened);
    EXPECT_EQ(f.ui.messages.size(), static_cast<std::size_t>(r.messages));
  }
}

}  // namespace
}  // namespace kelvaro::test
