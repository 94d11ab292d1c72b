#pragma once
// Test doubles for the prompts seam, and a working directory of its own for each test.
#include "platform/prompts.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

// A control of a window by its name; a test that names a missing control stops at once.
template <typename T> T* child(QWidget* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no control %s in %s", qPrintable(name), qPrintable(parent->objectName()));
    return found;
}

// Runs a real event loop for `ms`, so that idle handlers (which run when the loop is about to
// block) get their turn; QTest::qWait never blocks and so never reaches them.
void runEventLoop(int ms);

struct ShownMessage {
    QString text;
    QString title; // as shown: the program's title where the box has none of its own
    platform::MessageKind kind = platform::MessageKind::Warning; // a question box: unused
};

// Answers every message box at once and remembers it; question boxes are remembered apart and
// answered from a queue, "Yes" once it is empty (the operator goes ahead); file dialogs answer
// from a queue; web addresses are only remembered.
class PromptRecorder : public platform::Prompts {
public:
    PromptRecorder();
    ~PromptRecorder() override;

    void message(const QString& text, const QString& title, platform::MessageKind kind) override;
    bool question(const QString& text, const QString& title) override;
    QString openFileName(const QString& title, const QString& fileName,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& fileName,
                         const QString& filter) override;
    void openUrl(const QString& url) override;

    QList<ShownMessage> messages;
    QList<ShownMessage> questions;
    QList<bool> answers; // true: "Yes"
    QStringList fileAnswers;
    QStringList openedUrls;
    // Runs while a message box would be open, as the event loop does for a real one.
    std::function<void(const ShownMessage&)> whileOpen;

    QStringList texts() const;
};

// Makes a directory read-only, even for root (where it is made immutable), or writable again;
// false when that is not possible here.
bool makeReadOnly(const QString& path, bool on);

// Makes a fresh temporary directory the current one for the lifetime of the object.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};
