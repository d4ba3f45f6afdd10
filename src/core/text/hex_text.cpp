// Hex and readable forms of byte strings.
#include "text/hex_text.h"

namespace kelvaro {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, std::uint8_t b) {
  out += kDigits[b >> 4];
  out += kDigits[b & 0x0F];
}

}  // namespace

std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator) {
  std::string out;
  out.reserve(bytes.size() * (2 + separator.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += separator;
    appendHex(out, bytes[i]);
  }
  return out;
}

std::string hexBytes(std::string_view bytes, std::string_view separator) {
  return hexBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), separator);
}

std::string readableBytes(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '[') {
      out += c;
    } else {
      out += '[';
      appendHex(out, b);
      out += ']';
    }
  }
  return out;
}

}  // namespace kelvaro
