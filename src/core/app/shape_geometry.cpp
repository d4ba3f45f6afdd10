// The layout editor's shape geometry (see shape_geometry.h).
#include "app/shape_geometry.h"

#include <algorithm>

namespace kelvaro {

ShapeZone shapeZoneAt(int x, int y, int width, int height, bool sizable) {
  if (!sizable) return kZoneMove;
  if (x < 5) return kZoneLeft;
  if (x > width - 7) return kZoneRight;
  if (y < 7) return kZoneTop;
  if (y <= height - 7) return kZoneMove;
  return kZoneBottom;
}

LayoutRect shapeDragRect(ShapeZone zone, const LayoutRect& start, int dx, int dy, const LayoutRect& previous) {
  LayoutRect rect = start;
  switch (zone) {
    case kZoneLeft:  // the right edge stays where it is
      rect.left += dx;
      rect.width -= dx;
      break;
    case kZoneRight: rect.width += dx; break;
    case kZoneTop:  // the bottom edge stays where it is
      rect.top += dy;
      rect.height -= dy;
      break;
    case kZoneBottom: rect.height = std::max(kShapeMinSize, start.height + dy); break;
    case kZoneMove:
      rect.left += dx;
      rect.top += dy;
      break;
    case kZoneNone: return previous;
  }
  if (rect.width < kShapeMinSize || rect.height < kShapeMinSize) return previous;
  return rect;
}

}  // namespace kelvaro
