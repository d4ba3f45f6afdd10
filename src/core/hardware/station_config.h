// Station configuration without the line: the station types, the settings bytes a write sends
// and how a read block fills the device slots, the collector of read blocks, the line search's
// list line and what the station test makes of a frame. The line sequences (waits, retries)
// are built on these pure pieces, so every byte rule is tested with hand-made blocks and frames.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"
#include "model/project.h"

namespace kelvaro {

// How a device gets its address: wired stations carry a station address set on the line;
// FS20 actuators are sent theirs; sensors and room controllers announce theirs, HMS100
// sensors when new batteries go in.
enum class AddressKind { Station, Send, Receive, NewBatteries };

// The text form a radio address is entered in.
enum class RadioAddressFormat {
  None,        // wired: a station address, no radio address
  Number,      // 4 to 65535
  FS20,        // "11112222-1234": 8 code digits, "-", 4 digits, every digit 1 to 4
  CodeDash,    // "9999-99": 4 digits, "-", a number up to 255
  FourDigits,  // "0000" to "9999"
};

struct StationType {
  int code;
  std::string_view text;         // the model text a station stores in CKind
  std::string_view description;  // shown beside the type
  bool radio;
  AddressKind address;
  RadioAddressFormat addressFormat;
};

// Every station type the configuration knows, wired first. Codes 3 and 4 are older MXB2
// variants and share its row (stationType(3) gives the MXB2 row).
std::span<const StationType> stationTypes();

// The row of a type code (3 and 4 as 2, 556 as 555); nullptr for an unknown code.
const StationType* stationType(int code);
// The row of a model text, compared exactly as the file stores it; nullptr when unknown.
const StationType* stationTypeByText(std::string_view text);
// The type of a station: by its model text, else by its type code; nullptr when neither is known.
const StationType* stationTypeOf(const TPSContr& station);
// True for radio devices: their configuration is never written over the bus.
bool isRadioStation(const TPSContr& station);

// The blocks of 20 bytes a read of this type returns: one for the wired types (1 to 30,
// 101, 102), as their stations send; two for every other code, so that a device of a type
// this program does not know is read past its first 20 positions.
int configBlockCount(int typeCode);

inline constexpr int kConfigBlockSize = 20;
inline constexpr int kMaxConfigBlocks = 2;
inline constexpr std::uint8_t kCommandReadConfig = 0x88;
inline constexpr std::uint8_t kCommandWriteConfig = 0x87;
inline constexpr std::uint8_t kReplyConfigBlock = 0xC7;
inline constexpr std::uint8_t kCommandProbe = 0x80;
inline constexpr std::uint8_t kReplyProbe = 0x83;
inline constexpr std::uint8_t kPcFrameAddress = 1;

// A station's configuration as a read returns it, positions counted from 1 as the station
// numbers them: 1 the type code, 2 the firmware version in hundredths, 3 on the settings.
struct ConfigBlock {
  std::array<std::uint8_t, kConfigBlockSize * kMaxConfigBlocks + 1> pos{};  // [0] unused
  // The byte at a position; 0 outside the block.
  std::uint8_t at(int position) const;
  int typeCode() const { return pos[1]; }
  int version() const { return pos[2]; }
};

// The layout of the settings bytes, one per family of types.
enum class ConfigLayout { None, MXB2, MXSA, DSP32, MFB1, JAL1, T40611, T40612 };
// The layout of a model text ("MXB2" and any other text beginning "MX" but "MXSA"), else of
// the type code; None for radio devices and types without settings.
ConfigLayout configLayout(std::string_view typeText, int typeCode);
ConfigLayout configLayoutOf(const TPSContr& station);

// bit(f): 2 to the power f for f from 0 to 7, else f + 1 (the station's function coding).
constexpr int functionBit(int f) { return f >= 0 && f <= 7 ? 1 << f : f + 1; }
// The inverse a read applies: a power of two gives its exponent, anything else value - 1.
int functionFromBit(int value);

// What a configuration write sends after the command byte: sub-command 6 with the type's
// settings bytes, or sub-command 5 with the two bytes of the special configuration.
struct SettingsWrite {
  std::uint8_t subCommand = 6;
  std::vector<std::uint8_t> bytes;
};
// The settings a write sends for the station's slots. Bytes no rule names keep the last
// read's value. special: the red " Config " mark of 40611x/40612x (sub-command 5 alone);
// ignored for other types. Nothing for a type without settings (radio devices included).
std::optional<SettingsWrite> settingsBytes(const TPSContr& station, const ConfigBlock& lastRead, bool special = false);

// One frame to a station: header, SendFrame mode, L and data (L - 4 bytes).
struct StationRequest {
  FrameHeader header;
  int sendMode = 0;
  int L = 0;
  std::vector<std::uint8_t> data;
};
// The header every frame to and from this station carries: Kind 1 with the station address
// for wired stations, Kind 4 with the three address bytes for radio devices.
FrameHeader stationHeader(const TPSContr& station);
// The configuration write: 0x87, sub-command, bytes; L = count + 6, mode = the type code.
// Nothing for a type without settings.
std::optional<StationRequest> configWriteRequest(const TPSContr& station, const ConfigBlock& lastRead,
                                                 bool special = false);
// The read request 0x88, 0 (mode 0) and the probe 0x80, 0 (mode 1) to a station header.
StationRequest configReadRequest(const FrameHeader& station);
StationRequest probeRequest(const FrameHeader& station);

// Set address: 0x8D, the new address, 0 (L 7) to the station that announced itself.
StationRequest setAddressRequest(const FrameHeader& station, int sendMode, std::uint8_t newAddress);

// The buttons of the station test, each sent with mode 0 to the station's header.
enum class TestCommand { SensorTest, Reset, ErrorCounterOn, ErrorCounterOff, ErrorCounterQuery };
// The thresholds "Grenzwert" offers for the error counter.
inline constexpr std::array<std::uint8_t, 12> kErrorThresholds{4, 8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 252};
// The frame of a test button (threshold only for ErrorCounterOn).
StationRequest testRequest(TestCommand command, const FrameHeader& station, std::uint8_t threshold = 0);
// What the status line shows after the button's frame went out; empty for none.
std::string_view testStatusText(TestCommand command);

// Fills the station's slots from a read block by the inverse of its write layout (offline
// marks from the flag bytes, group address and port, function and values from their
// positions). Nothing changes and false comes back when the block's type code is not of the
// station's layout, so a block from the wrong station type never overwrites settings.
bool applyConfigBlock(TPSContr& station, const ConfigBlock& block);


// Collects the blocks of one read: 0xC7, block number n, 20 bytes for positions 20n+1 on.
class ConfigBlockCollector {
 public:
  // station: the header of the station asked (Kind and Address[0] must match the sender).
  explicit ConfigBlockCollector(const FrameHeader& station) : m_station(station) {}
  // Takes a received frame; true when it was a block of this read and was stored. Frames of
  // another station, to another receiver, of another command, short or with a block number
  // past the end are ignored and change nothing.
  bool take(const ReceivedFrame& frame);
  // Block 0 is in (it fixes the count) and so is the last block.
  bool complete() const;
  int blockCount() const { return m_count; }  // 0 until block 0 came
  const ConfigBlock& block() const { return m_block; }

