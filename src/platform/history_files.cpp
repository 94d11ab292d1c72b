#include "platform/history_files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace platform::history {

namespace hist = corvane::history;

namespace {

// Entries of one second, link and kind beyond this many are refused.
constexpr int kMostCopies = 1000;

std::vector<std::string> names(const QDir& dir) {
    std::vector<std::string> out;
    const QStringList files =
        dir.entryList(QStringList{QStringLiteral("*.conf")}, QDir::Files | QDir::NoDotAndDotDot);
    out.reserve(std::size_t(files.size()));
    for (const QString& f : files)
        out.push_back(f.toStdString());
    return out;
}

} // namespace

QString folder() {
    return QDir::current().absoluteFilePath(QStringLiteral("history"));
}

hist::Stamp stampOf(const QDateTime& time) {
    const QDateTime utc = time.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

Written write(const QString& dir, const QDateTime& time, const std::string& link, hist::Kind kind,
              const std::string& text, bool prune) {
    Written w;
    QDir d(dir);
    if (!d.mkpath(QStringLiteral("."))) {
        w.error = QStringLiteral("cannot create the folder %1").arg(d.absolutePath());
        return w;
    }
    const hist::Stamp stamp = stampOf(time);
    // The name is taken by creating the file, which fails when it exists: two programs writing
    // an entry of the same second, link and kind (two corvane-ctl backups) each get their own.
    QString path;
    for (int copy = 1;; ++copy) {
        path = d.absoluteFilePath(QString::fromStdString(hist::fileName(stamp, link, kind, copy)));
        QFile reserve(path);
        if (reserve.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!reserve.exists() || copy >= kMostCopies) {
            w.error = QStringLiteral("cannot write %1: %2").arg(path, reserve.errorString());
            return w;
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        w.error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        QFile::remove(path); // the empty file that took the name
        return w;
    }
    w.path = path;
    if (prune)
        for (const std::string& old : hist::beyond(names(d)))
            d.remove(QString::fromStdString(old));
    return w;
}

corvane::configtext::Parsed readConfiguration(const QString& path,
                                              const corvane::variant::BoardFlags& flags) {
    namespace configtext = corvane::configtext;
    constexpr qint64 kLargest = 1 << 20;
    configtext::Parsed parsed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        parsed.error = "cannot read it: " + file.errorString().toStdString();
        return parsed;
    }
    const QByteArray text = file.read(kLargest + 1);
    if (text.size() > kLargest) {
        parsed.error = "it is larger than 1 MiB, far more than a configuration holds";
        return parsed;
    }
    return configtext::fromLines(std::string_view(text.constData(), std::size_t(text.size())),
                                 flags, configtext::Need::Every);
}

std::vector<hist::Entry> list(const QString& dir) {
    const QDir d(dir);
    if (!d.exists())
        return {};
    return hist::entries(names(d));
}

} // namespace platform::history
