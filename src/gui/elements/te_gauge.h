// A gauge: a framed bar with header and value text, or with a slider thumb the user drags.
#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QFrame>
#include <QString>

#include "elements/element_math.h"

namespace kelvaro::gui {

class TEValBtn;

class TEGauge : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QString Header READ header WRITE setHeader)
  Q_PROPERTY(int MinValue READ minValue WRITE setMinValue)
  Q_PROPERTY(int MaxValue READ maxValue WRITE setMaxValue)
  Q_PROPERTY(int Value READ value WRITE setValue)
  Q_PROPERTY(char Kind READ kind WRITE setKind)
  Q_PROPERTY(int Direction READ direction WRITE setDirection)
  Q_PROPERTY(QColor BkColor READ bkColor WRITE setBkColor)

 public:
  // Created hidden, with a lowered inner bevel of width 2 and no caption.
  explicit TEGauge(QWidget* parent = nullptr);

  QString header() const { return m_header; }
  void setHeader(const QString& header);
  int minValue() const { return m_minValue; }
  void setMinValue(int value);
  int maxValue() const { return m_maxValue; }
  void setMaxValue(int value);
  int value() const { return m_value; }
  // Ignored while MaxValue is 0; else limited to MaxValue; moves the thumb and repaints.
  void setValue(int value);
  // ' ' no value text, 'W' the value, 'P' the percentage of MaxValue.
  char kind() const { return m_kind; }
  void setKind(char kind);
  // kGaugeHorizontal (0) or kGaugeVertical (1).
  int direction() const { return m_direction; }
  void setDirection(int direction);
  // Colour of the bar.
  QColor bkColor() const { return m_bkColor; }
  void setBkColor(const QColor& color);
  // Font chosen from the gauge's size (12 points, smaller while it does not fit).
  bool autoFont() const { return m_autoFont; }
  void setAutoFont(bool on);
  // Symbol number handed back with sliderReleased, so the owner knows which variable to set.
  int symbol() const { return m_symbol; }
  void setSymbol(int symbol) { m_symbol = symbol; }

  // Places the thumb for the current layout, shows the gauge with value 0 and repaints.
  // Call after position, size, header, direction and slider mode are set.
  void layoutGauge();
  // Where the gauge paints frame, bar, track and texts at its present size, font and values.
  GaugeBoxes boxes() const;

  // Switches slider mode on: creates the thumb (needs size and MaxValue set first).
  void setSliderMode();
  bool sliderMode() const { return m_thumb != nullptr; }
  TEValBtn* thumb() const { return m_thumb; }

 Q_SIGNALS:
  // The user released the thumb: the new value and the symbol set with setSymbol.
  void sliderReleased(int value, int symbol);
  // Left click on the gauge itself (not the thumb).
  void clicked();
  // Right button pressed on / released over the gauge.
  void rightPressed();
  void rightReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QFont paintFont() const;
  GaugeContent content(const QFontMetrics& metrics) const;
  QString sliderValueText(int value) const;
  void placeThumb();
  int trackLength() const;
  void thumbPressed(QPoint posInThumb);
  void thumbDragged(QPoint posInParent);
  void thumbReleased();

  QString m_header;
  int m_minValue = 0;
  int m_maxValue = 100;
  int m_value = 0;
  char m_kind = ' ';
  int m_direction = kGaugeHorizontal;
  QColor m_bkColor = Qt::blue;
  bool m_autoFont = false;
  int m_symbol = 0;
  TEValBtn* m_thumb = nullptr;
  bool m_dragging = false;
  int m_dragOffset = 0;
};

}  // namespace kelvaro::gui
