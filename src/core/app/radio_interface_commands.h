// The dialog "Einstellungen Funk-Schnittstelle" on the line: the radio part's central code
// for FHT8b room controllers and its serial number are read, a new code is written and read
// back, and a control unit is held in configuration mode while the dialog is open (a radio
// PC interface knows no such mode and is sent nothing of it).
#pragma once

#include <cstdint>
#include <string>

#include "hardware/protocol.h"

namespace kelvaro {

inline constexpr double kDays500ms = 500.0 / 86'400'000.0;

class RadioInterfaceCommands {
 public:
  // port: the unit's port as the page "Steuereinheit" stores it.
  RadioInterfaceCommands(Protocol& protocol, std::string port);
  ~RadioInterfaceCommands();
  RadioInterfaceCommands(const RadioInterfaceCommands&) = delete;
  RadioInterfaceCommands& operator=(const RadioInterfaceCommands&) = delete;

  // Identifies the device with the line kept open, puts a control unit into configuration
  // mode and reads the central code. False when no device answered (the message is shown).
  bool Open();
  // Reads the central code and the serial number into the fields; they keep their values
  // when no answer comes within 172.8 ms of the request.
  bool ReadCentralCode();
  // Writes the code (1 to 100), waits 500 ms and reads it back; true when the read-back
  // shows the code written.
  bool WriteCentralCode(int code);
  // The double click on the code's label: the radio part's hidden command.
  bool HiddenCommand();
  // "B" to a connected control unit, then the line is closed.
  void Close();

  // The dialog's fields.
  int ZentrCodeEdt = 1;
  std::string SerNrLb;
  std::string MsgLab;
  std::uint32_t serialNumber = 0;

 private:
  void status(std::string text);
  Protocol& m_protocol;
  std::string m_port;
  bool m_open = false;
  bool m_timerWasRunning = true;
};

}  // namespace kelvaro
