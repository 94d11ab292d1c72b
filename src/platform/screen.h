#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// Shows a top-level window (non-modal), centred on the screen by its frame, and brings it forward.
void showCentred(QWidget* window);

// Where a window goes on a screen whose available area (the screen without its panels and docks)
// is `available`: its client area as large as `wanted`, but no larger than leaves the window with
// its frame (`frame`, the window manager's margins) inside the available area; the framed window
// centred there. Returns the client area's geometry.
QRect fitWindow(QSize wanted, QMargins frame, QRect available);

// Sizes and places a top-level window by fitWindow on the screen it is on (the primary screen
// before it is shown), with its frame as far as it is known.
void fitToScreen(QWidget* window, QSize wanted);

// The window manager's margins around a top-level window: its own once it is framed, before that
// an estimate from the style's title bar.
QMargins frameMargins(const QWidget* window);

} // namespace platform
