// The serial settings: the "Setup" dialog, applied to the port at once.
#include "app/tform1.h"

#include "dialogs/serial_setup.h"
#include "platform/prompts.h"

namespace settings = corvane::settings;

// Applies the settings to the port at once, also while it is open; a new name moves an open
// connection to the new device, and the operator hears when that does not open.
void TForm1::applySerialSettings(const settings::SerialSettings& settings) {
    QString error;
    if (!keeper.setSerialSettings(settings, &error)) {
        platform::message(error);
        Timer1->stop();
    }
}

void TForm1::ConfigurationClick() {
    SerialSetupDialog dialog(serialSettings, this);
    if (dialog.exec() == QDialog::Accepted)
        applySerialSettings(dialog.settings());
}
