#include "platform/files.h"

#include "platform/prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::files {

std::optional<std::string> read(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::optional<std::string> readHead(const QString& path, qint64 maxBytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool write(const QString& path, const std::string& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool writeSetting(const QString& path, const std::string& bytes, QString* error) {
    const auto size = static_cast<qint64>(bytes.size());
    {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            if (file.write(bytes.data(), size) == size && file.commit())
                return true;
            if (error)
                *error = file.errorString();
            return false;
        }
        if (error)
            *error = file.errorString();
    }
    // The replacement cannot be created beside the file (a folder that forbids new files): a file
    // that exists and may be written is then overwritten in place.
    QFile inPlace(path);
    if (!inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly)) {
        if (error && inPlace.exists())
            *error = inPlace.errorString();
        return false;
    }
    if (inPlace.write(bytes.data(), size) != size || !inPlace.flush()) {
        if (error)
            *error = inPlace.errorString();
        return false;
    }
    inPlace.close();
    if (inPlace.error() != QFileDevice::NoError) {
        if (error)
            *error = inPlace.errorString();
        return false;
    }
    return true;
}

std::optional<std::string> readSetting(const QString& path, const QString& missingMessage) {
    if (!QFileInfo::exists(path)) {
        platform::message(missingMessage, MessageKind::Information);
        return std::nullopt;
    }
    QString error;
    auto bytes = read(path, &error);
    if (!bytes)
        platform::message(QStringLiteral("Cannot read %1: %2").arg(path, error));
    return bytes;
}

} // namespace platform::files
