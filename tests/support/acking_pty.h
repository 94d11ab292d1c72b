#pragma once
// The board's end of the serial line for tests of paced sequences: acknowledges every frame with
// "55" (unless told not to) and records what arrived in which read.
//
// It reads only when the test's event loop runs, which in a window test is only while the program
// pumps events, that is inside an acknowledgement wait. Frames sent with no wait between them
// therefore arrive in one read; a frame followed by a wait arrives alone. The batches show the
// waits of a sequence without any timing.
//
// Declare it before the program, so that the program closes the port (and its lock) before the
// terminal goes away: a terminal number freed while the port is still locked may be handed to
// another test process at once, which then finds it "in use by another program".
#include "support/links.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QStringList>

class AckingPty : public QObject {
    Q_OBJECT
public:
    AckingPty();
    ~AckingPty() override;

    QString slavePath() const { return pty_.slavePath(); }

    // Every byte received, CRs included.
    QByteArray raw;
    // One entry per read: the frames (without their CR) that arrived together, joined by " ";
    // non-printing bytes as <xNN>.
    QStringList batches;
    // Frames (without CR) that get no acknowledgement.
    QSet<QByteArray> unanswered;

    // True once everything the program wrote has been read here (and answered).
    bool caughtUp() const { return !pty_.hasUnread(); }

    // Forgets what was received so far.
    void clear();

private:
    void readable();
    PtyPair pty_;
    QByteArray pending_;
    QSocketNotifier* notifier_;
};
