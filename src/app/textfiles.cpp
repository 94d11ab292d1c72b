#include "app/textfiles.h"

#include <QFile>
#include <QSaveFile>

namespace textfiles {

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

bool write(const QString& path, const std::string& bytes, QString* error) {
    const auto size = static_cast<qint64>(bytes.size());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        if (file.write(bytes.data(), size) == size && file.commit())
            return true;
        if (error)
            *error = file.errorString();
        return false;
    }
    // The replacement cannot be created beside the file (a folder that forbids new files): a file
    // that exists and may be written is then overwritten in place.
    QFile inPlace(path);
    if (!inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly)) {
        if (error)
            *error = inPlace.exists() ? inPlace.errorString() : file.errorString();
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

} // namespace textfiles
