// The radio part's frames: central code, serial number, hidden command, configuration mode.
#include "hardware/radio_interface.h"

#include "hardware/station_config.h"

namespace kelvaro {

RadioRequest readCentralCodeRequest() { return {kRadioPartHeader, kModeNoMessage, 8, {0x84, 'T', 1, 7}}; }

std::optional<RadioRequest> writeCentralCodeRequest(int code) {
  if (code < kMinCentralCode || code > kMaxCentralCode) return std::nullopt;
  const auto c = static_cast<std::uint8_t>(code);
  // The radio part takes the code only with its check byte, so a garbled frame sets nothing.
  return RadioRequest{
      kRadioPartHeader, kModeNoMessage, 9, {0x83, static_cast<std::uint8_t>(c ^ kCentralCodeCheck), 1, 1, c}};
}

RadioRequest hiddenCommandRequest() { return {kRadioPartHeader, kModeNoMessage, 9, {0x83, 'R', 2, 1, 7}}; }

bool usesConfigurationMode(int typeCode) { return typeCode > 10; }

RadioRequest configurationModeRequest(bool enter) {
  return {{kKindUnit, 0, {2, 0, 0}}, kModeNoMessage, 5, {static_cast<std::uint8_t>(enter ? 'A' : 'B')}};
}

std::optional<CentralCodeReply> decodeCentralCodeReply(const ReceivedFrame& frame) {
  const auto d = frameData(frame);
  if (d.size() < 10 || d[0] != 0x84) return std::nullopt;
  return CentralCodeReply{d[3], (std::uint32_t{d[6]} << 24) | (std::uint32_t{d[7]} << 16) | (std::uint32_t{d[8]} << 8) |
                                    std::uint32_t{d[9]}};
}

}  // namespace kelvaro
