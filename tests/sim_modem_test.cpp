// The simulated Hayes modem in front of the simulated unit, and the telephone at the unit's own
// modem, seen through the PC's own line and frame code in virtual time.
#include <gtest/gtest.h>

#include "modem.h"
#include "runtime/station_messages.h"
#include "serial_fixture.h"
#include "text/hex_text.h"

namespace kelvaro::test {
namespace {

// COM1 leads to the modem, or straight to the unit.
struct ModemLine : SerialFixture {
  explicit ModemLine(sim::ModemConfig config = {}, const std::string& scenario = "", bool direct = false)
      : modem(unit, std::move(config)) {
    devices["COM1"] = direct ? static_cast<SimulatedDevice*>(&unit) : &modem;
    EXPECT_GE(line.OpenLine("COM1"), 0);
    const auto load = sim::loadScenario(scenario);
    EXPECT_EQ(load.error, "");
    if (direct) unit.setScenario(load.scenario, clock.monotonicMs());
    else modem.setScenario(load.scenario, clock.monotonicMs());
  }
  void write(std::string_view bytes) {
    EXPECT_EQ(line.WritePort(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
  }
  // The bytes that have arrived after ms more.
  std::string after(std::uint64_t ms) {
    clock.advanceMs(ms);
    std::string text;
    std::uint8_t b = 0;
    while (line.InputCount() > 0 && line.ReadPort(&b, 1, 0) == 1) text += static_cast<char>(b);
    return text;
  }
  void send(std::vector<std::uint8_t> data) {
    EXPECT_EQ(protocol.SendFrame(line.LineHandle, 1, unitHeader(), static_cast<int>(data.size()) + 4, data),
              static_cast<int>(data.size()) + 6);
  }
  // The data of the frames that have arrived after ms more; a modem text as its characters.
  std::string frames(std::uint64_t ms) {
    clock.advanceMs(ms);
    std::string text;
    ReceivedFrame frame;
    while (protocol.ReceiveFrame(line.LineHandle, frame) > 0) {
      const auto data = frameData(frame);
      if (!data.empty() && data[0] == 0xFE) text += "text " + std::string(data.begin() + 1, data.end()) + "; ";
      else text += hexBytes(data) + "; ";
    }
    return text;
  }
  sim::ControlUnit unit;
  sim::Modem modem;
};

// A text in a 256-byte block, as the PC's modem window writes it.
std::string block(std::string_view text) { return std::string(text) + std::string(256 - text.size(), '\0'); }

TEST(SimModem, CommandsAndDialling) {
  sim::ModemConfig config;
  config.numbers = {
      {"0816", sim::DialOutcome::Busy}, {"0817", sim::DialOutcome::NoCarrier}, {"0818", sim::DialOutcome::NoAnswer}};
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i);  // "A" is never followed by "T"
  struct Row {
    int line;
    std::string written;
    std::uint64_t waitMs;
    std::string expected;
    sim::Modem::State state;
  } kRows[] = {
      {__LINE__, "AT\r", 100, "OK\r\n", sim::Modem::State::Command},
      {__LINE__, block("at&f e0 s0=1 +fclass=8\r"), 100, "OK\r\n", sim::Modem::State::Command},
      {__LINE__, "noise ATZ\r", 100, "OK\r\n", sim::Modem::State::Command},
      {__LINE__, "ATDT 08 15\r", 2900, "", sim::Modem::State::Dialling},
      {__LINE__, "ATDT0815\r", 3100, "CONNECT 9600\r\n", sim::Modem::State::Online},
      {__LINE__, "ATDT0816\r", 3100, "BUSY\r\n", sim::Modem::State::Command},
      {__LINE__, "ATDT0817\r", 3100, "NO CARRIER\r\n", sim::Modem::State::Command},
      {__LINE__, "ATDT0818\r", 60000, "", sim::Modem::State::Dialling},
      {__LINE__, "ATDT0818\rATH\r", 100, "NO CARRIER\r\nOK\r\n", sim::Modem::State::Command},
      {__LINE__, "ATDT\r", 100, "ERROR\r\n", sim::Modem::State::Command},
      {__LINE__, "ATO\r", 100, "NO CARRIER\r\n", sim::Modem::State::Command},
      // 4096 bytes in one tick: a line too long for the modem is refused whole, binary bytes
      // without "AT" are no command, and the modem takes the next command as ever.
      {__LINE__, "AT" + std::string(4094, '9') + "\rAT\r", 100, "ERROR\r\nOK\r\n", sim::Modem::State::Command},
      {__LINE__, binary + "AT\r", 100, "OK\r\n", sim::Modem::State::Command},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ModemLine f(config);
    f.write(r.written);
    EXPECT_EQ(f.after(r.waitMs), r.expected);
    EXPECT_EQ(f.modem.state(), r.state);
  }
}

// Over the link: the unit locked until its password, the remote visualisation's time on the
// line, the two ways to end a link. A wrong password's answer is the modem command's to see.
TEST(SimModem, FramesPassOverTheLinkAfterThePassword) {
  ModemLine f;
  f.unit.configuration[65] = 4;
  for (int i = 0; i < 4; ++i) f.unit.configuration[66 + i] = static_cast<std::uint8_t>("ABCD"[i]);
  f.unit.programName = "GARTEN";
  f.write("ATDT0815\r");
  EXPECT_EQ(f.after(3050), "CONNECT 9600\r\n");
  f.line.ModemLinkUp = true;
  EXPECT_EQ(f.frames(900), "");      // the unit's modem settles first
  EXPECT_EQ(f.frames(300), "4A; ");  // "J"
  f.send({0x1F, 1, 1, 0});           // locked: no identification
  EXPECT_EQ(f.frames(300), "");
  f.send({'K', 'A', 'B', 'C', 'D', ' ', ' ', 0});
  EXPECT_EQ(f.frames(300), "");
  // Each way takes 50 ms: the answer needs two of them and the unit's 20 ms.
  f.send({'?', 0, 7, '?', 18, 0});
  EXPECT_EQ(f.frames(110), "");
  EXPECT_EQ(f.frames(100), "3F 00 07 3F 12 47 41 52 54 45 4E 20 20; ");
  // "+++" straight after a frame is data; after a second's silence it is the escape.
  f.write("+++");
  EXPECT_EQ(f.after(1100), "");
  EXPECT_EQ(f.modem.state(), sim::Modem::State::Online);
  f.write(block("+++"));
  f.write(block("ATH\r"));
  EXPECT_EQ(f.after(100), "OK\r\nOK\r\n");
  EXPECT_FALSE(f.unit.linkIsUp());
  EXPECT_NE(f.unit.dumpText().find("link up 0 links 1 password awaited 0 wrong 0 remote visualisation 1\n"),
            std::string::npos);

  // Again, and this time "H" from the PC: the unit hangs up a second later.
  f.line.ModemLinkUp = false;
  f.write("ATDT0815\r");
  EXPECT_EQ(f.after(3050), "CONNECT 9600\r\n");
  f.line.ModemLinkUp = true;
  EXPECT_EQ(f.frames(1200), "4A; ");
  f.send({'H', 0});
  EXPECT_EQ(f.after(1000), "");
  EXPECT_EQ(f.after(200), "NO CARRIER\r\n");
  EXPECT_EQ(f.unit.links, 2);
  EXPECT_EQ(f.modem.state(), sim::Modem::State::Command);
}

// The unit's modem calls: RING until ATA or the S0 count, then the far side ends the link.
TEST(SimModem, ACallRingsAndIsAnswered) {
  const std::string endByFrame = "\x81\x05\xC9\x4B\x01\x02H";
  struct Row {
    int line;
    std::string setup;   // at once
    std::string answer;  // after the first RING
    std::string end;     // the far side's end at 00:00:30
    std::string expected;
  } kRows[] = {
      {__LINE__, "AT\r", "ATA\r", "unit hangup", "OK\r\nRING\r\nCONNECT 9600\r\n" + endByFrame + "NO CARRIER\r\n"},
      {__LINE__, "ATS0=2\r", "", "modem hangup", "OK\r\nRING\r\nRING\r\nCONNECT 9600\r\nNO CARRIER\r\n"},
      {__LINE__, "AT\r", "", "modem hangup", "OK\r\nRING\r\nRING\r\nRING\r\nRING\r\n"},  // nobody answers
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ModemLine f({}, "at 00:00:10 modem call\nat 00:00:30 " + r.end);
    f.write(r.setup);
    std::string said = f.after(10500);
    EXPECT_EQ(f.line.ModemStatus(), 1 | 2 | 4);  // CTS, DSR and RING
    f.write(r.answer);
    said += f.after(10000);
    EXPECT_EQ(f.line.ModemStatus() == (1 | 2 | 8), r.answer == "ATA\r" || r.setup == "ATS0=2\r");  // DCD
    said += f.after(20000);
    EXPECT_EQ(said, r.expected);
    EXPECT_FALSE(f.unit.linkIsUp());
  }
}

// A telephone calls the unit's own modem: its keys reach the PC as one modem text per "#", and
// its hang-up as NO CARRIER. (The tone commands the PC sends back are kelvaro-cli run's to show.)
TEST(SimModem, TheTelephoneAtTheUnitSendsItsKeysAsModemText) {
  ModemLine f({},
              "at 00:00:01 phone keys 99#\nat 00:00:02 phone call\nat 00:00:03 phone keys 12\n"
              "at 00:00:04 phone keys 34#5 # the 5 is lost\nat 00:00:05 phone hangup\n",
              true);
  EXPECT_EQ(f.frames(1500), "");
  EXPECT_EQ(f.frames(1000), "text RING\r\n; text VCON\r\n; ");
  EXPECT_EQ(f.frames(2000), "text 1234#; ");
  EXPECT_EQ(f.unit.phoneKeys, "5");
  EXPECT_EQ(f.frames(1000), "text NO CARRIER\r\n; ");
  EXPECT_NE(f.unit.dumpText().find("phone connected 0 calls 1 keys \"\" modem texts 0\n"), std::string::npos);
}

}  // namespace
}  // namespace kelvaro::test
