#pragma once
// A test double for the player nudge's desktop: a few windows that exist only here, and a record
// of what the nudge does with them, each action with the time it happened.
#include "platform/player_nudge.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>

class PlayerRecorder {
public:
    // `titles`: the desktop's top-level windows from the top down; their ids are 1, 2, ...
    explicit PlayerRecorder(QStringList titles);
    ~PlayerRecorder();

    struct Action {
        QString text; // "find", "activate 2", "Control down", "S up", ...
        qint64 ms;    // since the recorder was made
    };
    QList<Action> actions;
    // The window system refuses every window the keyboard focus.
    bool focusRefused = false;

    QStringList texts() const;
    // Adds an action of the test's own ("end"), to time what came before it.
    void mark(const QString& text);

private:
    QStringList titles_;
    QElapsedTimer clock_;
    friend class RecordedDesktop;
};
