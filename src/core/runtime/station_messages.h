// Decoding of the messages the stations and the control unit send during a run: value and
// input-state messages per station type, error reports and the unit's visualisation values.
// Pure functions over the data bytes a frame really carried, so that every rule can be tested
// with hand-made frames and no rule can read a byte the line never delivered.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "hardware/protocol.h"
#include "model/project.h"

namespace kelvaro {

// The hardware fields of one object that the decoders and encoders look at.
struct StationObject {
  std::int32_t typeCode = 0;     // station type code of the device, 0 = none
  std::int32_t channel = 0;      // 1-based station input or output, 0 = not set
  std::int32_t bitNumber = 0;    // 1-based bit inside the channel's byte, 0 = not set
  std::int32_t channelMode = 0;  // 1: the channel travels in the status byte
  bool extTrans = false;
  std::vector<std::optional<std::int32_t>> codes;  // ExtTransList; an entry that is no number matches nothing
  char kind = kKindUndefined;
  std::int32_t stateCount = 0;
  std::int32_t hdwTyp = 0;  // 1 = actor
};

// The view of an object's hardware for reading (receive channel) or for sending (send
// channel). Needs object.hardware filled by assignHardware.
StationObject receivingView(const TPSObj& object);
StationObject sendingView(const TPSObj& object);


// Whether the frame's sender is the station of this address: same line (frame kind), and the
// address bytes the address uses (1 to 3).
bool matchesSender(const ObjectAddress& address, const FrameHeader& sender);
// The object listens to the sender when its receive or its send header matches.
bool objectMatchesSender(const TPSObj& object, const FrameHeader& sender);

inline constexpr std::uint8_t kStatusErrorReport = 0xFE;
inline constexpr std::uint8_t kStatusVisualisation = 0xFF;
inline constexpr std::uint8_t kStatusRadioValue = 0xA0;
inline constexpr std::uint8_t kStatusThermostatMark = 0xC4;
inline constexpr std::uint8_t kCommandAcknowledge = 0x89;
inline constexpr int kFeatureLevelBcd = 120;  // from this level the unit passes HMS100 values as BCD

enum class MessageClass { None, ValueMessage, InputState, ErrorReport };
// What a station frame is, by its status byte; None for a frame without data.
MessageClass classifyMessage(std::span<const std::uint8_t> data);

// What a value message means for one object.
struct ValueMessage {
  std::optional<std::int32_t> value;  // for SetVariable; then Enqueue when ExtActiv
  bool acknowledge = false;           // send acknowledgement() to the wired station
  bool radioSeen = false;             // last change time := now, timeout flag := 0
  bool batteryLow = false;            // battery flag := 1 and the caption's battery warning
  bool thermostatValue = false;       // after SetVariable: change pending and switched := 0, refresh := 1
  bool protocolLine = false;          // "Eingabe für" line (with the value when there is one)
};
ValueMessage decodeValueMessage(std::span<const std::uint8_t> data, const StationObject& object,
                                int featureLevel);

// What an input-state message means for one object. The caller stores value only when it
// differs from the object's current numeric value (then output pending := 0, SetVariable,
// from-hardware flag := 1), so that an echo of what the PC itself sent changes nothing.
struct InputState {
  std::optional<std::int32_t> value;
  std::optional<std::int32_t> protocolValue;  // types 8 and 26: the byte the protocol line shows
  bool thermostatMark = false;                // marker state := 10, refresh := 1
};
InputState decodeInputState(std::span<const std::uint8_t> data, const StationObject& object);

// A station that did not answer, as reported by the unit: address and channel.
struct StationFailure {
  std::uint8_t address = 0;
  std::uint8_t channel = 0;
  bool operator==(const StationFailure&) const = default;
};

// The unit reports a silent station once for a passing disturbance; only the same station and
// channel reported twice in a row is taken as a failure.
class ErrorReportFilter {
 public:
  // An error report's data (0xFE, address, channel); the failure to act on, or nothing while
  // the report is the first of its pair or the frame is too short to name a station.
  std::optional<StationFailure> take(std::span<const std::uint8_t> data);
  void reset() { m_last.reset(); }

 private:
  std::optional<StationFailure> m_last;
};

// The status message for a failed wired station.
std::string stationNotAnsweringText(std::string_view stationName);

// The unit's visualisation frames (first data byte 0xFF) address the object by its unit number.
std::uint16_t visualisationAddress(const ReceivedFrame& frame);
// The unit number of the object at index: ObjIDNr's decimal digits read as hexadecimal, or
// 0xA000 + index when ObjIDNr is 0 or above 9999.
std::uint16_t unitNumberOf(std::uint16_t objIdNr, std::size_t index);

using StationValue = std::variant<std::int32_t, std::string>;
// The value a visualisation frame carries for an object of this kind ("S", "U" or "Z").
std::optional<StationValue> decodeVisualisationValue(std::span<const std::uint8_t> data, char kind);

}  // namespace kelvaro
