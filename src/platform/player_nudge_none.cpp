// Built instead of the X11 desktop when the X11 libraries are missing: there is no desktop to
// reach, and the player nudge only keeps its pauses.
#include "platform/player_nudge.h"

namespace platform::player {

std::unique_ptr<Desktop> openX11Desktop() {
    return nullptr;
}

} // namespace platform::player
