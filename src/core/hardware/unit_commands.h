// The commands of the control-unit page: program transfer, clock, configuration block,
// unit actions, start without stored program, firmware information and AutoDetect. Each
// identifies the unit first, runs its frames with their fixed pauses and closes the line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"
#include "language/compiler.h"
#include "model/project.h"

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

class UnitCommands {
 public:
  UnitCommands(Protocol& protocol, UnitPage& page) : m_protocol(protocol), m_page(page) {}

  // Shows a compiler error at its object (the object editor); unset: the error message box.
  std::function<void(const CompileOutput&)> showCompileError;
  // The main window's handling of a changed type after AutoDetect.
  std::function<void()> typeChanged;
  // The weekly sun times for the image; the argument says whether the PC applies summer
  // time (units whose summer-time mode is below 3 leave it to the PC). Unset: the table of
  // the options passed to ProgramTransfer is used as it is.
  std::function<std::vector<SunWeek>(bool applySummerTime)> sunTable;
  // Called after each program block: blocks sent, blocks in all.
  std::function<void(int, int)> blockSent;

  // Every command returns whether it did what it was asked; the page shows the details.
  bool ProgramTransfer(Project& project, const CompileOptions& options,
                       const std::optional<std::string>& outputFile = std::nullopt);
  bool SetUnitClock();
  bool ConfigWrite();
  bool ConfigRead();
  bool UnitAction(std::uint8_t command, std::string_view actionName);
  bool StartWithoutProgram();
  bool FirmwareInfo();
  bool AutoDetect();

  // The compiled image of the last transfer (for a caller that saves or compares it).
  const CompileOutput& lastCompile() const { return m_compiled; }

 private:
  int send(std::span<const std::uint8_t> data, int L, int mode = 1, std::uint8_t address = 2);
  void status(std::string text);
  std::string portName() const;
  Protocol& m_protocol;
  UnitPage& m_page;
  CompileOutput m_compiled;
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
