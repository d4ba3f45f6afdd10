// The bitmap element of a running view (see ps_elements.h); the other elements need no code.
#include "elements/ps_elements.h"

#include <QMouseEvent>
#include <QPainter>

#include "elements/element_mouse.h"

namespace kelvaro::gui {

TPSImage::TPSImage(QWidget* parent) : QLabel(parent) {}

void TPSImage::setStretch(bool on) {
  m_stretch = on;
  update();
}

bool TPSImage::loadBitmap(const QString& fileName) {
  QPixmap loaded;
  if (fileName.isEmpty() || !loaded.load(fileName)) {
    m_pixmap = QPixmap();
    update();
    return false;
  }
  setBitmap(loaded);
  return true;
}

void TPSImage::setBitmap(const QPixmap& pixmap) {
  m_pixmap = pixmap;
  update();
}

void TPSImage::paintEvent(QPaintEvent*) {
  if (m_pixmap.isNull()) return;
  QPainter painter(this);
  if (m_stretch)
    painter.drawPixmap(rect(), m_pixmap);
  else
    painter.drawPixmap(0, 0, m_pixmap);
}

void TPSImage::mousePressEvent(QMouseEvent* event) {
  emitPressSignals(*this, *event);
  QLabel::mousePressEvent(event);
}

void TPSImage::mouseReleaseEvent(QMouseEvent* event) {
  emitReleaseSignals(*this, *event);
  QLabel::mouseReleaseEvent(event);
}

}  // namespace kelvaro::gui
