// The frame-level commands of the control-unit page: identification, clock, configuration
// block, unit actions, start without stored program, firmware information and AutoDetect.
// Each identifies the unit first, runs its frames with their fixed pauses and closes the
// line. The program transfer, which compiles first, builds on them in app/program_transfer.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"
#include "time/date_time.h"

namespace kelvaro {

// The fields of the page that the commands read and fill.
struct UnitPage {
  std::string ComPortCoB;  // "COM1" ...
  std::string ConvertCoB;  // the selected type text
  int ConvertIndex = 0;    // its index in the type list; 0 is the first entry
  bool StSndPgmCB = true;  // send the program
  bool StInitCB = true;    // prepare the unit
  bool StSndTimeCB = false;  // set the clock afterwards
  std::string ProjNamLb;   // the project name
  std::string ClockKorEd = "45";
  std::string InitModemEd;
  std::string PasswModemEd;
  std::string ConnectModemEd;
  std::uint8_t rs232Prot = 0;
  std::string MsgLb;
  std::string InfoPgmGrLb;
  std::string RelInfoLb;
  std::vector<std::string> CfgM;
};

inline constexpr std::string_view kConnectingText = "Verbindung zur Steuereinheit wird aufgebaut";

// The access number and password of the remote access field, as the configuration holds them.
struct RemoteAccess {
  std::string number;    // five digits or empty
  std::string password;  // up to six characters
};
// Splits an upper-cased field: "1234;ABC" -> "12340"/"ABC", "4071" -> "40710"/"", "GEHEIM7" -> ""/"GEHEIM".
RemoteAccess splitRemoteAccess(std::string_view upperText);

// The 74 configuration bytes (index 0 unused, 1 to 74 as sent). Changes the fields the way
// the page does: upper-cases the access field and shortens the connect message to 25.
std::vector<std::uint8_t> configurationBytes(UnitPage& page, std::uint16_t deviceClass);

// The information line of the firmware reply.
std::string firmwareText(std::span<const std::uint8_t> data);

// The set-clock command for the time given (0x20, year, month, day, hour, minute, second,
// weekday from 0 = Sunday), sent with kModeUnitClock to unit address kUnitClockAddress; the
// run sends it too when the unit asks for the time.
inline constexpr int kModeUnitClock = 102;
inline constexpr std::uint8_t kUnitClockAddress = 3;
std::array<std::uint8_t, 8> unitClockCommand(DateTime now);

class UnitCommands {
 public:
  UnitCommands(Protocol& protocol, UnitPage& page) : m_protocol(protocol), m_page(page) {}

  // The main window's handling of a changed type after AutoDetect.
  std::function<void()> typeChanged;
  // What AutoDetect tries after COM1 ... COM4, in order: the page adds the serial devices it
  // lists. The built-in simulated unit comes last, so that real hardware wins and a PC
  // without any still finds a unit to try a project on.
  std::vector<std::string> laterSearchPorts{std::string(kSimulatorWord)};

  // Every command returns whether it did what it was asked; the page shows the details.
  // Identifies the unit at the page's port as the page's type (CheckUnit reports a missing
  // or different unit itself). The line stays open for the frames that follow; Release
  // closes it.
  bool Identify();
  // Sets the unit's clock to the PC's; the line must be open (after Identify).
  bool SetUnitClock();
  bool ConfigWrite();
  bool ConfigRead();
  bool UnitAction(std::uint8_t command, std::string_view actionName);
  bool StartWithoutProgram();
  bool FirmwareInfo();
  bool AutoDetect();

  // The pieces a command built on these one needs (the program transfer).
  // Sends one frame to the unit; returns what SendFrame returns (the reply's length, or
  // below 1 when nothing came).
  int send(std::span<const std::uint8_t> data, int L, int mode = 1, std::uint8_t address = 2);
  // Shows a text in the page's message field and the status line.
  void status(std::string text);
  // Closes the line after a command; clearStatus also empties the message field.
  void Release(bool clearStatus = false);
  Protocol& protocol() { return m_protocol; }
  UnitPage& page() { return m_page; }

 private:
  // The frame of the commands that talk to an identified unit: Identify, the body with the
  // open line, Release. A unit that does not answer ends the command before the body.
  bool onUnit(const std::function<bool(SerialLine& line)>& body, bool clearStatus = false);
  // The quiet moment before a request whose reply is awaited in the slot: the message field
  // emptied, the slot and the input queue cleared, then the request's own pause.
  void settleBeforeRequest(double pauseDays);
  std::string portName() const;
  Protocol& m_protocol;
  UnitPage& m_page;
};

// The five actions: command byte and action name.
struct UnitActionInfo {
  std::uint8_t command;
  std::string_view name;  // UTF-8; the page shows it in Windows-1252
};
inline constexpr UnitActionInfo kUnitActions[] = {
    {0x30, "Speichern in Steuereinheit"},
    {0x31, "Neustart"},
    {0x32, "Programm in Steuereinheit löschen"},
    {0x33, "Programm beenden"},
    {0x48, "Modem init."},
};

}  // namespace kelvaro
