// The frames of the radio part (radio PC interface or the radio part of a unit): reading and
// writing the central code that FHT8b room controllers obey, the serial number, the hidden
// command, and the configuration-mode frames a control unit needs around them. Pure builders
// and a decoder, so the dialog's sequence only sends, waits and shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"

namespace kelvaro {

// Frames to the radio part itself: the wired layout with kind 4 and destination 0xC9.
inline constexpr FrameHeader kRadioPartHeader{kKindRadio, 0, {0xC9, 0, 0}};
inline constexpr int kMinCentralCode = 1;
inline constexpr int kMaxCentralCode = 100;
inline constexpr std::uint8_t kCentralCodeCheck = 0x55;

// One frame for SendFrame: header, mode, L and its L - 4 data bytes.
struct RadioRequest {
  FrameHeader header;
  int sendMode = kModeNoMessage;
  int L = 0;
  std::vector<std::uint8_t> data;
};

// The read request 0x84 "T" 1 7 (L 8).
RadioRequest readCentralCodeRequest();
// The write 0x83, code XOR 0x55, 1, 1, code (L 9); nothing for a code outside 1 to 100.
std::optional<RadioRequest> writeCentralCodeRequest(int code);
// The hidden command 0x83 "R" 2 1 7 (L 9); what it does is the radio part's business.
RadioRequest hiddenCommandRequest();

// A control unit (type code above 10) is put into configuration mode with "A" and taken out
// with "B"; a radio PC interface (codes 1 and 2) knows neither.
bool usesConfigurationMode(int typeCode);
// "A" (enter) or "B" (leave) to the unit: kind 201, address 2, mode 900, L 5.
RadioRequest configurationModeRequest(bool enter);

// What the radio part answered to the read request.
struct CentralCodeReply {
  int code = 0;
  std::uint32_t serialNumber = 0;
};
// data[0] 0x84, the code in data[3], the serial number in data[6] to data[9] (big-endian).
// Nothing for another frame or one too short to carry all of them.
std::optional<CentralCodeReply> decodeCentralCodeReply(const ReceivedFrame& frame);

// The texts of the dialog's status panel.
inline constexpr std::string_view kRadioReadingText = "Lese....";
inline constexpr std::string_view kRadioWritingText = "Schreibe...";
inline constexpr std::string_view kRadioReadDoneText = " Zentralen-Code aus Schnittstelle erfolgreich gelesen";
inline constexpr std::string_view kRadioReadFailedText = "Fehler beim Lesen des Zentralen-Codes";

}  // namespace kelvaro
