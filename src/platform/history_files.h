#pragma once
// The history's files on disk: a configuration written as a new entry (through a save-and-rename,
// so a failed write leaves nothing half written), the oldest beyond the newest 200 removed, and
// the entries listed newest first. The folder is history/ in the working folder.
#include "core/config_text.h"
#include "core/history.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

namespace platform::history {

// "history" in the current (working) folder, as an absolute path.
QString folder();

// The stamp of a time, in UTC.
corvane::history::Stamp stampOf(const QDateTime& time);

struct Written {
    QString path;  // the file written; empty when the write failed
    QString error; // why it failed
    bool ok() const { return error.isEmpty(); }
};

// Writes `text` as a new entry in `dir` (created when missing), named by `time`, `link` (as
// corvane::history::linkPart gives it) and `kind`; a name already taken gets the next copy
// number. When `prune` is set, the entries beyond the newest 200 are removed afterwards (a file
// that cannot be removed is left).
Written write(const QString& dir, const QDateTime& time, const std::string& link,
              corvane::history::Kind kind, const std::string& text, bool prune = true);

// The entries in `dir`, newest first (none when it does not exist).
std::vector<corvane::history::Entry> list(const QString& dir);

// A configuration text on disk (a history entry, an exported settings file) as the command-line
// tool reads one, with every control given; a file that cannot be read, or one larger than 1 MiB
// (far more than a configuration holds; not read whole), is refused with why.
corvane::configtext::Parsed readConfiguration(const QString& path,
                                              const corvane::variant::BoardFlags& flags);

} // namespace platform::history
