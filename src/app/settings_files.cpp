// The settings files of the working directory, read at start-up and written by the dialogs and at
// close.
#include "app/tform1.h"

#include "app/textfiles.h"
#include "dialogs/tform2.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QFileInfo>

namespace {

// Whole lines of a small text file; CR LF or LF, nothing trimmed.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

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

void TForm1::loadSerialSettings() {}

void TForm1::storeSerialSettings() {}

void TForm1::loadUdpSettings() {
    const auto bytes = readExisting(AppDir + QStringLiteral("/udpf.ini"),
                                    QStringLiteral("No UDP Configuration File"));
    if (!bytes)
        return;
    const auto lines = splitLines(*bytes);
    auto line = [&](size_t i) { return i < lines.size() ? textfiles::toQ(lines[i]) : QString(); };
    Form2->MyIPL()->setText(line(0));
    Form2->CorIPL()->setText(line(1));
    Form2->SPort()->setText(line(2));
}

void TForm1::loadBoardSettings() {
    const auto bytes = readExisting(AppDir + QStringLiteral("/brdf.ini"),
                                    QStringLiteral("No Board Configuration File"));
    if (!bytes)
        return;
}
