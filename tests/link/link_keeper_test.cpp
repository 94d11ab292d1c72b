// Keeping the link with no window: the keep-alive, and reconnecting after a lost serial device or
// a board restart, against a pseudo-terminal and a UDP peer on 127.0.0.1. This program links no
// Qt Widgets.
#include "core/frames.h"
#include "link/board_link.h"
#include "link/link_keeper.h"
#include "platform/pacing.h"
#include "support/links.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <atomic>
#include <memory>
#include <optional>

using Interface = BoardLink::Interface;

namespace {

constexpr double kScale = 0.01;

// A board that answers the keep-alive, acknowledges every other command (after `commandDelayMs`)
// and answers the probe from its `answerFrom`-th one on (never when negative).
struct Board {
    explicit Board(int answerFrom, int commandDelayMs = 0)
        : answerFrom(answerFrom), commandDelayMs(commandDelayMs) {}
    const int answerFrom;
    const int commandDelayMs;
    std::atomic<int> probes{0};
    std::atomic<int> commands{0};
    std::atomic<int> keepAlives{0};
    QByteArray respond(const QByteArray& frame) {
        if (frame == "A50264") {
            const int n = ++probes;
            return answerFrom >= 0 && n >= answerFrom ? QByteArray("B74D") : QByteArray();
        }
        if (frame == "A50224") {
            ++keepAlives;
            return "22882B$01$%1";
        }
        ++commands;
        if (commandDelayMs > 0)
            QThread::msleep(static_cast<unsigned long>(commandDelayMs));
        return "55";
    }
};

corvane::settings::UdpEndpoint endpointTo(quint16 port) {
    corvane::settings::UdpEndpoint e;
    e.myIp = "127.0.0.1";
    e.boardIp = "127.0.0.1";
    e.boardPort = port;
    return e;
}

corvane::settings::SerialSettings serialAt(const QString& path) {
    corvane::settings::SerialSettings s;
    s.portName = path.toStdString();
    return s;
}

// A symbolic link that the keeper knows as its serial port, so that a device can go away and
// come back under the same name.
class PortLink {
public:
    PortLink() : path_(dir_.filePath("ttyUSB0")) {}
    void pointAt(const QString& device) {
        QFile::remove(path_);
        QVERIFY(QFile::link(device, path_));
    }
    void remove() { QFile::remove(path_); }
    QString path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace

class LinkKeeperTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::pacing::setScale(kScale); }
    void cleanup() { platform::pacing::setScale(1.0); }

