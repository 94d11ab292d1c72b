// The settings files of the working directory, read at start-up and written by the dialogs and at
// close.
#include "app/tform1.h"

#include "app/textfiles.h"
#include "dialogs/tform2.h"
#include "dialogs/tform4.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QFileInfo>

namespace cs = corvane::settings;

namespace {

// Reads a settings file that exists; an unreadable one is named to the operator and skipped.
std::optional<std::string> readExisting(const QString& path, const QString& missingMessage) {
    if (!QFileInfo::exists(path)) {
        platform::message(missingMessage);
        return std::nullopt;
    }
    QString error;
    auto bytes = textfiles::read(path, &error);
    if (!bytes)
        platform::message(QStringLiteral("Cannot read %1: %2").arg(path, error));
    return bytes;
}

} // namespace

// conf.ini: a missing or unreadable file leaves the built-in settings, without a message.
void TForm1::loadSerialSettings() {
    const auto bytes = textfiles::read(AppDir + QStringLiteral("/conf.ini"), nullptr);
    if (!bytes)
        return;
    cs::SerialSettings settings = ComSettings;
    cs::applyConfIni(*bytes, settings);
    applySerialSettings(settings);
}

// Stores the serial settings into conf.ini, keeping whatever else the file holds. A failure is
// reported; the program closes all the same.
void TForm1::storeSerialSettings() {
    const QString path = AppDir + QStringLiteral("/conf.ini");
    QString error;
    std::string existing;
    if (QFileInfo::exists(path)) {
        auto bytes = textfiles::read(path, &error);
        if (!bytes) {
            // Written from the serial settings alone it would lose everything else it holds.
            platform::message(QStringLiteral("Failed to store settings\nThe serial settings were "
                                             "not stored: %1 cannot be read (%2).")
                                  .arg(path, error));
            return;
        }
        existing = std::move(*bytes);
    }
    if (!textfiles::write(path, cs::writeConfIni(existing, ComSettings), &error))
        platform::message(QStringLiteral("Failed to store settings\n") + error);
}

void TForm1::loadUdpSettings() {
    const auto bytes = readExisting(AppDir + QStringLiteral("/udpf.ini"),
                                    QStringLiteral("No UDP Configuration File"));
    if (!bytes)
        return;
    const cs::UdpSettings udp = cs::parseUdpIni(*bytes);
    Form2->MyIPL()->setText(textfiles::toQ(udp.myIp));
    Form2->CorIPL()->setText(textfiles::toQ(udp.boardIp));
    Form2->SPort()->setText(textfiles::toQ(udp.sourcePort));
}

void TForm1::loadBoardSettings() {
    const auto bytes = readExisting(AppDir + QStringLiteral("/brdf.ini"),
                                    QStringLiteral("No Board Configuration File"));
    if (!bytes)
        return;
    const auto effect = corvane::variant::variantFromBoardFile(*bytes, boardFlags());
    if (!effect)
        return; // not a board file this program knows: everything stays as it was
    // The board dialog's boxes first (their handlers set the variant flags), then the variant.
    if (effect->flags.fullBoard)
        Form4->CorS()->setChecked(true);
    else
        Form4->LumoS()->setChecked(true);
    applyVariant(*effect);
}
