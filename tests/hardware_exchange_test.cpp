// A run with the hardware over a scripted line: frames in, object values and flags, frames out.
#include "runtime/hardware_exchange.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "language/compiler.h"
#include "runtime/run_session.h"
#include "runtime/run_window_support.h"
#include "serial_fixture.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"
#include "text/hex_text.h"

namespace kelvaro {
namespace {

using test::ScriptedLink;

ReceivedFrame frame(int kind, std::array<std::uint8_t, 3> sender, const std::vector<std::uint8_t>& data) {
  return test::frameToPc(kind, sender, data);
}

struct HardwareRun {
  Project project = test::lampProject(
      {test::deviceObject("Flur", "Lampe", true), test::deviceObject("Taster", "Lampe", false, {"Flur EINSCHALTEN"}),
       test::deviceObject("Fuehler", "Zahl", false), test::deviceObject("Keller", "Zahl", false)});
  CompileOutput out;
  ManualClock clock{46000.5};
  test::FakeUserInterface ui;
  ScriptedLink link;
  test::TempDir dir;
  std::unique_ptr<RunSession> session;
  std::vector<std::string> started;  // what went out at the start

  explicit HardwareRun(bool visualisation = false, const std::vector<std::string>& kellerProgram = {}) {
    for (const auto& line : kellerProgram) project.objects[3].program.push_back("-" + line);
    project.views = {{"Haus", {}}};
    project.stations = {test::deviceStation("Flur", "FS20 Schaltaktor", kKindRadio, 7),
                        test::deviceStation("Taster", "FS20 Taster/Sensor", kKindRadio, 12),
                        test::deviceStation("Fuehler", "HMS100 T", kKindRadio, 33),
                        test::deviceStation("Keller", "MFB1", kKindStation, 5)};
    project.objects[3].ObjIDNr = 1;  // Keller: the unit's number 0x0001 in visualisation frames
    out = compile(project, project.constants, CompileMode::Run);
    link.clock = &clock;
    link.record.TypeCode = 15;
    link.record.FeatureLevel = kFeatureLevelBcd;
    RunSessionOptions options;
    options.visualisation = visualisation;
    options.hardwareControl = options.writeProtocol = true;
    options.protocolPath = dir.file("P.TXT");
    options.link = &link;
    session = std::make_unique<RunSession>(project, out, clock, ui, std::move(options));
    session->initialise();
    session->start();
    started = std::exchange(link.sent, {});
  }
  int index(const char* name) const { return findObject(project, name); }
  std::string cycle(std::vector<std::optional<ReceivedFrame>> frames) {
    link.incoming.assign(frames.begin(), frames.end());
    session->engine().cycle();
    std::string s;
    for (const char* name : {"Flur", "Taster", "Fuehler", "Keller"}) s += session->shownText(index(name)) + " ";
    return s + (session->statusShown() ? session->statusText() : "");
  }
};

TEST(HardwareExchange, FramesFromTheLineBecomeValuesOrAreDropped) {
  struct Row { int line; std::vector<std::optional<ReceivedFrame>> frames; const char* expected; };
  const Row rows[] = {
      {__LINE__, {frame(kKindStation, {5}, {0xC0, 0x34, 0x12, 0, 0, 0})}, "aus aus 0 4660 "},
      {__LINE__, {frame(kKindRadio, {33, 33, 33}, {0xA0, 0x80, 0x35, 0x02})}, "aus aus -235 0 "},
      {__LINE__, {frame(kKindRadio, {34, 34, 34}, {0xA0, 0x80, 0x35, 0x02})}, "aus aus 0 0 "},  // no object
      {__LINE__, {frame(kKindRadio, {33, 33, 33}, {0xA0, 0x80, 0x35})}, "aus aus 0 0 "},        // short
      {__LINE__, {frame(kKindStation, {5}, {})}, "aus aus 0 0 "},                              // no data
      {__LINE__, {frame(kKindStation, {6}, {0xC0, 9})}, "aus aus 0 0 "},                       // address of no object
      {__LINE__, {frame(kKindValue, {0}, {0xFF, 0, 0x39, 0x30})}, "aus aus 0 12345 "},
      {__LINE__, {frame(kKindValue, {0}, {0xFF, 0, 0x05, 0x80})}, "aus aus 0 -5 "},
      // A visualisation text longer than the frame: dropped whole.
      {__LINE__, {frame(kKindValue, {5}, {0xFF, 200, 'a'})}, "aus aus 0 0 "},
      {__LINE__, {frame(kKindStation, {5}, {0xFE, 5, 0}), frame(kKindStation, {5}, {0xFE, 5, 0})},
       "aus aus 0 0 Signalstation Keller reagiert nicht"},
      {__LINE__, {frame(kKindStation, {5}, {0xFE, 5, 0})}, "aus aus 0 0 "},
      {__LINE__, std::vector<std::optional<ReceivedFrame>>(100), "aus aus 0 0 "},
      {__LINE__, std::vector<std::optional<ReceivedFrame>>(101), "aus aus 0 0 Keine Verbindung zur Steuereinheit"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    HardwareRun run;
    EXPECT_EQ(run.cycle(row.frames), row.expected);
    EXPECT_TRUE(run.link.sent.empty());
    const bool marked = std::string(row.expected).find("Keller") != std::string::npos;
    EXPECT_EQ(messageListLines(*run.session, MessageList::Powerline, run.clock.now()),
              marked ? std::vector<std::string>{"Kommunikationsfehler aufgetreten bei Keller"} : std::vector<std::string>{});
    EXPECT_EQ(run.session->engine().objectErrorCount, marked ? 1 : 0);
    if (marked) {  // a new Start counts afresh: the same failure is counted once again
      run.session->start();
      run.cycle(row.frames);
      EXPECT_EQ(run.session->engine().objectErrorCount, 1);
    }
  }
}

TEST(HardwareExchange, APushButtonSwitchesTheLampWhoseFrameGoesOut) {
  HardwareRun run;
  // The button's program runs in the cycle that read the message, and its output goes out at its end.
  EXPECT_EQ(run.cycle({frame(kKindRadio, {12, 12, 12}, {0xA0, 19})}), "an an 0 0 ");
  EXPECT_EQ(run.link.sent, std::vector<std::string>{"81 09 04 2A 02 01 01 07 07 07 11"});
  std::stringstream text;
  text << std::ifstream(run.dir.file("P.TXT")).rdbuf();
  EXPECT_NE(text.str().find(": Eingabe f\xFCr Taster <- 1\r\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find(": Ausgabe von Flur -> 1\r\n"), std::string::npos) << text.str();

  HardwareRun failing;
  failing.link.sendWorks = false;
  EXPECT_EQ(failing.cycle({frame(kKindRadio, {12, 12, 12}, {0xA0, 19})}), "an an 0 0 Timeout controller");
  EXPECT_EQ(failing.ui.beeps, 1);
}

// The PC's own change stays pending until the station reports a different value.
TEST(HardwareExchange, AnEqualInputStateLeavesThePendingOutput) {
  HardwareRun run;
  const int keller = run.index("Keller");
  run.session->engine().setVariable(run.out.objects[static_cast<std::size_t>(keller)].stateSymbol, 9, 9);
  EXPECT_EQ(run.cycle({frame(kKindStation, {5}, {0xC0, 9})}), "aus aus 0 9 ");
  EXPECT_TRUE(run.session->display(keller).outputPending);
  EXPECT_EQ(run.cycle({frame(kKindStation, {5}, {0xC0, 8})}), "aus aus 0 8 ");
  EXPECT_FALSE(run.session->display(keller).outputPending);
}

TEST(HardwareExchange, ABatteryReportPutsItsCaptionAndListEntry) {
  HardwareRun run;
  run.cycle({frame(kKindRadio, {33, 33, 33}, {0x60, 0x80, 0x35, 0x02})});
  EXPECT_EQ(run.session->caption(), "Haus [Ausf\xFChrung aktiv] Batterie-Warnung von Fuehler");
  EXPECT_EQ(messageListLines(*run.session, MessageList::Batteries, run.clock.now()),
            std::vector<std::string>{" Batterie-Warnung von Fuehler"});
  // Silent for 58 minutes: one timeout, until the sensor is heard again.
  run.clock.advanceMs(58 * 60 * 1000);
  run.session->supervisionTimer();
  EXPECT_EQ(messageListLines(*run.session, MessageList::Timeouts, run.clock.now()).size(), 1u);
  run.cycle({frame(kKindRadio, {33, 33, 33}, {0xA0, 0x80, 0x35, 0x02})});
  EXPECT_TRUE(messageListLines(*run.session, MessageList::Timeouts, run.clock.now()).empty());
}

TEST(HardwareExchange, CommandsAtStartAndEndAndWhatTheUnitAsksFor) {
  HardwareRun pc;
  pc.link.record.TypeCode = 11;
  std::string telephone;
  pc.session->exchange()->onTelephoneCommand = [&](const std::string& command) { telephone = command; };
  pc.cycle({frame(kKindUnit, {2}, {0xA1}), frame(kKindUnit, {2}, {0xFE, 'T', '1', '*', '#'})});
  EXPECT_EQ(telephone, "1*#");
  EXPECT_TRUE(pc.session->engine().modemReady);
  pc.session.reset();
  EXPECT_EQ(pc.started, (std::vector<std::string>{"81 05 C9 84 02 01 81", "81 06 C9 C3 02 01 C0 00"}));
  EXPECT_EQ(pc.link.sent, (std::vector<std::string>{"81 0C C9 60 03 01 20 19 0C 09 0C 00 00 02", "81 05 C9 85 02 01 82"}));
  HardwareRun vis(true);
  vis.session->engine().setVariable(vis.out.objects[0].stateSymbol, 1, 1);  // Flur, unit number 0xA000
  vis.cycle({});
  vis.session.reset();
  EXPECT_EQ(vis.started, std::vector<std::string>{"81 05 C9 67 02 01 64"});
  EXPECT_EQ(vis.link.sent, (std::vector<std::string>{"81 06 A0 01 00 01 FF 01", "81 06 C9 6A 02 01 65 02"}));
}

// Keller's program runs on its value message: the poll goes to Fuehler's receive address.
TEST(HardwareExchange, AbfrageAsksTheStationAndFehlerbehandlungNamesTheHandler) {
  HardwareRun run(false, {"ABFRAGE(Fuehler)", "FEHLERBEHANDLUNG(Flur)"});
  EXPECT_EQ(run.session->engine().errorHandlerObject, -1);
  run.cycle({frame(kKindStation, {5}, {0x05, 3})});
  EXPECT_EQ(run.link.sent, std::vector<std::string>{"81 0A 04 27 02 01 01 21 21 21 C0 00"});
  EXPECT_EQ(run.session->engine().errorHandlerObject, run.index("Flur"));
}

// Over the real protocol: the slot's frame first, then the line; a broken frame is a failure.
TEST(HardwareExchange, TheProtocolLinkTakesTheSlotThenTheLine) {
  test::ScriptedLine f;
  ProtocolStationLink link(f.protocol);
  f.dev.at(0, {0x81, 6, 0xC9, 0x0D, 1, 2, 0x0A, 0});
  f.protocol.receiveTick();
  // The broken frame's start byte is queued alone, the rest a millisecond behind it: a poll that
  // finds a single byte already reads the frame instead of leaving it for the next poll.
  f.dev.at(f.clock.monotonicMs(), {0x81});
  f.dev.at(f.clock.monotonicMs() + 1, {6, 0xC9, 0x0E, 1, 2, 0x0A, 0});
  ReceivedFrame frame;
  std::string got;
  for (LinkReceive r; (r = link.receive(frame)) != LinkReceive::Nothing;)
    got += r == LinkReceive::Frame ? "frame " + std::to_string(frame.data[0]) + " " : "failed ";
  EXPECT_EQ(got, "frame 10 failed ");
  const std::uint8_t poll[] = {0xC0, 0};
  EXPECT_TRUE(link.send(1, test::unitHeader(), poll));
  EXPECT_EQ(hexBytes(f.dev.written), "81 06 C9 C3 02 01 C0 00");
  f.line.CloseLine();
  EXPECT_FALSE(link.send(1, test::unitHeader(), poll));
}

}  // namespace
}  // namespace kelvaro