    // How reconnecting ends, by link, by what lost it, by when the board answers again and by
    // what the operator does meanwhile.
    void reconnecting_data() {
        QTest::addColumn<QString>("link");    // serial, udp
        QTest::addColumn<QString>("lost");    // device (the serial device went away), restart
        QTest::addColumn<int>("answerFrom");  // the probe the board answers first; -1 never
        QTest::addColumn<QString>("act");     // none, untick, connect, sequence
        QTest::addColumn<QString>("outcome"); // reconnected, trying, gave up, stopped
        QTest::addColumn<int>("probes"); // probes the board saw (at least, when it answers); -1 any
        QTest::addColumn<bool>("open");  // the link is open at the end

        QTest::newRow("device back, board answers") << "serial"
                                                    << "device" << 1 << "none"
                                                    << "reconnected" << 1 << true;
        // A device that opens is not yet the board.
        QTest::newRow("device back, board silent") << "serial"
                                                   << "device" << -1 << "none"
                                                   << "trying" << -1 << true;
        QTest::newRow("device away, Connect ") << "serial"
                                               << "device" << 1 << "connect"
                                               << "stopped" << 0 << false;
        QTest::newRow("serial restart, answers at the 3rd probe") << "serial"
                                                                  << "restart" << 3 << "none"
                                                                  << "reconnected" << 3 << true;
        QTest::newRow("serial restart, never answers") << "serial"
                                                       << "restart" << -1 << "none"
                                                       << "gave up" << 60 << false;
        QTest::newRow("udp restart, answers at the 3rd probe") << "udp"
                                                               << "restart" << 3 << "none"
                                                               << "reconnected" << 3 << true;
        QTest::newRow("udp restart, never answers") << "udp"
                                                    << "restart" << -1 << "none"
                                                    << "gave up" << 60 << false;
        QTest::newRow("udp restart, option unticked") << "udp"
                                                      << "restart" << -1 << "untick"
                                                      << "stopped" << -1 << true;
        QTest::newRow("udp restart, Connect ") << "udp"
                                               << "restart" << -1 << "connect"
                                               << "stopped" << -1 << true;
        // Ticks during a sequence do nothing: no probe, and no giving up under it.
        QTest::newRow("udp restart, a sequence runs") << "udp"
                                                      << "restart" << -1 << "sequence"
                                                      << "gave up" << 60 << false;
        QTest::newRow("serial restart, a sequence runs") << "serial"
                                                         << "restart" << 2 << "sequence"
                                                         << "reconnected" << 2 << true;
    }
    void reconnecting() {
        QFETCH(QString, link);
        QFETCH(QString, lost);
        QFETCH(int, answerFrom);
        QFETCH(QString, act);
        QFETCH(QString, outcome);
        QFETCH(int, probes);
        QFETCH(bool, open);
        const bool serial = link == QLatin1String("serial");

        Board board(answerFrom);
        const Responder respond = [&board](const QByteArray& f) { return board.respond(f); };
        std::optional<PtyResponder> serialBoard;
        std::optional<UdpResponder> udpBoard;
        if (serial)
            serialBoard.emplace(respond);
        else
            udpBoard.emplace(respond);

        BoardLink boardLink;
        LinkKeeper keeper(boardLink);
        keeper.setReconnect(true);
        QString error;
        PortLink port;
        std::optional<PtyPair> away;
        if (lost == QLatin1String("device")) {
            away.emplace();
            port.pointAt(away->slavePath());
            QVERIFY2(keeper.openSerial(serialAt(port.path()), &error), qPrintable(error));
            port.remove();
            away->unplug();
            QTRY_VERIFY_WITH_TIMEOUT(keeper.reconnecting(), 5000);
            QVERIFY(keeper.status().startsWith("Reconnecting to " + port.path() + QChar(0x2026)));
            QTest::qWait(100); // tries that find nothing
            QVERIFY(!boardLink.serialOpen());
            if (act != QLatin1String("connect"))
                port.pointAt(serialBoard->slavePath());
        } else {
            const bool opened = serial
                                    ? keeper.openSerial(serialAt(serialBoard->slavePath()), &error)
                                    : keeper.openUdp(endpointTo(udpBoard->port()), &error);
            QVERIFY2(opened, qPrintable(error));
            keeper.afterRestart(serial, !serial);
            // What the window does after the restart command: the link closes.
            serial ? boardLink.closeSerial() : boardLink.closeUdp();
            QVERIFY(keeper.reconnecting());
            if (act != QLatin1String("none"))
                QTRY_VERIFY_WITH_TIMEOUT(board.probes >= 1, 5000);
        }

        if (act == QLatin1String("untick")) {
            keeper.setReconnect(false);
        } else if (act == QLatin1String("connect")) {
            const LinkKeeper::Toggle t = keeper.toggle(&error);
            if (lost == QLatin1String("device")) {
                QCOMPARE(t, LinkKeeper::Toggle::Failed);
                QVERIFY2(error.startsWith("Unable to open com port (Error: 2)"), qPrintable(error));
            } else {
                QCOMPARE(t, LinkKeeper::Toggle::Kept);
            }
        } else if (act == QLatin1String("sequence")) {
            const int before = board.probes;
            {
                BoardLink::Sequence sequence(boardLink, QStringLiteral("Save Config."), 1);
                QVERIFY(sequence);
                QTest::qWait(300); // 15 ticks of the reconnect timer fall due
                QCOMPARE(board.probes.load(), before);
                QVERIFY(serial ? boardLink.serialOpen() : boardLink.udpConnected());
            }
        }
        if (outcome == QLatin1String("trying") || outcome == QLatin1String("stopped")) {
            const int before = board.probes;
            QTest::qWait(300);
            if (outcome == QLatin1String("stopped"))
                QCOMPARE(board.probes.load(), before); // nothing more is tried
            else
                QVERIFY(board.probes >= before + 3);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!keeper.reconnecting(), 20000);
        }

