// The window's side of the board link: the interface boxes, "Connect ", the "Test" menu, what the
// reports of the link and its keeper mean to the operator, and dropping the link.
#include "app/lamp.h"
#include "app/status_strip.h"
#include "app/tform1.h"
#include "app/timers.h"

#include "dialogs/tform2.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "platform/serial_open.h"
#include "ui_tform1.h"

#include <QGuiApplication>
#include <QMenu>
#include <QStatusBar>

#include <utility>

namespace replies = corvane::replies;

namespace {

// A command found no open link: one box, and the keep-alive stops.
void refuseSend(LinkKeeper& keeper) {
    platform::message(QStringLiteral("Please Connect First !! "),
                      QStringLiteral("Connection needed"));
    keeper.keepAliveTimer->stop();
}
// The error line after an acknowledgement wait that timed out; the next answer clears it.
const QString kAckError = QStringLiteral("Error Ack. from Board");
} // namespace

void TForm1::wireLink() {
    connect(ui->RS232Check, &QCheckBox::toggled, this, &TForm1::RS232CheckClick);
    connect(ui->UDPCheck, &QCheckBox::toggled, this, &TForm1::UDPCheckClick);
    // The boxes show the keeper's one interface choice and set it, whoever ticks them: the
    // box of the interface chosen is ticked first, its handler clears the other.
    using Interface = LinkKeeper::Interface;
    const auto interfaces = [this] {
        keeper.setInterface(ui->UDPCheck->isChecked()     ? Interface::Udp
                            : ui->RS232Check->isChecked() ? Interface::Serial
                                                          : Interface::None);
    };
    connect(ui->RS232Check, &QCheckBox::toggled, this, interfaces);
    connect(ui->UDPCheck, &QCheckBox::toggled, this, interfaces);
    connect(&link, &BoardLink::interfaceChanged, this, [this](Interface chosen) {
        QCheckBox* ticked = chosen == Interface::Serial ? ui->RS232Check
                            : chosen == Interface::Udp  ? ui->UDPCheck
                                                        : nullptr;
        if (ticked)
            ticked->setChecked(true);
        for (QCheckBox* box : {ui->RS232Check, ui->UDPCheck})
            if (box != ticked)
                box->setChecked(false);
    });
    interfaces();
    keeper.setUdpEndpoint([this] { return corvane::settings::parseEndpoint(Form2->endpoint()); });
    connect(ui->Connect1, &QAction::triggered, this, &TForm1::Connect1Click);
    connect(ui->Configuration1, &QAction::triggered, this, &TForm1::ConfigurationClick);
    connect(ui->Connect2, &QAction::triggered, this, &TForm1::Configuration2Click);

    connect(&link, &BoardLink::effect, this, &TForm1::applyReplyEffect);
    connect(&link, &BoardLink::frameSent, this, [this] { setReady(false); });
    // While the link is being reconnected, a command that finds it closed is no news: the
    // status bar says so, and no message box holds the window (and the tries) meanwhile.
    connect(&link, &BoardLink::sendRefused, this, [this] {
        if (keeper.reconnecting())
            statusBar()->showMessage(QStringLiteral("Not sent: %1").arg(keeper.status()), 5000);
        else
            refuseSend(keeper);
    });
    connect(&link, &BoardLink::ackTimedOut, this, [this] { ui->Panel9->setText(kAckError); });
    connect(&link, &BoardLink::serialLost, this, &TForm1::onSerialLost);
    // Sequences in the status bar: progress, "Cancel" (and Esc), how they ended.
    connect(strip_, &StatusStrip::cancelRequested, &link, &BoardLink::cancelSequence);
    connect(&link, &BoardLink::busy, this, [this](const QString& running) {
        statusBar()->showMessage(QStringLiteral("Busy: %1 is running").arg(running), 5000);
    });
    connect(&link, &BoardLink::sequenceProgress, this,
            [this](const QString& name, int sent, int total) {
                holdControls(true);
                strip_->showProgress(name, sent, total);
            });
    connect(&link, &BoardLink::sequenceEnded, this, &TForm1::showSequenceEnd);
    // A UDP reply wait keeps the window painted and shows the busy cursor.
    connect(&link, &BoardLink::waiting, this, [](bool on) {
        if (on)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });

    connect(&keeper, &LinkKeeper::keepAliveMissed, this, &TForm1::showLinkDown);
    connect(ui->StartKeepAlive1, &QAction::triggered, this, &TForm1::StartKeepAlive1Click);
    connect(ui->StopKeepAlive1, &QAction::triggered, this, &TForm1::StopKeepAlive1Click);
    // Opening the "Test" menu changes nothing: its searches prepare themselves (TestClick).
    connect(ui->estRS2321, &QAction::triggered, this, &TForm1::estRS2321Click);
    connect(ui->estUDP1, &QAction::triggered, this, &TForm1::estUDP1Click);
    connect(ui->estBurn1, &QAction::triggered, this, &TForm1::estBurn1Click);
    connect(ui->estBoth1, &QAction::triggered, this, &TForm1::estBoth1Click);

    // A probe's link that does not open is explained to the operator.
    const auto told = [](bool opened, const QString& error) {
        if (!opened)
            platform::message(error);
        return opened;
    };
    search.setOwner(BoardSearch::Owner{
        [this] { TestClick(); },
        [this] { ClearUI(); },
        [this, told] {
            QString error;
            return told(keeper.openSerial(&error), error);
        },
        [this, told](int timeoutMs) {
            QString error;
            return told(keeper.openUdp(&error, timeoutMs), error);
        },
        [this] { strip_->clearLinkState(); },
        [this](const QString& text) {
            ui->Panel5->setText(text);
            // The search's last word ("Board Found") stays long enough to be read.
            searchNoteTimer_->start();
        },
    });
}

