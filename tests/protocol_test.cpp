// The frame protocol: frame bytes, receive rules, identification, search and the unit check.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "serial_fixture.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Hex bytes separated by blanks; "11*3" stands for 11 11 11.
Bytes bytesOf(std::string_view hex) {
  Bytes bytes;
  std::istringstream in{std::string(hex)};
  for (std::string token; in >> token;) {
    const auto star = token.find('*');
    const int count = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
    bytes.insert(bytes.end(), static_cast<std::size_t>(count),
                 static_cast<std::uint8_t>(std::stoi(token.substr(0, star), nullptr, 16)));
  }
  return bytes;
}

TEST(Protocol, FrameBytesOfEveryMode) {
  const auto rows = dataCases("built_frames.txt", {});
  EXPECT_EQ(rows.size(), 19u);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    ASSERT_EQ(r.fields.size(), 6u);
    FrameHeader h;
    h.Kind = bytesOf(r.fields[1]).at(0);
    std::copy_n(bytesOf(r.fields[2]).begin(), 3, h.Address.begin());
    const Bytes frame = buildFrame(std::stoi(r.fields[0]), h, std::stoi(r.fields[3]), bytesOf(r.fields[4]));
    EXPECT_EQ(hexText(frame), hexText(bytesOf(r.fields[5])));
  }
}

TEST(Protocol, SendFramePausesBeforeWritingAndRefusesAnInvalidMode) {
  ScriptedLine f;
  const std::uint8_t data[] = {0x31, 0};
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 150, unitHeader(), 6, data), kSendInvalidMode);
  EXPECT_TRUE(f.dev.written.empty());
  const auto start = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, unitHeader(), 6, data), 8);
  ASSERT_EQ(f.dev.writeTimes.size(), 1u);
  EXPECT_EQ(f.dev.writeTimes[0] - start, 17u);
  EXPECT_EQ(hexText(f.dev.written), " 81 06 C9 34 02 01 31 00");
}

std::string headerText(const FrameHeader& h) {
  return std::to_string(h.Kind) + "/" + std::to_string(h.Class) + "/" + hexText(h.Address);
}

// What ReceiveFrame made of a frame: result, L, receiver and sender, how many data bytes up to
// the last one that is not 0 and the first four of them, the status bytes and the beeps.
std::string frameText(int result, const ReceivedFrame& f, int beeps) {
  std::size_t n = f.data.size();
  while (n > 0 && f.data[n - 1] == 0) --n;
  const auto shown = std::span<const std::uint8_t>(f.data).first(std::min<std::size_t>(n, 4));
  return std::to_string(result) + " L" + std::to_string(f.L) + " to " + headerText(f.receiver) + " from " +
         headerText(f.sender) + " data" + std::to_string(n) + ":" + hexText(shown) + " status " +
         std::to_string(f.status1) + "/" + std::to_string(f.status2) + " beeps " + std::to_string(beeps);
}

TEST(Protocol, ReceiveRules) {
  const auto rows = dataCases("received_frames.txt", {});
  EXPECT_EQ(rows.size(), 17u);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    ASSERT_EQ(r.fields.size(), 2u);
    ScriptedLine f;
    f.dev.at(f.clock.monotonicMs(), bytesOf(r.fields[0]));
    ReceivedFrame frame;
    const auto start = f.clock.monotonicMs();
    const int result = f.protocol.ReceiveFrame(f.line.LineHandle, frame);
    EXPECT_LE(f.clock.monotonicMs() - start, 3456u + 500u);
    EXPECT_EQ(frameText(result, frame, f.ui.beeps), r.fields[1]);
  }
}

TEST(Protocol, AModemLinkWaitsLongerForTheFrame) {
  // The body arrives 5 s after the length byte: too late on a direct line, in time over a modem.
  for (bool modem : {false, true}) {
    SCOPED_TRACE(modem);
    ScriptedLine f;
    f.line.ModemLinkUp = modem;
    f.dev.at(0, {0x81, 0x06});
    f.dev.at(5000, {0xC9, 0x00, 0x01, 0x02, 0x0A, 0x00});
    ReceivedFrame frame;
    EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), modem ? 6 : kReceiveNothing);
  }
}

std::string unitText(const UnitRecord& u) {
  std::string text = "[" + u.TypeName + "] " + std::to_string(u.TypeCode) + " v" + std::to_string(u.Version) + " f" +
                     std::to_string(u.FeatureLevel) + " c" + std::to_string(u.DeviceClass) + " s" +
                     std::to_string(u.SummerTimeMode);
  for (std::uint16_t capability : u.Capability) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " %04X", capability);
    text += hex;
  }
  return text;
}

