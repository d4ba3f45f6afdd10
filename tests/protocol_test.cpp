// The frame protocol: frame bytes, receive rules, identification, search and the unit check.
#include <gtest/gtest.h>

#include <random>

#include "serial_fixture.h"
#include "text/cp1252.h"

namespace kelvaro::test {
namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> list) {
  std::vector<std::uint8_t> v;
  for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
  return v;
}

TEST(Protocol, FrameBytesOfEveryMode) {
  const struct {
    int line;
    int mode;
    int kind;
    std::array<std::uint8_t, 3> address;
    int L;
    std::vector<std::uint8_t> data;
    const char* frame;
  } kRows[] = {
      {__LINE__, 1, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), " 81 06 C9 34 02 01 31 00"},
      {__LINE__, 102, 201, {3, 0, 0}, 12, bytesOf({0x20, 0x1A, 3, 7, 0x0E, 5, 9, 6}),
       " 81 0C C9 6A 03 01 20 1A 03 07 0E 05 09 06"},
      {__LINE__, 900, 201, {2, 0, 0}, 5, bytesOf({0x41}), " 81 05 C9 44 02 01 41"},
      {__LINE__, 0, 1, {5, 0, 0}, 5, bytesOf({0x80}), " 81 05 01 86 05 01 80"},
      {__LINE__, 30, 1, {5, 0, 0}, 4, {}, " 81 04 01 06 05 01"},
      {__LINE__, 1, 201, {2, 0, 0}, 6, bytesOf({0x31, 0, 0x99}), " 81 06 C9 34 02 01 31 00"},  // extra data ignored
      {__LINE__, 200, 0, {0x12, 0x34, 0x56}, 6, bytesOf({0x05, 0x10}), " 81 0A 04 B5 02 01 01 12 34 56 05 10"},
      {__LINE__, 201, 0, {0x12, 0x34, 0x56}, 6, bytesOf({0x01, 0x00}), " 81 0A 04 B1 02 01 01 12 34 56 11 00"},
      {__LINE__, 201, 0, {0x12, 0x34, 0x56}, 6, bytesOf({0x02, 0x01}), " 81 0A 04 A3 02 01 01 12 34 56 02 01"},
      {__LINE__, 200, 0, {0x12, 0x34, 0x56}, 6, bytesOf({0x01, 0x00}), " 81 0A 04 A1 02 01 01 12 34 56 01 00"},
      {__LINE__, 301, 0, {0x12, 0x34, 0x56}, 6, bytesOf({0x05, 0x10}), " 81 09 04 E1 02 01 83 12 34 05 10"},
      {__LINE__, 31, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), ""},
      {__LINE__, 101, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), ""},
      {__LINE__, 199, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), ""},
      {__LINE__, 302, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), ""},
      {__LINE__, -1, 201, {2, 0, 0}, 6, bytesOf({0x31, 0}), ""},
      {__LINE__, 1, 201, {2, 0, 0}, 6, bytesOf({0x31}), ""},   // data shorter than L says
      {__LINE__, 1, 201, {2, 0, 0}, 3, bytesOf({}), ""},       // no room for the addresses
      {__LINE__, 200, 0, {1, 2, 3}, 251, std::vector<std::uint8_t>(247, 0), ""},  // 257 bytes
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    FrameHeader h;
    h.Kind = r.kind;
    h.Address = r.address;
    EXPECT_EQ(hexText(buildFrame(r.mode, h, r.L, r.data)), r.frame);
  }
}

TEST(Protocol, SendFrameRefusesAnInvalidModeWithoutSending) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  const std::uint8_t data[] = {0x31, 0};
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 150, FrameHeader{}, 6, data), kSendInvalidMode);
  EXPECT_TRUE(dev.written.empty());
}

TEST(Protocol, SendFramePausesBeforeWriting) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  const std::uint8_t data[] = {0x31, 0};
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Address[0] = 2;
  const auto start = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, h, 6, data), 8);
  ASSERT_EQ(dev.writeTimes.size(), 1u);
  EXPECT_EQ(dev.writeTimes[0] - start, 17u);
  EXPECT_EQ(hexText(dev.written), " 81 06 C9 34 02 01 31 00");
}

