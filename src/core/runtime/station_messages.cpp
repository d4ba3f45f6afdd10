// Decoding of station and unit messages: each rule reads only bytes the frame carried.
#include "runtime/station_messages.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "text/text_util.h"

namespace kelvaro {
namespace {

// Bytes of the data span; callers check the size first.
std::int32_t at(std::span<const std::uint8_t> data, std::size_t i) { return data[i]; }

// A 16-bit value from low and high byte whose bit 15 is a sign, not two's complement.
std::int32_t signMagnitude(std::int32_t low, std::int32_t high) {
  const std::int32_t v = high * 256 + low;
  return (v & 0x8000) != 0 ? -(v & 0x7FFF) : v;
}

std::optional<std::int32_t> indexOfCode(const StationObject& o, std::int32_t code) {
  for (std::size_t i = 0; i < o.codes.size(); ++i)
    if (o.codes[i] == code) return static_cast<std::int32_t>(i);
  return std::nullopt;
}

// The state index of the received code, or the byte itself without a code list.
std::optional<std::int32_t> byCodeList(const StationObject& o, std::int32_t byte) {
  if (!o.extTrans) return byte;
  return indexOfCode(o, byte);
}

// In input-state messages the code list gives a 1-based position, 0 for a code not in it.
std::int32_t byCodePosition(const StationObject& o, std::int32_t v) {
  if (!o.extTrans) return v;
  const auto i = indexOfCode(o, v);
  return i ? *i + 1 : 0;
}

std::optional<std::int32_t> nearestCode(const StationObject& o, std::int32_t byte) {
  std::optional<std::int32_t> best;
  std::int32_t bestDistance = std::numeric_limits<std::int32_t>::max();
  for (std::size_t i = 0; i < o.codes.size(); ++i) {
    if (!o.codes[i]) continue;
    const std::int32_t d = std::abs(*o.codes[i] - byte);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<std::int32_t>(i);
    }
  }
  return best;
}

bool isWiredSwitch(std::int32_t type) { return type >= 2 && type <= 4; }
bool isRadioSensor(std::int32_t type) { return type == 301 || (type >= 501 && type <= 599); }

std::vector<std::optional<std::int32_t>> parseCodes(const std::vector<std::string>& list) {
  std::vector<std::optional<std::int32_t>> codes;
  codes.reserve(list.size());
  for (const auto& entry : list) codes.push_back(parseInt(entry));
  return codes;
}

StationObject viewOf(const TPSObj& object, std::int32_t channel) {
  StationObject o;
  o.typeCode = object.hardware.deviceCode;
  o.channel = channel;
  o.channelMode = object.hardware.channelMode;
  o.extTrans = object.ExtTrans;
  if (object.ExtTrans) o.codes = parseCodes(object.ExtTransList);
  o.kind = object.OKind;
  o.stateCount = object.CtZust;
  o.hdwTyp = object.HdwTyp;
  return o;
}

// The HMS100 temperature as BCD tenths: digits in data[3] low, data[2] high and low nibble,
// the sign in bit 7 of data[1].
std::optional<std::int32_t> bcdTemperature(std::span<const std::uint8_t> data) {
  if (data.size() < 4) return std::nullopt;
  const std::int32_t v = (at(data, 3) & 0xF) * 100 + (at(data, 2) >> 4) * 10 + (at(data, 2) & 0xF);
  return (at(data, 1) & 0x80) != 0 ? -v : v;
}

std::optional<std::int32_t> signedWord(std::span<const std::uint8_t> data, std::size_t low) {
  if (data.size() <= low + 1) return std::nullopt;
  return signMagnitude(at(data, low), at(data, low + 1));
}

// The HMS100 TF: temperature on channel 1, humidity on the others.
std::optional<std::int32_t> climateValue(std::span<const std::uint8_t> data, std::int32_t channel,
                                         int featureLevel) {
  if (channel < 1) return std::nullopt;
  if (featureLevel < kFeatureLevelBcd) return signedWord(data, static_cast<std::size_t>(2 * channel - 1));
  if (channel == 1) return bcdTemperature(data);
  if (data.size() < 5) return std::nullopt;
  return (at(data, 4) & 0xF) * 10 + (at(data, 4) >> 4) * 100 + (at(data, 3) >> 4);
}

// FS20 push-button commands: for a two-state object the "on" family switches on, the "off"
// family off; the toggle command 17 always means on for a state object.
std::int32_t buttonValue(const StationObject& o, std::int32_t command) {
  if (o.kind != kKindUser) return command;
  if (o.stateCount == 2) {
    switch (command) {
      case 19: case 25: case 26: case 30: case 31: return 1;
      case 20: case 24: return 0;
      default: break;
    }
  }
  return command == 17 ? 1 : command;
}

}  // namespace

