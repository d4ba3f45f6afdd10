// The arithmetic of the visual elements (see element_math.h).
#include "elements/element_math.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelvaro::gui {

namespace {

int roundToInt(double number) { return static_cast<int>(std::lround(number)); }

constexpr int kWidestBorder = 5;     // bevel width 2 * 2 + 1: the frame with a gap inside the bevel
constexpr int kNarrowestBorder = 2;  // the frame right inside the bevel
constexpr int kTextGap = 4;          // between two texts on one line

// Which texts a layout shows.
enum GaugeTexts : unsigned { kHeaderText = 1, kValueText = 2, kEndTexts = 4 };

// A text of the given width centred between left and right, cut to that room.
QRect centredBox(int left, int right, int y, int width, int height) {
  const int room = std::max(right - left + 1, 0);
  const int w = std::min(width, room);
  return QRect(left + (room - w) / 2, y, w, height);
}

// placeGauge -> the rectangles for one border, one choice of texts, header above or beside the bar
GaugeBoxes placeGauge(const GaugeContent& c, int b, unsigned texts, bool headerBeside) {
  const int w = c.size.width();
  const int ht = c.size.height();
  const int h = c.textHeight;
  const int left = b + 2;  // texts and bar keep a pixel clear of the frame
  const int right = w - b - 3;
  const int top = b + 1;  // first text line
  GaugeBoxes g;
  g.b = b;
  g.frame = QRect(b, b, w - 2 * b, ht - 2 * b);
  int y = top;
  if (!c.slider) {
    if (headerBeside) {
      // The header left of the bar, both in one line: the bar keeps room for its value text
      // and a third of the width, the header gets the rest.
      const int barMin = std::max(c.valueWidth + 4, (w - 2 * b) / 3);
      const int room = right - left + 1 - barMin - 5;
      g.header = QRect(left, b + 2 + (ht - 2 * b - 4 - h) / 2, std::min(c.headerWidth, std::max(room, 0)), h);
      const int lineX = g.header.right() + 3;
      g.separator = QLine(lineX, b, lineX, ht - b - 1);
      g.t = b;
      g.bar = QRect(QPoint(lineX + 2, b + 2), QPoint(right, ht - b - 3));
    } else {
      if (texts & kHeaderText) {
        g.header = centredBox(left, right, y, c.headerWidth, h);
        y += h;
      }
      g.t = y == top ? b : y;
      g.bar = QRect(QPoint(left, g.t + 2), QPoint(right, ht - b - 3));
    }
    if (texts & kValueText)
      g.value = QRect(g.bar.left() + (g.bar.width() - c.valueWidth) / 2, g.bar.top() + (g.bar.height() - h) / 2,
                      c.valueWidth, h);
  } else if (c.direction == kGaugeVertical) {
    // Header and value each on a line at the top; the ends beside the track, left of the thumb.
    if (texts & kHeaderText) {
      g.header = centredBox(left, right, y, c.headerWidth, h);
      y += h;
    }
    if (texts & kValueText) {
      g.value = centredBox(left, right, y, c.valueWidth, h);
      y += h;
    }
    g.t = y == top ? b : y;
    if (texts & kEndTexts) {
      g.minText = QRect(left, g.t + 2, c.minWidth, h);
      g.maxText = QRect(left, ht - b - 2 - h, c.maxWidth, h);
    }
    g.track = QRect(QPoint(w / 2 - 2, g.t + 4), QPoint(w / 2 + 1, ht - b - 5));
  } else {
    // One line at the top: the minimum at the left, the maximum at the right, header and value
    // between them, centred on the gauge as far as the ends allow; track and thumb below.
    int from = left;
    int to = right;
    if (texts & kEndTexts) {
      g.minText = QRect(left, top, c.minWidth, h);
      g.maxText = QRect(right - c.maxWidth + 1, top, c.maxWidth, h);
      from = g.minText.right() + 1 + kTextGap;
      to = g.maxText.left() - 1 - kTextGap;
    }
    const int valueWidth = (texts & kValueText) ? c.valueWidth : 0;
    const int headerRoom = to - from + 1 - (valueWidth > 0 ? valueWidth + kTextGap : 0);
    const int headerWidth = (texts & kHeaderText) ? std::clamp(c.headerWidth, 0, std::max(headerRoom, 0)) : 0;
    const int group = headerWidth + (headerWidth > 0 && valueWidth > 0 ? kTextGap : 0) + valueWidth;
    int x = std::clamp((w - group) / 2, from, std::max(from, to + 1 - group));
    if (texts & kHeaderText) {
      g.header = QRect(x, top, headerWidth, h);
      x += headerWidth + kTextGap;
    }
    if (valueWidth > 0) g.value = QRect(x, top, valueWidth, h);
    g.t = texts != 0 ? top + h : b;
    const int trackY = ht / 3 * 2;
    g.track = QRect(QPoint(b + 4, trackY - 2), QPoint(w - b - 5, trackY + 2));
  }
  if (g.t > b) g.separator = QLine(b, g.t, w - b - 1, g.t);
  return g;
}

// fitsGauge -> no text outside the frame, on another text, the thumb or the track; bar visible
bool fitsGauge(const GaugeBoxes& g, const GaugeContent& c, unsigned texts) {
  const QRect inside = g.frame.adjusted(1, 1, -1, -1);
  if (inside.isEmpty()) return false;
  if (!c.slider && g.bar.isEmpty()) return false;
  // The thumb sweeps a strip across the gauge: below t when vertical, at its height when not.
  QRect thumbStrip;
  if (c.slider)
    thumbStrip = c.direction == kGaugeVertical ? QRect(c.thumb.x(), g.t, c.thumb.width(), c.size.height() - g.t)
                                               : QRect(0, c.thumb.y(), c.size.width(), c.thumb.height());
  const QRect boxes[] = {g.header, g.value, g.minText, g.maxText};
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    const QRect& box = boxes[i];
    if (box.isNull()) continue;
    if (!inside.contains(box) || box.intersects(thumbStrip) || box.intersects(g.track)) return false;
    for (std::size_t j = i + 1; j < std::size(boxes); ++j)
      if (!boxes[j].isNull() && box.intersects(boxes[j])) return false;
  }
  if ((texts & kHeaderText) && g.header.width() < std::min(c.headerWidth, c.headerMinWidth)) return false;
  if (texts & kValueText) {
    // A number is never shortened, and a gauge writes it on its bar.
    if (g.value.width() != c.valueWidth) return false;
    if (!c.slider && !g.bar.contains(g.value)) return false;
  }
  // A slider showing texts keeps its track visible.
  if (c.slider && texts != 0 && g.track.isEmpty()) return false;
  return true;
}

}  // namespace

