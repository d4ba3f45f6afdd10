// Bytes as text for people and logs: hex pairs, or token strings with their keyword bytes shown.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

// Each byte as two upper-case hex digits, with the separator between them: "BD B4 26".
std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = " ");
std::string hexBytes(std::string_view bytes, std::string_view separator = " ");

// Printable ASCII as it is, every other byte (and "[") as "[XX]": "[BD][B4]&00001[B9]".
std::string readableBytes(std::string_view bytes);

}  // namespace kelvaro