// The board is not known to answer: no "Connected", no READY, no client shown as connected.
void TForm1::showLinkDown() {
    paintConNot(ui->ConNot, QStringLiteral("Not Connected"), Qt::black);
    setReady(false);
    ui->Panel8->clear();
}

// While a sequence runs, the controls whose change would send a command or re-aim the link keep
// their state: they are disabled, and what the sequence itself enables or disables meanwhile
// (the FEC boxes at "Stop Stream") is kept for them and applied when it ends.
void TForm1::holdControls(bool hold) {
    if (hold == !heldEnabled_.isEmpty())
        return;
    const QList<QWidget*> widgets = {ui->RS232Check, ui->UDPCheck, ui->CEFEC,    ui->ERRFEC,
                                     ui->AutoDetect, ui->FixCheck, ui->MovCheck, ui->UDPRSB,
                                     ui->PARTP,      ui->Rec1};
    const QList<QAction*> actions = {ui->Connect1, ui->Configuration1, ui->ClearUIB,
                                     ui->ImportSettings1};
    if (hold) {
        for (QWidget* w : widgets) {
            heldEnabled_.insert(w, !w->testAttribute(Qt::WA_ForceDisabled));
            w->setEnabled(false);
        }
        for (QAction* a : actions) {
            heldEnabled_.insert(a, a->isEnabled());
            a->setEnabled(false);
        }
        return;
    }
    const QHash<QObject*, bool> held = std::exchange(heldEnabled_, {});
    for (QWidget* w : widgets)
        w->setEnabled(held.value(w, true));
    for (QAction* a : actions)
        a->setEnabled(held.value(a, true));
}