StationObject receivingView(const TPSObj& object) {
  return viewOf(object, object.hardware.receiveChannel != 0 ? object.hardware.receiveChannel
                                                            : object.hardware.sendChannel);
}

StationObject sendingView(const TPSObj& object) { return viewOf(object, object.hardware.sendChannel); }

bool matchesSender(const ObjectAddress& address, const FrameHeader& sender) {
  if (address.LineNo == 0 || address.LineNo != sender.Kind) return false;
  const int count = std::clamp(address.AdrA, 1, 3);
  for (int i = 0; i < count; ++i)
    if (address.Adr[static_cast<std::size_t>(i)] != sender.Address[static_cast<std::size_t>(i)]) return false;
  return true;
}

bool objectMatchesSender(const TPSObj& object, const FrameHeader& sender) {
  return matchesSender(object.Rcv, sender) || matchesSender(object.Snd, sender);
}

MessageClass classifyMessage(std::span<const std::uint8_t> data) {
  if (data.empty()) return MessageClass::None;
  if (data[0] == kStatusErrorReport) return MessageClass::ErrorReport;
  if ((data[0] & 0xC0) == 0xC0) return MessageClass::InputState;
  return MessageClass::ValueMessage;
}

ValueMessage decodeValueMessage(std::span<const std::uint8_t> data, const StationObject& o, int featureLevel) {
  // value message -> status byte, then the type's data bytes
  ValueMessage r;
  if (data.empty()) return r;
  const std::int32_t s = data[0];
  const std::int32_t type = o.typeCode;
  if (isRadioSensor(type)) {
    r.radioSeen = true;
    r.batteryLow = (s & 0x40) != 0;
  }
  const bool radioValue = s == kStatusRadioValue;
  r.protocolLine = true;
  if (isWiredSwitch(type)) {
    if (o.channelMode != 0 && (s & 0x3F) != o.channel) {
      r.protocolLine = false;
      return r;
    }
    if (data.size() >= 2) r.value = byCodeList(o, at(data, 1));
    r.acknowledge = (s & 0x40) != 0;
  } else if (type == 7) {
    if (data.size() >= 2) r.value = byCodeList(o, at(data, 1));
  } else if (type == 9) {
    if (s == o.channel && data.size() >= 3) r.value = at(data, 2) * 256 + at(data, 1);
  } else if (type == 21 || type == 26) {
    if (s == o.channel) r.value = signedWord(data, 1);
  } else if (type == 401) {
    if (radioValue && data.size() >= 2) r.value = buttonValue(o, at(data, 1));
  } else if (type == 554 || type == 555 || type == 556 || type == 565) {
    // The breaker monitor reports like the smoke and contact sensors: a tripped/open bit pair.
    if (radioValue && data.size() >= 2) r.value = (at(data, 1) & 3) != 0 ? 1 : 0;
  } else if (type == 553) {
    if (radioValue && data.size() >= 2) r.value = -at(data, 1);
  } else if (type == 557) {
    if (radioValue && data.size() >= 2) r.value = at(data, 1);
  } else if (type == 552) {
    if (radioValue) r.value = featureLevel >= kFeatureLevelBcd ? bcdTemperature(data) : signedWord(data, 1);
  } else if (type == 551) {
    if (radioValue) r.value = climateValue(data, o.channel, featureLevel);
  } else if (type == 301) {
    // The set temperature arrives in half degrees; the object holds tenths.
    if (radioValue && data.size() >= 4 && at(data, 1) == 'i' && at(data, 2) == 'A') r.value = at(data, 3) * 10 / 2;
    r.thermostatValue = r.value.has_value();
  } else {
    r.protocolLine = false;
  }
  return r;
}

