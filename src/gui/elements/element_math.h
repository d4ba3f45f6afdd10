// The arithmetic of the visual elements, apart from painting so that it can be tested alone:
// gauge texts and bar lengths, slider thumb positions, panel rows, shape cursors, list drops.
#pragma once

#include <QFontMetrics>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>
#include <optional>

#include "app/shape_geometry.h"

namespace kelvaro::gui {

// Which way a gauge grows; the numbers are the ones the object stores (GaugeDirRB).
enum GaugeDirection : int { kGaugeHorizontal = 0, kGaugeVertical = 1 };

// What a gauge has to place, measured in the font it paints with. A width of 0 means the
// text is not there at all (no header, value kind ' ', no slider ends).
struct GaugeContent {
  QSize size;
  int direction = kGaugeHorizontal;
  bool slider = false;
  QRect thumb;  // the slider's thumb as slider mode sizes it; only its cross axis matters
  int textHeight = 0;
  int headerWidth = 0;
  int headerMinWidth = 0;  // the narrowest shortened header still worth showing ("D…")
  int valueWidth = 0;      // the widest value text the gauge can show
  int minWidth = 0;        // slider ends
  int maxWidth = 0;
};

// Where a gauge paints: every rectangle is the pixels covered, first to last. A null text
// rectangle means the text is left out; a header narrower than its text is shortened.
struct GaugeBoxes {
  int b = 5;  // border: where the black frame lies inside the bevel
  int t = 5;  // the line under the texts at the top, where a vertical slider's thumb starts
  QRect frame;
  QLine separator;  // between header and bar; null when there is none
  QRect bar;        // what a full bar fills (no slider)
  QRect track;      // the slider's track
  QRect header, value, minText, maxText;
  bool complete = false;  // every text there is, shown at full width
};

// Lays a gauge out so that no text overlaps another text, the thumb, the track or the frame,
// and the bar keeps at least a pixel. When room runs short the border narrows first, then
// the header moves beside the bar, is shortened, and finally texts are left out: the slider's
// ends first, then the header, the value last.
GaugeBoxes gaugeBoxes(const GaugeContent& content);

// The value a gauge takes when set to newValue: none (ignored) while the maximum is 0,
// else the value limited to the maximum. The minimum is deliberately not applied here:
// the value keeps what it was given and only the bar stops at the minimum.
std::optional<int> acceptedGaugeValue(int newValue, int maxValue);

// The value limited to minValue..maxValue (the bar and the value text use this).
int limitedGaugeValue(int value, int minValue, int maxValue);

// Length in pixels of the filled bar for value over a span of pixels; 0 unless min < max.
int gaugeBarLength(int value, int minValue, int maxValue, int span);

// The value text of a gauge: kind ' ' none, 'W' the value, 'P' the percentage of the maximum
// followed by " %". The value is limited to minValue..maxValue first.
QString gaugeValueText(char kind, int value, int minValue, int maxValue);

// A number written as with a field width and no decimals, rounded half away from zero,
// leading blanks removed ("25", "-3").
QString roundedNumberText(double number);

// The thumb's rectangle when slider mode is switched on (before the value places it).
QRect sliderThumbRect(int direction, int width, int height, int maxValue, int t);

// Track length the thumb travels: height - t - thumb height, or width - thumb width.
int sliderTrackLength(int direction, int width, int height, int t, QSize thumb);

// Thumb offset along the track for a value (0 at the start), kept on the track.
int sliderThumbOffset(int value, int maxValue, int trackLength);

// New thumb coordinate (top or left) while dragging, or none when it would leave the track:
// it must stay above lowerExclusive and end before extent.
std::optional<int> sliderDragPosition(int mouse, int pressOffset, int lowerExclusive, int thumbSize, int extent);

// Value for a thumb released at offset position (measured from t or 0) on a track.
int sliderReleaseValue(int position, int trackLength, int minValue, int maxValue);

// The largest point size from start down to floor for which tooBig is false (floor when none).
int fittedPointSize(int start, int floor, const std::function<bool(int)>& tooBig);

// Lines lower than this are specks rather than text; panels and shapes leave them out.
inline constexpr int kSmallestTextHeight = 6;

// Where a panel writes its label and value lines (each rectangle the pixels covered, cut to the
// panel's inside where the text is wider; the painter shortens such a text). Lines that do not
// fit below the label are left out from the last one up; when no value line fits with the
// label, the label is left out, the value being what the panel is for.
struct PanelBoxes {
  QRect label;         // null: not shown
  QList<QRect> lines;  // the first lines.size() value lines
};
// area is the panel's inside, lineWidths the widths of the value's lines (rows mode: one per
// row, else the one value), indent the x where rows begin.
PanelBoxes panelBoxes(const QRect& area, int lineHeight, int labelWidth, const QList<int>& lineWidths, bool rowsMode,
                      int indent);

// Where a shape writes its text: centred, a quarter line from the top (higher when the shape is
// low), at most the shape's width less 3 wide; null when the line does not fit the height.
QRect shapeTextBox(QSize size, int textWidth, int textHeight);

// The text as it fits into width pixels in the font of metrics: whole, or shortened with "…";
// empty when not one character of it fits, since a lone "…" tells the user nothing.
QString fittedText(const QFontMetrics& metrics, const QString& text, int width);

// Pixel height of a panel's font when it sizes itself to the panel.
int panelFontPixelHeight(int height, int rows);

// The lines a panel with rows shows: a value "a\b" becomes a padded to 16 characters then b;
// row r holds the slice from (r - 1) * charsPerRow of charsPerRow characters while it starts
// inside the text.
QStringList panelRowTexts(const QString& valueText, int charsPerRow, int rows);

// The cursor that tells the user what a drag in a shape's zone (ShapeZone) will do.
Qt::CursorShape shapeZoneCursor(int zone);

// Where a dragged list item lands: top index + drop y / item height (rounded), one less when
// that lies after the dragged item, at most the last index; -1 for an empty list.
int listDropIndex(int topIndex, int dropY, int itemHeight, int draggedIndex, int count);

}  // namespace kelvaro::gui
