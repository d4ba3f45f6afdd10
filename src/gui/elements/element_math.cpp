// The arithmetic of the visual elements (see element_math.h).
#include "elements/element_math.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelvaro::gui {

namespace {

int roundToInt(double number) { return static_cast<int>(std::lround(number)); }

}  // namespace

GaugeLayout gaugeLayout(int bevelWidth, int textHeight, bool hasHeader, bool sliderMode, int direction) {
  // gaugeLayout -> border, bar top, text height
  GaugeLayout layout;
  layout.b = bevelWidth * 2 + 1;
  layout.h = textHeight;
  layout.t = hasHeader ? layout.b + layout.h : layout.b;
  // A vertical slider writes "[value]" under the header, so its track starts two lines down.
  if (sliderMode && direction == kGaugeVertical) layout.t = (layout.b + layout.h) * 2;
  return layout;
}

std::optional<int> acceptedGaugeValue(int newValue, int maxValue) {
  if (maxValue == 0) return std::nullopt;
  return std::min(newValue, maxValue);
}

int limitedGaugeValue(int value, int minValue, int maxValue) {
  // Written out rather than std::clamp: a gauge set up with minimum above maximum must not be
  // undefined behaviour; the maximum wins then.
  if (value < minValue) value = minValue;
  if (value > maxValue) value = maxValue;
  return value;
}

int gaugeBarLength(int value, int minValue, int maxValue, int span) {
  // Without a range (or with one turned round) there is nothing to fill.
  if (maxValue <= minValue || span <= 0) return 0;
  const int v = limitedGaugeValue(value, minValue, maxValue);
  const double length = static_cast<double>(v - minValue) * span / (static_cast<double>(maxValue) - minValue);
  return std::clamp(roundToInt(length), 0, span);
}

QString roundedNumberText(double number) { return QString::number(std::round(number), 'f', 0); }

QString gaugeValueText(char kind, int value, int minValue, int maxValue) {
  const int v = limitedGaugeValue(value, minValue, maxValue);
  switch (kind) {
    case 'W':
      return roundedNumberText(v);
    case 'P':
      // Without a maximum there is no percentage to show; an empty text beats "inf %".
      if (maxValue == 0) return {};
      return roundedNumberText(100.0 * v / maxValue) + QStringLiteral(" %");
    default:
      return {};
  }
}

QRect sliderThumbRect(int direction, int width, int height, int maxValue, int t) {
  if (direction == kGaugeVertical) {
    int thumbHeight = maxValue > 0 ? height / maxValue : 0;
    if (thumbHeight < 10) thumbHeight = 12;
    return QRect(width / 3, t, width / 3, thumbHeight);
  }
  return QRect(0, height / 2, 10, height / 7 * 3);
}

int sliderTrackLength(int direction, int width, int height, int t, QSize thumb) {
  return direction == kGaugeVertical ? height - t - thumb.height() : width - thumb.width();
}

int sliderThumbOffset(int value, int maxValue, int trackLength) {
  if (maxValue == 0 || trackLength <= 0) return 0;
  const int offset = roundToInt(static_cast<double>(trackLength) / maxValue * value);
  // A value below zero or a negative maximum would put the thumb outside the gauge.
  return std::clamp(offset, 0, trackLength);
}

std::optional<int> sliderDragPosition(int mouse, int pressOffset, int lowerExclusive, int thumbSize, int extent) {
  const int position = mouse - pressOffset;
  if (position > lowerExclusive && position + thumbSize < extent) return position;
  return std::nullopt;
}

int sliderReleaseValue(int position, int trackLength, int minValue, int maxValue) {
  // The thumb travels from offset 1 to trackLength - 1, which maps onto 0 .. MaxValue.
  if (trackLength <= 2) return limitedGaugeValue(0, minValue, maxValue);
  const double value = static_cast<double>(maxValue) / (trackLength - 2) * (position - 1);
  return limitedGaugeValue(roundToInt(value), minValue, maxValue);
}

int fittedPointSize(int start, int floor, const std::function<bool(int)>& tooBig) {
  int points = start;
  while (points > floor && tooBig(points)) --points;
  return points;
}

int panelFontPixelHeight(int height, int rows) {
  const int pixels = rows > 0 ? height / (rows + 2) - 2 : height / 3;
  return std::max(pixels, 1);
}

QStringList panelRowTexts(const QString& valueText, int charsPerRow, int rows) {
  QStringList lines;
  if (charsPerRow <= 0) return lines;
  QString text = valueText;
  // "name\value" lines up as two columns: the name padded to 16 characters.
  const qsizetype split = text.indexOf(QLatin1Char('\\'));
  if (split >= 0) text = text.left(split).leftJustified(16, QLatin1Char(' ')) + text.mid(split + 1);
  for (int row = 1; row <= rows; ++row) {
    const qsizetype start = static_cast<qsizetype>(row - 1) * charsPerRow;
    if (start >= text.size()) break;
    lines << text.mid(start, charsPerRow);
  }
  return lines;
}

int shapeZoneAt(int x, int y, int width, int height, bool sizable) {
  if (!sizable) return kZoneMove;
  if (x < 5) return kZoneLeft;
  if (x > width - 7) return kZoneRight;
  if (y < 7) return kZoneTop;
  if (y <= height - 7) return kZoneMove;
  return kZoneBottom;
}

Qt::CursorShape shapeZoneCursor(int zone) {
  switch (zone) {
    case kZoneLeft:
    case kZoneRight:
      return Qt::SizeHorCursor;
    case kZoneTop:
    case kZoneBottom:
      return Qt::SizeVerCursor;
    case kZoneMove:
      return Qt::PointingHandCursor;
    default:
      return Qt::ArrowCursor;
  }
}

QRect shapeDragRect(int zone, const QRect& start, QPoint delta, const QRect& previous) {
  QRect rect = start;
  switch (zone) {
    case kZoneLeft:
      rect.setLeft(start.left() + delta.x());  // the right edge stays where it is
      break;
    case kZoneRight:
      rect.setWidth(start.width() + delta.x());
      break;
    case kZoneTop:
      rect.setTop(start.top() + delta.y());
      break;
    case kZoneBottom:
      rect.setHeight(std::max(kShapeMinSize, start.height() + delta.y()));
      break;
    case kZoneMove:
      rect.translate(delta);
      break;
    default:
      return previous;
  }
  if (rect.width() < kShapeMinSize || rect.height() < kShapeMinSize) return previous;
  return rect;
}

int listDropIndex(int topIndex, int dropY, int itemHeight, int draggedIndex, int count) {
  if (count <= 0) return -1;
  const int height = std::max(std::abs(itemHeight), 1);
  int target = topIndex + roundToInt(static_cast<double>(dropY) / height);
  // The dragged item leaves its place first, so everything after it moves up by one.
  if (target > draggedIndex) --target;
  if (target > count - 1) target = count - 1;
  if (target < 0) target = 0;
  return target;
}

}  // namespace kelvaro::gui
