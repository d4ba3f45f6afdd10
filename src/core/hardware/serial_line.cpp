// The line layer over the serial port.
#include "hardware/serial_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "ui/user_interface.h"
#include "hardware/posix_serial_port.h"
#include "time/date_time.h"
#include "text/hex_text.h"
#include "text/text_util.h"

namespace kelvaro {

std::uint32_t daysToMs(double days) {
  if (!(days > 0)) return 0;
  return static_cast<std::uint32_t>(std::lround(days * kSecondsPerDay * 1000.0));
}

PortTarget resolvePortName(std::string_view name, const PortMapping& mapping) {
  auto isSimWord = [](std::string_view text) {
    if (text.size() != kSimulatorWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(text[i])) != kSimulatorWord[i]) return false;
    return true;
  };
  if (isSimWord(name)) return {true, {}};
  const bool com = name.size() > 3 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
                   std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
                   std::toupper(static_cast<unsigned char>(name[2])) == 'M' &&
                   std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!com || name.size() > 6) return {false, std::string(name)};
  const int n = parseInt(name.substr(3)).value_or(0);
  if (n < 1) return {false, std::string(name)};
  if (mapping) {
    if (auto mapped = mapping("COM" + std::to_string(n)); mapped && !mapped->empty()) {
      if (isSimWord(*mapped)) return {true, {}};
      return {false, *mapped};
    }
  }
  return {false, "/dev/ttyS" + std::to_string(n - 1)};
}

std::string hexText(std::span<const std::uint8_t> bytes) {
  return bytes.empty() ? std::string() : " " + hexBytes(bytes);
}

SerialLine::SerialLine(const Clock& clock, PortFactory factory, std::function<void()> pump, UserInterface* ui)
    : resolve([](std::string_view name) { return resolvePortName(name); }),
      m_clock(clock),
      m_factory(std::move(factory)),
      m_pump(std::move(pump)),
      m_ui(ui) {}

SerialLine::~SerialLine() {
  if (m_log) std::fclose(m_log);
  ClosePort();
}

void SerialLine::pump() {
  if (m_pump) m_pump();
}

int SerialLine::OpenPort(std::string_view portName, std::uint32_t inputQueueSize, std::uint32_t outputQueueSize) {
  // One port at a time: a port left open by an earlier caller is closed, not leaked.
  ClosePort();
  m_port.reset();
  m_openError.clear();
  const PortTarget target = resolve(portName);
  if (m_factory) m_port = m_factory(target);
  if (!m_port) {
    m_openError = target.simulator ? "no simulator attached" : "no serial back-end";
    return -1;
  }
  if (m_port->open(target.device) != SerialError::None) {
    m_openError = m_port->lastErrorText();
    m_port.reset();
    return -1;
  }
  m_inputQueueSize = inputQueueSize;
  m_outputQueueSize = outputQueueSize;
  return 1;
}

void SerialLine::ClosePort() {
  if (m_port && m_port->isOpen()) m_port->close();
}

bool SerialLine::PurgePort(int mode) { return portOpen() && m_port->purge(mode) == SerialError::None; }

bool SerialLine::LineControl(int code) { return portOpen() && m_port->lineControl(code) == SerialError::None; }

int SerialLine::ModemStatus() { return portOpen() ? m_port->modemStatus() : 0; }

int SerialLine::InputCount() { return portOpen() ? m_port->inputCount() : 0; }

int SerialLine::WritePort(const std::uint8_t* buffer, int count) {
  if (!portOpen() || buffer == nullptr || count <= 0) return 0;
  const std::uint32_t start = nowMs();
  const std::uint32_t limit = daysToMs(kDays4_32s);
  int written = 0;
  while (written < count) {
    const long n = m_port->write(buffer + written, static_cast<std::size_t>(count - written));
    if (n > 0) {
      written += static_cast<int>(n);
      continue;
    }
    if (static_cast<std::uint32_t>(nowMs() - start) > limit) break;
    pump();
  }
  return written;
}

int SerialLine::ReadPort(std::uint8_t* buffer, int count, std::uint32_t idleMs) {
  if (count <= 0) return 0;
  if (!portOpen() || buffer == nullptr) return 0;
  const std::uint32_t limit = daysToMs(kDays4_32s);
  const std::uint32_t start = nowMs();
  std::uint32_t lastChunk = start;
  int got = 0;
  while (got < count) {
    const int queued = InputCount();
    if (queued > 0) {
      const long n = m_port->read(buffer + got, static_cast<std::size_t>(std::min(queued, count - got)));
      if (n > 0) {
        got += static_cast<int>(n);
        lastChunk = nowMs();
      } else if (static_cast<std::uint32_t>(nowMs() - start) > limit) {
        break;
      }
    } else if (static_cast<std::uint32_t>(nowMs() - lastChunk) > idleMs) {
      break;
    }
    if (got < count) pump();
  }
  return got;
}

void SerialLine::WaitDays(double days) {
  const std::uint64_t ms = daysToMs(days);
  const std::uint64_t start = m_clock.monotonicMs();
  while (m_clock.monotonicMs() - start < ms) pump();
}

int SerialLine::OpenLine(std::string_view portName) {
  if (LineLogOn && !m_log) m_log = std::fopen(logPath.c_str(), "ab");
  if (ModemLinkUp) return LineHandle;
  LineHandle = OpenPort(portName, 4096, 4096);
  if (LineHandle >= 0) {
    LineControl(kSetDtr);
    LineOpen = true;
  } else if (m_ui) {
    m_ui->beep();
  }
  return LineHandle;
}

void SerialLine::CloseLine() {
  if (m_log) {
    std::fclose(m_log);
    m_log = nullptr;
  }
  if (ModemLinkUp) return;
  if (onLineClosed) onLineClosed();
  LineControl(kClearDtr);
  ClosePort();
  LineOpen = false;
}

void SerialLine::writeLogLine(std::string_view arrow, std::span<const std::uint8_t> bytes) {
  if (!m_log) return;
  const std::string line = dateTimeText(m_clock.now()) + ": " + std::string(arrow) + hexText(bytes) + "\r\n";
  std::fwrite(line.data(), 1, line.size(), m_log);
  std::fflush(m_log);
}

void SerialLine::logSent(std::span<const std::uint8_t> frame) {
  writeLogLine("Ausgabe -> ", frame);
  if (frameList) frameList("O:" + hexText(frame));
}

void SerialLine::logReceived(std::span<const std::uint8_t> afterLength) {
  writeLogLine("Eingabe -> ", afterLength);
  if (frameList) frameList(" I:" + hexText(afterLength));
}

}  // namespace kelvaro
