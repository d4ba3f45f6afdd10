// Draws the printed lists with QPainter; every decision about lines and breaks is the core's.
#include "print/print_painter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "text/cp1252.h"

namespace kelvaro::gui {

namespace {

QString toQString(const std::string& cp1252) { return QString::fromStdString(toUtf8(cp1252)); }

// The core's measure, answered by the font's metrics on the device being painted.
class DeviceMeasure : public PrintMeasure {
 public:
  DeviceMeasure(const QFont& font, QPaintDevice& device) : m_metrics(font, &device), m_device(device) {}
  double textWidth(const std::string& text) const override { return m_metrics.horizontalAdvance(toQString(text)); }
  double lineHeight() const override { return m_metrics.boundingRect(QStringLiteral("W")).height(); }
  double pageWidth() const override { return m_device.width(); }
  double pageHeight() const override { return m_device.height(); }

 private:
  QFontMetricsF m_metrics;
  QPaintDevice& m_device;
};

QFont styledFont(const QFont& base, PrintStyle style) {
  QFont font = base;
  if (style == PrintStyle::BoldUnderlined) {
    font.setBold(true);
    font.setUnderline(true);
  } else if (style == PrintStyle::Large) {
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() + 2);
    font.setBold(true);
  }
  return font;
}

}  // namespace

QFont defaultPrintFont() {
  QFont font(QStringLiteral("Sans Serif"), 10);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QString printFontText(const QFont& font) {
  QString text = font.family() + QLatin1Char(',') + QString::number(font.pointSizeF());
  if (font.bold()) text += QStringLiteral(",bold");
  return text;
}

QFont printFontFromText(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  bool ok = false;
  const double points = parts.size() >= 2 ? parts[1].trimmed().toDouble(&ok) : 0;
  if (parts[0].trimmed().isEmpty() || !ok || points < 4 || points > 72) return defaultPrintFont();
  QFont font(parts[0].trimmed());
  font.setPointSizeF(points);
  font.setBold(parts.size() >= 3 && parts[2].trimmed() == QStringLiteral("bold"));
  return font;
}

int paintPrintItems(QPagedPaintDevice& device, const QFont& font, const std::vector<PrintItem>& items) {
  const DeviceMeasure measure(font, device);
  const std::vector<PrintPage> pages = layoutPages(items, measure);
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  bool first = true;
  for (const PrintPage& page : pages) {
    if (!first && !device.newPage()) return 0;
    first = false;
    for (const PlacedItem& item : page) {
      if (item.kind == PrintItemKind::Rule) {
        painter.setPen(QPen(Qt::black, item.penWidth));
        painter.drawLine(QPointF(item.x, item.y), QPointF(item.x2, item.y));
        continue;
      }
      const QFont itemFont = styledFont(font, item.style);
      painter.setFont(itemFont);
      painter.setPen(QPen(Qt::black, 1));
      // The layout places the top of the line; the painter wants the base line.
      const QFontMetricsF metrics(itemFont, &device);
      painter.drawText(QPointF(item.x, item.y + metrics.ascent()), toQString(item.text));
    }
  }
  painter.end();
  return static_cast<int>(pages.size());
}

bool writePrintPdf(const QString& fileName, const QFont& font, const std::vector<PrintItem>& items, int* pages,
                   QString* error) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  int count = 0;
  {
    QPdfWriter writer(&file);
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(items.empty() ? std::string() : toUtf8(items.front().text)));
    writer.setCreator(QStringLiteral("kelvaro"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Millimeter));
    count = paintPrintItems(writer, font, items);
  }
  if (count == 0) {
    file.cancelWriting();
    if (error) *error = QStringLiteral("Die Seiten konnten nicht gezeichnet werden");
    return false;
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  if (pages) *pages = count;
  return true;
}

}  // namespace kelvaro::gui