TEST(Protocol, IdentifyTakesTheUnitRecordFromTheReply) {
  const auto rows = dataCases("identify_replies.txt", {});
  EXPECT_EQ(rows.size(), 20u);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    ASSERT_EQ(r.fields.size(), 2u);
    SerialFixture f;
    ScriptedDevice dev;
    f.devices["COM2"] = &dev;
    dev.at(200, bytesOf(r.fields[0]));
    const bool identified = f.protocol.IdentifyUnit("COM2", false);
    EXPECT_EQ(identified ? unitText(f.protocol.unit) : "-", r.fields[1]);
    if (identified) {
      EXPECT_EQ(f.protocol.unit.PortName, "COM2");
    } else {
      EXPECT_EQ(unitText(f.protocol.unit), unitText(UnitRecord{}));  // nothing taken from the reply
    }
    EXPECT_FALSE(f.protocol.unit.Connected);
    EXPECT_FALSE(f.line.portOpen());
    EXPECT_EQ(hexText(std::span(dev.written).first(std::min<std::size_t>(dev.written.size(), 8))),
              " 81 06 C9 22 02 01 1F 00");
  }
}

TEST(Protocol, IdentifyGivesUpOnASilentOrUnpluggedUnitOrWhenTheUserCancels) {
  const struct {
    int line;
    sim::Faults faults;
    bool cancel;
    std::size_t requests;  // frames the unit took
    int beeps;
    std::uint64_t minMs, maxMs;
  } kRows[] = {
      {__LINE__, {.silent = true}, false, 2, 0, 2 * 3456, 2 * (86 + 17 + 9 + 3456) + 20},
      {__LINE__, {.silent = true}, true, 1, 0, 0, 499},
      // Nothing can be written: each request gives up after 4.32 s and beeps.
      {__LINE__, {.unplugged = true}, false, 0, 2, 2 * 4320, 2 * (86 + 17 + 9 + 3456 + 4321) + 20},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::UnitConfig config;
    config.faults = r.faults;
    sim::ControlUnit unit(config);
    f.devices["COM1"] = &unit;
    if (r.cancel) f.ui.cancelAfterPolls = 100;
    const auto start = f.clock.monotonicMs();
    EXPECT_FALSE(f.protocol.IdentifyUnit("COM1", true));
    EXPECT_GE(f.clock.monotonicMs() - start, r.minMs);
    EXPECT_LE(f.clock.monotonicMs() - start, r.maxMs);
    EXPECT_EQ(f.protocol.CancelRequested, r.cancel);
    EXPECT_EQ(unit.frames.size(), r.requests);
    EXPECT_EQ(f.ui.beeps, r.beeps);
    EXPECT_FALSE(f.line.portOpen());
  }
}

TEST(Protocol, HandshakeUnitsGetDtrLowAndAnswerWithCtsAndDcd) {
  SerialFixture f;
  sim::UnitConfig config;
  config.replyCode = 12;
  sim::ControlUnit unit(config);
  f.devices["COM1"] = &unit;
  ASSERT_TRUE(f.protocol.IdentifyUnit("COM1", true));
  ASSERT_EQ(f.protocol.unit.TypeCode, 122);
  const std::uint8_t data[] = {0x31, 0};
  EXPECT_EQ(f.line.ModemStatus(), 8);  // DTR high: carrier only
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, unitHeader(), 6, data), 8);
  EXPECT_EQ(unit.actions, (Bytes{0x31}));
  EXPECT_EQ(f.line.ModemStatus(), 8);  // DTR high again afterwards
}

TEST(Protocol, AnUnansweredHandshakeGivesMinusTwoAndTheNoteExceptInMode900) {
  for (int mode : {1, 900}) {
    SCOPED_TRACE(mode);
    ScriptedLine f;
    f.dev.lines = 8;  // carrier, but never CTS
    f.protocol.unit.TypeCode = 11;
    const std::uint8_t data[] = {0x31, 0};
    const auto start = f.clock.monotonicMs();
    EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, mode, FrameHeader{}, 6, data), kSendNoHandshake);
    EXPECT_EQ(f.clock.monotonicMs() - start, 5184u + 17u);
    EXPECT_TRUE(f.dev.written.empty());
    EXPECT_TRUE(f.dev.dtr);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.ui.notes,
              mode == 900 ? std::vector<std::string>{} : std::vector<std::string>{"Steuereinheit antwortet nicht !"});
  }
  // Over a modem link the frame goes out at once and DTR, which holds the PC's modem on the
  // line, stays up.
  ScriptedLine f;
  f.protocol.unit.TypeCode = 11;
  f.line.ModemLinkUp = true;
  const std::uint8_t data[] = {0x31, 0};
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, FrameHeader{}, 6, data), 8);
  EXPECT_TRUE(f.dev.dtr);
}

TEST(Protocol, RadioFramesWaitForCtsAndKeepTheirDistance) {
  ScriptedLine f;
  FrameHeader h;
  h.Address = {0x12, 0x34, 0x56};
  const std::uint8_t data[] = {0x05, 0x10};
  const auto start = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), kSendRadioNotReady);
  EXPECT_EQ(f.clock.monotonicMs() - start, 3456u);
  EXPECT_TRUE(f.dev.written.empty());
  f.dev.lines = kStatusCts;
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), 12);
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 301, h, 6, data), 11);
  ASSERT_EQ(f.dev.writeTimes.size(), 2u);
  EXPECT_GE(f.dev.writeTimes[1] - f.dev.writeTimes[0], 259u);
  // A received radio frame counts too.
  f.dev.at(f.clock.monotonicMs(), bytesOf("81 0B 04 B4 10 02 55 77 12 34 56 99 A1"));
  ReceivedFrame frame;
  ASSERT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), 11);
  const auto receivedAt = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), 12);
  EXPECT_GE(f.dev.writeTimes[2] - receivedAt, 259u);
}

