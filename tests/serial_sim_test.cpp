// The simulated control unit: its replies, its lines and its faults, as the PC side meets them.
#include <gtest/gtest.h>

#include "serial_fixture.h"

namespace kelvaro::test {
namespace {

sim::UnitConfig withFaults(sim::Faults faults) {
  sim::UnitConfig c;
  c.faults = faults;
  return c;
}

TEST(SerialSim, IdentificationThroughFaults) {
  const struct {
    int line;
    sim::Faults faults;
    bool identified;
    int beeps;  // of the PC side
  } kRows[] = {
      {__LINE__, {}, true, 0},
      {__LINE__, {.noise = true, .seed = 7}, true, 0},  // noise never holds a start byte
      {__LINE__, {.wrongChecksum = true}, false, 0},
      {__LINE__, {.dropRate = 1.0}, false, 0},
      {__LINE__, {.silent = true}, false, 0},
      {__LINE__, {.unplugged = true}, false, 2},  // nothing written: both requests beep
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    sim::ControlUnit unit(withFaults(r.faults));
    f.devices["COM1"] = &unit;
    const auto start = f.clock.monotonicMs();
    EXPECT_EQ(f.protocol.IdentifyUnit("COM1", false), r.identified);
    EXPECT_EQ(f.ui.beeps, r.beeps);
    EXPECT_LE(f.clock.monotonicMs() - start, 2u * (86u + 17u + 9u + 3456u + 4320u) + 50u);
    EXPECT_FALSE(f.line.portOpen());
  }
}

TEST(SerialSim, DroppedBytesNeverBreakTheReceiver) {
  // Whatever is lost, every identification ends in time, and some get through.
  int identified = 0;
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    SerialFixture f;
    sim::ControlUnit unit(withFaults({.dropRate = 0.03, .noise = true, .seed = seed}));
    f.devices["COM1"] = &unit;
    const auto start = f.clock.monotonicMs();
    if (f.protocol.IdentifyUnit("COM1", false)) {
      ++identified;
      EXPECT_EQ(f.protocol.unit.TypeCode, 124);
    }
    EXPECT_LE(f.clock.monotonicMs() - start, 2u * (86u + 17u + 9u + 3456u + 4320u) + 50u);
  }
  EXPECT_GT(identified, 5);
  EXPECT_LT(identified, 21);
}

TEST(SerialSim, HandshakeLinesFollowDtr) {
  ManualClock clock;
  sim::UnitConfig config;
  config.replyCode = 11;
  sim::ControlUnit unit(config);
  unit.pcLines(true, false, 0);
  EXPECT_EQ(unit.modemLines(10), kStatusDcd);
  unit.pcLines(false, false, 10);
  EXPECT_EQ(unit.modemLines(11), kStatusDcd);  // CTS comes a moment later
  EXPECT_EQ(unit.modemLines(12), kUnitReady);
  sim::ControlUnit modern;
  EXPECT_EQ(modern.modemLines(0), kStatusCts | kStatusDsr);
}

TEST(SerialSim, RepliesTakeTheirTimeOnTheWire) {
  sim::ControlUnit unit;
  const std::uint8_t request[] = {0x81, 0x06, 0xC9, 0x22, 0x02, 0x01, 0x1F, 0x00};
  unit.fromPc(request, 100);
  std::vector<std::uint8_t> out;
  unit.toPc(120, out);
  EXPECT_TRUE(out.empty());
  unit.toPc(122, out);
  EXPECT_EQ(out.size(), 1u);
  unit.toPc(123, out);
  EXPECT_EQ(out.size(), 2u);  // 1.04 ms a byte at 9600 baud
  unit.toPc(140, out);
  EXPECT_EQ(out.size(), 19u);  // 20 ms after the first bit: 19 whole bytes
  unit.toPc(200, out);
  EXPECT_EQ(hexText(out), " 81 12 C9 C3 01 02 1F 0E 35 00 00 00 00 5F 00 FF 00 00 00 00");
}

TEST(SerialSim, FramesWithABadChecksumAreCountedAndIgnored) {
  sim::ControlUnit unit;
  const std::uint8_t bad[] = {0x81, 0x06, 0xC9, 0x23, 0x02, 0x01, 0x31, 0x00};
  const std::uint8_t good[] = {0x81, 0x06, 0xC9, 0x34, 0x02, 0x01, 0x31, 0x00};
  unit.fromPc(bad, 0);
  unit.fromPc(good, 0);
  EXPECT_EQ(unit.badFrames, 1);
  EXPECT_EQ(unit.frames.size(), 1u);
  EXPECT_EQ(unit.actions, std::vector<std::uint8_t>{0x31});
  EXPECT_NE(unit.dumpText().find("frames 1 bad 1"), std::string::npos);
  EXPECT_NE(unit.dumpText().find("actions 31"), std::string::npos);
}

TEST(SerialSim, AModemLinkWaitsLongerForTheFrame) {
  // The body arrives 5 s after the length byte: too late on a direct line, in time over a modem.
  for (bool modem : {false, true}) {
    SCOPED_TRACE(modem);
    SerialFixture f;
    ScriptedDevice dev;
    f.devices["COM1"] = &dev;
    ASSERT_EQ(f.line.OpenLine("COM1"), 1);
    f.line.ModemLinkUp = modem;
    dev.at(0, {0x81, 0x06});
    dev.at(5000, {0xC9, 0x00, 0x01, 0x02, 0x0A, 0x00});
    ReceivedFrame frame;
    EXPECT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, frame), modem ? 6 : kReceiveNothing);
  }
}

}  // namespace
}  // namespace kelvaro::test
