// The label-and-value panel (see te_panel.h).
#include "elements/te_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "elements/element_mouse.h"

namespace kelvaro::gui {

namespace {

// Draws text inside its box, shortened with "…" when the box is narrower.
void drawInBox(QPainter& painter, const QRect& box, const QString& text) {
  const QString shown = fittedText(painter.fontMetrics(), text, box.width());
  if (shown.isEmpty()) return;
  painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, shown);
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

QFont TEPanel::paintFont() const {
  // The painter's own font is used, so the widget's font is left as it was.
  QFont chosen = font();
  if (m_autoFont) chosen.setPixelSize(panelFontPixelHeight(height(), m_rows));
  return chosen;
}

QStringList TEPanel::valueLines() const {
  if (m_charsPerRow > 0) return panelRowTexts(m_valueText, m_charsPerRow, m_rows);
  return m_valueText.isEmpty() ? QStringList() : QStringList{m_valueText};
}

PanelBoxes TEPanel::boxes() const {
  const QFontMetrics metrics(paintFont());
  const QStringList lines = valueLines();
  QList<int> widths;
  for (const QString& line : lines) widths << metrics.horizontalAdvance(line);
  PanelBoxes placed = panelBoxes(contentsRect(), metrics.height(), metrics.horizontalAdvance(m_labelText), widths,
                                 m_charsPerRow > 0, metrics.horizontalAdvance(QLatin1Char('W')));
  // A text cut down to nothing but "…" is left out.
  if (fittedText(metrics, m_labelText, placed.label.width()).isEmpty()) placed.label = QRect();
  for (qsizetype i = 0; i < placed.lines.size(); ++i)
    if (fittedText(metrics, lines[i], placed.lines[i].width()).isEmpty()) placed.lines[i] = QRect();
  return placed;
}

void TEPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setFont(paintFont());
  painter.setPen(palette().color(QPalette::WindowText));
  const PanelBoxes placed = boxes();
  drawInBox(painter, placed.label, m_labelText);
  const QStringList lines = valueLines();
  for (qsizetype i = 0; i < placed.lines.size() && i < lines.size(); ++i) drawInBox(painter, placed.lines[i], lines[i]);
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
