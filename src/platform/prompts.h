#pragma once
// The seam through which the program asks the operator something: message boxes and file dialogs;
// and through which it hands a web address to the desktop. Tests install a recorder that answers
// at once and never starts a browser.
#include <QString>

class QWidget;

namespace platform {

// The title of a message box that has none of its own.
inline const QString kProgramTitle = QStringLiteral("Corvane Control");

// What a message box tells, shown by its icon: a plain notice, or something that went wrong or
// was refused.
enum class MessageKind { Information, Warning };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with one OK button and the icon of its kind, centred on the screen; the text
    // is always shown as plain text.
    virtual void message(const QString& text, const QString& title, MessageKind kind) = 0;
    // A question box with "Yes" and "No", "No" the default (Enter and Esc answer No), centred on
    // the screen, the text plain; true when the operator answered "Yes".
    virtual bool question(const QString& text, const QString& title) = 0;
    // File dialogs; an empty result means the operator cancelled.
    virtual QString openFileName(const QString& title, const QString& fileName,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& fileName,
                                 const QString& filter) = 0;
    // Asks the desktop to open a web address with its default handler; neither waits for it nor
    // reports whether it could.
    virtual void openUrl(const QString& url) = 0;
};

// The prompts in use; the production implementation unless a test installed its own.
Prompts& prompts();
// Installs another implementation (nullptr restores the production one). The caller keeps
// ownership.
void setPrompts(Prompts* replacement);

// Shortcut: a message box; an empty title shows the program's title. Most messages say what went
// wrong or was refused, so a warning unless told otherwise.
void message(const QString& text, const QString& title = {},
             MessageKind kind = MessageKind::Warning);
void message(const QString& text, MessageKind kind);
// Shortcut: a question box; true when answered "Yes".
bool question(const QString& text, const QString& title = {});

} // namespace platform
