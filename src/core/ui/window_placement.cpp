// The fitting of a window's rectangle into the free area of the screen.
#include "ui/window_placement.h"

#include <algorithm>

namespace kelvaro {

namespace {

// fitSpan -> one axis: cut the length to the room, then move the start inside it. 64-bit
// arithmetic, so a position stored far outside any screen cannot overflow.
void fitSpan(int& start, int& length, int roomStart, int roomLength) {
  length = std::clamp(length, 0, roomLength);
  const long long lowest = roomStart;
  const long long highest = static_cast<long long>(roomStart) + roomLength - length;
  start = static_cast<int>(std::clamp(static_cast<long long>(start), lowest, highest));
}

}  // namespace

ScreenRect fitIntoArea(ScreenRect window, ScreenRect area) {
  if (area.width <= 0 || area.height <= 0) return window;
  fitSpan(window.left, window.width, area.left, area.width);
  fitSpan(window.top, window.height, area.top, area.height);
  return window;
}

}  // namespace kelvaro
