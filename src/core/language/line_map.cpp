// Line map entries and the look-up from code position to program line.
#include "language/line_map.h"

#include <cstdio>

namespace kelvaro {

std::string lineMapText(const LineMapEntry& entry) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%05d%05d", entry.codePosition, entry.line);
  return buf;
}

int lineAtCodePosition(const LineMap& map, int codePosition, std::size_t first, std::size_t last) {
  if (last > map.size()) last = map.size();
  int line = -1;
  for (std::size_t i = first; i < last && map[i].codePosition <= codePosition; ++i) line = map[i].line;
  return line;
}

}  // namespace kelvaro
