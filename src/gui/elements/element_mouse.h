// The mouse rules the elements of a running view share: a left release inside the element
// is a click, and the right button held down shows the object's name until it is released.
#pragma once

#include <QMouseEvent>

namespace kelvaro::gui {

template <class Element>
void emitPressSignals(Element& element, const QMouseEvent& event) {
  if (event.button() == Qt::RightButton) Q_EMIT element.rightPressed();
}

template <class Element>
void emitReleaseSignals(Element& element, const QMouseEvent& event) {
  if (event.button() == Qt::LeftButton && element.rect().contains(event.position().toPoint())) Q_EMIT element.clicked();
  if (event.button() == Qt::RightButton) Q_EMIT element.rightReleased();
}

}  // namespace kelvaro::gui
