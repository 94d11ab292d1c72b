#include "platform/player_nudge.h"

#include "platform/pacing.h"

#include <QGuiApplication>

namespace platform::player {
namespace {

DesktopFactory& factory() {
    static DesktopFactory installed;
    return installed;
}

// How long a window may take to get the keyboard focus after it was asked to, and how often that
// is looked at (a window manager takes its turn first).
constexpr int kFocusWaitMs = 300;
constexpr int kFocusStepMs = 10;

bool bringForward(Desktop& desktop, WindowId window, const Pause& pause) {
    desktop.activate(window);
    for (int waited = 0; !desktop.hasFocus(window); waited += kFocusStepMs) {
        if (waited >= kFocusWaitMs || !pause(kFocusStepMs))
            return false;
    }
    return true;
}

// Ctrl down, the letter down, 100 ms, Ctrl up, the letter up; nothing is pressed when the window
// could not be given the focus, but the pause stays. False when the nudge is to end (keys held
// down are let go first).
bool press(Desktop& desktop, WindowId window, Key letter, const Pause& pause) {
    const bool focused = bringForward(desktop, window, pause);
    if (focused) {
        desktop.key(Key::Control, true);
        desktop.key(letter, true);
    }
    const bool goOn = pause(100);
    if (focused) {
        desktop.key(Key::Control, false);
        desktop.key(letter, false);
    }
    return goOn;
}

bool nudge(Desktop& desktop, WindowId window, const Pause& pause) {
    return press(desktop, window, Key::S, pause) && pause(800) &&
           press(desktop, window, Key::O, pause);
}

} // namespace

std::unique_ptr<Desktop> openDesktop() {
    if (factory())
        return factory()();
    // Only a program whose own windows are on X11 reaches the player's windows there.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return openX11Desktop();
}

void setDesktopFactory(DesktopFactory replacement) {
    factory() = std::move(replacement);
}

void Push_Aut(const std::string&, const Pause& givenPause) {
    const Pause pause = givenPause ? givenPause : Pause([](int ms) {
        pacing::sleep(ms);
        return true;
    });
    const std::unique_ptr<Desktop> desktop = openDesktop();
    const std::vector<WindowId> players =
        desktop ? desktop->findWindows(kPlayerTitle, 2) : std::vector<WindowId>{};
    if (players.size() > 1 && !nudge(*desktop, players[1], pause))
        return;
    if (!pause(100))
        return;
    if (!players.empty())
        nudge(*desktop, players[0], pause);
}

} // namespace platform::player
