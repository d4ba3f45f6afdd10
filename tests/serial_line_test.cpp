// The line layer: timed reads and writes, waits, opening and closing, port names, line log.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/port_settings.h"
#include "serial_fixture.h"
#include "storage/ini_file.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

TEST(SerialLine, ReadOfNothingReturnsAtOnceWithoutTouchingThePort) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["P"] = &dev;
  ASSERT_EQ(f.line.OpenPort("P", 4096, 4096), 1);
  dev.at(0, {1, 2, 3});
  std::uint8_t b[4] = {};
  EXPECT_EQ(f.line.ReadPort(b, 0, 200), 0);
  EXPECT_EQ(f.pumps, 0);
  EXPECT_EQ(f.line.InputCount(), 3);  // still queued
}

TEST(SerialLine, ReadStopsAfterTheIdleTimeOutWithWhatCame) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["P"] = &dev;
  ASSERT_EQ(f.line.OpenPort("P", 4096, 4096), 1);
  dev.at(5, {1, 2});
  dev.at(1000, {3});  // far too late
  std::uint8_t b[8] = {};
  const std::uint64_t start = f.clock.monotonicMs();
  EXPECT_EQ(f.line.ReadPort(b, 8, 200), 2);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 2);
  // Last chunk at 5 ms, then more than 200 ms of silence.
  EXPECT_EQ(f.clock.monotonicMs() - start, 206u);
}

TEST(SerialLine, ASlowSteadySenderIsReadCompletely) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["P"] = &dev;
  ASSERT_EQ(f.line.OpenPort("P", 4096, 4096), 1);
  // One byte every 150 ms: each gap is under the idle time-out, the whole takes 1.5 s.
  for (int i = 0; i < 10; ++i) dev.at(150u * (i + 1), {static_cast<std::uint8_t>(i)});
  std::uint8_t b[10] = {};
  EXPECT_EQ(f.line.ReadPort(b, 10, 200), 10);
  EXPECT_EQ(b[9], 9);
}

TEST(SerialLine, ElapsedTimeSurvivesTheWrapOfTheMillisecondCounter) {
  SerialFixture f(0xFFFFFF00u);  // 256 ms before the 32-bit counter wraps
  ScriptedDevice dev;
  f.devices["P"] = &dev;
  ASSERT_EQ(f.line.OpenPort("P", 4096, 4096), 1);
  dev.at(0xFFFFFF00ull + 150, {7});
  dev.at(0xFFFFFF00ull + 300, {8});  // after the wrap, 150 ms after the first
  std::uint8_t b[3] = {};
  EXPECT_EQ(f.line.ReadPort(b, 3, 200), 2);
  EXPECT_EQ(b[1], 8);
  EXPECT_EQ(f.clock.monotonicMs(), 0xFFFFFF00ull + 501);
}

TEST(SerialLine, WaitDaysWaitsTheWholeDurationOnTheMonotonicClock) {
  const struct {
    int line;
    double days;
    std::uint64_t ms;
  } kRows[] = {
      {__LINE__, kDays0_864ms, 1},  {__LINE__, kDays8_64ms, 9},    {__LINE__, kDays17_28ms, 17},
      {__LINE__, kDays172_8ms, 173}, {__LINE__, kDays1_728s, 1728}, {__LINE__, kDays4_32s, 4320},
      {__LINE__, 0.0, 0},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    SerialFixture f;
    const auto start = f.clock.monotonicMs();
    f.line.WaitDays(r.days);
    EXPECT_EQ(f.clock.monotonicMs() - start, r.ms);
  }
}

TEST(SerialLine, OpenSetsNothingHighAndOpenLineSetsDtr) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM2"] = &dev;
  dev.at(0, {0x55});  // stale input before the open is purged
  ASSERT_EQ(f.line.OpenPort("COM2", 4096, 4096), 1);
  EXPECT_FALSE(dev.dtr);
  EXPECT_FALSE(dev.rts);
  EXPECT_EQ(f.line.InputCount(), 0);
  EXPECT_EQ(f.line.inputQueueSize(), 4096u);
  f.line.ClosePort();
  EXPECT_EQ(f.line.OpenLine("COM2"), 1);
  EXPECT_TRUE(dev.dtr);
  EXPECT_TRUE(f.line.LineOpen);
  f.line.CloseLine();
  EXPECT_FALSE(dev.dtr);
  EXPECT_FALSE(f.line.LineOpen);
  EXPECT_FALSE(f.line.portOpen());
}

TEST(SerialLine, APortHeldByAnotherProgramCannotBeOpened) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  InProcessSerialPort other(dev, f.clock);
  ASSERT_EQ(other.open("x"), SerialError::None);
  EXPECT_EQ(f.line.OpenLine("COM1"), -1);
  EXPECT_EQ(f.line.LineHandle, -1);
  EXPECT_FALSE(f.line.LineOpen);
  EXPECT_EQ(f.ui.beeps, 1);
  EXPECT_NE(f.line.openError().find("in use"), std::string::npos);
  other.close();
  EXPECT_EQ(f.line.OpenLine("COM1"), 1);
}

TEST(SerialLine, AnUnknownPortFailsWithABeep) {
  SerialFixture f;
  EXPECT_EQ(f.line.OpenLine("COM9"), -1);
  EXPECT_EQ(f.ui.beeps, 1);
}

TEST(SerialLine, OpenLineDuringAModemLinkKeepsThePortAndDtr) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  f.line.ModemLinkUp = true;
  const int changes = dev.lineChanges;
  EXPECT_EQ(f.line.OpenLine("COM3"), 1);
  f.line.CloseLine();
  EXPECT_EQ(dev.lineChanges, changes);
  EXPECT_TRUE(f.line.portOpen());
  EXPECT_TRUE(dev.dtr);
}

