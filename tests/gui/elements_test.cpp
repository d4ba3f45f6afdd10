// The visual elements of a running view: their arithmetic, their reactions to the mouse and what
// they paint.
#include <memory>

#include "elements/element_math.h"
#include "elements/ps_elements.h"
#include "elements/te_gauge.h"
#include "elements/te_panel.h"
#include "elements/te_val_btn.h"
#include "gui_test_support.h"

using namespace kelvaro::gui;

// QCOMPARE for one row of a table: a failure names the row's own line.
#define ROW_COMPARE(actual, expected, line)                                             \
  do {                                                                                  \
    if (!QTest::qCompare(actual, expected, #actual, #expected, __FILE__, line)) return; \
  } while (false)

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

QImage renderOf(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  widget.render(&image);
  return image;
}

// The texts a gauge layout shows, as "m" minimum, "H" header (lower case when shortened),
// "V" value, "M" maximum, and "|" when the header sits beside the bar.
QString shownTexts(const GaugeBoxes& g, int headerWidth) {
  QString shown;
  if (!g.minText.isNull()) shown += QLatin1Char('m');
  if (!g.header.isNull()) shown += QLatin1Char(g.header.width() < headerWidth ? 'h' : 'H');
  if (!g.separator.isNull() && g.separator.dx() == 0) shown += QLatin1Char('|');
  if (!g.value.isNull()) shown += QLatin1Char('V');
  if (!g.maxText.isNull()) shown += QLatin1Char('M');
  return shown;
}

int pixelsOf(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += QColor(image.pixel(x, y)) == colour ? 1 : 0;
  return count;
}

}  // namespace

class ElementsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The arithmetic of gauge, slider and panel.
  void elementArithmetic() {
    const struct {
      int line;
      char kind;
      int value, minValue, maxValue;
      const char* text;
    } kTexts[] = {
        {__LINE__, 'P', 2, 0, 3, "67 %"},    {__LINE__, 'P', 500, 0, 200, "100 %"}, {__LINE__, 'P', 5, 0, 0, ""},
        {__LINE__, 'W', 250, 0, 200, "200"}, {__LINE__, 'W', 3, 10, 200, "10"},     {__LINE__, 'W', -7, -10, 10, "-7"},
        {__LINE__, ' ', 50, 0, 200, ""},
    };
    for (const auto& r : kTexts)
      ROW_COMPARE(gaugeValueText(r.kind, r.value, r.minValue, r.maxValue), QString::fromLatin1(r.text), r.line);

    const struct {
      int line, value, minValue, maxValue, span, expected;
    } kBars[] = {
        {__LINE__, 2, 0, 3, 100, 67},  {__LINE__, 15, 10, 20, 100, 50},
        {__LINE__, 3, 10, 20, 100, 0}, {__LINE__, 99, 10, 20, 100, 100},
        {__LINE__, 5, 5, 5, 100, 0},   {__LINE__, 5, 20, 10, 100, 0},  // minimum above maximum
    };
    for (const auto& r : kBars)
      ROW_COMPARE(gaugeBarLength(r.value, r.minValue, r.maxValue, r.span), r.expected, r.line);

    // Ignored while there is no maximum; kept below the minimum, where only the bar stops.
    QCOMPARE(acceptedGaugeValue(42, 0), std::nullopt);
    QCOMPARE(acceptedGaugeValue(250, 200), std::optional<int>(200));
    QCOMPARE(acceptedGaugeValue(3, 200), std::optional<int>(3));
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int points) { return points > 9; }), 9);
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int) { return true; }), 6);
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int) { return false; }), 12);
    QCOMPARE(panelFontPixelHeight(4, 3), 1);  // never below one pixel

    const struct {
      int line, position, track, minValue, maxValue, expected;
    } kReleases[] = {
        {__LINE__, 1, 200, 0, 100, 0},     {__LINE__, 195, 200, 0, 100, 98}, {__LINE__, 1, 200, 20, 100, 20},
        {__LINE__, 250, 200, 0, 100, 100}, {__LINE__, 1, 2, 5, 100, 5},  // the last: a track too short
        {__LINE__, 2, 3, 0, 100, 100},
    };
    for (const auto& r : kReleases)
      ROW_COMPARE(sliderReleaseValue(r.position, r.track, r.minValue, r.maxValue), r.expected, r.line);

    const struct {
      int line, mouse, pressOffset, lower, thumb, extent;
      std::optional<int> expected;
    } kDrags[] = {
        // Not so far that the right edge touches the end, nor back to the start, nor onto the top line.
        {__LINE__, 204, 5, 0, 10, 210, 199},
        {__LINE__, 205, 5, 0, 10, 210, std::nullopt},
        {__LINE__, 40, 3, 36, 12, 200, 37},
        {__LINE__, 39, 3, 36, 12, 200, std::nullopt},
    };
    for (const auto& r : kDrags)
      ROW_COMPARE(sliderDragPosition(r.mouse, r.pressOffset, r.lower, r.thumb, r.extent), r.expected, r.line);

    const struct {
      int line;
      const char* value;
      int charsPerRow, rows;
      QStringList expected;
    } kRows[] = {
        {__LINE__, "Wohnzimmer\\23", 20, 2, {"Wohnzimmer      23"}},
        {__LINE__, "Schlafzimmer-Ost-Sued\\7", 30, 1, {"Schlafzimmer-Ost-Sued7"}},  // a long name is not cut
        {__LINE__, "ABCDEFGHIJ", 4, 5, {"ABCD", "EFGH", "IJ"}},
        {__LINE__, "ABCDEFGHIJ", 4, 2, {"ABCD", "EFGH"}},
        {__LINE__, "", 4, 3, {}},
        {__LINE__, "ABC", 0, 3, {}},
    };
    for (const auto& r : kRows)
      ROW_COMPARE(panelRowTexts(QString::fromLatin1(r.value), r.charsPerRow, r.rows), r.expected, r.line);
  }

  void gaugeLayoutGivesWayWhenRoomIsShort() {
    // Texts of fixed sizes, so the choices do not depend on the fonts installed.
    const struct {
      int line, width, height, direction;
      bool slider;
      int textHeight;
      const char* expected;
    } kLayouts[] = {
        {__LINE__, 400, 120, kGaugeHorizontal, false, 18, "HV"},
        {__LINE__, 160, 22, kGaugeHorizontal, false, 10, "H|V"},  // too low for two lines
        {__LINE__, 90, 22, kGaugeHorizontal, false, 10, "h|V"},
        {__LINE__, 150, 22, kGaugeHorizontal, false, 17, ""},  // the bar alone
        {__LINE__, 200, 44, kGaugeHorizontal, true, 12, "mHVM"},
        {__LINE__, 150, 44, kGaugeHorizontal, true, 12, "mhVM"},
        {__LINE__, 60, 44, kGaugeHorizontal, true, 12, "hV"},  // the ends go first
        {__LINE__, 40, 44, kGaugeHorizontal, true, 12, "V"},
        {__LINE__, 60, 22, kGaugeHorizontal, true, 12, ""},  // the row would reach the thumb
        {__LINE__, 120, 300, kGaugeVertical, true, 12, "mHVM"},
        {__LINE__, 60, 300, kGaugeVertical, true, 12, "hV"},  // the ends would reach the thumb
        {__LINE__, 40, 150, kGaugeVertical, false, 12, "hV"},
        {__LINE__, 10, 10, kGaugeVertical, false, 12, ""},
    };
    for (const auto& r : kLayouts) {
      GaugeContent c;
      c.size = QSize(r.width, r.height);
      c.direction = r.direction;
      c.slider = r.slider;
      c.thumb = sliderThumbRect(r.direction, r.width, r.height, 100, 0);
      c.textHeight = r.textHeight;
      c.headerWidth = 90;
      c.headerMinWidth = 15;
      c.valueWidth = 30;
      if (r.slider) {
        c.minWidth = 8;
        c.maxWidth = 24;
      }
      const GaugeBoxes g = gaugeBoxes(c);
      ROW_COMPARE(shownTexts(g, c.headerWidth), QString::fromLatin1(r.expected), r.line);
      // The bar, or the thumb's track, keeps room however little there is.
      ROW_COMPARE(r.slider || !g.bar.isEmpty(), true, r.line);
    }
  }

  // Each element kind at the demo's size paints with the boxes its layout gives. The font is not
  // smoothed, so every pixel of the text colour is ink of a text: it must lie in a box, every box
  // must get ink, and the boxes keep clear of each other, the thumb and the frame.
  void elementsPaintTheirTextsInTheLayoutsBoxes() {
    enum Kind { kGauge, kSlider, kPanel };
    const struct {
      int line;
      Kind kind;
      int width, height, leastShown;
    } kCases[] = {
        {__LINE__, kGauge, 150, 22, 2},
        {__LINE__, kSlider, 200, 44, 4},
        {__LINE__, kPanel, 260, 44, 2},
    };
    const QColor ink(255, 0, 255);
    const QColor barColour(0, 160, 0);
    for (const auto& r : kCases) {
      std::unique_ptr<QWidget> widget;
      QList<QRect> texts;
      QRect inside;
      QRect thumb;
      if (r.kind == kPanel) {
        auto* panel = new TPSPanel;
        widget.reset(panel);
        panel->setLabelText(QStringLiteral("Anzeige"));
        panel->setValueText(QStringLiteral("Es hat geklingelt am Gartentor"));
        panel->setCharsPerRow(8);
        panel->setRows(3);
      } else {
        auto* gauge = new TPSGauge;
        widget.reset(gauge);
        gauge->setHeader(QStringLiteral("Dimmer Wohnzimmer"));
        gauge->setMaxValue(100);
        gauge->setKind('W');
        gauge->setBkColor(barColour);
        gauge->setAutoFont(true);
      }
      QFont font = widget->font();
      font.setStyleStrategy(QFont::NoAntialias);
      widget->setFont(font);
      QPalette palette = widget->palette();
      palette.setColor(QPalette::WindowText, ink);
      widget->setPalette(palette);
      widget->resize(r.width, r.height);
      if (auto* gauge = qobject_cast<TPSGauge*>(widget.get())) {
        if (r.kind == kSlider) gauge->setSliderMode();
        gauge->layoutGauge();
        gauge->setValue(40);
        const GaugeBoxes g = gauge->boxes();
        texts = {g.header, g.value, g.minText, g.maxText};
        inside = g.frame.adjusted(1, 1, -1, -1);
        if (gauge->thumb() != nullptr) thumb = gauge->thumb()->geometry();
        ROW_COMPARE(QRect(2, 2, r.width - 4, r.height - 4).contains(g.frame), true, r.line);  // inside the bevel
      } else {
        auto* panel = static_cast<TEPanel*>(widget.get());
        texts = QList<QRect>{panel->boxes().label} + panel->boxes().lines;
        inside = panel->contentsRect();
      }
      texts.removeAll(QRect());
      ROW_COMPARE(texts.size() >= r.leastShown, true, r.line);
      for (qsizetype i = 0; i < texts.size(); ++i) {
        ROW_COMPARE(inside.contains(texts[i]), true, r.line);
        ROW_COMPARE(texts[i].intersects(thumb), false, r.line);
        for (qsizetype j = i + 1; j < texts.size(); ++j) ROW_COMPARE(texts[i].intersects(texts[j]), false, r.line);
      }
      const QImage image = renderOf(*widget);
      QList<int> inkPerBox(texts.size(), 0);
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          if (QColor(image.pixel(x, y)) != ink) continue;
          qsizetype box = 0;
          while (box < texts.size() && !texts[box].contains(x, y)) ++box;
          ROW_COMPARE(box < texts.size(), true, r.line);  // ink outside every text's box
          ++inkPerBox[box];
        }
      ROW_COMPARE(inkPerBox.count(0), 0, r.line);  // a box whose text was not painted
      if (r.kind == kGauge) ROW_COMPARE(pixelsOf(image, barColour) > 0, true, r.line);
      if (r.kind == kSlider) ROW_COMPARE(widget->rect().contains(thumb), true, r.line);
    }
  }

  void sliderDragAndReleaseReportsValue() {
    TPSGauge gauge;
    gauge.resize(210, 70);
    gauge.setMaxValue(100);
    gauge.setSymbol(7);
    gauge.setSliderMode();
    gauge.layoutGauge();
    TEValBtn* thumb = gauge.thumb();
    QVERIFY(thumb);
    QSignalSpy released(&gauge, &TEGauge::sliderReleased);
    sendMouse(thumb, QEvent::MouseButtonPress, {5, 10}, {500, 500}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(thumb, QEvent::MouseMove, {105, 10}, {600, 500}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(thumb->x(), 100);
    sendMouse(thumb, QEvent::MouseButtonRelease, {5, 10}, {600, 500}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0), (QVariantList{50, 7}));  // value and symbol
    QCOMPARE(gauge.value(), 50);
  }

  // A left press released on the element clicks it, released outside does not (that clicks and
  // right presses reach the run is execution_window_test's).
  void aReleaseOutsideIsNoClick() {
    TPSPanel panel;
    TPSGauge gauge;
    TPSImage image;
    for (QWidget* widget : std::initializer_list<QWidget*>{&panel, &gauge, &image}) {
      widget->resize(50, 30);
      QSignalSpy clicked(widget, SIGNAL(clicked()));
      for (const QPoint release : {QPoint(10, 10), QPoint(80, 10)}) {
        sendMouse(widget, QEvent::MouseButtonPress, {10, 10}, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(widget, QEvent::MouseButtonRelease, release, release, Qt::LeftButton, Qt::NoButton);
      }
      QCOMPARE(clicked.count(), 1);
    }
  }

  void imageStretchesOnlyWhenAsked() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("green.bmp"));
    QPixmap green(10, 10);
    green.fill(Qt::green);
    QVERIFY(green.save(file, "BMP"));
    TPSImage image;
    image.resize(40, 40);
    QVERIFY(image.loadBitmap(file));
    QCOMPARE(pixelsOf(renderOf(image), Qt::green), 100);
    image.setStretch(true);
    QCOMPARE(pixelsOf(renderOf(image), Qt::green), 40 * 40);
    QVERIFY(!image.loadBitmap(dir.filePath(QStringLiteral("fehlt.bmp"))));
    QVERIFY(image.bitmap().isNull());
  }
};

QTEST_MAIN(ElementsTest)
#include "elements_test.moc"
