#pragma once
// The board's texts and the program's files are single bytes, read as Latin-1; Qt's texts are
// not. The window, the link and corvane-ctl cross between the two through these alone, so a byte
// from 0x80 up reads the same everywhere.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>

namespace platform {

inline QString toQ(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string fromQ(const QString& s) {
    const QByteArray b = s.toLatin1();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

} // namespace platform
