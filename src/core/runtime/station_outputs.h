// Encoding of the values a run sends to the stations, and to the control unit while the unit
// runs the program and the PC only shows it. Pure functions: the caller sends the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"
#include "runtime/station_messages.h"

namespace kelvaro {

// One frame to send: SendFrame(line, sendMode, header, L(), data).
struct OutputMessage {
  int sendMode = 0;
  FrameHeader header;
  std::vector<std::uint8_t> data;
  int L() const { return static_cast<int>(data.size()) + 4; }
};

inline constexpr std::size_t kMaxStationText9 = 35;  // the text field of the measuring station
inline constexpr std::size_t kMaxOutputData = 249;   // the longest frame a station accepts (L 253)

// The frame header of an object's stored send or receive address.
FrameHeader headerOf(const ObjectAddress& address);

// The value being sent: the state number of a "U" object, the number of a "Z" object, the
// text of an "S" object (Windows-1252 bytes).
struct OutputValue {
  std::int32_t number = 0;
  std::string_view text;
};

// The data bytes for the object's station; nothing when the object has no station type, its
// kind sends nothing, or a state has no valid code in the conversion list.
std::optional<std::vector<std::uint8_t>> outputData(const StationObject& object, const OutputValue& value);

// The frame for the object's station, addressed with its send header.
std::optional<OutputMessage> encodeOutput(const StationObject& object, const ObjectAddress& send,
                                          const OutputValue& value);

// The same value for the control unit in visualisation: 0xFF, then the state, the number's
// low and high byte, or the text; to the object's unit number with SendMode 900.
std::optional<OutputMessage> encodeVisualisationOutput(const StationObject& object, std::uint16_t unitNumber,
                                                       const OutputValue& value);

// The acknowledgement a wired station asks for with bit 6 of a value message's status byte.
OutputMessage acknowledgement(const StationObject& object, const FrameHeader& station);

}  // namespace kelvaro
