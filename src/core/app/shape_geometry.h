// How a shape in the layout editor follows the mouse: which edge or body a press grabs, and the
// rectangle a drag gives, with the least size a shape keeps.
#pragma once

namespace kelvaro {

struct LayoutRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const LayoutRect&) const = default;
};

// What a drag on a shape moves: an edge, or the whole shape.
enum ShapeZone : int { kZoneNone = 0, kZoneLeft = 1, kZoneRight = 2, kZoneTop = 3, kZoneBottom = 4, kZoneMove = 5 };

// Smallest width and height a shape keeps while resized.
inline constexpr int kShapeMinSize = 5;

// The zone under the mouse at (x, y) inside a shape of the given size. The edge bands are a few
// pixels wide; a shape that may not be resized is always moved as a whole.
ShapeZone shapeZoneAt(int x, int y, int width, int height, bool sizable);

// The rectangle while dragging in zone: start is the rectangle at the press, (dx, dy) the mouse
// movement since then, previous the rectangle now. A bottom edge keeps at least the minimum
// height; any other move that would go below the minimum size keeps previous, so the shape
// stops instead of turning inside out.
LayoutRect shapeDragRect(ShapeZone zone, const LayoutRect& start, int dx, int dy, const LayoutRect& previous);

}  // namespace kelvaro
