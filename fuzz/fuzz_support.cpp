// Failure reporting of the fuzz targets.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "text/hex_text.h"

namespace kelvaro::fuzz {

void fail(std::string_view invariant, std::string_view detail) {
  std::fprintf(stderr, "\n*** invariant violated: %.*s\n*** %.*s\n", static_cast<int>(invariant.size()),
               invariant.data(), static_cast<int>(detail.size()), detail.data());
  std::abort();
}

std::string shown(std::string_view bytes) { return readableBytes(bytes); }

}  // namespace kelvaro::fuzz
