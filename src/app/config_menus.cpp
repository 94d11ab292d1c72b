// The "Configuration" menu's items around the whole configuration: comparing the windows with
// the board, the history of configurations read and sent, and the windows written and read as
// text.
#include "app/config_menus.h"

#include "app/status_strip.h"
#include "app/tform1.h"
#include "app/timers.h"
#include "core/config_compare.h"
#include "core/config_decode.h"
#include "core/config_text.h"
#include "core/read_plan.h"
#include "core/view_apply.h"
#include "dialogs/compare_window.h"
#include "dialogs/history_window.h"
#include "platform/files.h"
#include "platform/history_files.h"
#include "platform/latin1.h"
#include "platform/prompts.h"
#include "platform/serial_open.h"
#include "ui_tform1.h"

#include <QDateTime>
#include <QDir>
#include <QScopedValueRollback>
#include <QStatusBar>

#include <memory>

namespace configtext = corvane::configtext;
namespace controls = corvane::controls;
namespace hist = corvane::history;

namespace {

const QString kSettingsFilter = QStringLiteral("*.conf");

} // namespace

ConfigMenus::ConfigMenus(TForm1& window, Ui::TForm1& ui, StatusStrip& strip,
                         std::function<void(const std::string&)> showReply)
    : QObject(&window), f_(window), strip_(strip), showReply_(std::move(showReply)) {
    connect(ui.CompareWithBoard1, &QAction::triggered, this, &ConfigMenus::compare);
    connect(ui.History1, &QAction::triggered, this, &ConfigMenus::openHistory);
    connect(ui.ExportSettings1, &QAction::triggered, this, &ConfigMenus::exportSettings);
    connect(ui.ImportSettings1, &QAction::triggered, this, &ConfigMenus::importSettings);
}

bool ConfigMenus::replyForWindows(const std::string& frame) {
    if (replyTap_) {
        *replyTap_ = frame;
        return false;
    }
    return !std::exchange(comparedReplyDue_, false);
}

// The frames of "Read Config.", sent as it sends them (the keep-alive stopped for the request and
// started again after it), as a sequence of its own. The configuration reply is kept aside
// instead of being decoded into the windows, so no control changes and no handler runs; it is
// decoded onto a copy of what the windows show. Only a reply that came and decoded whole gives a
// comparison; otherwise the status bar says what happened and no window claims anything.
void ConfigMenus::compare() {
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
        const QScopedValueRollback tap(replyTap_, &outcome->reply);
        BoardLink::Sequence sequence(f_.link, name, BoardLink::countSends(plan.all()));
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
        if (!f_.runSteps(plan.open))
            return;
        f_.Timer1->stop();
        const bool ran = f_.runSteps(plan.request);
        if (f_.ComPort1->isOpen() || f_.udpActive())
            startIfStopped(f_.Timer1);
        comparedReplyDue_ = !outcome->reply;
        if (ran && !f_.link.sequenceStopping() && outcome->reply) {
            const controls::Applied applied =
                corvane::config::decodeConf(*outcome->reply, f_.Board);
            outcome->error = applied.error;
            if (applied.ok()) {
                const controls::ConfigView ours = f_.readControls();
                controls::ConfigView theirs = ours;
                controls::applyToView(theirs, applied);
                // The reply names the input modules its sensor inputs come from.
                corvane::variant::BoardFlags theirFlags = f_.Board;
                for (const controls::Action& a : applied.actions)
                    if (a.op == controls::Action::Op::Modules)
                        theirFlags.modules(a.channel) = a.modules;
                outcome->differences =
                    corvane::compare::differences(ours, f_.Board, theirs, theirFlags);
                outcome->compared = true;
            }
        }
    }
    if (!outcome->compared)
        return;
    const std::vector<corvane::compare::Difference>& differences = outcome->differences;
    comparedReply_ = *outcome->reply;
    if (!compareWindow_) {
        compareWindow_ = new CompareWindow(&f_);
        connect(compareWindow_, &CompareWindow::saveRequested, &f_, &TForm1::BitBtn2Click);
        connect(compareWindow_, &CompareWindow::loadRequested, this, [this] {
            // The board's values go into the windows as "Read Config." puts them there; a load
            // while a sequence runs would change the windows under it.
            if (f_.link.sequenceRunning()) {
                f_.statusBar()->showMessage(
                    QStringLiteral("Busy: %1 is running").arg(f_.link.sequence().name), 5000);
                return;
            }
            comparedReplyDue_ = false;
            showReply_(comparedReply_);
        });
    }
    compareWindow_->setDifferences(differences);
    compareWindow_->show();
    compareWindow_->raise();
    compareWindow_->activateWindow();
}

