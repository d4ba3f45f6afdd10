// The termios back-end against a real pseudo-terminal pair made by the test.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "hardware/posix_serial_port.h"
#include "hardware/serial_line.h"

namespace kelvaro::test {
namespace {

class Pty {
 public:
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    // Keep our own slave descriptor so the master never reads EIO between opens.
    if (!slave.empty()) keeper = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    if (keeper >= 0) ::close(keeper);
    if (master >= 0) ::close(master);
  }
  int master = -1;
  int keeper = -1;
  std::string slave;
};

// Polls for up to 200 ms: the other end of a pseudo-terminal delivers a moment later.
void waitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(SerialPty, OpensRawMovesBytesBothWaysAndRefusesWhatItCannotDo) {
  Pty pty;
  ASSERT_FALSE(pty.slave.empty());
  PosixSerialPort port;
  ASSERT_EQ(port.open(pty.slave), SerialError::None) << port.lastErrorText();
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.keeper, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

  const std::uint8_t out[] = {0x81, 0x06, 0x0A, 0x0D, 0x00, 0xFF};
  ASSERT_EQ(port.write(out, sizeof out), 6);
  std::uint8_t got[16] = {};
  ssize_t n = 0;
  waitUntil([&] {
    const ssize_t r = ::read(pty.master, got + n, sizeof got - static_cast<std::size_t>(n));
    if (r > 0) n += r;
    return n >= 6;
  });
  ASSERT_EQ(n, 6);
  EXPECT_EQ(hexText({got, 6}), " 81 06 0A 0D 00 FF");  // raw: no CR/LF mapping

  const std::uint8_t in[] = {0x81, 0x0D, 0x0A, 0x03, 0x11};
  ASSERT_EQ(::write(pty.master, in, sizeof in), 5);
  waitUntil([&] { return port.inputCount() >= 5; });
  EXPECT_EQ(port.inputCount(), 5);
  std::uint8_t back[8] = {};
  EXPECT_EQ(port.read(back, 8), 5);
  EXPECT_EQ(hexText({back, 5}), " 81 0D 0A 03 11");
  EXPECT_EQ(port.read(back, 8), 0);  // nothing queued: no blocking

  ASSERT_EQ(::write(pty.master, in, 3), 3);
  waitUntil([&] { return port.inputCount() >= 3; });
  ASSERT_EQ(port.inputCount(), 3);
  EXPECT_EQ(port.purge(kPurgeInput), SerialError::None);
  EXPECT_EQ(port.inputCount(), 0);

  PosixSerialPort second;
  // A pseudo-terminal has no modem lines: they read as clear to send only, and cannot be set.
  EXPECT_EQ(port.modemStatus(), kStatusCts);
  EXPECT_NE(port.lineControl(kSetDtr), SerialError::None);
  EXPECT_EQ(port.lastError(), SerialError::NotSupported);
  EXPECT_EQ(port.lineControl(99), SerialError::InvalidArgument);
  EXPECT_EQ(port.purge(kPurgeNothing), SerialError::None);
  EXPECT_EQ(port.purge(9), SerialError::InvalidArgument);
  EXPECT_TRUE(port.isOpen());
  // A held port cannot be opened a second time; closing lifts the exclusive mark.
  EXPECT_EQ(second.open(pty.slave), SerialError::Busy);
  EXPECT_FALSE(second.isOpen());
  port.close();
  EXPECT_EQ(second.open(pty.slave), SerialError::None) << second.lastErrorText();
  // With the other end gone a write fails (EIO) and says so; it is not a write of nothing.
  ::close(pty.master);
  pty.master = -1;
  EXPECT_EQ(second.write(out, sizeof out), -1);
  EXPECT_NE(second.lastError(), SerialError::None);

  PosixSerialPort missing;
  EXPECT_EQ(missing.open("/dev/kelvaro-no-such-port"), SerialError::NoSuchDevice);
  EXPECT_NE(missing.lastErrorText().find("/dev/kelvaro-no-such-port"), std::string::npos);
  std::uint8_t b = 0;
  EXPECT_EQ(missing.read(&b, 1), -1);
  EXPECT_EQ(missing.lastError(), SerialError::NotOpen);
}

}  // namespace
}  // namespace kelvaro::test
