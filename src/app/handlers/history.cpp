// The history of configurations read and sent, and the windows written and read as text.
#include "app/handlers/wiring.h"
#include "app/status_strip.h"
#include "app/tform1.h"
#include "core/config_text.h"
#include "dialogs/history_window.h"
#include "dialogs/tform2.h"
#include "platform/files.h"
#include "platform/history_files.h"
#include "platform/prompts.h"
#include "platform/serial_open.h"
#include "ui_tform1.h"

#include <QDateTime>
#include <QDir>
#include <QScopedValueRollback>

namespace configtext = corvane::configtext;
namespace hist = corvane::history;

namespace {

const QString kSettingsFilter = QStringLiteral("*.conf");
// A settings text is a few kilobytes; a larger file is refused before it is read whole.
constexpr qint64 kLargestSettings = 1 << 20;

} // namespace

void handlers::wireHistory(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.History1, &QAction::triggered, &f, &TForm1::History1Click);
    QObject::connect(ui.ExportSettings1, &QAction::triggered, &f, &TForm1::ExportSettings1Click);
    QObject::connect(ui.ImportSettings1, &QAction::triggered, &f, &TForm1::ImportSettings1Click);
}

std::string TForm1::historyLink() const {
    if (link.chosenInterface() == BoardLink::Interface::Udp) {
        const QHostAddress peer = Uc->peerAddress();
        const std::string host =
            peer.isNull() ? Form2->endpoint().boardIp : platform::fromQ(peer.toString());
        return hist::linkPart(true, host);
    }
    return hist::linkPart(false,
                          platform::fromQ(platform::serialopen::devicePath(ComPort1->portName())));
}

void TForm1::recordHistory(hist::Kind kind, const corvane::controls::ConfigView& view,
                           const std::string& linkPart) {
    const platform::history::Written written =
        platform::history::write(platform::history::folder(), QDateTime::currentDateTimeUtc(),
                                 linkPart, kind, configtext::toLines(view, Board));
    if (!written.ok()) {
        strip_->showNote(QStringLiteral("History not written: %1").arg(written.error));
        return;
    }
    if (historyWindow_ && historyWindow_->isVisible())
        historyWindow_->refresh();
}

void TForm1::showConfiguration(const corvane::controls::ConfigView& view) {
    const QScopedValueRollback quiet(boxesSendNothing_, true);
    applyActions(configtext::toControls(view, Board));
    configHeld_ = true;
}

// The window is made when first asked for and read again whenever it is shown.
void TForm1::History1Click() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(
            platform::history::folder(),
            {[this] { return readControls(); }, [this] { return Board; },
             [this](const corvane::controls::ConfigView& view) { showConfiguration(view); }},
            this);
        historyWindow_->setHeld(link.sequenceShown());
        // "Load into Windows" is held while a shown sequence runs, as "Clear UI" and "Import
        // Settings…" are: a read would overwrite what it shows, and a save reads the windows.
        connect(&link, &BoardLink::sequenceProgress, historyWindow_,
                [w = historyWindow_] { w->setHeld(true); });
        connect(&link, &BoardLink::sequenceEnded, historyWindow_,
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
void TForm1::ExportSettings1Click() {
    const QString path = platform::prompts().saveFileName(
        QStringLiteral("Export Settings"),
        QDir::current().absoluteFilePath(QStringLiteral("corvane-settings.conf")), kSettingsFilter);
    if (path.isEmpty())
        return;
    QString error;
    if (!platform::files::write(path, configtext::toLines(readControls(), Board), &error))
        platform::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
    else
        strip_->showNote(QStringLiteral("Wrote %1").arg(path), path);
}

// A text the command-line tool would refuse is refused with its line, and the windows stay as
// they are; an accepted one is shown as a history entry is loaded.
void TForm1::ImportSettings1Click() {
    const QString path = platform::prompts().openFileName(
        QStringLiteral("Import Settings"), QDir::current().absolutePath(), kSettingsFilter);
    if (path.isEmpty())
        return;
    QString error;
    const auto text = platform::files::readHead(path, kLargestSettings + 1, &error);
    if (!text) {
        platform::message(QStringLiteral("Cannot read %1: %2").arg(path, error));
        return;
    }
    if (qint64(text->size()) > kLargestSettings) {
        platform::message(
            QStringLiteral("%1 is not a settings file: it is larger than 1 MiB.").arg(path));
        return;
    }
    const configtext::Parsed parsed = configtext::fromLines(*text, Board, configtext::Need::Every);
    if (!parsed.ok()) {
        platform::message(QStringLiteral("%1: %2").arg(path, platform::toQ(parsed.message())));
        return;
    }
    showConfiguration(parsed.view);
}
