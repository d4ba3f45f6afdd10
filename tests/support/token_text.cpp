// Readable token texts for comparisons that read like a diff when they fail.
#include "support/token_text.h"

#include <cstdio>

namespace kelvaro::test {

std::string tokenText(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '[') {
      out += c;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "[%02X]", b);
      out += buf;
    }
  }
  return out;
}

std::string codeText(const std::vector<std::uint8_t>& code, int from, int to) {
  std::string out;
  for (int i = from; i < to; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", code[static_cast<std::size_t>(i)]);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace kelvaro::test