TEST(Protocol, CheckUnitMessages) {
  const std::string mismatch = fromUtf8(
      "Die angeschlossene Steuereinheit entspricht nicht dem angegeben Typ\r"
      "Benutzen Sie AutoDetect um die richtige Steuereinheit einzustellen.\r");
  const std::string refused = mismatch + fromUtf8("Die gewünschte Aktion ist mit der Steuereinheit nicht ausführbar.");
  const std::string asked = mismatch + fromUtf8("Soll die Ausführung trotzdem fortgesetzt werden ?");
  const struct {
    int line;
    int mode;
    const char* port;
    const char* selected;
    bool silent;
    std::deque<MessageAnswer> answers;
    bool result;
    std::string message;
  } kRows[] = {
      {__LINE__, 0, " ", "CU-A2-3.20", false, {}, false, "Kein COM-Port auf der Seite Steuereinheit angegeben."},
      {__LINE__, 0, "COM 1", "CU-A1", false, {}, true, ""},
      {__LINE__, 2, "COM1", "CU-A2-3.20", false, {}, true, ""},
      {__LINE__, 2, "COM1", "CU-A1", false, {}, false, refused},
      {__LINE__, 1, "COM1", "CU-A1", false, {MessageAnswer::No}, false, asked},
      {__LINE__, 1, "COM1", "CU-A1", false, {MessageAnswer::Yes}, true, asked},
      {__LINE__, 0, "COM1", "CU-A2-3.20", true, {}, false, "Keine Steuereinheit gefunden an Port COM1"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::UnitConfig config;
    config.faults.silent = r.silent;
    sim::ControlUnit unit(config);
    f.devices["COM1"] = &unit;
    f.ui.answers = r.answers;
    EXPECT_EQ(f.protocol.CheckUnit(r.mode, r.port, r.selected), r.result);
    EXPECT_EQ(f.ui.messages.size(), r.message.empty() ? 0u : 1u);
    if (!r.message.empty() && !f.ui.messages.empty()) {
      EXPECT_EQ(f.ui.messages[0].text, r.message);
    }
    EXPECT_EQ(f.line.portOpen(), r.result);
    EXPECT_EQ(f.protocol.unit.Connected, r.result);
    EXPECT_TRUE(f.protocol.receiveTimerRunning);
  }
}

TEST(Protocol, FindUnitSearchesThePortsAndPrefersTheHandshakePort) {
  const struct {
    int line;
    const char* at;  // where the unit answers
    int code, preferred;
    bool simulator;  // the built-in unit answers too, on "SIM"
    const char* port;
  } kRows[] = {
      {__LINE__, "COM3", 14, 0, false, "COM3"}, {__LINE__, "COM2", 12, 0, false, "COM2"},
      {__LINE__, "COM4", 11, 1, false, "COM4"}, {__LINE__, "COM2", 15, 2, true, "COM2"},
      {__LINE__, "COM5", 14, 0, false, ""},     {__LINE__, "/dev/ttyUSB0", 12, 0, true, "/dev/ttyUSB0"},
      {__LINE__, "COM5", 14, 0, true, "SIM"},  // no hardware: the simulator, tried last
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::UnitConfig config;
    config.replyCode = r.code;
    sim::ControlUnit unit(config), simulator;
    f.devices[r.at] = &unit;
    if (r.simulator) f.devices["SIM"] = &simulator;
    const bool found = *r.port != '\0';
    EXPECT_EQ(f.protocol.FindUnit(r.preferred, 1, std::vector<std::string>{"/dev/ttyUSB0", "SIM"}), found);
    EXPECT_EQ(f.protocol.unit.PortName, r.port);
    if (!found) {
      EXPECT_EQ(f.protocol.unit.TypeCode, 500);
    }
  }
}

TEST(Protocol, TheSlotDropsAFrameAfterFourPointThreeTwoSeconds) {
  ScriptedLine f;
  f.dev.at(0, bytesOf("81 06 C9 0D 01 02 0A 00"));
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 6);
  f.clock.advanceMs(4320);
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 6);
  f.clock.advanceMs(1);
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
  // A broken frame never takes the slot.
  f.dev.at(f.clock.monotonicMs(), {0x81, 6, 0xC9, 0x0E, 1, 2, 0x0A, 0});
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
  // The timer does nothing while stopped.
  f.protocol.receiveTimerRunning = false;
  f.dev.at(f.clock.monotonicMs(), bytesOf("81 06 C9 0D 01 02 0A 00"));
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
}

}  // namespace
}  // namespace kelvaro::test
