// "Compare with Board": the board's configuration read into a plain view, the windows untouched,
// and the settings that differ shown.
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "app/timers.h"
#include "core/config_compare.h"
#include "core/config_decode.h"
#include "core/read_plan.h"
#include "core/view_apply.h"
#include "dialogs/compare_window.h"
#include "platform/latin1.h"
#include "ui_tform1.h"

#include <QScopedValueRollback>
#include <QStatusBar>

#include <memory>

namespace controls = corvane::controls;

void handlers::wireCompare(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.CompareWithBoard1, &QAction::triggered, &f,
                     &TForm1::CompareWithBoard1Click);
}

// The frames of "Read Config.", sent as it sends them (the keep-alive stopped for the request and
// started again after it), as a sequence of its own. The configuration reply is kept aside
// instead of being decoded into the windows, so no control changes and no handler runs; it is
// decoded onto a copy of what the windows show. Only a reply that came and decoded whole gives a
// comparison; otherwise the status bar says what happened and no window claims anything.
void TForm1::CompareWithBoard1Click() {
    const QString name = QStringLiteral("Compare with Board");
    const corvane::config::ReadPlan plan = corvane::config::planRead();
    // What the comparison found, also for the sequence's end text.
    struct Outcome {
        std::optional<std::string> reply;
        std::string error;
        std::vector<corvane::compare::Difference> differences;
        bool compared = false;
    };
    const auto outcome = std::make_shared<Outcome>();
    {
        const QScopedValueRollback tap(configReplyTap_, &outcome->reply);
        BoardLink::Sequence sequence(link, name, BoardLink::countSends(plan.all()));
        if (!sequence)
            return;
        comparedReplyDue_ = false;
        sequence.setEndText(
            [name, outcome](const BoardLink::SequenceReport& r, const QString& usual) {
                if (outcome->compared) {
                    const std::size_t n = outcome->differences.size();
                    return n == 0   ? QStringLiteral("%1: identical").arg(name)
                           : n == 1 ? QStringLiteral("%1: 1 setting differs").arg(name)
                                    : QStringLiteral("%1: %2 settings differ").arg(name).arg(n);
                }
                if (r.end != BoardLink::SequenceEnd::Completed)
                    return usual;
                if (!outcome->reply)
                    return QStringLiteral("%1: no configuration reply").arg(name);
                return QStringLiteral("%1: the configuration reply could not be read: %2")
                    .arg(name, platform::toQ(outcome->error));
            });
        if (!runSteps(plan.open))
            return;
        Timer1->stop();
        const bool ran = runSteps(plan.request);
        if (ComPort1->isOpen() || udpActive())
            startIfStopped(Timer1);
        comparedReplyDue_ = !outcome->reply;
        if (ran && !link.sequenceStopping() && outcome->reply) {
            const controls::Applied applied = corvane::config::decodeConf(*outcome->reply, Board);
            outcome->error = applied.error;
            if (applied.ok()) {
                const controls::ConfigView ours = readControls();
                controls::ConfigView theirs = ours;
                controls::applyToView(theirs, applied);
                // The reply names the input modules its sensor inputs come from.
                corvane::variant::BoardFlags theirFlags = Board;
                for (const controls::Action& a : applied.actions)
                    if (a.op == controls::Action::Op::Modules)
                        theirFlags.modules(a.channel) = a.modules;
                outcome->differences =
                    corvane::compare::differences(ours, Board, theirs, theirFlags);
                outcome->compared = true;
            }
        }
    }
    if (!outcome->compared)
        return;
    const std::vector<corvane::compare::Difference>& differences = outcome->differences;
    comparedReply_ = *outcome->reply;
    if (!compareWindow_) {
        compareWindow_ = new CompareWindow(this);
        connect(compareWindow_, &CompareWindow::saveRequested, this, &TForm1::BitBtn2Click);
        connect(compareWindow_, &CompareWindow::loadRequested, this, [this] {
            // The board's values go into the windows as "Read Config." puts them there; a load
            // while a sequence runs would change the windows under it.
            if (link.sequenceRunning()) {
                statusBar()->showMessage(
                    QStringLiteral("Busy: %1 is running").arg(link.sequence().name), 5000);
                return;
            }
            comparedReplyDue_ = false;
            Decode_Conf(comparedReply_);
        });
    }
    compareWindow_->setDifferences(differences);
    compareWindow_->show();
    compareWindow_->raise();
    compareWindow_->activateWindow();
}
