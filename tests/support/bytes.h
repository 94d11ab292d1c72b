#pragma once
// A byte string of the core (a frame, a reply, a record) as a QByteArray, its code-0 characters
// included. Header-only, so that the core tests can use it.
#include <QByteArray>
#include <string_view>

inline QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
