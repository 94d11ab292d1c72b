// Clearing the displayed configuration.
#include "app/tform1.h"
#include "core/config_clear.h"

#include <QScopedValueRollback>

// Clearing tidies the display and nothing else: check boxes that were ticked run their handlers
// as they are cleared, but send nothing to the board (an operator who wants a clean screen does
// not switch FEC, IAD or the camera mode off on a live stream); lists run nothing.
void TForm1::ClearUI() {
    const QScopedValueRollback quiet(boxesSendNothing_, true);
    applyActions(corvane::config::clearDisplay());
    configHeld_ = false;
}
