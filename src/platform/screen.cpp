#include "platform/screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

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

QRect fitWindow(QSize wanted, QMargins frame, QRect available) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize client(std::max(1, std::min(wanted.width(), available.width() - frameWidth)),
                       std::max(1, std::min(wanted.height(), available.height() - frameHeight)));
    QRect framed(QPoint(), client.grownBy(frame));
    framed.moveCenter(available.center());
    // Wholly inside, the top left corner first (where the menu bar is) when it cannot be.
    framed.moveRight(std::min(framed.right(), available.right()));
    framed.moveBottom(std::min(framed.bottom(), available.bottom()));
    framed.moveLeft(std::max(framed.left(), available.left()));
    framed.moveTop(std::max(framed.top(), available.top()));
    return QRect(framed.topLeft() + QPoint(frame.left(), frame.top()), client);
}

QMargins frameMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (window->isVisible() && frame != client)
        return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                        frame.right() - client.right(), frame.bottom() - client.bottom());
    const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QMargins(border, title + border, border, border);
}

namespace {

void place(QWidget* window, QSize wanted, QScreen* screen) {
    const QMargins frame = frameMargins(window);
    const QRect client = fitWindow(wanted, frame, screen->availableGeometry());
    window->resize(client.size());
    // A window's position is that of its frame.
    window->move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

// Before a window is shown its frame is a guess; once the window manager has framed it, a window
// that then reaches out of the available area is placed again, once.
class PlaceWhenFramed : public QObject {
public:
    PlaceWhenFramed(QWidget* window, QSize wanted) : QObject(window), wanted_(wanted) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Move && event->type() != QEvent::Resize &&
            event->type() != QEvent::Show)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isVisible() || window->frameGeometry() == window->geometry())
            return false;
        window->removeEventFilter(this);
        deleteLater();
        QScreen* screen = window->screen();
        if (screen && !screen->availableGeometry().contains(window->frameGeometry()))
            place(window, wanted_, screen);
        return false;
    }

private:
    QSize wanted_;
};

} // namespace

void fitToScreen(QWidget* window, QSize wanted) {
    QScreen* screen = window->isVisible() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    place(window, wanted, screen);
    if (!window->isVisible())
        new PlaceWhenFramed(window, wanted);
}

} // namespace platform
