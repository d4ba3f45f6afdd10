// Encoding of outputs per object kind and station type.
#include "runtime/station_outputs.h"

#include <algorithm>

namespace kelvaro {
namespace {

std::uint8_t low(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t high(std::int32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

// The byte that stands for a state: its code from the conversion list, or its number.
std::optional<std::uint8_t> stateByte(const StationObject& o, std::int32_t state) {
  if (!o.extTrans) return low(state);
  if (state < 0 || static_cast<std::size_t>(state) >= o.codes.size()) return std::nullopt;
  const auto& code = o.codes[static_cast<std::size_t>(state)];
  // A code that does not fit a byte would reach the station as some other command.
  if (!code || *code < 0 || *code > 255) return std::nullopt;
  return static_cast<std::uint8_t>(*code);
}

// The thermostat takes its set temperature in half degrees; tenths round up to the next half.
std::uint8_t halfDegrees(std::int32_t tenths) {
  const std::int32_t degrees = tenths / 10;
  const std::int32_t halves = degrees * 2 + (tenths % 10 != 0 ? 1 : 0);
  // Beyond a byte the set temperature would wrap round to a small one: hold it at the ends.
  return static_cast<std::uint8_t>(std::clamp(halves, 0, 255));
}

std::vector<std::uint8_t> numberData(std::int32_t type, std::int32_t v) {
  if (type == 301) return {'A', halfDegrees(v)};
  if (type == 221 && high(v) == 0) return {low(v)};
  if (type >= 200) return {low(v), high(v), 0};
  return {static_cast<std::uint8_t>(type == 4 || type == 20 ? 0 : high(v)), low(v), 0};
}

std::vector<std::uint8_t> textData(std::int32_t type, std::string_view text, std::uint8_t first) {
  const std::size_t limit = type == 9 ? kMaxStationText9 : kMaxOutputData - 1;
  const std::string_view sent = text.substr(0, std::min(text.size(), limit));
  std::vector<std::uint8_t> data(sent.size() + 1);
  data[0] = first;
  std::copy(sent.begin(), sent.end(), data.begin() + 1);
  return data;
}

}  // namespace

FrameHeader headerOf(const ObjectAddress& address) {
  FrameHeader h;
  h.Kind = address.LineNo;
  h.Class = address.LineNo == kKindStation ? 1 : 0;
  for (std::size_t i = 0; i < h.Address.size(); ++i) h.Address[i] = address.Adr[i];
  return h;
}

std::optional<std::vector<std::uint8_t>> outputData(const StationObject& o, const OutputValue& value) {
  // output data -> by kind, then by station type
  const std::int32_t type = o.typeCode;
  if (type == 0) return std::nullopt;
  switch (o.kind) {
    case kKindUser: {
      const auto state = stateByte(o, value.number);
      if (!state) return std::nullopt;
      if (type >= 30) return std::vector<std::uint8_t>{*state};
      const std::uint8_t channel = o.channelMode == 1 ? low(o.channel) : 0;
      return std::vector<std::uint8_t>{channel, *state};
    }
    case kKindNumber:
      return numberData(type, value.number);
    case kKindText:
      return textData(type, value.text, 0);
    default:
      return std::nullopt;
  }
}

std::optional<OutputMessage> encodeOutput(const StationObject& o, const ObjectAddress& send, const OutputValue& value) {
  auto data = outputData(o, value);
  if (!data) return std::nullopt;
  return OutputMessage{o.typeCode, headerOf(send), std::move(*data)};
}

std::optional<OutputMessage> encodeVisualisationOutput(const StationObject& o, std::uint16_t unitNumber,
                                                       const OutputValue& value) {
  // visualisation output -> 0xFF and the value, to the unit under the object's unit number
  std::vector<std::uint8_t> data;
  switch (o.kind) {
    case kKindUser: data = {kStatusVisualisation, low(value.number)}; break;
    case kKindNumber: data = {kStatusVisualisation, low(value.number), high(value.number)}; break;
    case kKindText: data = textData(o.typeCode, value.text, kStatusVisualisation); break;
    default: return std::nullopt;
  }
  FrameHeader h;
  h.Kind = unitNumber >> 8;
  h.Class = 1;
  h.Address[0] = static_cast<std::uint8_t>(unitNumber & 0xFF);
  return OutputMessage{kModeNoMessage, h, std::move(data)};
}

OutputMessage acknowledgement(const StationObject& o, const FrameHeader& station) {
  return OutputMessage{o.typeCode, station, {kCommandAcknowledge, low(o.channel)}};
}

}  // namespace kelvaro