// A received frame: the bytes after the start byte and length, checksum filled in place 1.
std::vector<std::uint8_t> received(std::vector<std::uint8_t> body) {
  unsigned sum = 0;
  for (std::size_t i = 2; i < body.size(); ++i) sum += body[i];
  body[1] = static_cast<std::uint8_t>(sum);
  std::vector<std::uint8_t> frame = {0x81, static_cast<std::uint8_t>(body.size())};
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

std::string headerText(const FrameHeader& h) {
  return std::to_string(h.Kind) + "/" + std::to_string(h.Class) + "/" + hexText(h.Address);
}

TEST(Protocol, ReceiveRules) {
  std::vector<std::uint8_t> longBody(253, 0x11);
  longBody[0] = 0xC9;
  std::vector<std::uint8_t> tooLong = {0x81, 0xFE};
  tooLong.resize(2 + 254, 0x22);
  const struct {
    int line;
    std::vector<std::uint8_t> stream;
    int result;
    int L;
    const char* receiver;
    const char* sender;
    int dataCount;
    const char* data;
    int status1, status2;
  } kRows[] = {
      {__LINE__, received(bytesOf({0xC9, 0, 1, 2, 0x0A, 0})), 6, 6, "201/1/ 01 00 00", "201/1/ 02 00 00", 2, " 0A 00", 0, 0},
      {__LINE__, received(bytesOf({0xC9, 0, 1, 2})), 4, 4, "201/1/ 01 00 00", "201/1/ 02 00 00", 1, " 00", 0, 0},
      {__LINE__, bytesOf({0x81, 0x01, 0x00}), kReceiveBadLength, 0, "0/0/ 00 00 00", "0/0/ 00 00 00", 0, "", 0, 0},
      {__LINE__, tooLong, kReceiveBadLength, 0, "0/0/ 00 00 00", "0/0/ 00 00 00", 0, "", 0, 0},
      {__LINE__, received(longBody), 253, 253, "201/1/ 11 00 00", "201/1/ 11 00 00", 3, " 11 11 11", 0, 0},
      // A checksum byte of 0 is taken whatever the sum.
      {__LINE__, bytesOf({0x81, 6, 0xC9, 0, 1, 2, 0x0A, 0}), 6, 6, "201/1/ 01 00 00", "201/1/ 02 00 00", 1, " 0A", 0, 0},
      // A wrong one gives -2, with the fields filled all the same.
      {__LINE__, bytesOf({0x81, 6, 0xC9, 0x0E, 1, 2, 0x0A, 0}), kReceiveChecksum, 6, "201/1/ 01 00 00",
       "201/1/ 02 00 00", 1, " 0A", 0, 0},
      // A value frame: first data byte 0xFF.
      {__LINE__, received(bytesOf({0x05, 0, 1, 7, 0xFF, 3, 4})), 7, 7, "199/2/ 01 05 00", "199/2/ 07 00 00", 3,
       " FF 03 04", 0, 0},
      {__LINE__, received(bytesOf({0x01, 0, 1, 9, 0x80, 3})), 6, 6, "1/1/ 01 00 00", "1/1/ 09 00 00", 2, " 80 03", 0, 0},
      // Bytes before the start byte are dropped.
      {__LINE__, [] {
         auto v = bytesOf({0x00, 0x12, 0xFE});
         auto f = received(bytesOf({0xC9, 0, 1, 2, 0x0A, 0}));
         v.insert(v.end(), f.begin(), f.end());
         return v;
       }(),
       6, 6, "201/1/ 01 00 00", "201/1/ 02 00 00", 2, " 0A 00", 0, 0},
      {__LINE__, {}, kReceiveNothing, 0, "0/0/ 00 00 00", "0/0/ 00 00 00", 0, "", 0, 0},
      {__LINE__, bytesOf({0x11, 0x22, 0x33}), kReceiveNothing, 0, "0/0/ 00 00 00", "0/0/ 00 00 00", 0, "", 0, 0},
      // Cut off: the length promises more than comes.
      {__LINE__, bytesOf({0x81, 6, 0xC9, 0x0D, 1}), kReceiveNothing, 0, "0/0/ 00 00 00", "0/0/ 00 00 00", 0, "", 0, 0},
      // Radio frames: status, receiver, three-byte sender, data from byte 12.
      {__LINE__, received(bytesOf({0x04, 0, 0x10, 0x02, 0x55, 0x77, 0x12, 0x34, 0x56, 0x99, 0xA1, 0xA2})), 12, 12,
       "4/1/ 77 00 00", "4/3/ 12 34 56", 3, " 55 A1 A2", 0x10, 0x02},
      {__LINE__, received(bytesOf({0x04, 0, 0x10, 0x21, 0x55, 0x77, 0x12, 0x34, 0x56, 0x99, 0xA1})), 11, 11,
       "4/1/ 77 00 00", "4/3/ 12 34 56", 2, " 55 01", 0x10, 0x21},
      {__LINE__, received(bytesOf({0x04, 0, 0x09, 0x29, 0x55, 0x77, 0x12, 0x34, 0x56, 0x99, 'i', 0x42})), 12, 12,
       "4/1/ 77 00 00", "4/3/ 12 34 00", 4, " 55 69 56 42", 0x09, 0x29},
      // A radio frame too short for its fields reads the missing bytes as 0.
      {__LINE__, received(bytesOf({0x04, 0, 0x10, 0x02, 0x55, 0x77})), 6, 6, "4/1/ 77 00 00", "4/3/ 00 00 00", 2,
       " 55 00", 0x10, 0x02},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    ScriptedDevice dev;
    f.devices["COM1"] = &dev;
    ASSERT_EQ(f.line.OpenLine("COM1"), 1);
    dev.at(f.clock.monotonicMs(), r.stream);
    ReceivedFrame frame;
    const auto start = f.clock.monotonicMs();
    EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), r.result);
    EXPECT_LE(f.clock.monotonicMs() - start, 3456u + 500u);
    if (r.result != kReceiveBadLength && r.result != kReceiveNothing) {
      EXPECT_EQ(frame.L, r.L);
    }
    EXPECT_EQ(headerText(frame.receiver), r.receiver);
    EXPECT_EQ(headerText(frame.sender), r.sender);
    EXPECT_EQ(hexText(std::span<const std::uint8_t>(frame.data).first(static_cast<std::size_t>(r.dataCount))), r.data);
    EXPECT_EQ(frame.status1, r.status1);
    EXPECT_EQ(frame.status2, r.status2);
  }
}

