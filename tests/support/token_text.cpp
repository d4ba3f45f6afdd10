// Readable token texts for comparisons that read like a diff when they fail.
#include "support/token_text.h"

#include <span>

#include "text/hex_text.h"

namespace kelvaro::test {

std::string tokenText(std::string_view bytes) { return readableBytes(bytes); }

std::string codeText(const std::vector<std::uint8_t>& code, int from, int to) {
  return hexBytes(std::span(code).subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

}  // namespace kelvaro::test
