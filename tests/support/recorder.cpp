#include "support/recorder.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <unistd.h>

void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

PromptRecorder::PromptRecorder() {
    platform::setPrompts(this);
}

PromptRecorder::~PromptRecorder() {
    platform::setPrompts(nullptr);
}

void PromptRecorder::message(const QString& text, const QString& title,
                             platform::MessageKind kind) {
    messages.append({text, title.isEmpty() ? platform::kProgramTitle : title, kind});
    if (whileOpen)
        whileOpen(messages.last());
}

bool PromptRecorder::question(const QString& text, const QString& title) {
    questions.append({text, title.isEmpty() ? platform::kProgramTitle : title});
    return answers.isEmpty() || answers.takeFirst();
}

QString PromptRecorder::openFileName(const QString&, const QString&, const QString&) {
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString PromptRecorder::saveFileName(const QString&, const QString&, const QString&) {
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

void PromptRecorder::openUrl(const QString& url) {
    openedUrls.append(url);
}

QStringList PromptRecorder::texts() const {
    QStringList list;
    for (const auto& m : messages)
        list << m.text;
    return list;
}

bool makeReadOnly(const QString& path, bool on) {
    if (::geteuid() != 0)
        return QFile::setPermissions(path,
                                     on ? QFile::ReadOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QProcess::execute("chattr", {on ? "+i" : "-i", path}) == 0;
}

ScopedWorkDir::ScopedWorkDir() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

ScopedWorkDir::~ScopedWorkDir() {
    QDir::setCurrent(previous_);
}

void ScopedWorkDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray ScopedWorkDir::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
