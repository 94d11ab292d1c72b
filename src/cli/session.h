#pragma once
// One board on one link for corvane-ctl: the commands as the window's buttons send them, the
// results on standard output, errors (with the board's address) on standard error.
#include "cli/options.h"
#include "core/config_text.h"
#include "core/controls.h"
#include "core/plan.h"
#include "core/steps.h"
#include "link/board_link.h"
#include "link/link_keeper.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace cli {

class Session {
public:
    explicit Session(const Options& options);

    // The content of the command's file (save, save-network), already read by the caller: the
    // file is then not read again.
    void setInput(const QByteArray& content);
    // Reads and checks what the command will send (the file, its values, the plan), opening no
    // link. Done, or the status of the refusal, whose message checkError() then holds.
    int check();
    const QString& checkError() const { return checkError_; }

    // Checks (unless check() was called), opens the link and runs the command; the exit status.
    int run();

private:
    int open();
    int probe();
    int read();
    int diff();
    int dryRun();
    int backup();
    int send();
    int firmware();
    int single(const std::string& frame);

    int checkSave();
    int checkNetwork();
    int checkDiff();
    // The name=value lines of the command's file (saveFile) as `need` asks; `source` names the
    // file in messages. Done, or the status of the refusal.
    int parseFile(corvane::configtext::Need need, corvane::configtext::Parsed& parsed,
                  QString& source);
    int checkStartStop();
    // The file's content (its first `most` bytes; all when `most` < 0) and its size: the given
    // input, standard input ("-") or the file.
    bool readInput(const QString& file, qint64 most, QByteArray* content, qint64* size);
    int refuse(int status, const QString& text);

    // Runs a paced sequence as the window does: sends, pauses, acknowledgement waits. False, with
    // the message, when the run ends early: the first command is not answered within 1 s, a send
    // is refused or the serial port is lost, or three acknowledgement waits in a row go
    // unanswered. A single missing acknowledgement is reported and the sequence goes on, as in the
    // window; the run then ends with status 2.
    bool runSteps(const corvane::steps::Steps& steps);
    // The steps of a handler's plan, with the boxes it clears running their own handlers (the
    // FEC boxes) on `view`; its messages (the window's message boxes) are added to `messages`.
    corvane::steps::Steps planSteps(const corvane::plan::Plan& plan,
                                    corvane::controls::ConfigView& view,
                                    std::vector<std::string>& messages);
    // "Read Config." into `view`, a plain view: the boxes the reply ticks send nothing. Done, or
    // status 2 with its message given; a missed acknowledgement is counted for finish().
    int readBoard(corvane::controls::ConfigView& view);
    // Done, or status 2 when an acknowledgement did not come.
    int finish();

    int fail(int status, const QString& text);
    void progress(int done, int total);

    const Options& o_;
    const QString label_;
    BoardLink link_;
    LinkKeeper keeper_{link_}; // opens the link and chooses its interface
    QByteArray input_;
    bool hasInput_ = false;
    bool checked_ = false;
    QString checkError_;
    corvane::steps::Steps
        planned_; // save, save-network, start, stop: checked before the link opens
    corvane::controls::ConfigView fileView_; // diff: the file's values

    int received_ = 0;      // pieces or datagrams received so far
    bool answered_ = false; // the board answered something in this run
    bool refused_ = false;  // a send found its interface closed
    bool lost_ = false;     // the serial port went away
    QString lostReason_;
    int missedAcks_ = 0;
    bool showProgress_ = false;
    int stepsDone_ = 0;
    int stepsTotal_ = 0;
};

} // namespace cli
