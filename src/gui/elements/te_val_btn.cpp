// The slider thumb (see te_val_btn.h).
#include "elements/te_val_btn.h"

#include <QMouseEvent>

namespace kelvaro::gui {

TEValBtn::TEValBtn(QWidget* parent) : QPushButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
}

void TEValBtn::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QPushButton::mousePressEvent(event);
    return;
  }
  m_pressed = true;
  setDown(true);
  Q_EMIT thumbPressed(event->position().toPoint());
}

void TEValBtn::mouseMoveEvent(QMouseEvent* event) {
  // Only a drag with the left button alone moves the thumb.
  if (m_pressed && event->buttons() == Qt::LeftButton) Q_EMIT thumbDragged(mapToParent(event->position().toPoint()));
}

void TEValBtn::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_pressed) {
    QPushButton::mouseReleaseEvent(event);
    return;
  }
  m_pressed = false;
  setDown(false);
  Q_EMIT thumbReleased();
}

}  // namespace kelvaro::gui
