#pragma once
// One board on one link for corvane-ctl: the commands as the window's buttons send them, the
// results on standard output, errors (with the board's address) on standard error.
#include "cli/options.h"
#include "core/controls.h"
#include "core/plan.h"
#include "core/steps.h"
#include "link/board_link.h"

#include <QString>

namespace cli {

class Session {
public:
    explicit Session(const Options& options);

    // Runs the command of the options; the exit status.
    int run();

private:
    int open();
    int probe();
    int read();
    int save();
    int startStop();
    int firmware();
    int single(const std::string& frame);

    // Runs a paced sequence as the window does: sends, pauses, acknowledgement waits. The first
    // command of a run that the board does not answer ends it (no answer); a later
    // acknowledgement that does not come is reported and the sequence goes on, as in the window.
    bool runSteps(const corvane::steps::Steps& steps);
    // The steps of a handler's plan, with the boxes it clears running their own handlers (the
    // FEC boxes) on `view`; its messages go to standard error.
    corvane::steps::Steps planSteps(const corvane::plan::Plan& plan,
                                    corvane::controls::ConfigView& view);
    // Runs the event loop until `done` or `ms` have passed (serial replies arrive by events).
    void waitFor(const std::function<bool()>& done, int ms);

    int fail(int status, const QString& text);
    void progress(int done, int total);

    const Options& o_;
    const QString label_;
    BoardLink link_;
    int received_ = 0;      // pieces or datagrams received so far
    bool answered_ = false; // the board answered something in this run
    bool missedAck_ = false;
    bool showProgress_ = false;
    int stepsDone_ = 0;
    int stepsTotal_ = 0;
};

} // namespace cli
