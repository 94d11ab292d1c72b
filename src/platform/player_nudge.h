#pragma once
// The seam to the separate stream player: after the program restarts the board's stream it finds
// the player's main windows by their exact title and presses Ctrl+S and then Ctrl+O on each, so
// that the player picks the stream up again. On X11 this talks to the X server (its own file, as
// X11's headers define None, Status and Bool); on other window systems, offscreen, or in a build
// without X11 there is no desktop to reach and the nudge only keeps its pauses.
// Standard C++ only: the X11 file includes this header.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::player {

// The exact title of the player's main windows.
inline constexpr char kPlayerTitle[] = "Halvern Player";

// A top-level window as the window system names it.
using WindowId = std::uint64_t;

enum class Key { Control, S, O };

// The desktop's windows and keyboard, for one nudge.
class Desktop {
public:
    virtual ~Desktop() = default;
    // The top-level windows titled exactly `title`, from the top of the stacking order down; at
    // most `limit` of them.
    virtual std::vector<WindowId> findWindows(const std::string& title, std::size_t limit) = 0;
    // Asks for the window to be brought to the foreground with the keyboard focus.
    virtual void activate(WindowId window) = 0;
    // Whether the keyboard focus is in the window now.
    virtual bool hasFocus(WindowId window) = 0;
    // One synthesized key event; it goes to the window that has the keyboard focus.
    virtual void key(Key key, bool down) = 0;
};

// The desktop of the window system the program runs on: X11 when the program's windows are on an
// X11 display; nullptr where there is none to reach.
std::unique_ptr<Desktop> openDesktop();
// The X11 desktop of the display that DISPLAY names; nullptr when there is none, it cannot be
// opened or lacks the XTest extension, or the build has no X11.
std::unique_ptr<Desktop> openX11Desktop();

// Tests: openDesktop() answers with `factory` instead (an empty one restores the real desktop).
using DesktopFactory = std::function<std::unique_ptr<Desktop>()>;
void setDesktopFactory(DesktopFactory factory);

// How the nudge pauses for a nominal number of milliseconds; false when the nudge is to end (the
// save it belongs to was cancelled): keys held down are let go and nothing more is pressed.
using Pause = std::function<bool(int milliseconds)>;

// Nudges up to two running players: the second window titled kPlayerTitle from the top gets
// Ctrl+S, 800 ms later Ctrl+O; then, after 100 ms, the topmost one the same. Each combination is
// Ctrl down, letter down, 100 ms, Ctrl up, letter up. A window that does not get the keyboard
// focus gets no keys (they would reach another program). Without players, or without a desktop,
// it only pauses 100 ms. `text` is not used (the save passes "start"). About 2.1 s of pauses with
// two players, each through `pause`; without one they block the calling thread
// (platform::pacing::sleep).
void Push_Aut(const std::string& text, const Pause& pause = {});

} // namespace platform::player