        const QString target =
            serial ? (lost == QLatin1String("device") ? port.path() : serialBoard->slavePath())
                   : QStringLiteral("127.0.0.1");
        QCOMPARE(keeper.reconnecting(), outcome == QLatin1String("trying"));
        if (outcome == QLatin1String("reconnected"))
            QCOMPARE(keeper.status(), "Reconnected to " + target);
        else if (outcome == QLatin1String("gave up"))
            QCOMPARE(keeper.status(),
                     "Not reconnected to " + target + ": the board did not answer for 2 minutes");
        else if (outcome == QLatin1String("stopped"))
            QCOMPARE(keeper.status(), QString());
        // An answer read late (a busy machine) lets one more probe go out first.
        if (probes >= 0 && answerFrom >= 0)
            QVERIFY2(board.probes >= probes, qPrintable(QString::number(board.probes)));
        else if (probes >= 0)
            QCOMPARE(board.probes.load(), probes);
        QCOMPARE(keeper.linkOpen(), open);
        // An open link that nobody is reconnecting is kept alive, as after "Connect "; the UDP
        // reply wait is the normal one.
        QCOMPARE(keeper.keepAliveTimer->isActive(), open && outcome != QLatin1String("trying"));
        if (!serial && open)
            QCOMPARE(boardLink.udpReceiveTimeout, platform::pacing::interval(1000));
        QCOMPARE(board.commands.load(), 0); // only probes and keep-alives went out
        if (outcome == QLatin1String("trying") || !open)
            QCOMPARE(board.keepAlives.load(), 0);
    }

    // Reconnecting is off: a lost device and a restart leave the link closed, nothing is tried.
    void offTriesNothing() {
        Board board(1);
        UdpResponder udpBoard([&board](const QByteArray& f) { return board.respond(f); });
        BoardLink boardLink;
        LinkKeeper keeper(boardLink);
        QVERIFY(keeper.openUdp(endpointTo(udpBoard.port()), nullptr));
        keeper.afterRestart(false, true);
        boardLink.closeUdp();
        auto pty = std::make_unique<PtyPair>();
        QVERIFY(keeper.openSerial(serialAt(pty->slavePath()), nullptr));
        pty->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!boardLink.serialOpen(), 5000);
        QTest::qWait(200);
        QVERIFY(!keeper.reconnecting());
        QCOMPARE(keeper.status(), QString());
        QCOMPARE(board.probes.load(), 0);
    }

    // A command sent while the probes go on gets its own reply: the probe that falls due during
    // its wait goes out after it, never between the command and its reply.
    void probeNeverTakesACommandsReply() {
        // Each command's reply comes 150 ms after it, within the 150 ms a probe waits: a probe
        // sent during the command's wait would take that reply. The commands follow one another,
        // so the probe ticks (every 600 ms) fall due during their waits.
        platform::pacing::setScale(0.3);
        Board board(-1, 150);
        UdpResponder udpBoard([&board](const QByteArray& f) { return board.respond(f); });
        BoardLink boardLink;
        LinkKeeper keeper(boardLink);
        keeper.setReconnect(true);
        QVERIFY(keeper.openUdp(endpointTo(udpBoard.port()), nullptr));
        keeper.afterRestart(false, true);
        boardLink.closeUdp();
        QTRY_VERIFY_WITH_TIMEOUT(board.probes >= 1, 5000); // the link is open for the probes
        boardLink.udpReceiveTimeout = 1000;
        const int probesBefore = board.probes;
        for (int i = 0; i < 20; ++i) {
            boardLink.ackReceived = false;
            QVERIFY(boardLink.send(corvane::frames::configRequest()));
            QVERIFY2(boardLink.ackReceived, qPrintable(QString::number(i)));
            QTest::qWait(2); // a probe held during the wait goes out now
        }
        QCOMPARE(board.commands.load(), 20);
        QVERIFY(board.probes >= probesBefore + 2); // the probes went on between the commands
    }

    // The keep-alive: one still unanswered at the next tick is told once per tick; none goes out
    // while a sequence runs or no link is open.
    void keepAlive_data() {
        QTest::addColumn<bool>("answers");
        QTest::addColumn<bool>("sequence");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("missed");
        QTest::addColumn<bool>("sent");
        QTest::newRow("board answers") << true << false << true << false << true;
        QTest::newRow("board silent") << false << false << true << true << true;
        QTest::newRow("a sequence runs") << false << true << true << false << false;
        QTest::newRow("no link open") << false << false << false << false << false;
    }
    void keepAlive() {
        QFETCH(bool, answers);
        QFETCH(bool, sequence);
        QFETCH(bool, open);
        QFETCH(bool, missed);
        QFETCH(bool, sent);
        std::atomic<int> keepAlives{0};
        UdpResponder udpBoard([&](const QByteArray& f) {
            if (f == "A50224")
                ++keepAlives;
            return answers ? QByteArray("22882B$01$%1") : QByteArray();
        });
        BoardLink boardLink;
        LinkKeeper keeper(boardLink);
        int misses = 0;
        connect(&keeper, &LinkKeeper::keepAliveMissed, this, [&] { ++misses; });
        if (open)
            QVERIFY(keeper.openUdp(endpointTo(udpBoard.port()), nullptr));
        boardLink.udpReceiveTimeout = answers ? 1000 : 20;
        std::optional<BoardLink::Sequence> running;
        if (sequence)
            running.emplace(boardLink, QStringLiteral("Save Config."), 1);
        keeper.startKeepAlive();
        QCOMPARE(keeper.keepAliveTimer->interval(), platform::pacing::interval(5000));
        QTest::qWait(200); // about four ticks
        keeper.stopKeepAlive();
        QCOMPARE(misses > 0, missed);
        QCOMPARE(keepAlives > 0, sent);
        if (missed)
            QVERIFY(misses >= keepAlives - 1 && misses <= keepAlives);
    }
};

QTEST_GUILESS_MAIN(LinkKeeperTest)
#include "link_keeper_test.moc"
