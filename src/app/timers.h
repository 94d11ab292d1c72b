#pragma once
#include <QTimer>

// Enabling a timer that already runs leaves its schedule alone.
inline void startIfStopped(QTimer* timer) {
    if (!timer->isActive())
        timer->start();
}
