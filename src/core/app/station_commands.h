// The station dialog's and the page "E/A-Module"'s commands on the line: opening and closing
// the dialog around the unit's configuration mode, reading and writing a station, address
// assignment and change, radio addresses, the line search, the station test and the batch
// check and configuration over the project. Every wait is bounded and pumps the user
// interface, so "Abbruch" works; a station that does not answer leaves its data as it was.
// The byte rules themselves live in hardware/station_config.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"
#include "hardware/station_config.h"
#include "model/project.h"
#include "ui/user_interface.h"

namespace kelvaro {

// Pauses of the station commands besides the protocol's own.
inline constexpr double kDays432ms = 5e-6;
inline constexpr double kDays10ms = 10.0 / 86'400'000.0;

// The texts of the wait dialog while a radio device is to announce its address.
inline constexpr std::string_view kRadioAddressWaitCaption = "Warte auf Adress-Meldung";
inline constexpr std::string_view kRadioAddressSendText = "Senden Sie jetzt mit dem Sensor eine Meldung";
inline constexpr std::string_view kRadioAddressBatteryText = "Legen Sie jetzt die neuen Batterien ein";
inline constexpr std::string_view kTypeChangedText = "Typeinstellung wurde automatisch vorgenommen";
inline constexpr std::string_view kLineSearchHeading = "Autodetect:";
inline constexpr std::string_view kLineSearchColumns = "Ltg.   Adr.   Art";
inline constexpr std::string_view kCheckProtocolHeading =
    "Protokoll Pr\xFC"
    "fung:";
inline constexpr std::string_view kConfigureProtocolHeading = "Protokoll Konfiguration:";
inline constexpr std::string_view kNoStationsToCheckText =
    "Keine Stationen zur Pr\xFC"
    "fung vorhanden";

// The FS20 "learn this address" frame sent by "Adresse senden": a radio frame to the actuator
// whose three header bytes are the address it is to take (SendFrame puts them at frame bytes
// 7 to 9) and one data byte, 0x17. An actuator in its learning mode takes the address of the
// first frame it hears; 0x17 does nothing to one that is not learning.
inline constexpr std::uint8_t kRadioAddressCommand = 0x17;

// What a probe of a station address found.
enum class ProbeResult { Present, Absent, SendFailed };

// The radio device type a radio frame comes from, by its status value (FS20 push-button and
// sensor, room controller, HMS100); 0 when the frame names none of them.
int radioTypeOfFrame(const ReceivedFrame& frame);

class StationCommands {
 public:
  // port: the unit's port as the page "Steuereinheit" stores it. Batch mode writes the
  // dialog's failures into protocolLines instead of showing them in message boxes.
  StationCommands(Protocol& protocol, Project& project, std::string port, bool batch = false);
  ~StationCommands();
  StationCommands(const StationCommands&) = delete;
  StationCommands& operator=(const StationCommands&) = delete;

  // Identifies the unit with the line kept open and puts a control unit into configuration
  // mode ("A"). Failure: the message (or protocol line), MsgLab "Keine Verbindung zur
  // Steuereinheit", false.
  bool Open();
  // Takes a control unit out of configuration mode ("B") and closes the line.
  void Close();
  bool connected() const { return m_open; }

  // Reads the station's configuration (three attempts) and applies it to the station. In
  // batch mode the protocol gets "Signalstation NAME ist OK" or "Fehler bei Prüfung NAME".
  bool Read(TPSContr& station);
  // Writes the station's settings (special: the red " Config " mark of 40611x/40612x) and
  // reads them back. Bytes no setting names keep what the last read of this station gave.
  bool Write(TPSContr& station, bool special = false);

  // Waits up to waitDays for a station's status message (its button was pressed) and gives
  // that station the address: requested 0 is the next free one. Sets the station's address.
  bool AssignAddress(TPSContr& station, int requested, double waitDays);
  // "Neue Adresse prüfen": probes the address and shows what it found.
  ProbeResult TestNewAddress(int address);
  // "Adresswechsel": the station moves from its stored address to the new one.
  bool ChangeAddress(TPSContr& station, int newAddress);
  // One probe of a station address: a 0x83 from it within 864 ms.
  ProbeResult Probe(std::uint8_t address);

  // "Adresse empfangen": waits up to waitDays for the next radio frame and takes its sender's
  // address (asking first when it comes from another device type).
  bool ReceiveRadioAddress(TPSContr& station, double waitDays);
  // "Adresse senden": the FS20 actuator is sent its address (kRadioAddressCommand).
  bool SendRadioAddress(const TPSContr& station);

  // The line search: the list lines of every station that answered the probe of address 0,
  // ending 4.32 s after the last reply.
  std::vector<std::string> LineSearch();

  // A button of the station test; false (with its status) when the unit did not take the frame.
  bool Test(const TPSContr& station, TestCommand command, std::uint8_t threshold = 0);
  // One tick of the test's 10 ms timer: nothing while no bytes are queued, else what the frame
  // that came means (its status is shown too).
  std::optional<TestReply> TestTick(const TPSContr& station);

  // "Alle Stationen prüfen" and "Alle Stationen konfigurieren" over the project's wired
  // stations (radio devices cannot answer a read); each opens and closes the dialog itself.
  // Returns the protocol lines, heading first; ok() tells whether every station passed.
  std::vector<std::string> CheckAll();
  std::vector<std::string> ConfigureAll();

  // The dialog's status line and, in batch mode, its protocol.
  std::string MsgLab;
  std::vector<std::string> protocolLines;
  bool batchOk = true;
  // What the last successful read showed: type text and version in hundredths.
  std::string ACDETyp;
  int ACDEVers = 0;

 private:
  void status(std::string text);
  void message(MessageKind kind, std::string text);
  int send(const StationRequest& request);
  bool waitForBytes(int count, double days);
  std::optional<ConfigBlock> readBlocks(const FrameHeader& header, bool& broken);
  std::vector<std::string> batch(bool configure);
  // The address asked for, 0 taken as the next free one; nothing (with the message) when none is free.
  std::optional<int> addressToGive(int requested);
  bool failed(const TPSContr& station, std::string text);
  // 0x8D from the station's present address to its new one, kept in the project when it went out.
  bool giveAddress(TPSContr& station, std::uint8_t from, int address);

  Protocol& m_protocol;
  Project& m_project;
  std::string m_port;
  bool m_batch;
  bool m_open = false;
  bool m_timerWasRunning = true;
  // The last read per station header, for the bytes a write does not name.
  std::vector<std::pair<FrameHeader, ConfigBlock>> m_lastRead;
};

// The memo of the page after a line search: the two headings, then the lines.
std::vector<std::string> lineSearchMemo(const std::vector<std::string>& lines);

}  // namespace kelvaro
