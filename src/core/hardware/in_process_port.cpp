// The in-process serial port.
#include "hardware/in_process_port.h"

namespace kelvaro {

SimulatedDevice::~SimulatedDevice() {
  if (m_holder) m_holder->deviceGone();
}

void InProcessSerialPort::deviceGone() {
  m_device = nullptr;
  m_open = false;
  m_input.clear();
}

SerialError InProcessSerialPort::open(const std::string& device) {
  if (m_open) return fail(SerialError::AlreadyOpen, "open " + device);
  if (!m_device) return fail(SerialError::NoSuchDevice, "open " + device + ": device gone");
  if (m_device->claimed()) return fail(SerialError::Busy, "open " + device + ": in use");
  m_device->m_holder = this;
  m_open = true;
  m_dtr = m_rts = false;
  m_device->pcLines(m_dtr, m_rts, m_clock.monotonicMs());
  // Purge both directions: what the device said before the open is not ours.
  std::vector<std::uint8_t> stale;
  m_device->toPc(m_clock.monotonicMs(), stale);
  m_input.clear();
  return fail(SerialError::None, {});
}

void InProcessSerialPort::close() {
  if (!m_open) return;
  m_dtr = m_rts = false;
  m_device->pcLines(false, false, m_clock.monotonicMs());
  m_device->m_holder = nullptr;
  m_open = false;
  m_input.clear();
}

void InProcessSerialPort::collect() {
  std::vector<std::uint8_t> arrived;
  m_device->toPc(m_clock.monotonicMs(), arrived);
  m_input.insert(m_input.end(), arrived.begin(), arrived.end());
}

SerialError InProcessSerialPort::purge(int mode) {
  if (!m_open) return fail(SerialError::NotOpen, "purge");
  if (mode < 0 || mode > 3) return fail(SerialError::InvalidArgument, "purge mode " + std::to_string(mode));
  if (mode == kPurgeInput || mode == kPurgeBoth) {
    collect();
    m_input.clear();
  }
  // Output is handed to the device at once, so there is never any to discard.
  return fail(SerialError::None, {});
}

SerialError InProcessSerialPort::lineControl(int code) {
  if (!m_open) return fail(SerialError::NotOpen, "line control");
  switch (code) {
    case kSetRts: m_rts = true; break;
    case kClearRts: m_rts = false; break;
    case kSetDtr: m_dtr = true; break;
    case kClearDtr: m_dtr = false; break;
    default: return fail(SerialError::InvalidArgument, "line code " + std::to_string(code));
  }
  m_device->pcLines(m_dtr, m_rts, m_clock.monotonicMs());
  return fail(SerialError::None, {});
}

int InProcessSerialPort::modemStatus() {
  if (!m_open) return 0;
  return m_device->modemLines(m_clock.monotonicMs()) & 0x0F;
}

int InProcessSerialPort::inputCount() {
  if (!m_open) return 0;
  collect();
  return static_cast<int>(m_input.size());
}

long InProcessSerialPort::read(std::uint8_t* buffer, std::size_t count) {
  if (!m_open) return fail(SerialError::NotOpen, "read"), -1;
  if (count == 0) return 0;
  if (buffer == nullptr) return fail(SerialError::InvalidArgument, "read"), -1;
  collect();
  std::size_t n = 0;
  while (n < count && !m_input.empty()) {
    buffer[n++] = m_input.front();
    m_input.pop_front();
  }
  return static_cast<long>(n);
}

long InProcessSerialPort::write(const std::uint8_t* buffer, std::size_t count) {
  if (!m_open) return fail(SerialError::NotOpen, "write"), -1;
  if (count == 0) return 0;
  if (buffer == nullptr) return fail(SerialError::InvalidArgument, "write"), -1;
  if (!m_device->accepting()) return 0;
  m_device->fromPc(std::span<const std::uint8_t>(buffer, count), m_clock.monotonicMs());
  return static_cast<long>(count);
}

}  // namespace kelvaro
