#include "platform/prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace platform {
namespace {

class DesktopPrompts : public Prompts {
public:
    void message(const QString& text, const QString& title, MessageKind kind) override {
        const auto icon =
            kind == MessageKind::Information ? QMessageBox::Information : QMessageBox::Warning;
        QMessageBox box(icon, title.isEmpty() ? kProgramTitle : title, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            box.move(screen->availableGeometry().center() - box.rect().center());
        box.exec();
    }
    bool question(const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::Question, title.isEmpty() ? kProgramTitle : title, text,
                        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        box.adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            box.move(screen->availableGeometry().center() - box.rect().center());
        return box.exec() == QMessageBox::Yes;
    }
    QString openFileName(const QString& title, const QString& fileName,
                         const QString& filter) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, fileName, filter);
    }
    QString saveFileName(const QString& title, const QString& fileName,
                         const QString& filter) override {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, fileName, filter);
    }
    void openUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }
};

DesktopPrompts desktopPrompts;
Prompts* current = &desktopPrompts;

} // namespace

Prompts& prompts() {
    return *current;
}

void setPrompts(Prompts* replacement) {
    current = replacement ? replacement : &desktopPrompts;
}

void message(const QString& text, const QString& title, MessageKind kind) {
    current->message(text, title, kind);
}

void message(const QString& text, MessageKind kind) {
    current->message(text, {}, kind);
}

bool question(const QString& text, const QString& title) {
    return current->question(text, title);
}

} // namespace platform