// A sequence that ended early says so once: in a message when the board or the port failed, in
// the status bar always. The handler that started it may say it in its own words.
void TForm1::showSequenceEnd(const BoardLink::SequenceReport& r) {
    if (r.shown) {
        holdControls(false);
        QString text;
        const QString sent = QStringLiteral("%1 of %2 %3").arg(r.sent).arg(r.total).arg(r.unit);
        switch (r.end) {
        case BoardLink::SequenceEnd::Completed:
            if (r.refused > 0)
                text =
                    QStringLiteral("%1: the board refused it (%2)").arg(r.name, ui->Panel9->text());
            else if (r.unanswered > 0)
                text = QStringLiteral("%1: the board did not acknowledge %2 of %3 commands")
                           .arg(r.name)
                           .arg(r.unanswered)
                           .arg(r.total);
            break;
        case BoardLink::SequenceEnd::NoLink:
            // The refusal has been told in its box.
            text = QStringLiteral("No link is open for %1: %2 were sent.").arg(r.name, sent);
            break;
        case BoardLink::SequenceEnd::Cancelled:
            text = QStringLiteral("%1 cancelled after %2").arg(r.name, sent);
            break;
        case BoardLink::SequenceEnd::NoAnswer:
            text = QStringLiteral("The board stopped answering during %1: %2 were sent.")
                       .arg(r.name, sent);
            break;
        case BoardLink::SequenceEnd::SerialLost: {
            const QString port = platform::serialopen::devicePath(ComPort1->portName());
            text = QStringLiteral("The serial port %1 was lost during %2 (%3): %4 were sent.")
                       .arg(port, r.name, r.reason, sent);
            break;
        }
        }
        if (r.endText)
            text = r.endText(r, text);
        strip_->showSequenceEnd(text);
        if (r.end == BoardLink::SequenceEnd::NoAnswer ||
            r.end == BoardLink::SequenceEnd::SerialLost)
            platform::message(text);
    }
    // The window was closed during the sequence: it closes now that the sequence has unwound.
    if (closeAfterSequence_)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// The port is already closed; the operator hears of it once (a shown sequence it ended tells
// the whole story when it has unwound). A port that the link does not use now (UDP is ticked)
// takes nothing else with it: a UDP sequence and the keep-alive go on, and a note says so.
void TForm1::onSerialLost(const QString& reason) {
    const QString port = platform::serialopen::devicePath(ComPort1->portName());
    const QString text = QStringLiteral("The serial port %1 was lost: %2").arg(port, reason);
    if (link.chosenInterface() != BoardLink::Interface::Serial) {
        strip_->showNote(text, port);
        return;
    }
    const bool told = link.sequenceShown();
    dropLink(CloseLink::None, {.streaming = false});
    // While it is reconnected the status line tells the loss; no message box stops the tries.
    if (!told && !keeper.reconnecting())
        platform::message(text);
}

// Ticking one interface box clears the other; clearing it does not touch the first.
void TForm1::RS232CheckClick(bool checked) {
    if (checked)
        ui->UDPCheck->setChecked(false);
}

void TForm1::UDPCheckClick(bool checked) {
    if (checked)
        ui->RS232Check->setChecked(false);
}

void TForm1::dropLink(CloseLink close, const LinkDrop& how) {
    // A sequence cannot go on without its link.
    link.cancelSequence();
    if (how.clear == ClearDisplay::BeforeClosing)
        ClearUI();
    if (close == CloseLink::Serial)
        link.closeSerial();
    else if (close == CloseLink::Udp)
        link.closeUdp();
    if (how.keepAlive)
        Timer1->stop();
    showLinkDown();
    if (how.streaming)
        StreamingOn = false;
    if (how.clear == ClearDisplay::AfterClosing)
        ClearUI();
    if (how.lamp)
        paintLamp(ui->Rec1, corvane::controls::Lamp::Grey);
    if (how.panel5)
        ui->Panel5->clear();
}

// "Connect " opens the ticked interface's link, or closes it when it is open. While the link is
// being reconnected it keeps or makes the link: the operator takes over, the display stays.
void TForm1::Connect1Click() {
    QString error;
    switch (keeper.toggle(&error)) {
    case LinkKeeper::Toggle::Close:
        dropLink(keeper.chosenInterface() == LinkKeeper::Interface::Serial ? CloseLink::Serial
                                                                           : CloseLink::Udp,
                 {.clear = ClearDisplay::BeforeClosing});
        break;
    case LinkKeeper::Toggle::Failed:
        platform::message(error);
        break;
    case LinkKeeper::Toggle::Nothing:
    case LinkKeeper::Toggle::Opened:
    case LinkKeeper::Toggle::Kept:
        break;
    }
}

void TForm1::Configuration2Click() {
    Form2->showCentred();
}

// What the dispatch recognised, in order; the link has already taken the reply flags.
void TForm1::applyReplyEffect(const replies::Effect& effect) {
    using Kind = replies::Effect::Kind;
    switch (effect.kind) {
    case Kind::SetPanel9:
        ui->Panel9->setText(platform::toQ(effect.text));
        break;
    case Kind::ShowMessage:
        // Board text is shown as plain text; the event loop runs on while the box is open.
        platform::message(platform::toQ(effect.text), platform::MessageKind::Information);
        break;
    case Kind::FindAssem:
        FindAssem(effect.text);
        break;
    case Kind::ShowConnected:
        paintConNot(ui->ConNot, QStringLiteral("Connected"), QColor(255, 0, 0));
        break;
    case Kind::DecodeAutRes:
        DecodeAutRes(effect.text);
        break;
    case Kind::DecodeConf:
        Decode_Conf(effect.text);
        break;
    case Kind::ShowReady:
        setReady(true);
        // The board answers again: a missing acknowledgement reported earlier is past. What the
        // board itself reported in the error line stays.
        if (ui->Panel9->text() == kAckError)
            ui->Panel9->clear();
        break;
    case Kind::EnableTimer1:
        keeper.startKeepAlive();
        break;
    case Kind::SetReplySeen:
    case Kind::ClearKeepAlivePending:
    case Kind::SetRxFrame:
        break;
    }
}

// A search of the "Test" menu prepares itself right before it starts (a search refused as busy
// changes nothing): no interface chosen, the board not known to answer. Opening the menu only
// shows it.
void TForm1::TestClick() {
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    showLinkDown();
}

void TForm1::estRS2321Click() {
    search.startSearch(BoardSearch::Rs232, 15);
}

void TForm1::estUDP1Click() {
    search.startSearch(BoardSearch::Udp, 15);
}

void TForm1::estBoth1Click() {
    search.startSearch(BoardSearch::Both, 15);
}

void TForm1::estBurn1Click() {
    search.startSearch(BoardSearch::Rs232, 80);
}

void TForm1::setReady(bool ready) {
    if (ui->RDS->isHidden() == ready) {
        ui->RDS->setVisible(ready);
        // Showing posts a repaint of its own; taken now, the repaint below is the only one.
        if (ready)
            QCoreApplication::sendPostedEvents(ui->RDS, QEvent::UpdateLater);
    }
    if (ready)
        ui->RDS->repaint();
}
