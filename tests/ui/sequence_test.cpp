// Sequences on the wire, one at a time, over UDP and a pseudo-terminal: the window stays usable
// during a save, a command the operator triggers meanwhile is refused, "Cancel" and Esc end the
// save, three unanswered waits or a lost serial port end it with one message, closing the window
// ends it first; and the question before "Save Config." of windows that hold nothing read.
#include "app/windows.h"
#include "dialogs/aboutfrm.h"
#include "platform/pacing.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Where the save is when something happens to it.
enum class Moment { Pause, AckWait };

const char* nameOf(Link link) {
    return link == Link::Udp ? "udp" : "serial";
}

const char* nameOf(Moment moment) {
    return moment == Moment::Pause ? "in a pause" : "in an acknowledgement wait";
}

// The board never answers.
QByteArray silent(const QByteArray&) {
    return {};
}

// A board that acknowledges every command, except that it can be late once: it holds its answers
// back from the third command until an acknowledgement wait has timed out. An answered command ends
// its acknowledgement wait before the window is served (over the serial line the answer comes
// during the pause that follows most commands), so a save waits with the window served only for a
// board that is late.
struct Acknowledging {
    std::atomic<bool> holding{false};
    std::atomic<int> count{0};
    Responder responder() {
        return [this](const QByteArray&) {
            return ++count >= 3 && holding ? QByteArray() : QByteArray("55");
        };
    }
};

// The board's end of the link. A base of the program, so that the program closes its serial port
// (and the port's lock) before the terminal goes away.
struct BoardEnd {
    std::unique_ptr<PtyResponder> pty;
    std::unique_ptr<UdpResponder> peer;
    BoardEnd(Link link, Responder respond) {
        if (link == Link::Serial)
            pty = std::make_unique<PtyResponder>(std::move(respond));
        else
            peer = std::make_unique<UdpResponder>(std::move(respond));
    }
    // The commands the board received (over the serial line: those read so far).
    QList<QByteArray> frames() const { return pty ? pty->frames() : peer->frames(); }
};

struct Program : Acknowledging, BoardEnd, RunningProgram {
    int written = 0;                                // frames the program wrote since the save began
    int timedOut = 0;                               // acknowledgement waits that ended unanswered
    std::optional<BoardLink::SequenceReport> ended; // the last shown sequence, once it ended

    explicit Program(Link link = Link::Udp, Responder respond = silent)
        : BoardEnd(link, std::move(respond)), RunningProgram(0.01) {
        connect();
    }
    // A board that acknowledges; late once when the save is to be met in an acknowledgement wait.
    Program(Link link, Moment moment) : BoardEnd(link, responder()), RunningProgram(0.01) {
        holding = moment == Moment::AckWait;
        connect();
        f->link.udpReceiveTimeout = 500; // the board answers from a thread of its own
    }
    void connect() {
        if (pty) {
            serialAt(pty->slavePath());
            rs232()->setChecked(true);
        } else {
            udpAt(peer->port());
            udp()->setChecked(true);
        }
        f->Connect1Click();
        f->Timer1->stop();
        QObject::connect(&f->link, &BoardLink::traffic, f, [this](const LinkTraffic& e) {
            if (e.direction == LinkTraffic::Direction::Sent)
                ++written;
        });
        QObject::connect(&f->link, &BoardLink::ackTimedOut, f, [this] {
            ++timedOut;
            holding = false;
        });
        QObject::connect(&f->link, &BoardLink::sequenceEnded, f,
                         [this](const BoardLink::SequenceReport& r) {
                             if (r.shown)
                                 ended = r;
                         });
    }
    QLabel* progress() const { return f->findChild<QLabel*>("SequenceProgress"); }
    QPushButton* cancel() const { return f->findChild<QPushButton*>("SequenceCancel"); }
    QPushButton* button(const QString& name) const { return child<QPushButton>(f, name); }
    QString status() const { return f->statusBar()->currentMessage(); }
    bool inAckWait() const { return f->link.ackTimer->isActive(); }
    // The save runs and has sent at least `commands`.
    bool saving(int commands) const {
        const BoardLink& link = f->link;
        return link.sequenceShown() && link.sequence().name == QLatin1String("Save Config.") &&
               link.sequence().sent >= commands;
    }
    // Presses "Save Config." and returns once the save has ended.
    void save() {
        written = 0;
        button("BitBtn2")->click();
    }
    // Presses "Save Config." from the event loop, so that the test goes on during the save.
    void saveLater() {
        QMetaObject::invokeMethod(
            f, [this] { save(); }, Qt::QueuedConnection);
    }
    // Runs `act` once, from the event loop, at the first moment the save has sent two commands
    // and pauses or waits for an acknowledgement, as the operator would do something then.
    void during(Moment moment, std::function<void()> act) {
        auto* poll = new QTimer(f);
        QObject::connect(poll, &QTimer::timeout, f, [this, poll, moment, act = std::move(act)] {
            if (!saving(2) || inAckWait() != (moment == Moment::AckWait))
                return;
            poll->stop();
            act();
            poll->deleteLater();
        });
        poll->start(0);
    }
    // The board received `count` commands, and nothing more comes.
    void boardReceived(int count) {
        QTRY_COMPARE(int(frames().size()), count);
        runEventLoop(50);
        QCOMPARE(int(frames().size()), count);
    }
};

} // namespace

