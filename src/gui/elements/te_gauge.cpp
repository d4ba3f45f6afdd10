// The gauge and its slider (see te_gauge.h).
#include "elements/te_gauge.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "elements/element_mouse.h"
#include "elements/te_val_btn.h"

namespace kelvaro::gui {

namespace {

constexpr int kBevelWidth = 2;

int textWidth(const QFontMetrics& metrics, const QString& text) { return metrics.horizontalAdvance(text); }

// Draws text inside its box, shortened with "…" when the box is narrower.
void drawInBox(QPainter& painter, const QRect& box, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
  if (box.isNull() || text.isEmpty()) return;
  const QString shown = fittedText(painter.fontMetrics(), text, box.width());
  if (shown.isEmpty()) return;
  painter.drawText(box, static_cast<int>(align | Qt::AlignTop) | Qt::TextSingleLine, shown);
}

// The outline of a rectangle of covered pixels: QPainter draws a pen of 1 one pixel further
// out to the right and bottom.
QRect outline(const QRect& covered) { return covered.adjusted(0, 0, -1, -1); }

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
  // fitFont -> 12 points, smaller while not every text fits at full width
  const int points = fittedPointSize(12, 6, [&](int size) {
    QFont trial = chosen;
    trial.setPointSize(size);
    return !gaugeBoxes(content(QFontMetrics(trial))).complete;
  });
  chosen.setPointSize(points);
  return chosen;
}

QString TEGauge::sliderValueText(int value) const { return QStringLiteral("[%1]").arg(value); }

GaugeContent TEGauge::content(const QFontMetrics& metrics) const {
  GaugeContent c;
  c.size = size();
  c.direction = m_direction;
  c.slider = sliderMode();
  c.thumb = sliderThumbRect(m_direction, width(), height(), m_maxValue, 0);
  c.textHeight = metrics.height();
  if (!m_header.isEmpty()) {
    c.headerWidth = textWidth(metrics, m_header);
    c.headerMinWidth = textWidth(metrics, m_header.left(1) + QChar(0x2026));
  }
  // The value's room is that of the widest text it can show, so the layout stays put while the
  // value changes.
  if (c.slider) {
    c.valueWidth =
        std::max({textWidth(metrics, sliderValueText(m_minValue)), textWidth(metrics, sliderValueText(m_maxValue)),
                  textWidth(metrics, sliderValueText(m_value))});
    c.minWidth = textWidth(metrics, QString::number(m_minValue));
    c.maxWidth = textWidth(metrics, QString::number(m_maxValue));
  } else {
    for (const int v : {m_minValue, m_maxValue, m_value})
      c.valueWidth = std::max(c.valueWidth, textWidth(metrics, gaugeValueText(m_kind, v, m_minValue, m_maxValue)));
  }
  return c;
}

GaugeBoxes TEGauge::boxes() const {
  const QFontMetrics metrics(paintFont());
  GaugeBoxes g = gaugeBoxes(content(metrics));
  if (fittedText(metrics, m_header, g.header.width()).isEmpty()) g.header = QRect();
  return g;
}

void TEGauge::layoutGauge() {
  if (m_thumb) m_thumb->setGeometry(sliderThumbRect(m_direction, width(), height(), m_maxValue, boxes().t));
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
  m_thumb->setGeometry(sliderThumbRect(m_direction, width(), height(), m_maxValue, boxes().t));
  m_thumb->show();
  placeThumb();
}

int TEGauge::trackLength() const {
  if (!m_thumb) return 0;
  return sliderTrackLength(m_direction, width(), height(), boxes().t, m_thumb->size());
}

void TEGauge::placeThumb() {
  if (!m_thumb || m_dragging) return;
  const int offset = sliderThumbOffset(m_value, m_maxValue, trackLength());
  if (m_direction == kGaugeVertical) m_thumb->move(m_thumb->x(), boxes().t + offset);
  else m_thumb->move(offset, m_thumb->y());
}

void TEGauge::thumbPressed(QPoint posInThumb) {
  m_dragging = true;
  m_dragOffset = m_direction == kGaugeVertical ? posInThumb.y() : posInThumb.x();
}

void TEGauge::thumbDragged(QPoint posInParent) {
  if (!m_dragging || !m_thumb) return;
  if (m_direction == kGaugeVertical) {
    if (const auto top = sliderDragPosition(posInParent.y(), m_dragOffset, boxes().t, m_thumb->height(), height()))
      m_thumb->move(m_thumb->x(), *top);
  } else {
    if (const auto left = sliderDragPosition(posInParent.x(), m_dragOffset, 0, m_thumb->width(), width()))
      m_thumb->move(*left, m_thumb->y());
  }
}

void TEGauge::thumbReleased() {
  if (!m_dragging || !m_thumb) return;
  m_dragging = false;
  const int position = m_direction == kGaugeVertical ? m_thumb->y() - boxes().t : m_thumb->x();
  setValue(sliderReleaseValue(position, trackLength(), m_minValue, m_maxValue));
  update();
  Q_EMIT sliderReleased(m_value, m_symbol);
}

void TEGauge::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  // The thumb's size follows the gauge's, as it does when slider mode is switched on.
  if (m_thumb) {
    const QRect thumb = sliderThumbRect(m_direction, width(), height(), m_maxValue, boxes().t);
    m_thumb->resize(thumb.size());
    if (m_direction == kGaugeVertical) m_thumb->move(thumb.x(), m_thumb->y());
    else m_thumb->move(m_thumb->x(), thumb.y());
    placeThumb();
  }
}

void TEGauge::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setFont(paintFont());
  const GaugeBoxes g = boxes();

  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  if (!g.frame.isEmpty()) painter.drawRect(outline(g.frame));
  if (!g.separator.isNull()) painter.drawLine(g.separator);

  if (sliderMode()) {
    if (!g.track.isEmpty()) {
      painter.setBrush(palette().color(QPalette::Mid));
      painter.drawRect(outline(g.track));
    }
  } else if (m_minValue != m_maxValue && !g.bar.isEmpty()) {
    if (m_direction == kGaugeVertical) {
      const int length = gaugeBarLength(m_value, m_minValue, m_maxValue, g.bar.height());
      if (length > 0) painter.fillRect(g.bar.adjusted(0, g.bar.height() - length, 0, 0), m_bkColor);
    } else {
      const int length = gaugeBarLength(m_value, m_minValue, m_maxValue, g.bar.width());
      if (length > 0) painter.fillRect(QRect(g.bar.topLeft(), QSize(length, g.bar.height())), m_bkColor);
    }
  }

  painter.setPen(palette().color(QPalette::WindowText));
  drawInBox(painter, g.header, m_header);
  if (sliderMode()) {
    drawInBox(painter, g.value, sliderValueText(m_value), Qt::AlignHCenter);
    drawInBox(painter, g.minText, QString::number(m_minValue));
    drawInBox(painter, g.maxText, QString::number(m_maxValue), Qt::AlignRight);
  } else {
    drawInBox(painter, g.value, gaugeValueText(m_kind, m_value, m_minValue, m_maxValue), Qt::AlignHCenter);
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
