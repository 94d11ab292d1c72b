// Clearing the displayed configuration.
#include "app/tform1.h"
#include "core/config_clear.h"

// Check boxes that were ticked run their handlers as they are cleared (and may send their
// commands over whatever link is open at that moment); lists run nothing.
void TForm1::ClearUI() {
    applyActions(corvane::config::clearDisplay());
    configHeld_ = false;
}
