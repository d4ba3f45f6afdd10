// The layout editor's stand-in for an object: a rectangle with the object's text or bitmap
// that the user selects, marks, moves and, when sizable, resizes at its edges.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include "elements/element_math.h"

namespace kelvaro::gui {

class TExtShape : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(int FontSize READ fontSize WRITE setFontSize)
  Q_PROPERTY(bool Marked READ marked WRITE setMarked)
  Q_PROPERTY(bool Sizable READ sizable WRITE setSizable)

 public:
  explicit TExtShape(QWidget* parent = nullptr);

  QString text() const { return m_text; }
  void setText(const QString& text);
  int fontSize() const { return m_fontSize; }  // points, initially 12
  void setFontSize(int points);
  bool marked() const { return m_marked; }
  void setMarked(bool on);
  // A sizable shape may be resized and stretches its bitmap.
  bool sizable() const { return m_sizable; }
  void setSizable(bool on);
  QColor brushColor() const { return m_brushColor; }
  void setBrushColor(const QColor& color);

  // Loads the bitmap file; a shape that is not sizable takes the bitmap's size.
  // Returns false (and keeps what it had) when the file cannot be read.
  bool SetBitMap(const QString& fileName);
  void DelBitMap();
  bool hasBitmap() const { return !m_bitmap.isNull(); }
  const QPixmap& bitmap() const { return m_bitmap; }

  // Where the text goes and in which font (no text while a bitmap is shown).
  QRect textBox() const;
  QFont textFont() const;

  bool dragging() const { return m_dragging; }
  int zone() const { return m_zone; }

 Q_SIGNALS:
  // Plain left press (a drag starts).
  void selected(kelvaro::gui::TExtShape* shape);
  // Left press with Ctrl (marks or unmarks, as the owner decides).
  void ctrlSelected(kelvaro::gui::TExtShape* shape);
  // Left press with Shift.
  void shiftSelected(kelvaro::gui::TExtShape* shape);
  // Right press, at the global mouse position (for a context menu).
  void rightPressed(kelvaro::gui::TExtShape* shape, QPoint globalPos);
  // Mouse moved over the shape without dragging.
  void mouseMoved(kelvaro::gui::TExtShape* shape, QPoint pos);
  // The user moved or resized the shape: its new geometry in the parent.
  void geometryDragged(kelvaro::gui::TExtShape* shape, QRect geometry);
  // The drag ended (left button released).
  void dragFinished(kelvaro::gui::TExtShape* shape);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void showBitMap(class QPainter& painter) const;

  QString m_text;
  int m_fontSize = 12;
  bool m_marked = false;
  bool m_sizable = false;
  QColor m_brushColor = Qt::white;
  QPixmap m_bitmap;
  bool m_dragging = false;
  int m_zone = kZoneNone;
  QRect m_dragStartRect;
  QPoint m_dragStartMouse;  // global
};

}  // namespace kelvaro::gui
