// Board search, keep-alive and the acknowledgement wait, against stand-ins on a pseudo-terminal
// and on UDP, with time shrunk where the test is not about time itself.
#include "app/windows.h"
#include "core/frames.h"
#include "platform/pacing.h"
#include "support/links.h"
#include "support/program.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <chrono>
#include <thread>

namespace {

const QByteArray kProbe = "A50264";
const QByteArray kKeepAlive = "A50224";

// Answers the probe, and optionally everything else with an acknowledgement.
Responder board(bool acknowledge = true) {
    return [acknowledge](const QByteArray& frame) -> QByteArray {
        if (frame == kProbe)
            return "B74D";
        if (frame == kKeepAlive)
            return "228800$00$%1";
        return acknowledge ? QByteArray("55") : QByteArray();
    };
}
Responder silent() {
    return [](const QByteArray&) { return QByteArray(); };
}

struct Program : RunningProgram {
    explicit Program(double timeScale = 0.01) : RunningProgram(timeScale) {}
    QString panel5() const { return label("Panel5")->text(); }
    QLabel* conNot() const { return label("ConNot"); }
    QLabel* progress() const { return f->findChild<QLabel*>("SequenceProgress"); }
    QString status() const { return f->statusBar()->currentMessage(); }
};

// A board on a pseudo-terminal that answers the first command `delayMs` after receiving it,
// timed from its own thread (the program blocks while it waits).
class LateSerialBoard {
public:
    LateSerialBoard(int delayMs, QByteArray answer)
        : thread_([this, delayMs, answer] {
              // Long enough for a program held up on a loaded machine; the read ends with the
              // probe.
              const QByteArray got = pty_.read(15000, 7);
              if (got.size() < 7)
                  return;
              std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
              pty_.write(answer);
          }) {}
    ~LateSerialBoard() { thread_.join(); }
    QString path() const { return pty_.slavePath(); }

private:
    PtyPair pty_;
    std::thread thread_;
};

QStringList counting(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QStringLiteral("Please Wait Try  %1").arg(i);
    return list;
}

} // namespace

class DiscoveryTest : public QObject {
    Q_OBJECT
private slots:
    // Opening the "Test" menu only shows it: the link stays chosen and open, the keep-alive runs
    // and the board is still shown as answering. Choosing a search then does what opening it
    // once did, right before the search.
    void openingTheTestMenuChangesNothing_data() {
        QTest::addColumn<bool>("serial");
        QTest::newRow("serial") << true;
        QTest::newRow("udp") << false;
    }
    void openingTheTestMenuChangesNothing() {
        QFETCH(bool, serial);
        Program p;
        PtyResponder pty(board());
        UdpResponder udp(board());
        p.serialAt(pty.slavePath());
        p.udpAt(udp.port());
        QCheckBox* box = serial ? p.rs232() : p.udp();
        box->setChecked(true);
        p.f->Connect1Click();
        p.f->link.udpReceiveTimeout = 1000; // the stand-in answers from a thread of its own
        QTRY_COMPARE_WITH_TIMEOUT(p.conNot()->text(), QStringLiteral("Connected"), 10000);
        QVERIFY(p.f->Timer1->isActive());

        auto* menu = child<QMenu>(p.f, "Test");
        menu->popup(p.f->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseMove(menu, menu->actionGeometry(menu->actions().first()).center());
        runEventLoop(50);
        menu->hide();
        QVERIFY(box->isChecked());
        QVERIFY(serial ? p.f->ComPort1->isOpen() : p.f->udpActive());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.conNot()->text(), QStringLiteral("Connected"));
        QCOMPARE(p.label("Panel8")->text(), QStringLiteral("Client Connected"));

        // The search itself starts from a clean slate.
        p.f->estUDP1Click();
        QVERIFY(p.f->search.active);
        QCOMPARE(p.conNot()->text(), QStringLiteral("Not Connected"));
        QCOMPARE(p.label("Panel8")->text(), QString());
        p.waitForSearch();
        QVERIFY(p.udp()->isChecked());
        QCOMPARE(p.f->search.limit, 15);
    }

