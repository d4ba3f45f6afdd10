// The line layer: timed reads and writes, waits, opening and closing, port names, line log.
#include <gtest/gtest.h>

#include <fstream>

#include "app/port_settings.h"
#include "serial_fixture.h"
#include "storage/ini_file.h"
#include "support/temp_dir.h"

namespace kelvaro::test {
namespace {

TEST(SerialLine, ReadTakesWhatComesUntilTheLineIsIdle) {
  const struct {
    int line;
    std::uint64_t startMs;
    std::vector<std::pair<std::uint64_t, std::uint8_t>> script;  // ms after the start, byte
    int count;
    const char* bytes;
    std::uint64_t elapsed;
    int left;  // still queued afterwards
  } kRows[] = {
      // Asked for nothing: returns at once without touching the port.
      {__LINE__, 0, {{0, 1}, {0, 2}, {0, 3}}, 0, "", 0, 3},
      // The last byte at 5 ms, then more than 200 ms of silence: the late one is not waited for.
      {__LINE__, 0, {{5, 1}, {5, 2}, {1000, 3}}, 8, " 01 02", 206, 0},
      // A byte every 150 ms: each gap is under the idle time-out.
      {__LINE__, 0, {{150, 0}, {300, 1}, {450, 2}, {600, 3}}, 4, " 00 01 02 03", 600, 0},
      // 256 ms before the 32-bit millisecond counter wraps: the elapsed time survives the wrap.
      {__LINE__, 0xFFFFFF00u, {{150, 7}, {300, 8}}, 3, " 07 08", 501, 0},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ScriptedLine f(r.startMs);
    const auto start = f.clock.monotonicMs();
    for (const auto& [ms, byte] : r.script) f.dev.at(start + ms, {byte});
    std::uint8_t b[8] = {};
    const int got = f.line.ReadPort(b, r.count, 200);
    EXPECT_EQ(hexText({b, static_cast<std::size_t>(std::max(got, 0))}), r.bytes);
    EXPECT_EQ(f.clock.monotonicMs() - start, r.elapsed);
    EXPECT_EQ(f.line.InputCount(), r.left);
  }
}

TEST(SerialLine, HeldPortIsRefusedOpenSetsNothingHighOpenLineSetsDtrAModemLinkKeepsBoth) {
  SerialFixture f;
  ScriptedDevice dev;
  f.devices["COM2"] = &dev;
  // A port held by another program, or one without a device, cannot be opened.
  InProcessSerialPort other(dev, f.clock);
  ASSERT_EQ(other.open("x"), SerialError::None);
  EXPECT_EQ(f.line.OpenLine("COM2"), -1);
  EXPECT_EQ(f.line.LineHandle, -1);
  EXPECT_FALSE(f.line.LineOpen);
  EXPECT_EQ(f.ui.beeps, 1);
  EXPECT_NE(f.line.openError().find("in use"), std::string::npos);
  other.close();
  EXPECT_EQ(f.line.OpenLine("COM9"), -1);
  EXPECT_EQ(f.ui.beeps, 2);

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
  // During a modem link the port and its lines stay as they are.
  f.line.ModemLinkUp = true;
  const int changes = dev.lineChanges;
  EXPECT_EQ(f.line.OpenLine("COM3"), 1);
  f.line.CloseLine();
  EXPECT_EQ(dev.lineChanges, changes);
  EXPECT_TRUE(f.line.portOpen());
  f.line.ModemLinkUp = false;
  f.line.CloseLine();
  EXPECT_FALSE(dev.dtr);
  EXPECT_FALSE(f.line.LineOpen);
  EXPECT_FALSE(f.line.portOpen());
}

// A device that goes away leaves the line closed, not dangling; on a closed port every
// operation fails quietly.
TEST(SerialLine, ADeviceThatGoesAwayLeavesTheLineClosedNotDangling) {
  SerialFixture f;
  auto dev = std::make_unique<ScriptedDevice>();
  f.devices["COM1"] = dev.get();
  ASSERT_EQ(f.line.OpenLine("COM1"), 1);
  dev->at(0, {1, 2, 3});
  EXPECT_TRUE(f.line.PurgePort(kPurgeNothing));
  EXPECT_EQ(f.line.InputCount(), 3);
  EXPECT_TRUE(f.line.PurgePort(kPurgeInput));
  EXPECT_EQ(f.line.InputCount(), 0);
  EXPECT_FALSE(f.line.PurgePort(7));
  dev.reset();
  f.devices.clear();
  EXPECT_FALSE(f.line.portOpen());
  std::uint8_t b[2] = {1, 2};
  EXPECT_FALSE(f.line.PurgePort(kPurgeBoth));
  EXPECT_FALSE(f.line.LineControl(kSetDtr));
  EXPECT_EQ(f.line.ModemStatus(), 0);
  EXPECT_EQ(f.line.InputCount(), 0);
  EXPECT_EQ(f.line.WritePort(b, 2), 0);
  EXPECT_EQ(f.line.ReadPort(b, 2, 200), 0);
  f.line.CloseLine();
}

TEST(SerialLine, PortNamesMapThroughThePortsSection) {
  const IniFile ini = IniFile::fromText("[PORTS]\r\nCOM1=/dev/ttyUSB0\r\nCOM3=sim\r\n");
  const struct {
    int line;
    const char* name;
    const char* target;  // the device, or "simulator"
  } kRows[] = {
      {__LINE__, "COM1", "/dev/ttyUSB0"}, {__LINE__, "com2", "/dev/ttyS1"},   {__LINE__, "COM3", "simulator"},
      {__LINE__, "sim", "simulator"},     {__LINE__, "/tmp/pty", "/tmp/pty"}, {__LINE__, "COM0", "COM0"},
      {__LINE__, "X123", "X123"},  // digits after three characters other than COM
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const PortTarget t = settingsPortResolver(ini)(r.name);
    EXPECT_EQ(t.simulator ? "simulator" : t.device, r.target);
  }
  EXPECT_EQ(resolvePortName("COM1").device, "/dev/ttyS0");
}

TEST(SerialLine, TheLogIsAppendedWithALinePerFrameOnlyWhileSwitchedOn) {
  TempDir dir;
  SerialFixture f;
  f.clock.set(*encodeDate(2026, 3, 7) + *encodeTime(14, 5, 9));
  ScriptedDevice dev;
  f.devices["COM1"] = &dev;
  f.line.logPath = (dir.path() / "RS232LOG.TXT").string();
  std::ofstream(f.line.logPath, std::ios::binary) << "old\r\n";
  std::vector<std::string> frameList;
  f.line.frameList = [&](const std::string& l) { frameList.push_back(l); };
  const std::uint8_t data[] = {0x31, 0};
  for (bool logOn : {false, true}) {
    f.line.LineLogOn = logOn;
    ASSERT_EQ(f.line.OpenLine("COM1"), 1);
    ASSERT_EQ(f.protocol.SendFrame(f.line.LineHandle, 1, unitHeader(), 6, data), 8);
  }
  dev.at(f.clock.monotonicMs(), {0x81, 0x06, 0xC9, 0x0D, 0x01, 0x02, 0x0A, 0x00});
  ReceivedFrame r;
  ASSERT_EQ(f.protocol.ReceiveFrame(f.line.LineHandle, r), 6);
  f.line.CloseLine();
  EXPECT_EQ(readFile(f.line.logPath),
            "old\r\n"
            "07.03.26 14:05:09: Ausgabe ->  81 06 C9 34 02 01 31 00\r\n"
            "07.03.26 14:05:09: Eingabe ->  C9 0D 01 02 0A 00\r\n");
  // The frame list of the window shows every frame, logged or not.
  EXPECT_EQ(frameList, (std::vector<std::string>{"O: 81 06 C9 34 02 01 31 00", "O: 81 06 C9 34 02 01 31 00",
                                                 " I: C9 0D 01 02 0A 00"}));
}

}  // namespace
}  // namespace kelvaro::test
