// Failure reporting of the fuzz targets.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace kelvaro::fuzz {

void fail(std::string_view invariant, std::string_view detail) {
  std::fprintf(stderr, "\n*** invariant violated: %.*s\n*** %.*s\n", static_cast<int>(invariant.size()),
               invariant.data(), static_cast<int>(detail.size()), detail.data());
  std::abort();
}

std::string shown(std::string_view bytes) {
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

}  // namespace kelvaro::fuzz
