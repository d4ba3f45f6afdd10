// Shared by the fuzz targets: a check that stops the run with a readable reason, and byte
// strings shown as text with the non-printable bytes in hex.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro::fuzz {

// Prints the failed invariant with the offending input and aborts, so that libFuzzer keeps
// the input as a crash.
[[noreturn]] void fail(std::string_view invariant, std::string_view detail);

inline void check(bool ok, std::string_view invariant, std::string_view detail = {}) {
  if (!ok) fail(invariant, detail);
}

// Printable ASCII as it is, every other byte as [XX].
std::string shown(std::string_view bytes);

}  // namespace kelvaro::fuzz
