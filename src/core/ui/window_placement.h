// Where a window opens: its rectangle moved, and shrunk where it is too large, into the part of
// the screen that is free for windows. Pure arithmetic, so every window obeys one rule.
#pragma once

namespace kelvaro {

// A rectangle in screen coordinates: left and top corner, width and height.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The window's rectangle fitted into area: a side longer than the area's is cut to it, then the
// rectangle is moved by the least distance that brings it wholly inside. A window already
// inside stays where it is. An empty area (no screen known) leaves the window unchanged;
// a negative width or height counts as 0.
ScreenRect fitIntoArea(ScreenRect window, ScreenRect area);

}  // namespace kelvaro