InputState decodeInputState(std::span<const std::uint8_t> data, const StationObject& o) {
  // input-state message -> status byte with bits 7 and 6 set, then the input bits
  InputState r;
  // The room controller's mark report is the status byte alone: it needs no input bits.
  if (o.typeCode == 301 && !data.empty()) {
    r.thermostatMark = data[0] == kStatusThermostatMark;
    return r;
  }
  if (data.size() < 2) return r;
  const std::int32_t type = o.typeCode;
  const std::int32_t d1 = at(data, 1);
  const bool stateObject = o.kind == kKindUser;
  if (isWiredSwitch(type) || (type == 21 && stateObject)) {
    if (o.channelMode != 0 || type == 21) {
      std::int32_t v = d1;
      if (o.channel > 0) v >>= std::min(o.channel - 1, 31);
      if (o.bitNumber > 0) v >>= std::min(o.bitNumber - 1, 31);
      r.value = byCodePosition(o, v & 1);
    } else {
      r.value = byCodePosition(o, d1);
    }
  } else if (type == 8 || (type == 26 && stateObject)) {
    const bool actor = o.hdwTyp == 1;
    if (actor) r.protocolValue = d1;
    else if (data.size() >= 3) r.protocolValue = at(data, 2);
    if (type == 8 || actor) {
      r.value = o.extTrans ? nearestCode(o, d1) : std::optional<std::int32_t>(d1);
    } else if (data.size() >= 3 && o.channel > 0) {
      r.value = byCodePosition(o, (at(data, 2) >> std::min(o.channel - 1, 31)) & 1);
    }
  } else if (type == 9) {
    if (o.bitNumber > 0) r.value = (d1 >> std::min(o.bitNumber - 1, 31)) & 1;
  } else if (o.kind == kKindNumber) {
    r.value = data.size() >= 6 ? at(data, 2) * 256 + d1 : d1;
  }
  return r;
}

std::optional<StationFailure> ErrorReportFilter::take(std::span<const std::uint8_t> data) {
  // error report -> 0xFE, station address, channel (bit 7 is not part of it)
  if (data.size() < 3 || data[0] != kStatusErrorReport) return std::nullopt;
  const StationFailure report{data[1], static_cast<std::uint8_t>(data[2] & 0x7F)};
  if (m_last == report) {
    m_last.reset();
    return report;
  }
  m_last = report;
  return std::nullopt;
}

std::string stationNotAnsweringText(std::string_view stationName) {
  return "Signalstation " + std::string(stationName) + " reagiert nicht";
}

std::uint16_t visualisationAddress(const ReceivedFrame& frame) {
  return static_cast<std::uint16_t>(frame.receiver.Address[1] << 8 | frame.receiver.Address[0]);
}

std::uint16_t unitNumberOf(std::uint16_t objIdNr, std::size_t index) {
  if (objIdNr == 0 || objIdNr > 9999) return static_cast<std::uint16_t>(0xA000 + index);
  // Digit by digit from the lowest, without a string: every visualisation frame looks up its
  // object through this.
  std::uint16_t hex = 0;
  for (int shift = 0; objIdNr != 0; objIdNr = static_cast<std::uint16_t>(objIdNr / 10), shift += 4)
    hex = static_cast<std::uint16_t>(hex | (objIdNr % 10) << shift);
  return hex;
}

std::optional<StationValue> decodeVisualisationValue(std::span<const std::uint8_t> data, char kind) {
  // visualisation value -> 0xFF, then by kind: length and text, -, state, or low and high byte
  if (data.empty() || data[0] != kStatusVisualisation) return std::nullopt;
  switch (kind) {
    case kKindText: {
      if (data.size() < 2) return std::nullopt;
      const std::size_t length = data[1];
      if (data.size() < 2 + length) return std::nullopt;
      return StationValue(std::string(data.begin() + 2, data.begin() + 2 + static_cast<std::ptrdiff_t>(length)));
    }
    case kKindUser:
      if (data.size() < 3) return std::nullopt;
      return StationValue(at(data, 2));
    case kKindNumber: {
      if (data.size() < 4) return std::nullopt;
      // The unit sends negative numbers as 32768 plus their magnitude.
      const std::int32_t raw = at(data, 3) * 256 + at(data, 2);
      return StationValue(raw > 32768 ? 32768 - raw : raw);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace kelvaro