TEST(Protocol, ReceiveBeepsOnBadLengthAndCutFrame) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  ReceivedFrame frame;
  dev.at(0, bytesOf({0x81, 0x01, 0x00}));
  EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), kReceiveBadLength);
  EXPECT_EQ(f.ui.beeps, 1);
  dev.at(0, bytesOf({0x81, 6, 0xC9}));
  EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), kReceiveNothing);
  EXPECT_EQ(f.ui.beeps, 2);
}

TEST(Protocol, VersionDecoding) {
  const struct {
    int line;
    int byte;
    int version;
  } kRows[] = {
      {__LINE__, 53, 350}, {__LINE__, 12, 12},   {__LINE__, 153, 351}, {__LINE__, 0, 0},
      {__LINE__, 3, 300},  {__LINE__, 100, 100}, {__LINE__, 123, 321}, {__LINE__, 255, 552},
      {__LINE__, 122, 122},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(decodeVersion(static_cast<std::uint8_t>(r.byte)), r.version);
  }
}

TEST(Protocol, IdentifyEveryTypeOfTheTable) {
  const struct {
    int line;
    int code;
    int versionByte;
    int extra5;
    const char* name;
    int typeCode;
    int version;
    int featureLevel;
    int deviceClass;
    int summer;
  } kRows[] = {
      {__LINE__, 1, 12, 7, "RFI-RS1", 1, 12, 12, 8, 0},
      {__LINE__, 2, 53, 7, "ELV-RFI", 2, 350, 350, 8, 0},
      {__LINE__, 11, 53, 7, "CU-A1", 11, 350, 0, 1, 0},
      {__LINE__, 12, 53, 7, "CU-A2 Ver.2", 122, 350, 0, 1, 0},
      {__LINE__, 13, 53, 7, "CU-A2-3.00-10", 123, 350, 0, 1, 0},
      {__LINE__, 14, 53, 7, "CU-A2-3.20", 124, 350, 0, 1, 0},
      {__LINE__, 14, 123, 2, "CU-A2-3.20", 124, 321, 0, 1, 2},
      {__LINE__, 15, 153, 2, "CU/F-A2", 125, 351, 120, 1, 2},
      {__LINE__, 15, 53, 5, "CU/F-A2", 125, 350, 110, 1, 5},
      {__LINE__, 77, 53, 5, "", 0, 350, 0, 0, 0},  // unknown code: type left as it was
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::UnitConfig config;
    config.replyCode = r.code;
    config.versionByte = static_cast<std::uint8_t>(r.versionByte);
    config.extra = {0, 0, static_cast<std::uint8_t>(r.extra5)};
    config.capability = {0x01, 0x5F, 0x00, 0xFF, 0, 0, 0x12, 0x34};
    sim::ControlUnit unit(config);
    f.devices["COM2"] = &unit;
    EXPECT_TRUE(f.protocol.IdentifyUnit("COM2", false));
    EXPECT_EQ(f.protocol.unit.TypeName, r.name);
    EXPECT_EQ(f.protocol.unit.TypeCode, r.typeCode);
    EXPECT_EQ(f.protocol.unit.Version, r.version);
    EXPECT_EQ(f.protocol.unit.FeatureLevel, r.featureLevel);
    EXPECT_EQ(f.protocol.unit.DeviceClass, r.deviceClass);
    EXPECT_EQ(f.protocol.unit.SummerTimeMode, r.summer);
    EXPECT_EQ(f.protocol.unit.PortName, "COM2");
    EXPECT_EQ(f.protocol.unit.Capability, (std::array<std::uint16_t, 4>{0x015F, 0x00FF, 0x0000, 0x1234}));
    EXPECT_FALSE(f.protocol.unit.Connected);
    EXPECT_FALSE(f.line.portOpen());
    ASSERT_FALSE(unit.frames.empty());
    EXPECT_EQ(hexText(unit.frames[0]), " 81 06 C9 22 02 01 1F 00");
  }
}