    void serialSearchFindsTheBoard() {
        Program p;
        PtyResponder pty(board());
        p.serialAt(pty.slavePath());
        p.f->estRS2321Click();
        QVERIFY(p.f->search.active);
        p.waitForSearch();
        QCOMPARE(p.panel5History, QStringList{"Board Found"});
        QVERIFY(p.rs232()->isChecked());
        QVERIFY(!p.udp()->isChecked());
        QVERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(!p.f->search.active);
        QCOMPARE(pty.frames(), QList<QByteArray>{kProbe});
        // A moment after the search is over the idle display empties the panel again.
        QElapsedTimer clock;
        clock.start();
        while (!p.panel5().isEmpty() && clock.elapsed() < 5000)
            runEventLoop(5);
        QCOMPARE(p.panel5(), QString());
    }

    void searchWithoutBoardGivesUp() {
        Program p;
        PtyResponder pty(silent());
        p.serialAt(pty.slavePath());
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, counting(1, 15) << "Error no Board Found ");
        QCOMPARE(pty.frames().size(), 16);
        QCOMPARE(p.f->search.tries, 0);
        QVERIFY(p.f->search.active);
        runEventLoop(20);
        QCOMPARE(p.panel5(), QStringLiteral("Error no Board Found "));
    }

    void burnSearchMakesEightyOneTicks() {
        Program p(0.002);
        PtyResponder pty(silent());
        p.serialAt(pty.slavePath());
        p.f->estBurn1Click();
        p.waitForSearch(60000);
        QCOMPARE(p.panel5History.size(), 81);
        QCOMPARE(p.panel5History.last(), QStringLiteral("Error no Board Found "));
    }

    void bothInterfacesAnsweringLeavesUdp() {
        Program p;
        PtyResponder pty(board());
        UdpResponder udp(board());
        p.serialAt(pty.slavePath());
        p.udpAt(udp.port());
        p.f->estBoth1Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, QStringList{"Board Found"});
        QVERIFY(p.udp()->isChecked());
        QVERIFY(!p.rs232()->isChecked());
        QVERIFY(!p.f->udpActive());
        QVERIFY(!p.f->ComPort1->isOpen());
        QCOMPARE(udp.frames(), QList<QByteArray>{kProbe});
    }

    void udpSearchWithSilentBoardCounts() {
        Program p;
        UdpResponder udp(silent());
        p.udpAt(udp.port());
        p.f->estUDP1Click();
        QTRY_VERIFY_WITH_TIMEOUT(p.panel5History.size() >= 2, 10000); // two ticks and their probes
        Timer2Stop(p);
        QCOMPARE(p.panel5History.mid(0, 2), counting(1, 2));
        QVERIFY(!p.udp()->isChecked());
    }

    void secondSearchCountsOn() {
        Program p;
        int probes = 0;
        // The board answers only its third probe.
        PtyResponder pty([&probes](const QByteArray& frame) {
            return frame == kProbe && ++probes == 3 ? QByteArray("B74D") : QByteArray();
        });
        p.serialAt(pty.slavePath());
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, counting(1, 2) << "Board Found");
        QCOMPARE(p.f->search.tries, 3);
        p.panel5History.clear();
        probes = 2;
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, QStringList{"Board Found"});
        QCOMPARE(p.f->search.tries, 4);
    }

    // The probe watches for a full second: an answer late in that second still counts.
    void lateProbeAnswerTicksRs232_data() {
        QTest::addColumn<int>("delay");
        for (int delay : {50, 500, 900, 970})
            QTest::addRow("%d ms", delay) << delay;
    }
    void lateProbeAnswerTicksRs232() {
        QFETCH(int, delay);
        Program p(1.0);
        LateSerialBoard board(delay, "B74D");
        p.serialAt(board.path());
        p.f->TestforConnectionRS232();
        QVERIFY(p.rs232()->isChecked());
        QVERIFY(!p.f->ComPort1->isOpen());
    }

    // An acknowledgement wait looks for the answer in steps of 200 ms: it ends at a step after
    // the answer has arrived, never before.
    void ackWaitEndsAtTheStepAfterTheAnswer_data() {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("endsAfter");
        QTest::newRow("answer in the first step") << 50 << 200;
        QTest::newRow("answer in the second step") << 250 << 400;
    }
    void ackWaitEndsAtTheStepAfterTheAnswer() {
        QFETCH(int, delay);
        QFETCH(int, endsAfter);
        Program p(1.0);
        LateSerialBoard board(delay, "55");
        p.serialAt(board.path());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::openRead());
        p.f->WaitforAck();
        const qint64 took = clock.elapsed();
        QVERIFY(p.f->AckReceived);
        QVERIFY2(took >= endsAfter, qPrintable(QString::number(took)));
        QCOMPARE(child<QLabel>(p.f, "Panel9")->text(), QString());
    }

    // Reply frames every 3 s (scaled) re-enable the running keep-alive without delaying it.
    void keepAliveKeepsItsIntervalWhileFramesArrive() {
        Program p(0.1); // keep-alive every 500 ms, a frame every 300 ms
        PtyPair pty;
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->Timer1->isActive());
        QTimer frames;
        QObject::connect(&frames, &QTimer::timeout, [&] { pty.write("A301009abc"); });
        frames.start(300);
        // A keep-alive that each frame restarted would never fall due.
        QByteArray sent;
        QTRY_VERIFY2_WITH_TIMEOUT((sent += pty.read(1)).count(QByteArray(kKeepAlive) + '\r') >= 3,
                                  sent.constData(), 10000);
        frames.stop();
    }

    // Choosing a "Test" item while a search runs leaves the next tick where it was.
    void choosingATestItemDuringASearchKeepsTheTick() {
        Program p(1.0);
        p.serialAt("/dev/ttyCORVANE-none");
        p.f->estRS2321Click();
        runEventLoop(1000);
        const int before = p.f->Timer2->remainingTime();
        QVERIFY(before <= 3500);
        p.f->estUDP1Click();
        QVERIFY(p.f->Timer2->isActive());
        QVERIFY2(p.f->Timer2->remainingTime() <= before,
                 qPrintable(QString::number(p.f->Timer2->remainingTime())));
        p.f->link.cancelSequence();
    }

    void searchThatCannotOpenThePortStillEnds() {
        Program p;
        p.serialAt("/dev/ttyCORVANE-none");
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History.last(), QStringLiteral("Error no Board Found "));
        QCOMPARE(p.prompts.messages.size(), 16);
    }

    void keepAliveAnsweredAndUnanswered() {
        Program p;
        bool answering = true;
        UdpResponder udp([&answering](const QByteArray& frame) {
            return answering && frame == kKeepAlive ? QByteArray("228800$00$%1") : QByteArray();
        });
        p.udpAt(udp.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->Timer1->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(p.conNot()->text(), QStringLiteral("Connected"), 10000);
        QCOMPARE(p.conNot()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!p.f->KeepAlivePending);
        answering = false;
        QTRY_COMPARE_WITH_TIMEOUT(p.conNot()->text(), QStringLiteral("Not Connected"), 10000);
        QCOMPARE(p.conNot()->palette().color(QPalette::WindowText), QColor(Qt::black));
        // Stopping the keep-alive leaves the last text standing.
        p.f->StopKeepAlive1Click();
        QVERIFY(!p.f->Timer1->isActive());
        const int sent = udp.frames().size();
        QTest::qWait(200);
        QCOMPARE(udp.frames().size(), sent);
    }

    void ackWaitEndsAtOnceOverUdp() {
        Program p(1.0);
        UdpResponder udp(board());
        p.udpAt(udp.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        // The answer is dispatched inside the send, so the wait has nothing left to wait for.
        p.f->CWriteStr(corvane::frames::openRead());
        QVERIFY(p.f->AckReceived);
        p.f->WaitforAck();
        QVERIFY(!p.f->Timer3->isActive());
        QCOMPARE(child<QLabel>(p.f, "Panel9")->text(), QString());
        QVERIFY(child<QLabel>(p.f, "RDS")->isVisible());
    }

    void ackWaitTimesOutOnSilentSerialLine() {
        Program p(1.0);
        PtyResponder pty(silent());
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        p.f->CWriteStr(corvane::frames::openRead());
        QElapsedTimer clock;
        clock.start();
        p.f->WaitforAck();
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 6000, qPrintable(QString::number(took)));
        QCOMPARE(child<QLabel>(p.f, "Panel9")->text(), QStringLiteral("Error Ack. from Board"));
        QVERIFY(!p.f->Timer3->isActive());
    }

    // A search holds the link like any sequence: it shows its tries, other commands are refused
    // while it runs, and Cancel or Esc end it at once, during a probe as between two ticks.
    void searchShowsItsTriesAndCanBeCancelled_data() {
        QTest::addColumn<bool>("overUdp");
        QTest::addColumn<bool>("withEsc");
        QTest::addColumn<int>("actAfter");
        QTest::newRow("UDP, Cancel during a probe") << true << false << 600;
        QTest::newRow("RS232, Esc between two ticks") << false << true << 150;
    }
    void searchShowsItsTriesAndCanBeCancelled() {
        QFETCH(bool, overUdp);
        QFETCH(bool, withEsc);
        QFETCH(int, actAfter);
        Program p(0.1); // a tick every 400 ms; a UDP probe waits 1 s for its answer
        UdpResponder udp(silent());
        PtyResponder pty(silent());
        p.udpAt(udp.port());
        p.serialAt(pty.slavePath());
        const auto probes = [&] { return int((overUdp ? udp.frames() : pty.frames()).size()); };
        overUdp ? p.f->estUDP1Click() : p.f->estRS2321Click();
        QCOMPARE(p.progress()->text(), QStringLiteral("Board search: 0 of 16"));
        QTRY_COMPARE_WITH_TIMEOUT(p.progress()->text(), QStringLiteral("Board search: 1 of 16"),
                                  10000);
        QString busy;
        int probesBefore = -1, probesAfter = -1;
        bool endedAtOnce = false;
        QTimer::singleShot(actAfter, p.f, [&] {
            probesBefore = probes();
            child<QPushButton>(p.f, "BitBtn1")->click(); // "Read Config."
            busy = p.status();
            probesAfter = probes();
            if (withEsc) {
                p.f->activateWindow();
                QTest::keyClick(p.f, Qt::Key_Escape);
            } else {
                child<QPushButton>(p.f, "SequenceCancel")->click();
            }
            endedAtOnce = !p.f->Timer2->isActive();
        });
        QTRY_VERIFY_WITH_TIMEOUT(probesAfter >= 0 && !p.f->Timer2->isActive(), 10000);
        QCOMPARE(busy, QStringLiteral("Busy: Board search is running"));
        QCOMPARE(probesAfter, probesBefore);
        QCOMPARE(endedAtOnce, !overUdp); // between ticks at once; a probe first unwinds
        QVERIFY(p.progress()->isHidden());
        const QRegularExpressionMatch m =
            QRegularExpression("^Board search cancelled after (\\d+) of 16 tries$")
                .match(p.status());
        QVERIFY2(m.hasMatch(), qPrintable(p.status()));
        QCOMPARE(m.captured(1).toInt(), probes());
        QTest::qWait(1000); // two ticks' time: nothing more is probed
        QCOMPARE(m.captured(1).toInt(), probes());
        QVERIFY(!p.f->link.sequenceRunning());
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // A search asked for during another sequence is refused and opens, clears and probes nothing.
    void searchDuringAReadIsRefused() {
        Program p;
        UdpResponder udp(silent());
        PtyResponder pty(board());
        p.udpAt(udp.port());
        p.serialAt(pty.slavePath());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        QString busy;
        bool searching = true;
        QTimer::singleShot(50, p.f, [&] {
            p.f->estRS2321Click();
            busy = p.status();
            searching = p.f->Timer2->isActive();
            p.f->link.cancelSequence();
        });
        child<QPushButton>(p.f, "BitBtn1")->click(); // "Read Config." to a silent board
        QCOMPARE(busy, QStringLiteral("Busy: Read Config. is running"));
        QVERIFY(!searching);
        QVERIFY(p.udp()->isChecked());
        QTest::qWait(200);
        QVERIFY(pty.frames().isEmpty());
    }

private:
    static void Timer2Stop(Program& p) { p.f->link.cancelSequence(); }
};

QTEST_MAIN(DiscoveryTest)
#include "discovery_test.moc"
