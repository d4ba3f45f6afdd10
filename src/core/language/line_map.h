// The line map of a compile run: for each emitted line, its code position and its index in
// the object's stored program. It turns a code position back into a program line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro {

struct LineMapEntry {
  int codePosition = 0;
  int line = 0;  // index in the object's stored program
};

using LineMap = std::vector<LineMapEntry>;

// The stored form: code position and line index, five zero-padded digits each.
std::string lineMapText(const LineMapEntry& entry);

// The line of the last entry whose code position is not above the given one, among the
// entries [first, last); -1 when there is none.
int lineAtCodePosition(const LineMap& map, int codePosition, std::size_t first = 0, std::size_t last = SIZE_MAX);

}  // namespace kelvaro
