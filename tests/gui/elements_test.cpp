// The visual elements: their arithmetic, their reactions to the mouse and what they paint.
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "elements/element_math.h"
#include "elements/ext_list_box.h"
#include "elements/ext_memo.h"
#include "elements/ext_shape.h"
#include "elements/ps_elements.h"
#include "elements/te_gauge.h"
#include "elements/te_panel.h"
#include "elements/te_val_btn.h"

using namespace kelvaro::gui;

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

bool isDark(QRgb pixel) { return qGray(pixel) < 100; }

int darkPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (isDark(image.pixel(x, y))) ++count;
  return count;
}

QString solidBitmapFile(const QTemporaryDir& dir, const QColor& color, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(color);
  const QString file = dir.filePath(QStringLiteral("solid.bmp"));
  pixmap.save(file, "BMP");
  return file;
}

}  // namespace

class ElementsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // ---- gauge arithmetic ----
  void gaugeValueText_data() {
    QTest::addColumn<char>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("expected");
    QTest::newRow("percent of 200") << 'P' << 50 << 0 << 200 << "25 %";
    QTest::newRow("percent rounds up") << 'P' << 2 << 0 << 3 << "67 %";
    QTest::newRow("percent rounds down") << 'P' << 1 << 0 << 3 << "33 %";
    QTest::newRow("percent above maximum") << 'P' << 500 << 0 << 200 << "100 %";
    QTest::newRow("percent without maximum") << 'P' << 5 << 0 << 0 << "";
    QTest::newRow("value") << 'W' << 50 << 0 << 200 << "50";
    QTest::newRow("value above maximum") << 'W' << 250 << 0 << 200 << "200";
    QTest::newRow("value below minimum") << 'W' << 3 << 10 << 200 << "10";
    QTest::newRow("negative value") << 'W' << -7 << -10 << 10 << "-7";
    QTest::newRow("no text") << ' ' << 50 << 0 << 200 << "";
  }
  void gaugeValueText() {
    QFETCH(char, kind);
    QFETCH(int, value);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(QString, expected);
    QCOMPARE(kelvaro::gui::gaugeValueText(kind, value, minValue, maxValue), expected);
  }

  void gaugeBarLength_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("expected");
    QTest::newRow("half") << 50 << 0 << 100 << 186 << 93;
    QTest::newRow("rounded") << 1 << 0 << 3 << 100 << 33;
    QTest::newRow("offset minimum") << 15 << 10 << 20 << 100 << 50;
    QTest::newRow("below minimum draws the minimum") << 3 << 10 << 20 << 100 << 0;
    QTest::newRow("above maximum draws the maximum") << 99 << 10 << 20 << 100 << 100;
    QTest::newRow("min equals max draws nothing") << 5 << 5 << 5 << 100 << 0;
    QTest::newRow("minimum above maximum") << 5 << 20 << 10 << 100 << 0;
  }
  void gaugeBarLength() {
    QFETCH(int, value);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, span);
    QFETCH(int, expected);
    QCOMPARE(kelvaro::gui::gaugeBarLength(value, minValue, maxValue, span), expected);
  }

  void gaugeSetterIgnoresValuesWithoutMaximum() {
    TPSGauge gauge;
    gauge.setMaxValue(0);
    gauge.setValue(42);
    QCOMPARE(gauge.value(), 0);
    gauge.setValue(-3);
    QCOMPARE(gauge.value(), 0);
    gauge.setMaxValue(100);
    gauge.setValue(42);
    QCOMPARE(gauge.value(), 42);
  }

  void gaugeSetterLimitsToMaximumOnly() {
    TPSGauge gauge;
    gauge.setMinValue(10);
    gauge.setMaxValue(200);
    gauge.setValue(250);
    QCOMPARE(gauge.value(), 200);
    gauge.setValue(3);  // kept; only the bar stops at the minimum
    QCOMPARE(gauge.value(), 3);
  }

  void gaugeLayoutShowsValueZero() {
    TPSGauge gauge;
    gauge.resize(200, 60);
    gauge.setMaxValue(100);
    gauge.setValue(70);
    QVERIFY(gauge.isHidden());
    gauge.layoutGauge();
    QVERIFY(!gauge.isHidden());
    QCOMPARE(gauge.value(), 0);
  }

  // ---- slider arithmetic ----
  void sliderReleaseValue_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("track");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("expected");
    QTest::newRow("first step is zero") << 1 << 200 << 0 << 100 << 0;
    QTest::newRow("middle") << 100 << 200 << 0 << 100 << 50;
    QTest::newRow("last step is the maximum") << 199 << 200 << 0 << 100 << 100;
    QTest::newRow("rounded") << 195 << 200 << 0 << 100 << 98;
    QTest::newRow("limited to the minimum") << 1 << 200 << 20 << 100 << 20;
    QTest::newRow("limited to the maximum") << 250 << 200 << 0 << 100 << 100;
    QTest::newRow("track too short") << 1 << 2 << 5 << 100 << 5;
  }
  void sliderReleaseValue() {
    QFETCH(int, position);
    QFETCH(int, track);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, expected);
    QCOMPARE(kelvaro::gui::sliderReleaseValue(position, track, minValue, maxValue), expected);
  }

  void sliderDragStaysOnTrack() {
    QCOMPARE(sliderDragPosition(105, 5, 0, 10, 210), std::optional<int>(100));
    QCOMPARE(sliderDragPosition(204, 5, 0, 10, 210), std::optional<int>(199));
    QCOMPARE(sliderDragPosition(205, 5, 0, 10, 210), std::nullopt);  // right edge would touch the end
    QCOMPARE(sliderDragPosition(5, 5, 0, 10, 210), std::nullopt);    // not past the start
    QCOMPARE(sliderDragPosition(40, 3, 36, 12, 200), std::optional<int>(37));
    QCOMPARE(sliderDragPosition(39, 3, 36, 12, 200), std::nullopt);  // must lie below the top line
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
    QCOMPARE(thumb->geometry(), QRect(0, 35, 10, 30));
    QSignalSpy released(&gauge, &TEGauge::sliderReleased);

    sendMouse(thumb, QEvent::MouseButtonPress, {5, 10}, {500, 500}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(thumb, QEvent::MouseMove, {105, 10}, {600, 500}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(thumb->x(), 100);
    // A move with the right button held as well does not drag.
    sendMouse(thumb, QEvent::MouseMove, {50, 10}, {500, 500}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(thumb->x(), 100);
    sendMouse(thumb, QEvent::MouseButtonRelease, {5, 10}, {600, 500}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), 50);
    QCOMPARE(released.at(0).at(1).toInt(), 7);
    QCOMPARE(gauge.value(), 50);
    QCOMPARE(thumb->x(), 100);

    // To the end of the track and beyond: the thumb stops at the last step, which is the maximum.
    sendMouse(thumb, QEvent::MouseButtonPress, {5, 10}, {600, 500}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(thumb, QEvent::MouseMove, {104, 10}, {699, 500}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(thumb->x(), 199);
    sendMouse(thumb, QEvent::MouseMove, {300, 10}, {900, 500}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(thumb->x(), 199);
    sendMouse(thumb, QEvent::MouseButtonRelease, {5, 10}, {900, 500}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(released.count(), 2);
    QCOMPARE(released.at(1).at(0).toInt(), 100);
  }

  void verticalSliderDragsBetweenTopLineAndBottom() {
    TPSGauge gauge;
    gauge.resize(60, 200);
    gauge.setDirection(kGaugeVertical);
    gauge.setMaxValue(5);
    gauge.setSliderMode();
    gauge.layoutGauge();
    const int t = gauge.gaugeLayoutValues().t;
    TEValBtn* thumb = gauge.thumb();
    QSignalSpy released(&gauge, &TEGauge::sliderReleased);
    auto dragTo = [&](int parentY) {
      sendMouse(thumb, QEvent::MouseMove, thumb->mapFromParent(QPoint(25, parentY)), {0, parentY}, Qt::NoButton,
                Qt::LeftButton);
    };
    sendMouse(thumb, QEvent::MouseButtonPress, {5, 5}, {0, 0}, Qt::LeftButton, Qt::LeftButton);
    dragTo(159 + 5);  // the last step: the thumb's bottom one pixel above the gauge's
    QCOMPARE(thumb->y(), 159);
    dragTo(160 + 5);
    QCOMPARE(thumb->y(), 159);
    sendMouse(thumb, QEvent::MouseButtonRelease, {5, 5}, {0, 0}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), 5);
    QCOMPARE(thumb->y(), 160);  // the value places the maximum at the very end of the track

    sendMouse(thumb, QEvent::MouseButtonPress, {5, 5}, {0, 0}, Qt::LeftButton, Qt::LeftButton);
    dragTo(t + 5);  // onto the line under the header: refused
    QCOMPARE(thumb->y(), 160);
    dragTo(t + 1 + 5);  // the first step
    QCOMPARE(thumb->y(), t + 1);
    sendMouse(thumb, QEvent::MouseButtonRelease, {5, 5}, {0, 0}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(released.at(1).at(0).toInt(), 0);
    QCOMPARE(gauge.value(), 0);
  }

  void fittedPointSize() {
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int points) { return points > 9; }), 9);
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int) { return true; }), 6);
    QCOMPARE(kelvaro::gui::fittedPointSize(12, 6, [](int) { return false; }), 12);
    QCOMPARE(panelFontPixelHeight(4, 3), 1);  // never below one pixel
  }

  // ---- gauge painting ----
  void paintsHorizontalBarInBarColour() {
    TPSGauge gauge;
    gauge.resize(200, 60);
    gauge.setMaxValue(100);
    gauge.setBkColor(Qt::red);
    gauge.layoutGauge();
    gauge.setValue(50);
    // Bar from x 7 over 93 pixels (half of 200 - 2 * 7), from below the top line to the bottom.
    QImage image = renderOf(gauge);
    QCOMPARE(QColor(image.pixel(8, 30)), QColor(Qt::red));
    QCOMPARE(QColor(image.pixel(99, 30)), QColor(Qt::red));
    QVERIFY(QColor(image.pixel(101, 30)) != QColor(Qt::red));
    gauge.setValue(150);  // shown as the maximum: the bar reaches the right end
    image = renderOf(gauge);
    QCOMPARE(QColor(image.pixel(192, 30)), QColor(Qt::red));
    gauge.setMinValue(10);
    gauge.setValue(3);  // below the minimum: no bar at all
    image = renderOf(gauge);
    QVERIFY(QColor(image.pixel(8, 30)) != QColor(Qt::red));
  }

  void paintsVerticalBarFromTheBottom() {
    TPSGauge gauge;
    gauge.resize(60, 200);
    gauge.setDirection(kGaugeVertical);
    gauge.setMaxValue(100);
    gauge.setBkColor(Qt::green);
    gauge.layoutGauge();
    gauge.setValue(25);  // k = 25 * 190 / 100 = 48 pixels up from the bottom border
    const QImage image = renderOf(gauge);
    QCOMPARE(QColor(image.pixel(30, 190)), QColor(Qt::green));
    QCOMPARE(QColor(image.pixel(30, 148)), QColor(Qt::green));
    QVERIFY(QColor(image.pixel(30, 140)) != QColor(Qt::green));
  }

  void paintsValueTextOnlyWithKind() {
    TPSGauge gauge;
    gauge.resize(200, 60);
    gauge.setMaxValue(200);
    gauge.layoutGauge();
    const QRect middle(60, 15, 80, 35);
    QCOMPARE(darkPixels(renderOf(gauge), middle), 0);
    gauge.setKind('P');
    gauge.setValue(50);
    QVERIFY(darkPixels(renderOf(gauge), middle) > 0);
  }

  void sliderPaintsTrackNotBar() {
    TPSGauge gauge;
    gauge.resize(210, 70);
    gauge.setMaxValue(100);
    gauge.setBkColor(Qt::red);
    gauge.setSliderMode();
    gauge.layoutGauge();
    gauge.setValue(50);  // the thumb sits at x 100 to 109
    const QImage image = renderOf(gauge);
    // Track outline from (9, 44) up to (201, 48): two thirds of the height, +-2.
    QVERIFY(isDark(image.pixel(60, 44)));
    QVERIFY(isDark(image.pixel(60, 47)));
    QVERIFY(!isDark(image.pixel(60, 45)));
    QVERIFY(!isDark(image.pixel(60, 48)));
    QVERIFY(isDark(image.pixel(9, 46)));
    QVERIFY(isDark(image.pixel(200, 46)));
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (QColor(image.pixel(x, y)) == QColor(Qt::red)) ++red;
    QCOMPARE(red, 0);
  }

  // ---- panel ----
  void panelRowTexts_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("charsPerRow");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two columns") << "Wohnzimmer\\23" << 20 << 2 << QStringList{"Wohnzimmer      23"};
    QTest::newRow("long name is not cut") << "Schlafzimmer-Ost-Sued\\7" << 30 << 1 << QStringList{"Schlafzimmer-Ost-Sued7"};
    QTest::newRow("slices") << "ABCDEFGHIJ" << 4 << 5 << QStringList{"ABCD", "EFGH", "IJ"};
    QTest::newRow("fewer rows than text") << "ABCDEFGHIJ" << 4 << 2 << QStringList{"ABCD", "EFGH"};
    QTest::newRow("empty") << "" << 4 << 3 << QStringList{};
    QTest::newRow("no characters per row") << "ABC" << 0 << 3 << QStringList{};
  }
  void panelRowTexts() {
    QFETCH(QString, value);
    QFETCH(int, charsPerRow);
    QFETCH(int, rows);
    QFETCH(QStringList, expected);
    QCOMPARE(kelvaro::gui::panelRowTexts(value, charsPerRow, rows), expected);
  }

  void panelPaintsTwoColumnRow() {
    TPSPanel panel;
    panel.resize(320, 100);
    panel.setCharsPerRow(20);
    panel.setRows(3);
    panel.setValueText(QStringLiteral("Wohnzimmer\\23"));
    const QImage image = renderOf(panel);
    const QFontMetrics metrics(panel.font());
    const int lineHeight = metrics.height();
    const int x = metrics.horizontalAdvance(QLatin1Char('W'));
    const int rowTop = lineHeight + lineHeight / 2;
    const int nameEnd = x + metrics.horizontalAdvance(QStringLiteral("Wohnzimmer"));
    const int numberStart = x + metrics.horizontalAdvance(QStringLiteral("Wohnzimmer      "));
    const int numberEnd = numberStart + metrics.horizontalAdvance(QStringLiteral("23"));
    QVERIFY(darkPixels(image, QRect(QPoint(x, rowTop), QPoint(nameEnd, rowTop + lineHeight - 1))) > 0);
    QCOMPARE(darkPixels(image, QRect(QPoint(nameEnd + 2, rowTop), QPoint(numberStart - 2, rowTop + lineHeight - 1))), 0);
    QVERIFY(darkPixels(image, QRect(QPoint(numberStart, rowTop), QPoint(numberEnd, rowTop + lineHeight - 1))) > 0);
    // The text fits one row: the second row stays empty.
    QCOMPARE(darkPixels(image, QRect(x, rowTop + lineHeight, 250, lineHeight)), 0);
  }

  void panelPaintsLabelAboveValue() {
    TPSPanel panel;
    panel.resize(200, 60);
    panel.setLabelText(QStringLiteral("Temperatur"));
    const QFontMetrics metrics(panel.font());
    const int lineHeight = metrics.height();
    const QRect valueBand(2, lineHeight * 3 / 2, 196, lineHeight - 1);
    QCOMPARE(darkPixels(renderOf(panel), valueBand), 0);
    panel.setValueText(QStringLiteral("21,5"));
    QVERIFY(darkPixels(renderOf(panel), valueBand) > 0);
    QVERIFY(darkPixels(renderOf(panel), QRect(2, lineHeight / 3, 196, lineHeight - 1)) > 0);
  }

  void elementsReportClicks() {
    TPSPanel panel;
    TPSGauge gauge;
    TPSImage image;
    for (QWidget* widget : {static_cast<QWidget*>(&panel), static_cast<QWidget*>(&gauge), static_cast<QWidget*>(&image)}) {
      widget->resize(50, 30);
      QSignalSpy clicked(widget, SIGNAL(clicked()));
      QSignalSpy rightPressed(widget, SIGNAL(rightPressed()));
      QSignalSpy rightReleased(widget, SIGNAL(rightReleased()));
      sendMouse(widget, QEvent::MouseButtonPress, {10, 10}, {10, 10}, Qt::LeftButton, Qt::LeftButton);
      sendMouse(widget, QEvent::MouseButtonRelease, {10, 10}, {10, 10}, Qt::LeftButton, Qt::NoButton);
      // Released outside: no click.
      sendMouse(widget, QEvent::MouseButtonPress, {10, 10}, {10, 10}, Qt::LeftButton, Qt::LeftButton);
      sendMouse(widget, QEvent::MouseButtonRelease, {80, 10}, {80, 10}, Qt::LeftButton, Qt::NoButton);
      sendMouse(widget, QEvent::MouseButtonPress, {10, 10}, {10, 10}, Qt::RightButton, Qt::RightButton);
      QCOMPARE(rightPressed.count(), 1);
      QCOMPARE(rightReleased.count(), 0);
      sendMouse(widget, QEvent::MouseButtonRelease, {10, 10}, {10, 10}, Qt::RightButton, Qt::NoButton);
      QCOMPARE(clicked.count(), 1);
      QCOMPARE(rightReleased.count(), 1);
    }
  }

  // ---- bitmap element ----
  void imageStretchesOnlyWhenAsked() {
    QTemporaryDir dir;
    TPSImage image;
    image.resize(40, 40);
    QVERIFY(image.loadBitmap(solidBitmapFile(dir, Qt::green, {10, 10})));
    QVERIFY(QColor(renderOf(image).pixel(35, 35)) != QColor(Qt::green));
    QCOMPARE(QColor(renderOf(image).pixel(5, 5)), QColor(Qt::green));
    image.setStretch(true);
    QCOMPARE(QColor(renderOf(image).pixel(35, 35)), QColor(Qt::green));
    QVERIFY(!image.loadBitmap(dir.filePath(QStringLiteral("fehlt.bmp"))));
    QVERIFY(image.bitmap().isNull());
  }

  // ---- shape ----
  void shapeZoneAt_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("sizable");
    QTest::addColumn<int>("expected");
    // Shape of 60 x 40.
    QTest::newRow("not sizable moves anywhere") << 1 << 1 << false << int(kZoneMove);
    QTest::newRow("left edge") << 4 << 20 << true << int(kZoneLeft);
    QTest::newRow("right edge") << 54 << 20 << true << int(kZoneRight);
    QTest::newRow("just inside right") << 53 << 20 << true << int(kZoneMove);
    QTest::newRow("top edge") << 30 << 6 << true << int(kZoneTop);
    QTest::newRow("middle") << 30 << 33 << true << int(kZoneMove);
    QTest::newRow("bottom edge") << 30 << 34 << true << int(kZoneBottom);
  }
  void shapeZoneAt() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, sizable);
    QFETCH(int, expected);
    QCOMPARE(kelvaro::gui::shapeZoneAt(x, y, 60, 40, sizable), expected);
  }

  void shapeDragRect_data() {
    QTest::addColumn<int>("zone");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");
    // Start (50, 50, 60 x 40); the rectangle now is (50, 50, 70 x 45).
    QTest::newRow("left edge") << int(kZoneLeft) << QPoint(10, 3) << QRect(60, 50, 50, 40);
    QTest::newRow("left edge past the right") << int(kZoneLeft) << QPoint(58, 0) << QRect(50, 50, 70, 45);
    QTest::newRow("right edge") << int(kZoneRight) << QPoint(-20, 0) << QRect(50, 50, 40, 40);
    QTest::newRow("right edge to 5") << int(kZoneRight) << QPoint(-55, 0) << QRect(50, 50, 5, 40);
    QTest::newRow("right edge below 5") << int(kZoneRight) << QPoint(-56, 0) << QRect(50, 50, 70, 45);
    QTest::newRow("top edge") << int(kZoneTop) << QPoint(0, -10) << QRect(50, 40, 60, 50);
    QTest::newRow("top edge past the bottom") << int(kZoneTop) << QPoint(0, 50) << QRect(50, 50, 70, 45);
    QTest::newRow("bottom edge") << int(kZoneBottom) << QPoint(0, 15) << QRect(50, 50, 60, 55);
    QTest::newRow("bottom edge above the top keeps 5") << int(kZoneBottom) << QPoint(0, -100) << QRect(50, 50, 60, 5);
    QTest::newRow("move") << int(kZoneMove) << QPoint(-20, 7) << QRect(30, 57, 60, 40);
    QTest::newRow("no zone") << int(kZoneNone) << QPoint(5, 5) << QRect(50, 50, 70, 45);
  }
  void shapeDragRect() {
    QFETCH(int, zone);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    QCOMPARE(kelvaro::gui::shapeDragRect(zone, QRect(50, 50, 60, 40), delta, QRect(50, 50, 70, 45)), expected);
  }

  void shapeMouseResizesAndMoves() {
    QWidget parent;
    parent.resize(300, 300);
    auto* shape = new TExtShape(&parent);
    shape->setSizable(true);
    shape->setGeometry(50, 50, 60, 40);
    QSignalSpy selected(shape, &TExtShape::selected);
    QSignalSpy dragged(shape, &TExtShape::geometryDragged);
    QSignalSpy finished(shape, &TExtShape::dragFinished);

    // Bottom edge dragged far above the top: the height stays 5.
    sendMouse(shape, QEvent::MouseButtonPress, {30, 38}, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(shape->zone(), int(kZoneBottom));
    QVERIFY(shape->dragging());
    sendMouse(shape, QEvent::MouseMove, {30, -62}, {200, 100}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(shape->geometry(), QRect(50, 50, 60, 5));
    QCOMPARE(dragged.count(), 1);
    sendMouse(shape, QEvent::MouseButtonRelease, {30, -62}, {200, 100}, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!shape->dragging());
    QCOMPARE(finished.count(), 1);

    // Hovering without a button picks the zone and reports the move; it does not drag.
    QSignalSpy moved(shape, &TExtShape::mouseMoved);
    sendMouse(shape, QEvent::MouseMove, {30, 2}, {200, 152}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(shape->zone(), int(kZoneTop));
    QCOMPARE(shape->cursor().shape(), Qt::SizeVerCursor);
    QCOMPARE(shape->geometry(), QRect(50, 50, 60, 5));

    // A shape that is not sizable only moves.
    shape->setSizable(false);
    sendMouse(shape, QEvent::MouseButtonPress, {1, 1}, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(shape, QEvent::MouseMove, {11, 21}, {210, 220}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(shape->geometry(), QRect(60, 70, 60, 5));
    sendMouse(shape, QEvent::MouseButtonRelease, {11, 21}, {210, 220}, Qt::LeftButton, Qt::NoButton);
  }

  void shapePressWithModifiers() {
    TExtShape shape;
    shape.resize(60, 40);
    QSignalSpy selected(&shape, &TExtShape::selected);
    QSignalSpy shiftSelected(&shape, &TExtShape::shiftSelected);
    QSignalSpy rightPressed(&shape, &TExtShape::rightPressed);
    sendMouse(&shape, QEvent::MouseButtonPress, {30, 20}, {30, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    QVERIFY(shape.marked());
    QVERIFY(!shape.dragging());
    sendMouse(&shape, QEvent::MouseButtonPress, {30, 20}, {30, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    QVERIFY(!shape.marked());
    sendMouse(&shape, QEvent::MouseButtonPress, {30, 20}, {30, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(shiftSelected.count(), 1);
    sendMouse(&shape, QEvent::MouseButtonPress, {30, 20}, {130, 120}, Qt::RightButton, Qt::RightButton);
    QCOMPARE(rightPressed.count(), 1);
    QCOMPARE(rightPressed.at(0).at(1).toPoint(), QPoint(130, 120));
    QCOMPARE(selected.count(), 0);
    QVERIFY(!shape.dragging());
  }

  void shapePaintsTextMarkAndBitmap() {
    TExtShape shape;
    shape.resize(60, 40);
    QImage image = renderOf(shape);
    QVERIFY(isDark(image.pixel(0, 0)));  // solid outline without a bitmap
    QCOMPARE(darkPixels(image, QRect(3, 3, 54, 34)), 0);
    shape.setText(QStringLiteral("Lampe"));
    QVERIFY(darkPixels(renderOf(shape), QRect(3, 0, 54, 37)) > 0);
    shape.setText(QString());
    shape.setMarked(true);
    image = renderOf(shape);
    const int hatch = darkPixels(image, QRect(3, 3, 54, 34));
    QVERIFY(hatch > 20);
    QVERIFY(hatch < 54 * 34 / 2);  // a pattern, not a filled rectangle

    QTemporaryDir dir;
    shape.setMarked(false);
    shape.setSizable(true);
    QVERIFY(shape.SetBitMap(solidBitmapFile(dir, Qt::green, {10, 10})));
    QCOMPARE(shape.size(), QSize(60, 40));  // a sizable shape keeps its size and stretches
    image = renderOf(shape);
    QCOMPARE(QColor(image.pixel(57, 37)), QColor(Qt::green));
    shape.setMarked(true);
    image = renderOf(shape);
    QCOMPARE(QColor(image.pixel(30, 20)), QColor(Qt::green));
    QVERIFY(QColor(image.pixel(3, 3)) != QColor(Qt::green));  // outside the inset of an eighth
    shape.DelBitMap();
    shape.setSizable(false);
    QVERIFY(shape.SetBitMap(solidBitmapFile(dir, Qt::green, {10, 10})));
    QCOMPARE(shape.size(), QSize(10, 10));  // takes the bitmap's size
    QVERIFY(!shape.SetBitMap(dir.filePath(QStringLiteral("fehlt.bmp"))));
    QVERIFY(shape.hasBitmap());  // a failed load keeps the bitmap it had
  }

  // ---- list box ----
  void listDropIndex_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("dragged");
    QTest::addColumn<int>("expected");
    // Items 15 pixels high, 5 items.
    QTest::newRow("before the dragged item") << 0 << 14 << 3 << 1;
    QTest::newRow("after the dragged item is one less") << 0 << 45 << 0 << 2;
    QTest::newRow("scrolled list") << 2 << 15 << 4 << 3;
    QTest::newRow("beyond the last item") << 0 << 300 << 1 << 4;
    QTest::newRow("above the first") << 0 << -40 << 2 << 0;
  }
  void listDropIndex() {
    QFETCH(int, top);
    QFETCH(int, y);
    QFETCH(int, dragged);
    QFETCH(int, expected);
    QCOMPARE(kelvaro::gui::listDropIndex(top, y, 15, dragged, 5), expected);
    QCOMPARE(kelvaro::gui::listDropIndex(top, y, -15, dragged, 5), expected);  // font heights may be negative
  }

  void listDropIndexEdges() {
    QCOMPARE(kelvaro::gui::listDropIndex(0, 30, 15, 0, 0), -1);
    QCOMPARE(kelvaro::gui::listDropIndex(0, 30, 0, 0, 3), 2);  // no division by zero
  }

  void listBoxMovesItem() {
    TExtListBox list;
    list.addItems({"A", "B", "C", "D", "E"});
    QSignalSpy moved(&list, &TExtListBox::itemMoved);
    list.moveItem(0, 2);
    QStringList order;
    for (int i = 0; i < list.count(); ++i) order << list.item(i)->text();
    QCOMPARE(order, (QStringList{"B", "C", "A", "D", "E"}));
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(moved.count(), 1);
    list.moveItem(0, 9);  // out of range: nothing
    QCOMPARE(list.item(0)->text(), QStringLiteral("B"));
    QCOMPARE(moved.count(), 1);
  }

  // ---- memo ----
  void memoLineQueries() {
    const QString text = QStringLiteral("ab\ncde\n\nf");
    const struct {
      int line, start, length;
    } lines[] = {{0, 0, 2}, {1, 3, 3}, {2, 7, 0}, {3, 8, 1}, {4, -1, 0}, {-1, -1, 0}};
    for (const auto& l : lines) {
      QCOMPARE(memoLineStart(text, l.line), l.start);
      QCOMPARE(memoLineLength(text, l.line), l.length);
    }
    const int charLines[][2] = {{0, 0}, {2, 0}, {3, 1}, {7, 2}, {8, 3}, {100, 3}, {-5, 0}};
    for (const auto& c : charLines) QCOMPARE(memoLineOfChar(text, c[0]), c[1]);

    TExtMemo memo;
    memo.setPlainText(text);
    QCOMPARE(memo.lineStart(3), 8);
    QCOMPARE(memo.lineLength(1), 3);
    memo.gotoLine(1);
    QCOMPARE(memo.textCursor().position(), 3);
    QCOMPARE(memo.lineOfChar(memo.textCursor().position()), 1);
  }
};

QTEST_MAIN(ElementsTest)
#include "elements_test.moc"
