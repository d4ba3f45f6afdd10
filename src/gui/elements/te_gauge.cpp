// The gauge and its slider (see te_gauge.h).
#include "elements/te_gauge.h"

#include <algorithm>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "elements/element_mouse.h"
#include "elements/te_val_btn.h"

namespace kelvaro::gui {

namespace {

constexpr int kBevelWidth = 2;

// Draws text with its top-left corner at (x, y), as the layout values are meant.
void drawTextAt(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

int textWidth(const QFontMetrics& metrics, const QString& text) { return metrics.horizontalAdvance(text); }

// The outline of the rectangle from (x1, y1) up to, not including, (x2, y2); QPainter would
// otherwise draw the right and bottom lines one pixel further out.
QRect outline(int x1, int y1, int x2, int y2) { return QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1); }

}  // namespace

TEGauge::TEGauge(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kBevelWidth);
  hide();
}

void TEGauge::setHeader(const QString& header) {
  m_header = header;
  update();
}

void TEGauge::setMinValue(int value) {
  m_minValue = value;
  update();
}

void TEGauge::setMaxValue(int value) {
  m_maxValue = value;
  placeThumb();
  update();
}

void TEGauge::setValue(int value) {
  const std::optional<int> accepted = acceptedGaugeValue(value, m_maxValue);
  if (!accepted) return;
  m_value = *accepted;
  placeThumb();
  update();
}

void TEGauge::setKind(char kind) {
  m_kind = kind;
  update();
}

void TEGauge::setDirection(int direction) {
  m_direction = direction == kGaugeVertical ? kGaugeVertical : kGaugeHorizontal;
  update();
}

void TEGauge::setBkColor(const QColor& color) {
  m_bkColor = color;
  update();
}

void TEGauge::setAutoFont(bool on) {
  m_autoFont = on;
  update();
}

QFont TEGauge::paintFont() const {
  QFont chosen = font();
  if (!m_autoFont) return chosen;
  const int b = kBevelWidth * 2 + 1;
  // fitFont -> 12 points, smaller while the header (vertical) or three lines (horizontal) do not fit
  const int points = fittedPointSize(12, 6, [&](int size) {
    QFont trial = chosen;
    trial.setPointSize(size);
    const QFontMetrics metrics(trial);
    if (m_direction == kGaugeVertical) return textWidth(metrics, m_header) + 3 * b > width();
    return 3 * metrics.height() > height();
  });
  chosen.setPointSize(points);
  return chosen;
}

void TEGauge::layoutGauge() {
  const QFontMetrics metrics(paintFont());
  m_layout = gaugeLayout(kBevelWidth, metrics.height(), !m_header.isEmpty(), sliderMode(), m_direction);
  if (m_thumb) m_thumb->setGeometry(sliderThumbRect(m_direction, width(), height(), m_maxValue, m_layout.t));
  show();
  m_value = 0;
  setValue(0);
  update();
}

void TEGauge::setSliderMode() {
  if (!m_thumb) {
    m_thumb = new TEValBtn(this);
    connect(m_thumb, &TEValBtn::thumbPressed, this, &TEGauge::thumbPressed);
    connect(m_thumb, &TEValBtn::thumbDragged, this, &TEGauge::thumbDragged);
    connect(m_thumb, &TEValBtn::thumbReleased, this, &TEGauge::thumbReleased);
  }
  m_thumb->setGeometry(sliderThumbRect(m_direction, width(), height(), m_maxValue, m_layout.t));
  m_thumb->show();
  placeThumb();
}

int TEGauge::trackLength() const {
  if (!m_thumb) return 0;
  return sliderTrackLength(m_direction, width(), height(), m_layout.t, m_thumb->size());
}

void TEGauge::placeThumb() {
  if (!m_thumb || m_dragging) return;
  const int offset = sliderThumbOffset(m_value, m_maxValue, trackLength());
  if (m_direction == kGaugeVertical)
    m_thumb->move(m_thumb->x(), m_layout.t + offset);
  else
    m_thumb->move(offset, m_thumb->y());
}

void TEGauge::thumbPressed(QPoint posInThumb) {
  m_dragging = true;
  m_dragOffset = m_direction == kGaugeVertical ? posInThumb.y() : posInThumb.x();
}

void TEGauge::thumbDragged(QPoint posInParent) {
  if (!m_dragging || !m_thumb) return;
  if (m_direction == kGaugeVertical) {
    if (const auto top = sliderDragPosition(posInParent.y(), m_dragOffset, m_layout.t, m_thumb->height(), height()))
      m_thumb->move(m_thumb->x(), *top);
  } else {
    if (const auto left = sliderDragPosition(posInParent.x(), m_dragOffset, 0, m_thumb->width(), width()))
      m_thumb->move(*left, m_thumb->y());
  }
}

