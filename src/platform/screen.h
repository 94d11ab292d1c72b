#pragma once
class QWidget;

namespace platform {

// Shows a top-level window (non-modal), centred on the screen by its frame, and brings it forward.
void showCentred(QWidget* window);

} // namespace platform
