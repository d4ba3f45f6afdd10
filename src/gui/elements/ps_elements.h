// The elements of a running view: each carries the Name of the object it shows, so that a
// click on it finds its object.
//
// The element classes keep the names the program has always used: TE… a visual element of
// its own (TEGauge, TEPanel, TEValBtn), TExt… a standard control extended (TExtMemo,
// TExtListBox, TExtShape), and TPS… an object's element on a running view (TPSGauge,
// TPSPanel, TPSImage, TPSButton), named like the record TPSObj it shows.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "elements/te_gauge.h"
#include "elements/te_panel.h"

namespace kelvaro::gui {

class TPSGauge : public TEGauge {
  Q_OBJECT
 public:
  using TEGauge::TEGauge;
  std::string Name;  // the object's Name (Windows-1252, as in the project)
};

class TPSPanel : public TEPanel {
  Q_OBJECT
 public:
  using TEPanel::TEPanel;
  std::string Name;
};

// The bitmap of a state object; stretches its picture when Stretch is on.
class TPSImage : public QLabel {
  Q_OBJECT
 public:
  explicit TPSImage(QWidget* parent = nullptr);
  std::string Name;

  bool stretch() const { return m_stretch; }
  void setStretch(bool on);
  // Shows the bitmap file; false (and the element empty) when it cannot be read.
  bool loadBitmap(const QString& fileName);
  void setBitmap(const QPixmap& pixmap);
  const QPixmap& bitmap() const { return m_pixmap; }

 Q_SIGNALS:
  void clicked();
  void rightPressed();
  void rightReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap m_pixmap;
  bool m_stretch = false;
};

class TPSButton : public QPushButton {
  Q_OBJECT
 public:
  using QPushButton::QPushButton;
  std::string Name;
};

}  // namespace kelvaro::gui
