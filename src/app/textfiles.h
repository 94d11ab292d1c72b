#pragma once
// Reading and writing the small files the program keeps. Writes go through a save-and-rename, so a
// failed write leaves the previous file whole; only where the folder forbids new files is an
// existing file overwritten in place.
#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace textfiles {

// The whole file as single bytes; nullopt with the platform's reason in `error` when it cannot be
// read.
std::optional<std::string> read(const QString& path, QString* error);

// Replaces the file with `bytes`; false with the platform's reason in `error` on failure.
bool write(const QString& path, const std::string& bytes, QString* error);

// Single-byte text to and from the windows' texts.
inline QString toQ(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string fromQ(const QString& s) {
    const QByteArray b = s.toLatin1();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

} // namespace textfiles
