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
#include <QTest>

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
    void serialSearchFindsTheBoard() {
        Program p;
        PtyResponder pty(board());
        p.serialAt(pty.slavePath());
        p.f->TestClick();
        p.f->estRS2321Click();
        QVERIFY(p.f->SearchActive);
        p.waitForSearch();
        QCOMPARE(p.panel5History, QStringList{"Board Found"});
        QVERIFY(p.rs232()->isChecked());
        QVERIFY(!p.udp()->isChecked());
        QVERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(!p.f->SearchActive);
        QCOMPARE(pty.frames(), QList<QByteArray>{kProbe});
        // Once the search is over the idle display empties the panel again.
        runEventLoop(5);
        QCOMPARE(p.panel5(), QString());
    }

    void searchWithoutBoardGivesUp() {
        Program p;
        PtyResponder pty(silent());
        p.serialAt(pty.slavePath());
        p.f->TestClick();
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, counting(1, 15) << "Error no Board Found ");
        QCOMPARE(pty.frames().size(), 16);
        QCOMPARE(p.f->SearchTries, 0);
        QVERIFY(p.f->SearchActive);
        runEventLoop(20);
        QCOMPARE(p.panel5(), QStringLiteral("Error no Board Found "));
    }

    void burnSearchMakesEightyOneTicks() {
        Program p(0.002);
        PtyResponder pty(silent());
        p.serialAt(pty.slavePath());
        p.f->TestClick();
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
        p.f->TestClick();
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
        p.f->TestClick();
        p.f->estUDP1Click();
        runEventLoop(int(4000 * 0.01 * 2.5) + 100 /* two ticks and their probes */);
        Timer2Stop(p);
        QVERIFY(p.panel5History.size() >= 2);
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
        p.f->TestClick();
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, counting(1, 2) << "Board Found");
        QCOMPARE(p.f->SearchTries, 3);
        p.panel5History.clear();
        probes = 2;
        p.f->TestClick();
        p.f->estRS2321Click();
        p.waitForSearch();
        QCOMPARE(p.panel5History, QStringList{"Board Found"});
        QCOMPARE(p.f->SearchTries, 4);
    }

    void searchThatCannotOpenThePortStillEnds() {
        Program p;
        p.serialAt("/dev/ttyCORVANE-none");
        p.f->TestClick();
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
        QTRY_COMPARE_WITH_TIMEOUT(p.conNot()->text(), QStringLiteral("Connected"), 2000);
        QCOMPARE(p.conNot()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!p.f->KeepAlivePending);
        answering = false;
        QTRY_COMPARE_WITH_TIMEOUT(p.conNot()->text(), QStringLiteral("Not Connected"), 2000);
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
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::openRead());
        p.f->WaitforAck();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
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
        QVERIFY2(took >= 6000 && took <= 6200, qPrintable(QString::number(took)));
        QCOMPARE(child<QLabel>(p.f, "Panel9")->text(), QStringLiteral("Error Ack. from Board"));
        QVERIFY(!p.f->Timer3->isActive());
    }

private:
    static void Timer2Stop(Program& p) { p.f->Timer2->stop(); }
};

QTEST_MAIN(DiscoveryTest)
#include "discovery_test.moc"
