#pragma once
// One waiting datagram taken from the socket as the bytes the link keeps and dispatches, cut to
// `maxSize`; nothing when none could be read (an error instead of a datagram).
#include <QUdpSocket>

#include <algorithm>
#include <optional>
#include <string>

inline std::optional<std::string> takeDatagram(QUdpSocket& socket, qint64 maxSize) {
    const qint64 size = socket.pendingDatagramSize();
    if (size < 0)
        return std::nullopt;
    // One byte at least, so that an empty datagram is read (and taken off the socket) too.
    std::string bytes(static_cast<std::size_t>(std::clamp<qint64>(size, 1, maxSize)), '\0');
    const qint64 got = socket.readDatagram(&bytes[0], static_cast<qint64>(bytes.size()));
    if (got < 0)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}
