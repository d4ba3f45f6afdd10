// Fitting windows into the free screen area; the arithmetic is the core's fitIntoArea.
#include "screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include "ui/window_placement.h"

namespace kelvaro::gui {

namespace {

ScreenRect toScreenRect(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }

// The window manager's frame around the client area. Before a window was shown for the first
// time nobody knows it yet; a title bar and thin borders are assumed then, so that the frame
// does not push the buttons below the screen after all.
QMargins frameMargins(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  if (frame != client)
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
  if (window->windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  const int border = 4;
  const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
  return {border, title + border, border, border};
}

// Set while a window that only stepped aside is shown again: it returns to its place as the user
// left it, even partly off the screen.
const char* const kShownInPlace = "kelvaroShownInPlace";

class ScreenKeeper : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Show arrives before the window is mapped, so the fitted place is the first one seen.
    if (event->type() == QEvent::Show && watched->isWidgetType() && !watched->property(kShownInPlace).toBool())
      fitOnScreen(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
  }
};

class ScrollingPage : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;

  QSize sizeHint() const override {
    // QScrollArea caps its hint at a few dozen lines; the page's own wish counts here.
    const QWidget* page = widget();
    if (page == nullptr) return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return page->sizeHint().expandedTo(page->minimumSizeHint()) + QSize(frame, frame);
  }
};

}  // namespace

QRect availableAreaFor(const QWidget* window) {
  QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
  if (screen == nullptr) screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void fitOnScreen(QWidget* window) {
  if (window == nullptr || !window->isWindow()) return;
  if (window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
  const QMargins margins = frameMargins(window);
  const QRect client = window->geometry();
  const QRect frame = client.marginsAdded(margins);
  const ScreenRect fitted = fitIntoArea(toScreenRect(frame), toScreenRect(availableAreaFor(window)));
  const QSize size(fitted.width - margins.left() - margins.right(), fitted.height - margins.top() - margins.bottom());
  if (size != client.size()) window->resize(size);
  if (fitted.left != frame.left() || fitted.top != frame.top()) {
    // A dialog that was never placed explicitly is centred on its parent again next time.
    const bool moved = window->testAttribute(Qt::WA_Moved);
    window->move(fitted.left, fitted.top);
    window->setAttribute(Qt::WA_Moved, moved);
  }
}

QWidget* scrollingPage(QWidget* page, QWidget* parent) {
  auto* area = new ScrollingPage(parent);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  area->setWidget(page);
  return area;
}

void showInPlace(QWidget* window, bool visible) {
  static const char* const kHiddenPlace = "kelvaroHiddenPlace";
  if (window == nullptr || window->isVisible() == visible) return;
  if (!visible) {
    if (const QWindow* handle = window->windowHandle()) window->setProperty(kHiddenPlace, handle->geometry());
    window->hide();
    return;
  }
  // The window manager may still hold the place the window first opened at, not the one the
  // user moved it to since, and would map it there again. Qt passes a place on only when it
  // differs from the one it knows, so the window steps aside by a pixel and back.
  const QVariant place = window->property(kHiddenPlace);
  if (QWindow* handle = window->windowHandle(); handle != nullptr && place.isValid()) {
    handle->setGeometry(place.toRect().translated(1, 0));
    handle->setGeometry(place.toRect());
  }
  window->setProperty(kHiddenPlace, QVariant());
  window->setProperty(kShownInPlace, true);
  window->show();
  window->setProperty(kShownInPlace, QVariant());
}

void keepOnScreen(QWidget* window) {
  if (window == nullptr) return;
  window->installEventFilter(new ScreenKeeper(window));
  if (window->isVisible()) fitOnScreen(window);
}

}  // namespace kelvaro::gui
