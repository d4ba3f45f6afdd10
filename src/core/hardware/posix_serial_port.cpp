// termios back-end of the serial port.
#include "hardware/posix_serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvaro {

SerialError PosixSerialPort::failErrno(std::string_view what, int err) {
  SerialError kind = SerialError::Io;
  switch (err) {
    case ENOENT: case ENODEV: case ENXIO: kind = SerialError::NoSuchDevice; break;
    case EBUSY: case EWOULDBLOCK: kind = SerialError::Busy; break;
    case EACCES: case EPERM: kind = SerialError::AccessDenied; break;
    case ENOTTY: case EINVAL: case ENOTSUP: kind = SerialError::NotSupported; break;
    default: break;
  }
  return fail(kind, std::string(what) + ": " + std::strerror(err));
}

SerialError PosixSerialPort::open(const std::string& device) {
  if (m_fd >= 0) return fail(SerialError::AlreadyOpen, "open: " + device);
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return failErrno("open " + device, errno);
  // flock holds against every process, root included; TIOCEXCL alone does not stop root.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return failErrno("lock " + device, err == EWOULDBLOCK ? EBUSY : err);
  }
  if (::ioctl(fd, TIOCEXCL) != 0) {
    const int err = errno;
    ::close(fd);
    return failErrno("exclusive " + device, err);
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    const int err = errno;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return failErrno("tcgetattr " + device, err);
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    const int err = errno;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return failErrno("tcsetattr " + device, err);
  }
  m_fd = fd;
  // Both lines start low; a pseudo-terminal has none, which is no reason to refuse it.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(m_fd, TIOCMBIC, &lines);
  ::tcflush(m_fd, TCIOFLUSH);
  return fail(SerialError::None, {});
}

void PosixSerialPort::close() {
  if (m_fd < 0) return;
  // Lift the exclusive mark: the terminal may outlive us (a pseudo-terminal held by the
  // simulator), and the next open must not find it locked.
  ::ioctl(m_fd, TIOCNXCL);
  ::flock(m_fd, LOCK_UN);
  ::close(m_fd);
  m_fd = -1;
}

SerialError PosixSerialPort::purge(int mode) {
  if (m_fd < 0) return fail(SerialError::NotOpen, "purge");
  int queue = 0;
  switch (mode) {
    case kPurgeOutput: queue = TCOFLUSH; break;
    case kPurgeInput: queue = TCIFLUSH; break;
    case kPurgeNothing: return fail(SerialError::None, {});
    case kPurgeBoth: queue = TCIOFLUSH; break;
    default: return fail(SerialError::InvalidArgument, "purge mode " + std::to_string(mode));
  }
  if (::tcflush(m_fd, queue) != 0) return failErrno("tcflush", errno);
  return fail(SerialError::None, {});
}

SerialError PosixSerialPort::lineControl(int code) {
  if (m_fd < 0) return fail(SerialError::NotOpen, "line control");
  int bits = 0;
  unsigned long request = 0;
  switch (code) {
    case kSetRts: bits = TIOCM_RTS; request = TIOCMBIS; break;
    case kClearRts: bits = TIOCM_RTS; request = TIOCMBIC; break;
    case kSetDtr: bits = TIOCM_DTR; request = TIOCMBIS; break;
    case kClearDtr: bits = TIOCM_DTR; request = TIOCMBIC; break;
    default: return fail(SerialError::InvalidArgument, "line code " + std::to_string(code));
  }
  if (::ioctl(m_fd, request, &bits) != 0) return failErrno("modem lines", errno);
  return fail(SerialError::None, {});
}

int PosixSerialPort::modemStatus() {
  if (m_fd < 0) return 0;
  int bits = 0;
  if (::ioctl(m_fd, TIOCMGET, &bits) != 0) {
    const int err = errno;
    // A device without modem lines (a pseudo-terminal such as kelvaro-sim's) can never raise
    // CTS: waiting for it would fail every radio frame, so such a line counts as clear to send.
    if (err == ENOTTY || err == EINVAL) return kStatusCts;
    failErrno("modem status", err);
    return 0;
  }
  int status = 0;
  if (bits & TIOCM_CTS) status |= kStatusCts;
  if (bits & TIOCM_DSR) status |= kStatusDsr;
  if (bits & TIOCM_RNG) status |= kStatusRing;
  if (bits & TIOCM_CAR) status |= kStatusDcd;
  return status;
}

int PosixSerialPort::inputCount() {
  if (m_fd < 0) return 0;
  int count = 0;
  if (::ioctl(m_fd, FIONREAD, &count) != 0) {
    failErrno("queued bytes", errno);
    return 0;
  }
  return count < 0 ? 0 : count;
}

long PosixSerialPort::read(std::uint8_t* buffer, std::size_t count) {
  if (m_fd < 0) return fail(SerialError::NotOpen, "read"), -1;
  if (count == 0) return 0;
  if (buffer == nullptr) return fail(SerialError::InvalidArgument, "read"), -1;
  const ssize_t n = ::read(m_fd, buffer, count);
  if (n < 0) {
    if (errno == EAGAIN || errno == EINTR) return 0;
    failErrno("read", errno);
    return -1;
  }
  return n;
}

long PosixSerialPort::write(const std::uint8_t* buffer, std::size_t count) {
  if (m_fd < 0) return fail(SerialError::NotOpen, "write"), -1;
  if (count == 0) return 0;
  if (buffer == nullptr) return fail(SerialError::InvalidArgument, "write"), -1;
  const ssize_t n = ::write(m_fd, buffer, count);
  if (n < 0) {
    if (errno == EAGAIN || errno == EINTR) return 0;
    failErrno("write", errno);
    return -1;
  }
  return n;
}

}  // namespace kelvaro
