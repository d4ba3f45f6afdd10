// The serial port on a POSIX system through termios; works on real serial devices and on
// pseudo-terminals, whose missing modem lines read as "all off".
#pragma once

#include "hardware/serial_port.h"

namespace kelvaro {

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort() = default;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;
  ~PosixSerialPort() override { close(); }

  SerialError open(const std::string& device) override;
  void close() override;
  bool isOpen() const override { return m_fd >= 0; }
  SerialError purge(int mode) override;
  SerialError lineControl(int code) override;
  int modemStatus() override;
  int inputCount() override;
  long read(std::uint8_t* buffer, std::size_t count) override;
  long write(const std::uint8_t* buffer, std::size_t count) override;

 private:
  SerialError failErrno(std::string_view what, int err);
  int m_fd = -1;
};

}  // namespace kelvaro
