#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

// Shown first, so that the window frame is known; then the frame is centred on the screen.
void showCentred(QWidget* window) {
    window->show();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->raise();
    window->activateWindow();
}

} // namespace platform