TEST(Protocol, IdentifyWithKeepOpenLeavesTheLineOpenAndConnected) {
  SerialFixture f;
  sim::ControlUnit unit;
  f.devices["COM1"] = &unit;
  EXPECT_TRUE(f.protocol.IdentifyUnit("COM1", true));
  EXPECT_TRUE(f.protocol.unit.Connected);
  EXPECT_TRUE(f.line.LineOpen);
  f.line.CloseLine();
  EXPECT_FALSE(f.protocol.unit.Connected);
}

TEST(Protocol, ASilentUnitIsGivenUpAfterTwoAttempts) {
  SerialFixture f;
  sim::UnitConfig config;
  config.faults.silent = true;
  sim::ControlUnit unit(config);
  f.devices["COM1"] = &unit;
  const auto start = f.clock.monotonicMs();
  EXPECT_FALSE(f.protocol.IdentifyUnit("COM1", true));
  const auto elapsed = f.clock.monotonicMs() - start;
  EXPECT_GE(elapsed, 2u * 3456u);
  EXPECT_LE(elapsed, 2u * (86u + 17u + 9u + 3456u) + 20u);
  EXPECT_EQ(unit.frames.size(), 2u);
  EXPECT_FALSE(f.line.portOpen());
}

TEST(Protocol, RepliesFromElsewhereAreNotAnIdentification) {
  const struct {
    int line;
    std::vector<std::uint8_t> reply;
  } kRows[] = {
      {__LINE__, received(bytesOf({0xC9, 0, 3, 2, 0x1F, 14, 53}))},  // to another address
      {__LINE__, received(bytesOf({0xC9, 0, 1, 5, 0x1F, 14, 53}))},  // from another address
      {__LINE__, received(bytesOf({0x01, 0, 1, 2, 0x1F, 14, 53}))},  // a station frame
      {__LINE__, received(bytesOf({0xC9, 0, 1, 2, 0x0A, 14, 53}))},  // another reply
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    ScriptedDevice dev;
    f.devices["COM1"] = &dev;
    dev.at(200, r.reply);
    EXPECT_FALSE(f.protocol.IdentifyUnit("COM1", false));
    EXPECT_EQ(f.protocol.unit.TypeCode, 0);
  }
}