void TEGauge::thumbReleased() {
  if (!m_dragging || !m_thumb) return;
  m_dragging = false;
  const int position = m_direction == kGaugeVertical ? m_thumb->y() - m_layout.t : m_thumb->x();
  setValue(sliderReleaseValue(position, trackLength(), m_minValue, m_maxValue));
  update();
  Q_EMIT sliderReleased(m_value, m_symbol);
}

void TEGauge::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  // The thumb's size follows the gauge's, as it does when slider mode is switched on.
  if (m_thumb) {
    const QRect thumb = sliderThumbRect(m_direction, width(), height(), m_maxValue, m_layout.t);
    m_thumb->resize(thumb.size());
    if (m_direction == kGaugeVertical)
      m_thumb->move(thumb.x(), m_thumb->y());
    else
      m_thumb->move(m_thumb->x(), thumb.y());
    placeThumb();
  }
}

void TEGauge::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setFont(paintFont());
  const QFontMetrics metrics = painter.fontMetrics();
  const int b = m_layout.b;
  const int t = m_layout.t;
  const int h = m_layout.h;
  const int w = width();
  const int ht = height();
  const QColor textColor = palette().color(QPalette::WindowText);

  // Frame from (b, b) to (w - b, h - b), the far corner excluded.
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(outline(b, b, w - b, ht - b));

  // Header, centred and moved left to leave room for a "[value]" after it.
  // A header wider than the gauge still starts inside the frame, so its beginning stays readable.
  const int headerX =
      std::max((w - textWidth(metrics, m_header)) / 2 - textWidth(metrics, QStringLiteral("[333]")), b + 2);
  painter.setPen(textColor);
  drawTextAt(painter, headerX, b, m_header);

  if (sliderMode()) {
    const QString valueText = QStringLiteral("[%1]").arg(m_value);
    painter.setBrush(palette().color(QPalette::Mid));
    if (m_direction == kGaugeVertical) {
      drawTextAt(painter, b + 2, t, QString::number(m_minValue));
      drawTextAt(painter, b + 2, ht - b - h, QString::number(m_maxValue));
      painter.setPen(Qt::black);
      painter.drawRect(outline(w / 2 - 2, t + 4, w / 2 + 2, ht - b - 4));
      painter.setPen(textColor);
      drawTextAt(painter, (w - textWidth(metrics, valueText)) / 2, b + h, valueText);
    } else {
      painter.setPen(Qt::black);
      const int trackY = ht / 3 * 2;
      painter.drawRect(outline(b + 4, trackY - 2, w - b - 4, trackY + 2));
      painter.setPen(textColor);
      drawTextAt(painter, headerX + textWidth(metrics, m_header), b, QStringLiteral("  ") + valueText);
      drawTextAt(painter, b + 2, b, QString::number(m_minValue));
      const QString maxText = QString::number(m_maxValue);
      drawTextAt(painter, w - b - 3 - textWidth(metrics, maxText), b, maxText);
    }
  }

  painter.setPen(Qt::black);
  painter.drawLine(b, t, w - b - 1, t);

  if (!sliderMode()) {
    if (m_minValue != m_maxValue) {
      if (m_direction == kGaugeVertical) {
        const int k = gaugeBarLength(m_value, m_minValue, m_maxValue, ht - t - b);
        // Bottom line at h - b - 2; the bar never reaches over the line under the header.
        const int top = std::max(ht - b - k, t + 1);
        const QRect bar(QPoint(b + 2, top), QPoint(w - b - 3, ht - b - 3));
        if (bar.isValid()) painter.fillRect(bar, m_bkColor);
      } else {
        const int length = gaugeBarLength(m_value, m_minValue, m_maxValue, w - 2 * (b + 2));
        const QRect bar(QPoint(b + 2, t + 2), QPoint(b + 2 + length - 1, ht - b - 3));
        if (bar.isValid()) painter.fillRect(bar, m_bkColor);
      }
    }
    const QString valueText = gaugeValueText(m_kind, m_value, m_minValue, m_maxValue);
    if (!valueText.isEmpty()) {
      painter.setPen(textColor);
      drawTextAt(painter, (w - textWidth(metrics, valueText)) / 2, t + (ht - t) / 2 - h / 2, valueText);
    }
  }
}

void TEGauge::mousePressEvent(QMouseEvent* event) {
  emitPressSignals(*this, *event);
  QFrame::mousePressEvent(event);
}

void TEGauge::mouseReleaseEvent(QMouseEvent* event) {
  emitReleaseSignals(*this, *event);
  QFrame::mouseReleaseEvent(event);
}

}  // namespace kelvaro::gui
