// The serial port as the line layer sees it: a handful of verbs on one port, each with a clear
// result. One back-end drives a real device through termios, another one the built-in
// simulator in the same process; the line layer above never knows which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvaro {

enum class SerialError {
  None,
  NotOpen,          // the verb needs an open port
  AlreadyOpen,
  InvalidArgument,  // an unknown purge mode or line code, a null buffer
  NoSuchDevice,
  Busy,             // another program holds the port
  AccessDenied,
  NotSupported,     // e.g. modem lines of a pseudo-terminal
  Io,
};

// Modem-status bits as ModemStatus returns them.
inline constexpr int kStatusCts = 1;
inline constexpr int kStatusDsr = 2;
inline constexpr int kStatusRing = 4;
inline constexpr int kStatusDcd = 8;
// CTS and DCD on, DSR and RING off: an older control unit says it is ready to listen.
inline constexpr int kUnitReady = kStatusCts | kStatusDcd;

// Codes of LineControl.
inline constexpr int kSetRts = 3;
inline constexpr int kClearRts = 4;
inline constexpr int kSetDtr = 5;
inline constexpr int kClearDtr = 6;

// Modes of PurgePort.
inline constexpr int kPurgeOutput = 0;
inline constexpr int kPurgeInput = 1;
inline constexpr int kPurgeNothing = 2;
inline constexpr int kPurgeBoth = 3;

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device exclusively at 9600 baud 8N1, raw, without flow control, DTR and RTS
  // low, both directions purged.
  virtual SerialError open(const std::string& device) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual SerialError purge(int mode) = 0;
  virtual SerialError lineControl(int code) = 0;
  // CTS, DSR, RING and DCD as bits; 0 when they cannot be read.
  virtual int modemStatus() = 0;
  // Bytes waiting to be read; 0 when closed or unreadable. Clears a pending line error.
  virtual int inputCount() = 0;
  // Never blocks: reads at most count queued bytes. -1 on an error (see lastError).
  virtual long read(std::uint8_t* buffer, std::size_t count) = 0;
  // Never blocks: writes what the driver takes now. -1 on an error.
  virtual long write(const std::uint8_t* buffer, std::size_t count) = 0;

  // What went wrong last, with the system's words where there are any.
  SerialError lastError() const { return m_lastError; }
  const std::string& lastErrorText() const { return m_lastErrorText; }

 protected:
  SerialError fail(SerialError error, std::string text) {
    m_lastError = error;
    m_lastErrorText = std::move(text);
    return error;
  }

 private:
  SerialError m_lastError = SerialError::None;
  std::string m_lastErrorText;
};

}  // namespace kelvaro