TEST(Protocol, IdentifyStopsWhenTheUserCancels) {
  SerialFixture f;
  sim::UnitConfig config;
  config.faults.silent = true;
  sim::ControlUnit unit(config);
  f.devices["COM1"] = &unit;
  f.ui.cancelAfterPolls = 100;
  const auto start = f.clock.monotonicMs();
  EXPECT_FALSE(f.protocol.IdentifyUnit("COM1", false));
  EXPECT_TRUE(f.protocol.CancelRequested);
  EXPECT_LT(f.clock.monotonicMs() - start, 500u);
  EXPECT_EQ(unit.frames.size(), 1u);
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
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Address[0] = 2;
  EXPECT_EQ(f.line.ModemStatus(), 8);  // DTR high: carrier only
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, h, 6, data), 8);
  EXPECT_EQ(unit.actions, (std::vector<std::uint8_t>{0x31}));
  EXPECT_EQ(f.line.ModemStatus(), 8);  // DTR high again afterwards
}

TEST(Protocol, AnUnansweredHandshakeGivesMinusTwoAndTheNoteExceptInMode900) {
  for (int mode : {1, 900}) {
    SCOPED_TRACE(mode);
    SerialFixture f;
    ScriptedDevice dev;
    dev.lines = 8;  // carrier, but never CTS
    f.devices["COM1"] = &dev;
    ASSERT_EQ(f.line.OpenLine("COM1"), 1);
    f.protocol.unit.TypeCode = 11;
    const std::uint8_t data[] = {0x31, 0};
    const auto start = f.clock.monotonicMs();
    EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, mode, FrameHeader{}, 6, data), kSendNoHandshake);
    EXPECT_EQ(f.clock.monotonicMs() - start, 5184u + 17u);
    EXPECT_TRUE(dev.written.empty());
    EXPECT_TRUE(dev.dtr);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.ui.notes, mode == 900 ? std::vector<std::string>{} : std::vector<std::string>{"Steuereinheit antwortet nicht !"});
  }
}

TEST(Protocol, RadioFramesWaitForCtsAndKeepTheirDistance) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  FrameHeader h;
  h.Address = {0x12, 0x34, 0x56};
  const std::uint8_t data[] = {0x05, 0x10};
  const auto start = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), kSendRadioNotReady);
  EXPECT_EQ(f.clock.monotonicMs() - start, 3456u);
  EXPECT_TRUE(dev.written.empty());
  dev.lines = kStatusCts;
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), 12);
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 301, h, 6, data), 11);
  ASSERT_EQ(dev.writeTimes.size(), 2u);
  EXPECT_GE(dev.writeTimes[1] - dev.writeTimes[0], 259u);
  // A received radio frame counts too.
  dev.at(f.clock.monotonicMs(), received(bytesOf({0x04, 0, 0x10, 0x02, 0x55, 0x77, 0x12, 0x34, 0x56, 0x99, 0xA1})));
  ReceivedFrame frame;
  ASSERT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), 11);
  const auto received = f.clock.monotonicMs();
  EXPECT_EQ(f.protocol.SendFrame(f.line.LineHandle, 200, h, 6, data), 12);
  EXPECT_GE(dev.writeTimes[2] - received, 259u);
}

TEST(Protocol, CheckUnitMessages) {
  const std::string mismatch = fromUtf8(
      "Die angeschlossene Steuereinheit entspricht nicht dem angegeben Typ\r"
      "Benutzen Sie AutoDetect um die richtige Steuereinheit einzustellen.\r");
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
      {__LINE__, 2, "COM1", "CU-A1", false, {}, false,
       mismatch + fromUtf8("Die gewünschte Aktion ist mit der Steuereinheit nicht ausführbar.")},
      {__LINE__, 1, "COM1", "CU-A1", false, {MessageAnswer::No}, false,
       mismatch + fromUtf8("Soll die Ausführung trotzdem fortgesetzt werden ?")},
      {__LINE__, 1, "COM1", "CU-A1", false, {MessageAnswer::Yes}, true,
       mismatch + fromUtf8("Soll die Ausführung trotzdem fortgesetzt werden ?")},
      {__LINE__, 0, "COM1", "CU-A2-3.20", true, {}, false, "Keine Steuereinheit gefunden an Port COM1"},
      {__LINE__, 0, "COM4", "CU-A2-3.20", false, {}, false, "Keine Steuereinheit gefunden an Port COM4"},
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
    if (r.message.empty()) {
      EXPECT_TRUE(f.ui.messages.empty());
    } else {
      ASSERT_EQ(f.ui.messages.size(), 1u);
      EXPECT_EQ(f.ui.messages[0].text, r.message);
    }
    EXPECT_EQ(f.line.portOpen(), r.result);
    EXPECT_TRUE(f.protocol.receiveTimerRunning);
  }
}

