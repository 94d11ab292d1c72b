#pragma once
// The main window's status display: the link state line, a note that stands ahead of it for a few
// seconds, the running sequence's progress with "Cancel" (and Esc), and how the last sequence
// ended, which stays in the status bar until the next one. The window decides what each of them
// says; the strip shows it.
#include <QString>
#include <QWidget>

class QEvent;
class QLabel;
class QPushButton;
class QShortcut;
class QStatusBar;
class QTimer;

class StatusStrip : public QWidget {
    Q_OBJECT
public:
    // Shows the link state in `linkLine`, a panel of the window's form, and places itself in
    // `bar`, the window's status bar, for the rest.
    StatusStrip(QStatusBar* bar, QLabel* linkLine);

    // The link state, shown in the line unless a note stands ahead of it. A line too long for the
    // panel keeps `path`'s own name in view (the folders before it give way first); the whole
    // text is the line's tooltip.
    void showLinkState(const QString& status, const QString& path = {});
    // Empties the line until the link state is shown again.
    void clearLinkState();
    // A note in the line for a few seconds ("Wrote /home/op/corvane/11.sdp"), ahead of the link
    // state; a path in it is shortened as a device path is.
    void showNote(const QString& text, const QString& path = {});

    // A shown sequence began or sent one more command: its progress, with "Cancel" and Esc.
    void showProgress(const QString& name, int sent, int total);
    // The shown sequence ended: its progress and "Cancel" go, and `result` stays in the status bar
    // until the next sequence ends (an empty one clears the bar).
    void showSequenceEnd(const QString& result);

signals:
    // The operator pressed "Cancel" or Esc while a sequence's progress was shown.
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showLine();

    QStatusBar* const bar_;
    QLabel* const line_;
    QString state_, statePath_; // the link state given last
    QString note_, notePath_;   // the note, while its timer runs
    QTimer* const noteTimer_;
    QString fittedFor_, fitted_; // the line's last text, and that text as it fits the panel
    QLabel* const progress_;
    QPushButton* const cancel_;
    QShortcut* const esc_;
    QString result_;        // how the last sequence ended
    bool tipShown_ = false; // a status tip with text covers the result now
};
