#include "platform/history_files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace platform::history {

namespace hist = corvane::history;

namespace {

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
    QString path;
    for (int copy = 1;; ++copy) {
        path = d.absoluteFilePath(QString::fromStdString(hist::fileName(stamp, link, kind, copy)));
        if (!QFile::exists(path))
            break;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        w.error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return w;
    }
    w.path = path;
    if (prune)
        for (const std::string& old : hist::beyond(names(d)))
            d.remove(QString::fromStdString(old));
    return w;
}

std::vector<hist::Entry> list(const QString& dir) {
    const QDir d(dir);
    if (!d.exists())
        return {};
    return hist::entries(names(d));
}

} // namespace platform::history
