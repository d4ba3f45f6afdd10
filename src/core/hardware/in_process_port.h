// A serial port whose far end is a device simulated in this process: bytes and the modem
// lines (DTR/RTS out, CTS/DSR/RING/DCD in) travel through plain calls, timed by the clock,
// so that the whole protocol, hand-shake included, runs in tests in virtual time.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "hardware/serial_port.h"
#include "time/clock.h"

namespace kelvaro {

class InProcessSerialPort;

// The far end of an in-process line.
class SimulatedDevice {
 public:
  SimulatedDevice() = default;
  SimulatedDevice(const SimulatedDevice&) = delete;
  SimulatedDevice& operator=(const SimulatedDevice&) = delete;
  // A device that goes away first leaves the port holding it closed, never dangling.
  virtual ~SimulatedDevice();
  // Bytes the PC wrote, at nowMs.
  virtual void fromPc(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) = 0;
  // The PC's DTR and RTS changed (or were set at open).
  virtual void pcLines(bool dtr, bool rts, std::uint64_t nowMs) = 0;
  // Appends the bytes that have fully arrived at the PC by nowMs.
  virtual void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) = 0;
  // CTS, DSR, RING and DCD as the PC sees them at nowMs.
  virtual int modemLines(std::uint64_t nowMs) = 0;

  // False when the device takes no bytes now (a pulled cable): writes then make no progress.
  virtual bool accepting() const { return true; }

  // Set while a port holds the line: a second open is refused, as a real port would.
  bool claimed() const { return m_holder != nullptr; }

 private:
  friend class InProcessSerialPort;
  InProcessSerialPort* m_holder = nullptr;
};

class InProcessSerialPort final : public SerialPort {
 public:
  InProcessSerialPort(SimulatedDevice& device, const Clock& clock) : m_device(&device), m_clock(clock) {}
  InProcessSerialPort(const InProcessSerialPort&) = delete;
  InProcessSerialPort& operator=(const InProcessSerialPort&) = delete;
  ~InProcessSerialPort() override { close(); }

  SerialError open(const std::string& device) override;
  void close() override;
  bool isOpen() const override { return m_open; }
  SerialError purge(int mode) override;
  SerialError lineControl(int code) override;
  int modemStatus() override;
  int inputCount() override;
  long read(std::uint8_t* buffer, std::size_t count) override;
  long write(const std::uint8_t* buffer, std::size_t count) override;

  bool dtr() const { return m_dtr; }
  bool rts() const { return m_rts; }

 private:
  friend class SimulatedDevice;
  void collect();
  void deviceGone();
  SimulatedDevice* m_device;  // null once the device has gone
  const Clock& m_clock;
  bool m_open = false;
  bool m_dtr = false;
  bool m_rts = false;
  std::deque<std::uint8_t> m_input;
};

}  // namespace kelvaro
