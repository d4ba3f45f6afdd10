// The layout editor's shape (see ext_shape.h).
#include "elements/ext_shape.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kelvaro::gui {

TExtShape::TExtShape(QWidget* parent) : QWidget(parent) {
  // Hovering picks the drag zone and its cursor before any button is pressed.
  setMouseTracking(true);
}

void TExtShape::setText(const QString& text) {
  m_text = text;
  update();
}

void TExtShape::setFontSize(int points) {
  m_fontSize = std::max(points, 1);
  update();
}

void TExtShape::setMarked(bool on) {
  m_marked = on;
  update();
}

void TExtShape::setSizable(bool on) {
  m_sizable = on;
  update();
}

void TExtShape::setBrushColor(const QColor& color) {
  m_brushColor = color;
  update();
}

bool TExtShape::SetBitMap(const QString& fileName) {
  QPixmap loaded;
  if (fileName.isEmpty() || !loaded.load(fileName)) return false;
  m_bitmap = loaded;
  if (!m_sizable) resize(m_bitmap.size());
  update();
  return true;
}

void TExtShape::DelBitMap() {
  m_bitmap = QPixmap();
  update();
}

void TExtShape::showBitMap(QPainter& painter) const {
  const int w = width();
  const int h = height();
  if (m_marked) {
    // A marked shape shows its bitmap smaller, so the hatching around it stays visible.
    painter.drawPixmap(QRect(w / 8, h / 8, w - 2 * (w / 8), h - 2 * (h / 8)), m_bitmap);
  } else if (m_sizable) {
    painter.drawPixmap(QRect(1, 1, w - 2, h - 2), m_bitmap);
  } else {
    painter.drawPixmap(0, 0, m_bitmap);
  }
}

void TExtShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool withBitmap = hasBitmap();
  QPen pen(Qt::black);
  if (m_marked) {
    pen.setStyle(Qt::DotLine);
  } else if (withBitmap) {
    pen.setStyle(m_sizable ? Qt::DashLine : Qt::NoPen);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(m_brushColor);
  painter.drawRect(rect());
  if (m_marked) painter.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
  painter.setPen(pen);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  if (withBitmap) {
    showBitMap(painter);
    return;
  }
  const QRect box = textBox();
  if (box.isNull()) return;
  painter.setFont(textFont());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                   fittedText(painter.fontMetrics(), m_text, box.width()));
}

QFont TExtShape::textFont() const {
  // The object's name in the largest size up to the chosen one that fits the shape.
  QFont chosen = font();
  const int points = fittedPointSize(m_fontSize, 3, [&](int size) {
    QFont trial = chosen;
    trial.setPointSize(size);
    const QFontMetrics metrics(trial);
    return metrics.horizontalAdvance(m_text) > width() - 3 || metrics.height() > height();
  });
  chosen.setPointSize(points);
  return chosen;
}

QRect TExtShape::textBox() const {
  if (hasBitmap() || m_text.isEmpty()) return {};
  const QFontMetrics metrics(textFont());
  const QRect box = shapeTextBox(size(), metrics.horizontalAdvance(m_text), metrics.height());
  // A name cut down to nothing but "…" is left out.
  return fittedText(metrics, m_text, box.width()).isEmpty() ? QRect() : box;
}

void TExtShape::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    Q_EMIT rightPressed(this, event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  // Whether Ctrl marks is the owner's rule; the shape only reports the press.
  if (event->modifiers() & Qt::ControlModifier) {
    Q_EMIT ctrlSelected(this);
    return;
  }
  if (event->modifiers() & Qt::ShiftModifier) {
    Q_EMIT shiftSelected(this);
    return;
  }
  // The zone is taken again here: without a hover (touch, or a press right after showing)
  // the last move may not have chosen one.
  const QPoint pos = event->position().toPoint();
  m_zone = shapeZoneAt(pos.x(), pos.y(), width(), height(), m_sizable);
  Q_EMIT selected(this);
  m_dragging = true;
  m_dragStartRect = geometry();
  m_dragStartMouse = event->globalPosition().toPoint();
}

void TExtShape::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (m_dragging) {
    const QPoint delta = event->globalPosition().toPoint() - m_dragStartMouse;
    const QRect now = geometry();
    const LayoutRect start{m_dragStartRect.x(), m_dragStartRect.y(), m_dragStartRect.width(), m_dragStartRect.height()};
    const LayoutRect r = shapeDragRect(static_cast<ShapeZone>(m_zone), start, delta.x(), delta.y(),
                                       {now.x(), now.y(), now.width(), now.height()});
    const QRect next(r.left, r.top, r.width, r.height);
    if (next != geometry()) {
      setGeometry(next);
      Q_EMIT geometryDragged(this, next);
    }
    return;
  }
  Q_EMIT mouseMoved(this, pos);
  m_zone = shapeZoneAt(pos.x(), pos.y(), width(), height(), m_sizable);
  setCursor(shapeZoneCursor(m_zone));
}

void TExtShape::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_dragging) return;
  m_dragging = false;
  Q_EMIT dragFinished(this);
}

}  // namespace kelvaro::gui
