// The settings files of the working directory, read at start-up and written by the dialogs and at
// close.
#include "app/settings_files.h"

#include "app/tform1.h"

#include "app/link_menus.h"

#include "core/link_options.h"

#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QFileInfo>

namespace settings = corvane::settings;

// conf.ini: a missing file (the first start) leaves the built-in settings without a message; one
// that cannot be read leaves them too, and the operator is told which file and why.
void settingsfiles::loadSerial(TForm1& f) {
    const QString path = f.AppDir + QStringLiteral("/conf.ini");
    QString error;
    const auto bytes = platform::files::read(path, &error);
    if (!bytes) {
        if (QFileInfo::exists(path))
            platform::message(QStringLiteral("Cannot read %1: %2\nThe serial settings are the "
                                             "built-in ones.")
                                  .arg(path, error));
        return;
    }
    settings::SerialSettings settings = f.serialSettings;
    settings::applyConfIni(*bytes, settings);
    f.applySerialSettings(settings);
    f.linkMenus->reconnectAction()->setChecked(corvane::linkoptions::reconnectFromConfIni(*bytes));
}

// Stores the serial settings into conf.ini, keeping whatever else the file holds. A failure is
// reported; the program closes all the same.
void settingsfiles::storeSerial(const TForm1& f) {
    const QString path = f.AppDir + QStringLiteral("/conf.ini");
    QString error;
    std::string existing;
    if (QFileInfo::exists(path)) {
        auto bytes = platform::files::read(path, &error);
        if (!bytes) {
            // Written from the serial settings alone it would lose everything else it holds.
            platform::message(QStringLiteral("Failed to store settings\nThe serial settings were "
                                             "not stored: %1 cannot be read (%2).")
                                  .arg(path, error));
            return;
        }
        existing = std::move(*bytes);
    }
    const std::string text =
        corvane::linkoptions::writeReconnect(settings::writeConfIni(existing, f.serialSettings),
                                             f.linkMenus->reconnectAction()->isChecked());
    if (!platform::files::writeSetting(path, text, &error))
        platform::message(
            QStringLiteral("Failed to store settings\nCannot write %1: %2").arg(path, error));
}

std::optional<corvane::variant::VariantEffect>
settingsfiles::readBoard(const QString& dir, const corvane::variant::BoardFlags& now) {
    const auto bytes = platform::files::readSetting(dir + QStringLiteral("/brdf.ini"),
                                                    QStringLiteral("No Board Configuration File"));
    if (!bytes)
        return std::nullopt;
    // Not a board file this program knows: nothing, and everything stays as it was.
    return corvane::variant::variantFromBoardFile(*bytes, now);
}