GaugeBoxes gaugeBoxes(const GaugeContent& c) {
  // gaugeBoxes -> the first layout that fits, from all texts in full down to the bar alone
  unsigned present = 0;
  if (c.headerWidth > 0) present |= kHeaderText;
  if (c.valueWidth > 0) present |= kValueText;
  if (c.slider && c.minWidth > 0 && c.maxWidth > 0) present |= kEndTexts;
  const unsigned all = kHeaderText | kValueText | kEndTexts;
  const unsigned kOrder[] = {all, kHeaderText | kValueText, kValueText | kEndTexts, kValueText, kHeaderText};
  for (const unsigned wanted : kOrder) {
    const unsigned texts = wanted & present;
    if (texts == 0) continue;  // the bar alone comes last
    for (const bool shortened : {false, true}) {
      if (shortened && !(texts & kHeaderText)) continue;
      for (const bool beside : {false, true}) {
        if (beside && (c.slider || c.direction == kGaugeVertical || !(texts & kHeaderText))) continue;
        for (int b = kWidestBorder; b >= kNarrowestBorder; --b) {
          GaugeBoxes g = placeGauge(c, b, texts, beside);
          if (!fitsGauge(g, c, texts)) continue;
          const bool full = !(texts & kHeaderText) || g.header.width() == c.headerWidth;
          if (full == shortened) continue;
          g.complete = texts == present && full;
          return g;
        }
      }
    }
  }
  for (int b = kWidestBorder; b > kNarrowestBorder; --b) {
    GaugeBoxes g = placeGauge(c, b, 0, false);
    if (fitsGauge(g, c, 0)) return g;
  }
  return placeGauge(c, kNarrowestBorder, 0, false);
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
    case 'W': return roundedNumberText(v);
    case 'P':
      // Without a maximum there is no percentage to show; an empty text beats "inf %".
      if (maxValue == 0) return {};
      return roundedNumberText(100.0 * v / maxValue) + QStringLiteral(" %");
    default: return {};
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

PanelBoxes panelBoxes(const QRect& area, int lineHeight, int labelWidth, const QList<int>& lineWidths, bool rowsMode,
                      int indent) {
  // panelBoxes -> label and as many lines as fit, at their usual places or packed
  if (lineHeight < kSmallestTextHeight) return {};
  const int lh = lineHeight;
  auto textBox = [&](int x, int y, int width) {
    // Shifted left as far as the area allows when wider than the room after x, then cut.
    x = std::max(area.left(), std::min(x, area.right() + 1 - width));
    return QRect(x, y, std::min(width, area.right() + 1 - x), lh);
  };
  auto centred = [&](int y, int width) { return centredBox(area.left(), area.right(), y, width, lh); };
  auto build = [&](bool withLabel, qsizetype shown, bool packed) {
    PanelBoxes boxes;
    // Usual places: rows a line and a half apart from the label, a single value below it.
    const int labelY = packed ? area.top() : std::max(area.top(), rowsMode ? lh / 4 : lh / 3);
    int y = labelY;
    if (withLabel) {
      boxes.label = centred(y, labelWidth);
      y += packed ? lh : (rowsMode ? lh + lh / 4 : lh * 3 / 2 - labelY);
    } else if (!rowsMode && shown > 0) {
      y = area.top() + (area.height() - lh) / 2;  // the value alone sits in the middle
    }
    for (qsizetype i = 0; i < shown; ++i, y += lh)
      boxes.lines << (rowsMode ? textBox(indent, y, lineWidths[i]) : centred(y, lineWidths[i]));
    return boxes;
  };
  auto fits = [&](const PanelBoxes& boxes) {
    if (!boxes.label.isNull() && (!area.contains(boxes.label) || boxes.label.width() <= 0)) return false;
    for (const QRect& line : boxes.lines)
      if (!area.contains(line) || line.width() <= 0 || line.intersects(boxes.label)) return false;
    return true;
  };
  const qsizetype count = lineWidths.size();
  for (const bool withLabel : {true, false}) {
    if (withLabel && labelWidth <= 0) continue;
    for (qsizetype shown = count; shown >= (withLabel ? 0 : 1); --shown) {
      // The label alone only when there is no value to show.
      if (withLabel && shown == 0 && count > 0) continue;
      for (const bool packed : {false, true}) {
        const PanelBoxes boxes = build(withLabel, shown, packed);
        if (fits(boxes)) return boxes;
      }
    }
  }
  return {};
}

QRect shapeTextBox(QSize size, int textWidth, int textHeight) {
  const int width = std::min(textWidth, size.width() - 3);
  if (width <= 0 || textHeight < kSmallestTextHeight || textHeight > size.height() - 2) return {};
  const int y = std::max(1, std::min(textHeight / 4, size.height() - 1 - textHeight));
  return QRect((size.width() - width) / 2, y, width, textHeight);
}

QString fittedText(const QFontMetrics& metrics, const QString& text, int width) {
  if (width <= 0 || text.isEmpty()) return {};
  if (metrics.horizontalAdvance(text) <= width) return text;
  const QString shortened = metrics.elidedText(text, Qt::ElideRight, width);
  if (shortened.size() < 2 || metrics.horizontalAdvance(shortened) > width) return {};
  return shortened;
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

Qt::CursorShape shapeZoneCursor(int zone) {
  switch (zone) {
    case kZoneLeft:
    case kZoneRight: return Qt::SizeHorCursor;
    case kZoneTop:
    case kZoneBottom: return Qt::SizeVerCursor;
    case kZoneMove: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
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