std::string ConfigMenus::historyLink() const {
    if (f_.link.chosenInterface() == BoardLink::Interface::Udp) {
        const QHostAddress peer = f_.Uc->peerAddress();
        const std::string host =
            peer.isNull() ? f_.keeper.udpEndpoint().boardIp : platform::fromQ(peer.toString());
        return hist::linkPart(true, host);
    }
    return hist::linkPart(
        false, platform::fromQ(platform::serialopen::devicePath(f_.ComPort1->portName())));
}

void ConfigMenus::recordHistory(hist::Kind kind, const corvane::controls::ConfigView& view,
                                const std::string& linkPart) {
    const platform::history::Written written =
        platform::history::write(platform::history::folder(), QDateTime::currentDateTimeUtc(),
                                 linkPart, kind, configtext::toLines(view, f_.Board));
    if (!written.ok()) {
        strip_.showNote(QStringLiteral("History not written: %1").arg(written.error));
        return;
    }
    if (historyWindow_ && historyWindow_->isVisible())
        historyWindow_->refresh();
}

// The window is made when first asked for and read again whenever it is shown.
void ConfigMenus::openHistory() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(
            platform::history::folder(),
            {[this] { return f_.readControls(); }, [this] { return f_.Board; },
             [this](const corvane::controls::ConfigView& view) { f_.showConfiguration(view); }},
            &f_);
        historyWindow_->setHeld(f_.link.sequenceShown());
        // "Load into Windows" is held while a shown sequence runs, as "Clear UI" and "Import
        // Settings…" are: a read would overwrite what it shows, and a save reads the windows.
        connect(&f_.link, &BoardLink::sequenceProgress, historyWindow_,
                [w = historyWindow_] { w->setHeld(true); });
        connect(&f_.link, &BoardLink::sequenceEnded, historyWindow_,
                [w = historyWindow_](const BoardLink::SequenceReport& r) {
                    if (r.shown)
                        w->setHeld(false);
                });
    }
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

// The three windows as the command-line tool's text; a failed write names the file and why.
void ConfigMenus::exportSettings() {
    const QString path = platform::prompts().saveFileName(
        QStringLiteral("Export Settings"),
        QDir::current().absoluteFilePath(QStringLiteral("corvane-settings.conf")), kSettingsFilter);
    if (path.isEmpty())
        return;
    QString error;
    if (!platform::files::write(path, configtext::toLines(f_.readControls(), f_.Board), &error))
        platform::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
    else
        strip_.showNote(QStringLiteral("Wrote %1").arg(path), path);
}

// A text the command-line tool would refuse is refused with its line, and the windows stay as
// they are; an accepted one is shown as a history entry is loaded.
void ConfigMenus::importSettings() {
    const QString path = platform::prompts().openFileName(
        QStringLiteral("Import Settings"), QDir::current().absolutePath(), kSettingsFilter);
    if (path.isEmpty())
        return;
    const configtext::Parsed parsed = platform::history::readConfiguration(path, f_.Board);
    if (!parsed.ok()) {
        platform::message(QStringLiteral("%1: %2").arg(path, platform::toQ(parsed.message())));
        return;
    }
    f_.showConfiguration(parsed.view);
}