Q_DECLARE_METATYPE(Moment)

class SequenceTest : public QObject {
    Q_OBJECT

    static void links() { linkRows(); }

    // Tables of every link and moment in which something happens to a save.
    static void linkAndMomentColumns() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<Moment>("moment");
    }
    static QTestData& row(Link link, Moment moment, const char* what = nullptr) {
        QTestData& data = what ? QTest::addRow("%s, %s, %s", nameOf(link), nameOf(moment), what)
                               : QTest::addRow("%s, %s", nameOf(link), nameOf(moment));
        return data << link << moment;
    }
    static constexpr Link kLinks[] = {Link::Udp, Link::Serial};
    static constexpr Moment kMoments[] = {Moment::Pause, Moment::AckWait};

private slots:
    void saveAnsweredNoSendsNothing_data() { links(); }

    void saveAnsweredNoSendsNothing() {
        QFETCH(Link, link);
        Program p(link);
        p.prompts.answers = {false};
        p.save();
        QCOMPARE(p.prompts.questions.size(), 1);
        QCOMPARE(p.written, 0);
        p.boardReceived(0);
    }

    // A command acknowledged, then the link taken away (its box unticked, or closed with
    // "Connect "): the save sends nothing, says so in one box and in the status bar, and the
    // earlier acknowledgement lets no wait pass.
    void saveWithoutALinkSendsNothing_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("untick");
        for (Link link : kLinks) {
            QTest::addRow("%s, box unticked", nameOf(link)) << link << true;
            QTest::addRow("%s, link closed", nameOf(link)) << link << false;
        }
    }

    void saveWithoutALinkSendsNothing() {
        QFETCH(Link, link);
        QFETCH(bool, untick);
        Program p(link, Moment::Pause);
        p.button("BitBtn3")->click(); // "Start Stream", acknowledged
        QTRY_VERIFY(p.f->AckReceived);
        const int before = int(p.frames().size());
        if (untick)
            (link == Link::Udp ? p.udp() : p.rs232())->setChecked(false);
        else
            p.f->Connect1Click();
        p.save();
        QCOMPARE(p.prompts.texts(), QStringList{"Please Connect First !! "});
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::NoLink);
        QCOMPARE(p.ended->sent, 0);
        QCOMPARE(p.written, 0);
        QCOMPARE(p.status(), QStringLiteral("No link is open for Save Config.: 0 of %1 commands "
                                            "were sent.")
                                 .arg(p.ended->total));
        QVERIFY(!p.f->AckReceived);
        p.boardReceived(before);
    }

    // A serial port that is open but not the link in use (UDP is ticked) goes away during a UDP
    // save: the save and the keep-alive go on, and no box stops them.
    void unusedSerialPortLostDuringAUdpSave() {
        Program p(Link::Udp, Moment::Pause);
        PtyPair pty;
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        p.udp()->setChecked(true);
        QVERIFY(p.f->udpActive());
        p.f->Timer1->start();
        bool pulled = false;
        p.during(Moment::Pause, [&] {
            pulled = true;
            pty.unplug();
        });
        p.save();
        QVERIFY(pulled);
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Completed);
        QCOMPARE(p.ended->sent, p.ended->total);
        QCOMPARE(p.status(), QStringLiteral("Configuration sent to the board"));
        QTRY_VERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(p.prompts.messages.isEmpty());
        QVERIFY(p.f->Timer1->isActive());
        QVERIFY(p.udp()->isChecked());
    }

    // The save runs inside the test's event loop, so what the operator does during it runs from
    // a timer that fires during one of its waits.
    void aboutOpensAndCancelEndsTheSave_data() { links(); }

    void aboutOpensAndCancelEndsTheSave() {
        QFETCH(Link, link);
        Program p(link);
        platform::pacing::setScale(1.0); // waits of real length: the save would run for minutes
        p.f->link.ackTimer->setInterval(6000);
        p.f->link.udpReceiveTimeout = 1000;
        QString progress, busy;
        bool aboutShown = false;
        int sentBeforeCancel = -1;
        // The progress and "Cancel" take no room from the form: the window is not laid out and
        // repainted whole when a sequence starts or ends.
        const QSize form = p.f->centralWidget()->size();
        QSize formDuringSave;
        QTimer::singleShot(1500, p.f, [&] {
            progress = p.progress()->isHidden() ? QString() : p.progress()->text();
            formDuringSave = p.f->centralWidget()->size();
            p.button("BitBtn1")->click(); // "Read Config." is refused
            busy = p.status();
            p.f->About1Click();
            aboutShown = p.f->aboutfrm()->isVisible();
            p.f->aboutfrm()->hide();
            sentBeforeCancel = p.written;
            p.cancel()->click();
        });
        QElapsedTimer clock;
        clock.start();
        p.save();
        platform::pacing::setScale(0.01);
        QVERIFY(clock.elapsed() < 5000); // Cancel ended the wait in progress at once
        QVERIFY2(progress.startsWith("Save Config.: "), qPrintable(progress));
        QCOMPARE(formDuringSave, form);
        QCOMPARE(busy, QStringLiteral("Busy: Save Config. is running"));
        QVERIFY(aboutShown);
        QVERIFY(sentBeforeCancel > 0);
        QCOMPARE(p.written, sentBeforeCancel);
        p.boardReceived(sentBeforeCancel);
        QVERIFY2(QRegularExpression("^Save Config\\. cancelled after \\d+ of \\d+ commands$")
                     .match(p.status())
                     .hasMatch(),
                 qPrintable(p.status()));
        QVERIFY(p.cancel()->isHidden());
    }

    void threeUnansweredWaitsEndTheSave_data() { links(); }

    void threeUnansweredWaitsEndTheSave() {
        QFETCH(Link, link);
        Program p(link);
        p.saveLater();
        QTRY_VERIFY_WITH_TIMEOUT(!p.prompts.messages.isEmpty(), 20000);
        QTest::qWait(200);
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY(p.ended);
        const QString text = p.prompts.messages.first().text;
        QCOMPARE(text, QStringLiteral("The board stopped answering during Save Config.: %1 of %2 "
                                      "commands were sent.")
                           .arg(p.written)
                           .arg(p.ended->total));
        // Nothing more goes out once the save has ended.
        p.boardReceived(p.written);
    }

    // An "Update" button or "Read Config." pressed while the save waits sends nothing and says
    // why; the save goes on to its end, alone on the wire.
    void commandsDuringASaveAreRefused_data() {
        linkAndMomentColumns();
        QTest::addColumn<QString>("button");
        for (Link link : kLinks)
            for (Moment moment : kMoments)
                for (const char* button : {"URes1", "BitBtn1"})
                    row(link, moment, button) << button;
    }

    void commandsDuringASaveAreRefused() {
        QFETCH(Link, link);
        QFETCH(Moment, moment);
        QFETCH(QString, button);
        Program p(link, moment);
        int writtenBefore = -1, writtenAfter = -1;
        QString busy;
        p.during(moment, [&] {
            writtenBefore = p.written;
            p.button(button)->click();
            writtenAfter = p.written;
            busy = p.status();
        });
        p.save();
        QVERIFY(writtenBefore >= 2);
        QCOMPARE(writtenAfter, writtenBefore);
        QCOMPARE(busy, QStringLiteral("Busy: Save Config. is running"));
        QVERIFY(p.ended);
        // A board late once does not end the save as if it had stopped answering.
        QCOMPARE(p.timedOut > 0, moment == Moment::AckWait);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Completed);
        QCOMPARE(p.ended->sent, p.ended->total);
        QCOMPARE(p.written, p.ended->total);
        p.boardReceived(p.ended->total);
        // The acknowledgement that came late is not claimed (the waits after steps that sent
        // nothing await no answer and are not counted).
        QCOMPARE(p.ended->unanswered, moment == Moment::AckWait ? 1 : 0);
        QCOMPARE(p.status(), moment == Moment::AckWait
                                 ? QStringLiteral("Configuration sent, but the board did not "
                                                  "acknowledge 1 of %1 commands")
                                       .arg(p.ended->total)
                                 : QStringLiteral("Configuration sent to the board"));
        QCOMPARE(p.prompts.messages.size(), 0);
    }

    // Esc does what the "Cancel" button does: the save ends where it was and says how far it got.
    void escAndCancelEndTheSave_data() {
        linkAndMomentColumns();
        QTest::addColumn<bool>("esc");
        for (Link link : kLinks)
            for (Moment moment : kMoments) {
                row(link, moment, "Esc") << true;
                row(link, moment, "Cancel") << false;
            }
    }

    void escAndCancelEndTheSave() {
        QFETCH(Link, link);
        QFETCH(Moment, moment);
        QFETCH(bool, esc);
        Program p(link, moment);
        p.f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.f));
        int writtenAtCancel = -1;
        p.during(moment, [&] {
            writtenAtCancel = p.written;
            if (esc)
                QTest::keyClick(p.f, Qt::Key_Escape);
            else
                p.cancel()->click();
        });
        p.save();
        QVERIFY(writtenAtCancel >= 2);
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Cancelled);
        QVERIFY(p.ended->total > writtenAtCancel);
        QCOMPARE(p.status(), QStringLiteral("Save Config. cancelled after %1 of %2 commands")
                                 .arg(writtenAtCancel)
                                 .arg(p.ended->total));
        p.boardReceived(writtenAtCancel);
        QCOMPARE(p.written, writtenAtCancel);
        QVERIFY(p.cancel()->isHidden());
        QCOMPARE(p.prompts.messages.size(), 0);
    }

    // The adapter is pulled while the save pauses, while it waits for an acknowledgement, or
    // between a write and its delivery: one message, which names the port, the save and the
    // reason and counts only the commands that went out; nothing after it.
    void serialPortLostDuringASave_data() {
        QTest::addColumn<Moment>("moment");
        QTest::addColumn<bool>("onWrite");
        QTest::newRow("in a pause") << Moment::Pause << false;
        QTest::newRow("in an acknowledgement wait") << Moment::AckWait << false;
        QTest::newRow("on a write") << Moment::Pause << true;
    }

    void serialPortLostDuringASave() {
        QFETCH(Moment, moment);
        QFETCH(bool, onWrite);
        Program p(Link::Serial, moment);
        bool pulled = false;
        if (onWrite) {
            // The third frame is handed to the port, which writes it to the device only when
            // flushed: the device is gone by then.
            QObject::connect(&p.f->link, &BoardLink::traffic, p.f, [&](const LinkTraffic& e) {
                if (!pulled && e.direction == LinkTraffic::Direction::Sent && p.written == 3) {
                    pulled = true;
                    p.pty->unplug();
                }
            });
        } else {
            p.during(moment, [&] {
                pulled = true;
                p.pty->unplug();
            });
        }
        QStringList lost;
        QObject::connect(&p.f->link, &BoardLink::serialLost, p.f,
                         [&](const QString& reason) { lost << reason; });
        const QString port = p.pty->slavePath();

        p.save();
        QVERIFY(pulled);
        const int writtenAtEnd = p.written;
        runEventLoop(500); // many of the save's pauses and acknowledgement waits
        QCOMPARE(p.written, writtenAtEnd);
        QCOMPARE(lost.size(), 1);
        QVERIFY(!lost[0].isEmpty());
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::SerialLost);
        // The frame whose write failed did not go out.
        const int sent = onWrite ? p.written - 1 : p.written;
        const QString text =
            QStringLiteral("The serial port %1 was lost during Save Config. (%2): %3 of %4 "
                           "commands were sent.")
                .arg(port, lost[0])
                .arg(sent)
                .arg(p.ended->total);
        QCOMPARE(p.prompts.texts(), QStringList{text});
        QCOMPARE(p.prompts.questions.size(), 1); // the save's own, before it began
        QCOMPARE(p.status(), text);
        QVERIFY(!p.f->ComPort1->isOpen());
    }

    // While the save runs, the controls whose change would send a command or re-aim the link are
    // disabled: "FEC" clicked during the save stays as the board has it, and nothing but the save
    // reaches the board. Afterwards they are usable again.
    void controlsKeepTheirStateDuringASave_data() {
        linkAndMomentColumns();
        for (Link link : kLinks)
            for (Moment moment : kMoments)
                row(link, moment);
    }

    void controlsKeepTheirStateDuringASave() {
        QFETCH(Link, link);
        QFETCH(Moment, moment);
        Program p(link, moment);
        const QStringList boxes = {"RS232Check", "UDPCheck", "CEFEC",  "ERRFEC", "AutoDetect",
                                   "FixCheck",   "MovCheck", "UDPRSB", "PARTP",  "Rec1"};
        const QStringList actions = {"Connect1", "Configuration1", "ClearUIB"};
        QStringList enabledDuring;
        bool clicked = false;
        p.during(moment, [&] {
            for (const QString& name : boxes)
                if (child<QWidget>(p.f, name)->isEnabled())
                    enabledDuring << name;
            for (const QString& name : actions)
                if (child<QAction>(p.f, name)->isEnabled())
                    enabledDuring << name;
            QTest::mouseClick(child<QCheckBox>(p.f, "CEFEC"), Qt::LeftButton);
            child<QAction>(p.f, "ClearUIB")->trigger();
            clicked = true;
        });
        p.save();
        QVERIFY(clicked);
        QCOMPARE(enabledDuring, QStringList());
        QVERIFY(!child<QCheckBox>(p.f, "CEFEC")->isChecked());
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Completed);
        QCOMPARE(p.written, p.ended->total);
        p.boardReceived(p.ended->total);
        for (const QString& name : boxes)
            QVERIFY2(child<QWidget>(p.f, name)->isEnabled(), qPrintable(name));
        for (const QString& name : actions)
            QVERIFY2(child<QAction>(p.f, name)->isEnabled(), qPrintable(name));
        // Usable again: the operator's click on "IAD" now goes to the board.
        QTest::mouseClick(child<QCheckBox>(p.f, "AutoDetect"), Qt::LeftButton);
        QVERIFY(child<QCheckBox>(p.f, "AutoDetect")->isChecked());
        p.boardReceived(p.ended->total + 1);
        QCOMPARE(p.frames().last(), QByteArray("A503731"));
    }

    // The save's result stays in the status bar while the operator opens menus and moves over
    // their items (which have no status tips: each sends an empty one); a tip with text is shown
    // while it lasts, and a note shown for a while, then the result again.
    void resultStaysWhenAMenuOpens() {
        Program p(Link::Udp, Moment::Pause);
        p.save();
        const QString result = QStringLiteral("Configuration sent to the board");
        QCOMPARE(p.status(), result);
        QMenuBar* bar = p.f->menuBar();
        for (QMenu* menu : bar->findChildren<QMenu*>()) {
            if (menu->parentWidget() != bar || menu->actions().isEmpty())
                continue;
            menu->popup(p.f->mapToGlobal(QPoint(0, 0)));
            QTRY_VERIFY(menu->isVisible());
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    QTest::mouseMove(menu, menu->actionGeometry(action).center());
            menu->hide();
            QCOMPARE(p.status(), result);
        }
        QStatusTipEvent empty{QString()};
        QCoreApplication::sendEvent(bar, &empty);
        QCOMPARE(p.status(), result);
        QStatusTipEvent tip(QStringLiteral("Opens the link"));
        QCoreApplication::sendEvent(bar, &tip);
        QCOMPARE(p.status(), QStringLiteral("Opens the link"));
        QCoreApplication::sendEvent(bar, &empty);
        QCOMPARE(p.status(), result);
        p.f->statusBar()->showMessage(QStringLiteral("Busy: Save Config. is running"), 20);
        QTRY_COMPARE(p.status(), result);
    }

    // "Exit" during a save asks whether to stop it and quit; "No" (the default) keeps the save
    // and the window.
    void exitDuringASaveAsksFirst() {
        Program p(Link::Udp, Moment::Pause);
        p.prompts.answers = {true, false}; // the save goes ahead; the exit does not
        p.during(Moment::Pause, [&] { child<QAction>(p.f, "Exit1")->trigger(); });
        p.save();
        QCOMPARE(p.prompts.questions.size(), 2);
        QCOMPARE(p.prompts.questions[1].text,
                 QStringLiteral("Save Config. is running.\n\nStop it and quit?"));
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Completed);
        QCOMPARE(p.written, p.ended->total);
        runEventLoop(50);
        QVERIFY(p.f->isVisible());
    }

    // Closing the main window during a save ends the save first; the window then closes and the
    // program's event loop ends, without a word and without another command.
    void closingTheWindowEndsTheSave_data() {
        linkAndMomentColumns();
        for (Link link : kLinks)
            for (Moment moment : kMoments)
                row(link, moment);
    }

    void closingTheWindowEndsTheSave() {
        QFETCH(Link, link);
        QFETCH(Moment, moment);
        Program p(link, moment);
        int writtenAtClose = -1;
        p.during(moment, [&] {
            writtenAtClose = p.written;
            p.f->close();
        });
        // The save starts from the program's own event loop, as from a click.
        p.saveLater();
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(20000);
        QCOMPARE(QCoreApplication::exec(), 0);
        stuck.stop();
        QVERIFY(writtenAtClose >= 2);
        QVERIFY(p.ended);
        QCOMPARE(p.ended->end, BoardLink::SequenceEnd::Cancelled);
        QVERIFY(!p.f->isVisible());
        runEventLoop(100);
        QCOMPARE(p.written, writtenAtClose);
        p.boardReceived(writtenAtClose);
        QCOMPARE(p.prompts.messages.size(), 0);
    }
};

QTEST_MAIN(SequenceTest)
#include "sequence_test.moc"
