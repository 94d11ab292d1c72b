#pragma once
// Reading and writing the files the program keeps. Writes go through a save-and-rename, so a
// failed write leaves the previous file whole; only the small settings files are overwritten in
// place where their folder forbids new files.
#include "platform/latin1.h" // the windows' texts to and from single bytes

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace platform::files {

// The whole file as single bytes; nullopt with the platform's reason in `error` when it cannot be
// read.
std::optional<std::string> read(const QString& path, QString* error);

// At most the first `maxBytes` bytes of the file (fewer when it is shorter); nullopt with the
// platform's reason in `error` when it cannot be read. Reads no further, whatever the file is.
std::optional<std::string> readHead(const QString& path, qint64 maxBytes, QString* error);

// Replaces the file with `bytes`; false with the platform's reason in `error` on failure.
bool write(const QString& path, const std::string& bytes, QString* error);

// A settings file (conf.ini, udpf.ini, brdf.ini): replaced through a save-and-rename where the
// folder allows it; where the folder forbids new files, an existing file that may be written is
// overwritten in place.
bool writeSetting(const QString& path, const std::string& bytes, QString* error);

// A settings file read at start-up: a missing one is reported with `missingMessage`, an
// unreadable one with "Cannot read <path>: <reason>"; both give nothing.
std::optional<std::string> readSetting(const QString& path, const QString& missingMessage);

} // namespace platform::files