TEST(SerialLine, PurgeModeTwoDiscardsNothingAndModeOneTheInput) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["P"] = &dev;
  ASSERT_EQ(f.line.OpenPort("P", 4096, 4096), 1);
  dev.at(0, {1, 2, 3});
  EXPECT_TRUE(f.line.PurgePort(kPurgeNothing));
  EXPECT_EQ(f.line.InputCount(), 3);
  EXPECT_TRUE(f.line.PurgePort(kPurgeInput));
  EXPECT_EQ(f.line.InputCount(), 0);
  EXPECT_FALSE(f.line.PurgePort(7));
}

TEST(SerialLine, ClosedPortOperationsFailQuietly) {
  SerialFixture f;
  std::uint8_t b[2] = {1, 2};
  EXPECT_FALSE(f.line.PurgePort(kPurgeBoth));
  EXPECT_FALSE(f.line.LineControl(kSetDtr));
  EXPECT_EQ(f.line.ModemStatus(), 0);
  EXPECT_EQ(f.line.InputCount(), 0);
  EXPECT_EQ(f.line.WritePort(b, 2), 0);
  EXPECT_EQ(f.line.ReadPort(b, 2, 200), 0);
}

TEST(SerialLine, PortNamesMapThroughThePortsSection) {
  const IniFile ini = IniFile::fromText("[PORTS]\r\nCOM1=/dev/ttyUSB0\r\nCOM3=sim\r\n");
  const struct {
    int line;
    const char* name;
    bool simulator;
    const char* device;
  } kRows[] = {
      {__LINE__, "COM1", false, "/dev/ttyUSB0"}, {__LINE__, "com2", false, "/dev/ttyS1"},
      {__LINE__, "COM3", true, ""},              {__LINE__, "COM6", false, "/dev/ttyS5"},
      {__LINE__, "SIM", true, ""},               {__LINE__, "/tmp/pty", false, "/tmp/pty"},
      {__LINE__, "COM0", false, "COM0"},         {__LINE__, "COMX", false, "COMX"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const PortTarget t = settingsPortResolver(ini)(r.name);
    EXPECT_EQ(t.simulator, r.simulator);
    EXPECT_EQ(t.device, r.device);
  }
  EXPECT_EQ(resolvePortName("COM1").device, "/dev/ttyS0");
}

TEST(SerialLine, TheLogHasOneLineForASentAndOneForAReceivedFrame) {
  TempDir dir;
  SerialFixture f;
  f.clock.set(*encodeDate(2026, 3, 7) + *encodeTime(14, 5, 9));
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  f.line.LineLogOn = true;
  f.line.logPath = (dir.path() / "RS232LOG.TXT").string();
  std::vector<std::string> frameList;
  f.line.frameList = [&](const std::string& l) { frameList.push_back(l); };
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  FrameHeader h;
  h.Kind = kKindUnit;
  h.Address[0] = 2;
  const std::uint8_t data[] = {0x31, 0};
  ASSERT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, h, 6, data), 8);
  dev.at(f.clock.monotonicMs(), {0x81, 0x06, 0xC9, 0x0D, 0x01, 0x02, 0x0A, 0x00});
  ReceivedFrame r;
  ASSERT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, r), 6);
  f.line.CloseLine();
  EXPECT_EQ(readFile(f.line.logPath),
            "07.03.26 14:05:09: Ausgabe ->  81 06 C9 34 02 01 31 00\r\n"
            "07.03.26 14:05:09: Eingabe ->  C9 0D 01 02 0A 00\r\n");
  EXPECT_EQ(frameList, (std::vector<std::string>{"O: 81 06 C9 34 02 01 31 00", " I: C9 0D 01 02 0A 00"}));
}

TEST(SerialLine, TheLogIsAppendedAndOnlyWrittenWhileSwitchedOn) {
  TempDir dir;
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  f.line.logPath = (dir.path() / "RS232LOG.TXT").string();
  {
    std::ofstream out(f.line.logPath, std::ios::binary);
    out << "old\r\n";
  }
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  const std::uint8_t frame[] = {0x81, 0x04, 0xC9, 0x00, 0x02, 0x01};
  f.line.logSent(frame);  // log off: nothing
  f.line.CloseLine();
  f.line.LineLogOn = true;
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  f.line.logSent(frame);
  f.line.CloseLine();
  const std::string text = readFile(f.line.logPath);
  EXPECT_EQ(text.substr(0, 5), "old\r\n");
  EXPECT_NE(text.find(": Ausgabe ->  81 04 C9 00 02 01\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(SerialLine, HexTextPutsABlankBeforeEveryPair) {
  const std::uint8_t bytes[] = {0x81, 0x06, 0x0A, 0xFF};
  EXPECT_EQ(hexText(bytes), " 81 06 0A FF");
  EXPECT_EQ(hexText({}), "");
}

}  // namespace
}  // namespace kelvaro::test

namespace kelvaro::test {
namespace {

TEST(SerialLine, ADeviceThatGoesAwayLeavesTheLineClosedNotDangling) {
  SerialFixture f;
  auto dev = std::make_unique<ScriptedDevice>();
  f.devices["COM1"] = dev.get();
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  dev.reset();
  f.devices.clear();
  EXPECT_FALSE(f.line.portOpen());
  EXPECT_EQ(f.line.InputCount(), 0);
  std::uint8_t b = 0;
  EXPECT_EQ(f.line.WritePort(&b, 1), 0);
  f.line.CloseLine();
}

}  // namespace
}  // namespace kelvaro::test
