// The walk over one object's code after emission: it checks which token may follow which,
// keeps the stack of open WENN structures, writes their jump addresses, turns SONST into a
// jump and resolves GEHEZU to the code of the label's line.
#pragma once

#include <cstdint>
#include <vector>

#include "language/compiler.h"
#include "language/line_map.h"

namespace kelvaro {

struct WalkResult {
  int code = 0;      // 0, or -93 ... -120
  int position = 0;  // code position of the error
};

struct WalkInput {
  std::vector<std::uint8_t>& code;
  int start = 0;
  int end = 0;
  const LineMap& lineMap;   // the object's entries are [lineMapFirst, lineMapEnd)
  std::size_t lineMapFirst = 0;
  std::size_t lineMapEnd = 0;
  // Jump targets: mode 1 writes code offsets low byte first; mode 2 absolute addresses
  // (codeAddressBase + 1 + offset) high byte first.
  bool absoluteAddresses = false;
  int codeAddressBase = 0;
};

WalkResult walkStructure(const WalkInput& input);

}  // namespace kelvaro
