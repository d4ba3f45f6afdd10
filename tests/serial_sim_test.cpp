// The simulated control unit: its replies as the PC side meets them.
#include <gtest/gtest.h>

#include "serial_fixture.h"

namespace kelvaro::test {
namespace {

TEST(SerialSim, RepliesTakeTheirTimeOnTheWireAndBadFramesAreIgnored) {
  sim::ControlUnit unit;
  const std::uint8_t bad[] = {0x81, 0x06, 0xC9, 0x23, 0x02, 0x01, 0x31, 0x00};
  const std::uint8_t action[] = {0x81, 0x06, 0xC9, 0x34, 0x02, 0x01, 0x31, 0x00};
  unit.fromPc(bad, 0);
  unit.fromPc(action, 0);
  EXPECT_EQ(unit.badFrames, 1);
  EXPECT_EQ(unit.actions, std::vector<std::uint8_t>{0x31});
  EXPECT_NE(unit.dumpText().find("frames 1 bad 1"), std::string::npos);

  const std::uint8_t identify[] = {0x81, 0x06, 0xC9, 0x22, 0x02, 0x01, 0x1F, 0x00};
  std::vector<std::uint8_t> out;
  unit.toPc(99, out);  // the action's confirmation
  out.clear();
  unit.fromPc(identify, 100);
  unit.toPc(121, out);
  EXPECT_TRUE(out.empty());
  unit.toPc(122, out);
  EXPECT_EQ(out.size(), 1u);
  unit.toPc(140, out);
  EXPECT_EQ(out.size(), 19u);  // 1.04 ms a byte at 9600 baud: 19 whole bytes 20 ms after the first bit
  unit.toPc(200, out);
  EXPECT_EQ(hexText(out), " 81 12 C9 C3 01 02 1F 0E 35 00 00 00 00 5F 00 FF 00 00 00 00");
}

}  // namespace
}  // namespace kelvaro::test
