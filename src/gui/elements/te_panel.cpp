// The label-and-value panel (see te_panel.h).
#include "elements/te_panel.h"

#include <algorithm>
#include <QMouseEvent>
#include <QPainter>

#include "elements/element_math.h"
#include "elements/element_mouse.h"

namespace kelvaro::gui {

namespace {

void drawCentredAt(QPainter& painter, int width, int y, const QString& text) {
  const QFontMetrics metrics = painter.fontMetrics();
  painter.drawText(QPoint((width - metrics.horizontalAdvance(text)) / 2, y + metrics.ascent()), text);
}

}  // namespace

TEPanel::TEPanel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
}

void TEPanel::setLabelText(const QString& text) {
  m_labelText = text;
  update();
}

void TEPanel::setValueText(const QString& text) {
  m_valueText = text;
  update();
}

void TEPanel::setCharsPerRow(int chars) {
  m_charsPerRow = std::max(chars, 0);
  update();
}

void TEPanel::setRows(int rows) {
  m_rows = std::max(rows, 0);
  update();
}

void TEPanel::setAutoFont(bool on) {
  m_autoFont = on;
  update();
}

void TEPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  // The painter's own font is used, so the widget's font is left as it was.
  QFont paintFont = font();
  if (m_autoFont) paintFont.setPixelSize(panelFontPixelHeight(height(), m_rows));
  painter.setFont(paintFont);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics metrics = painter.fontMetrics();
  const int lineHeight = metrics.height();

  if (m_charsPerRow > 0) {
    drawCentredAt(painter, width(), lineHeight / 4, m_labelText);
    const int x = metrics.horizontalAdvance(QLatin1Char('W'));
    const QStringList lines = panelRowTexts(m_valueText, m_charsPerRow, m_rows);
    for (int row = 1; row <= lines.size(); ++row)
      painter.drawText(QPoint(x, lineHeight * row + lineHeight / 2 + metrics.ascent()), lines[row - 1]);
  } else {
    drawCentredAt(painter, width(), lineHeight / 3, m_labelText);
    drawCentredAt(painter, width(), lineHeight * 3 / 2, m_valueText);
  }
}

void TEPanel::mousePressEvent(QMouseEvent* event) {
  emitPressSignals(*this, *event);
  QFrame::mousePressEvent(event);
}

void TEPanel::mouseReleaseEvent(QMouseEvent* event) {
  emitReleaseSignals(*this, *event);
  QFrame::mouseReleaseEvent(event);
}

}  // namespace kelvaro::gui
