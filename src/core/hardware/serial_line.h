// The line layer: the one serial port in use, its timed read and write, the busy-wait delay
// of the protocol pauses, the taking and releasing of the line by commands, the mapping of
// the port names "COM1" ... to devices and the line log RS232LOG.TXT.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hardware/serial_port.h"
#include "time/clock.h"

namespace kelvaro {

class UserInterface;

// Fractions of a day used as protocol pauses and limits.
inline constexpr double kDays0_864ms = 1e-8;
inline constexpr double kDays8_64ms = 1e-7;
inline constexpr double kDays17_28ms = 2e-7;
inline constexpr double kDays34_56ms = 4e-7;
inline constexpr double kDays86_4ms = 1e-6;
inline constexpr double kDays172_8ms = 2e-6;
inline constexpr double kDays259_2ms = 3e-6;
inline constexpr double kDays691_2ms = 8e-6;
inline constexpr double kDays864ms = 1e-5;
inline constexpr double kDays1_728s = 2e-5;
inline constexpr double kDays2_592s = 3e-5;
inline constexpr double kDays3_456s = 4e-5;
inline constexpr double kDays4_32s = 5e-5;
inline constexpr double kDays5_184s = 6e-5;
inline constexpr double kDays7_776s = 9e-5;

// A fraction of a day in whole milliseconds (8.64 ms rounds to 9).
std::uint32_t daysToMs(double days);

inline constexpr std::string_view kLineLogFile = "RS232LOG.TXT";
inline constexpr std::string_view kSimulatorWord = "SIM";

// Where a port name leads: a device path, or the built-in simulator.
struct PortTarget {
  bool simulator = false;
  std::string device;
};

// The installer's mapping of port names to devices: the entry for "COMn" (n without leading
// zeros), or nothing. The settings file's PORTS section is one (app/port_settings.h); the line
// layer takes it as a function so that it needs to know no file format.
using PortMapping = std::function<std::optional<std::string>(std::string_view comName)>;

// "COMn" (any case, n >= 1) by the mapping, without an entry /dev/ttyS(n-1); an entry or name
// "SIM" means the simulator; any other name is a device path.
PortTarget resolvePortName(std::string_view name, const PortMapping& mapping = {});

using PortFactory = std::function<std::unique_ptr<SerialPort>(const PortTarget&)>;

class SerialLine {
 public:
  // pump lets the user interface process pending events; every wait calls it, and with a
  // virtual clock it is the one thing that moves time on.
  SerialLine(const Clock& clock, PortFactory factory, std::function<void()> pump, UserInterface* ui = nullptr);
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // How port names become devices; by default resolvePortName without a mapping.
  std::function<PortTarget(std::string_view)> resolve;

  // The driver's operations.
  int OpenPort(std::string_view portName, std::uint32_t inputQueueSize, std::uint32_t outputQueueSize);
  void ClosePort();
  bool PurgePort(int mode);
  bool LineControl(int code);
  int ModemStatus();
  int InputCount();
  int WritePort(const std::uint8_t* buffer, int count);
  int ReadPort(std::uint8_t* buffer, int count, std::uint32_t idleMs);
  void WaitDays(double days);
  bool portOpen() const { return m_port && m_port->isOpen(); }
  std::uint32_t inputQueueSize() const { return m_inputQueueSize; }
  std::uint32_t outputQueueSize() const { return m_outputQueueSize; }
  // Why the last OpenPort failed, in the system's words.
  const std::string& openError() const { return m_openError; }

  // The line layer.
  int OpenLine(std::string_view portName);
  void CloseLine();
  int LineHandle = -1;
  bool LineOpen = false;
  bool ModemLinkUp = false;
  bool LineLogOn = false;
  std::string logPath = std::string(kLineLogFile);
  // Called by CloseLine outside a modem link: the protocol clears its unit's connected mark.
  std::function<void()> onLineClosed;
  // The execution window's frame list while a run shows it.
  std::function<void(const std::string&)> frameList;

  // Log lines of a whole sent frame and of the bytes after a received frame's length byte.
  void logSent(std::span<const std::uint8_t> frame);
  void logReceived(std::span<const std::uint8_t> afterLength);

  void pump();
  const Clock& clock() const { return m_clock; }
  std::uint32_t nowMs() const { return static_cast<std::uint32_t>(m_clock.monotonicMs()); }
  UserInterface* ui() const { return m_ui; }

 private:
  void writeLogLine(std::string_view arrow, std::span<const std::uint8_t> bytes);

  const Clock& m_clock;
  PortFactory m_factory;
  std::function<void()> m_pump;
  UserInterface* m_ui;
  std::unique_ptr<SerialPort> m_port;
  std::uint32_t m_inputQueueSize = 0;
  std::uint32_t m_outputQueueSize = 0;
  std::string m_openError;
  std::FILE* m_log = nullptr;
};

// " 81 06 C9" for the bytes 0x81, 0x06, 0xC9: a blank before each pair.
std::string hexText(std::span<const std::uint8_t> bytes);

}  // namespace kelvaro