TEST(Protocol, FindUnitSearchesThePortsAndPrefersTheHandshakePort) {
  const struct {
    int line;
    int simPort;
    int code;
    int preferred;
    bool found;
    const char* port;
  } kRows[] = {
      {__LINE__, 3, 14, 0, true, "COM3"},  {__LINE__, 2, 12, 0, true, "COM2"}, {__LINE__, 4, 11, 1, true, "COM4"},
      {__LINE__, 2, 15, 2, true, "COM2"},  {__LINE__, 5, 14, 0, false, ""},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::UnitConfig config;
    config.replyCode = r.code;
    sim::ControlUnit unit(config);
    f.devices["COM" + std::to_string(r.simPort)] = &unit;
    EXPECT_EQ(f.protocol.FindUnit(r.preferred, 1), r.found);
    EXPECT_EQ(f.protocol.unit.PortName, r.port);
    if (!r.found) {
      EXPECT_EQ(f.protocol.unit.TypeCode, 500);
    }
  }
}

TEST(Protocol, TheSlotDropsAFrameAfterFourPointThreeTwoSeconds) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  dev.at(0, received(bytesOf({0xC9, 0, 1, 2, 0x0A, 0})));
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 6);
  f.clock.advanceMs(4320);
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 6);
  f.clock.advanceMs(1);
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
  // A broken frame never takes the slot.
  dev.at(f.clock.monotonicMs(), bytesOf({0x81, 6, 0xC9, 0x0E, 1, 2, 0x0A, 0}));
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
  // The timer does nothing while stopped.
  f.protocol.receiveTimerRunning = false;
  dev.at(f.clock.monotonicMs(), received(bytesOf({0xC9, 0, 1, 2, 0x0A, 0})));
  f.protocol.receiveTick();
  EXPECT_EQ(f.protocol.slot.L, 0);
}

// Any byte stream: ReceiveFrame returns one of its results within its time limits, and a
// good frame after a quiet spell is read correctly.
TEST(Protocol, ReceiveSurvivesRandomBytes) {
  std::mt19937 random(20261206);
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  int frames = 0, calls = 0, sent = 0, good = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> noise(random() % 40);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 0x81 : random());
    if (random() % 3 == 0 && noise.size() > 1) noise[1] = static_cast<std::uint8_t>(random() % 256);
    if (random() % 2 == 0) {
      const auto good = received(bytesOf({0xC9, 0, 1, 2, 0x0A, round & 0xFF}));
      noise.insert(noise.end(), good.begin(), good.end());
      ++sent;
    }
    dev.at(f.clock.monotonicMs() + random() % 50, noise);
    while (!dev.pending.empty() || f.line.InputCount() > 0) {
      ReceivedFrame frame;
      const auto start = f.clock.monotonicMs();
      const int r = f.protocol.ReceiveFrame(f.line.LineHandle, frame);
      ++calls;
      ASSERT_LE(f.clock.monotonicMs() - start, 3456u + 200u + 500u + 10u);
      ASSERT_TRUE(r == kReceiveNothing || r == kReceiveChecksum || r == kReceiveBadLength || (r >= 2 && r <= 253))
          << r;
      if (r > 0) {
        ++frames;
        ASSERT_EQ(r, frame.L);
        if (r == 6 && frame.data[0] == 0x0A && frame.sender.Address[0] == 2) ++good;
      }
      if (r == kReceiveNothing && f.line.InputCount() == 0) f.clock.advanceMs(1);
    }
  }
  EXPECT_GT(calls, 300);
  // Noise with a start byte in it may swallow the frame behind it; most frames get through.
  EXPECT_GT(good, sent / 3);
  EXPECT_LE(good, sent);
  EXPECT_GE(frames, good);
  // A second of quiet, then a good frame.
  f.clock.advanceMs(4000);
  f.line.PurgePort(kPurgeInput);
  dev.at(f.clock.monotonicMs(), received(bytesOf({0xC9, 0, 1, 2, 0x0A, 0})));
  ReceivedFrame frame;
  EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), 6);
  EXPECT_EQ(frame.data[0], 0x0A);
}

}  // namespace
}  // namespace kelvaro::test