 private:
  FrameHeader m_station;
  ConfigBlock m_block;
  std::array<bool, kMaxConfigBlocks> m_have{};
  int m_count = 0;
};

// The list line of one reply to the line search (0x83 with the type in data[1]): the
// sender's kind right-aligned in 4, 4 blanks, its address right-aligned in 5, 3 blanks, the
// type text (the code in decimal for a type this program does not know). Nothing for any
// other frame.
std::optional<std::string> lineSearchLine(const ReceivedFrame& frame);

// What the station test shows for one frame its timer received.
struct TestReply {
  std::string status;  // the status line's new text; empty: unchanged
  int valueField = 0;  // 1 to 4: "Wert1" to "Wert4" shows value
  std::int32_t value = 0;
  bool finished = false;          // the last value: "Test beendet" and a beep
  std::optional<int> errorCount;  // the count for CoErAnz
};
// received: what ReceiveFrame returned (below 1: a broken frame). The station's name and
// address name it in the "antwortet nicht" texts.
TestReply interpretTestReply(int received, const ReceivedFrame& frame, std::string_view stationName,
                             std::uint8_t stationAddress);

// Texts of the station dialogs that the line sequences show.
inline constexpr std::string_view kStationReadingText = "Lese....";
inline constexpr std::string_view kStationWritingText = "Schreibe...";
inline constexpr std::string_view kStationReceiveErrorText = "Fehler bei Empfang";
inline constexpr std::string_view kStationSilentText = "Signalstation antwortet nicht";
inline constexpr std::string_view kTestRequestFailedText = "Fehler Steuereinheit bei Anforderung";
inline constexpr std::string_view kNoUnitText = "Keine Verbindung zur Steuereinheit";
inline constexpr std::string_view kProbeFailedText = "Fehler an Schnittstelle aufgetreten";
inline constexpr std::string_view kAddressResetText = "Fehlerhafte Adresse auf 0 gesetzt";
inline constexpr std::string_view kNoFreeAddressText = "Keine freie Adresse gefunden";
inline constexpr std::string_view kPortWriteErrorText = "Fehler beim Schreiben auf COM-Port";
// "Adresse " + address + " vergeben an " + station.
std::string addressAssignedText(int address, std::string_view station);
// The probe of a new address: free, taken by a station of the project, or answered by a
// station the project does not know.
std::string addressProbeText(int address, bool answered, bool owned);
// The old address of an address change did not answer.
std::string addressNotFoundText(int address);

// The station test's field name for a value field 1 to 4 ("Wert1" ...).
std::string testValueFieldName(int field);

}  // namespace kelvaro
