// Keeps windows inside the part of the screen that is free for them: a window is fitted each
// time it is shown, so neither a large form nor a position stored on a larger screen can put
// its buttons out of reach.
#pragma once

#include <QRect>

class QWidget;

namespace kelvaro::gui {

// The free area (without panels and docks) of the screen the window is on, or of the screen it
// belongs to when its place lies on no screen at all.
QRect availableAreaFor(const QWidget* window);

// Moves the window, and shrinks it where it is larger, so that its frame lies inside
// availableAreaFor(window). A maximised, minimised or full-screen window is left to the system.
void fitOnScreen(QWidget* window);

// Fits the window now and every time it is shown again.
void keepOnScreen(QWidget* window);

// Hides or shows a window that steps aside for a while; shown again, it comes back exactly where
// it was hidden, not fitted anew like a window that opens.
void showInPlace(QWidget* window, bool visible);

// The page in a frameless scroll area that asks for the page's whole size, so that a window
// sized to its size hint shows the page unscrolled, yet lets the window be made smaller: on a
// small screen the page scrolls while the window's buttons stay in sight.
QWidget* scrollingPage(QWidget* page, QWidget* parent);

}  // namespace kelvaro::gui
