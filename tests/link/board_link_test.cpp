// The board link on its own, with no window: a pseudo-terminal and a UDP peer on 127.0.0.1 stand
// where the board would. This program links no Qt Widgets.
#include "core/frames.h"
#include "link/board_link.h"
#include "link/board_search.h"
#include "platform/pacing.h"
#include "support/acking_pty.h"
#include "support/links.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

namespace rp = corvane::replies;
using corvane::steps::Step;
using Kind = rp::Effect::Kind;

namespace {

// Everything the link reports, in order.
struct Reports {
    std::vector<rp::Effect> effects;
    struct Entry {
        LinkTraffic::Direction direction;
        std::string text;
    };
    std::vector<Entry> traffic;
    QStringList lost;
    int refused = 0;
    int timeouts = 0;

    explicit Reports(BoardLink& link) {
        QObject::connect(&link, &BoardLink::effect,
                         [this](const rp::Effect& e) { effects.push_back(e); });
        QObject::connect(&link, &BoardLink::traffic, [this](const LinkTraffic& t) {
            traffic.push_back({t.direction, std::string(t.text)});
        });
        QObject::connect(&link, &BoardLink::serialLost, [this](const QString& r) { lost << r; });
        QObject::connect(&link, &BoardLink::sendRefused, [this] { ++refused; });
        QObject::connect(&link, &BoardLink::ackTimedOut, [this] { ++timeouts; });
    }
    int count(Kind kind) const {
        return int(std::count_if(effects.begin(), effects.end(),
                                 [kind](const rp::Effect& e) { return e.kind == kind; }));
    }
    // "sent:A50224<CR> received:55" for the traffic so far.
    QString wire() const {
        QStringList rows;
        for (const Entry& t : traffic) {
            const char* d = t.direction == LinkTraffic::Direction::Sent       ? "sent"
                            : t.direction == LinkTraffic::Direction::Received ? "received"
                                                                              : "timeout";
            rows << QStringLiteral("%1:%2").arg(
                d,
                QString::fromLatin1(t.text.data(), qsizetype(t.text.size())).replace('\r', "<CR>"));
        }
        return rows.join(' ');
    }
};

// A link on the serial line of a pseudo-terminal board (`Board`: a PtyPair, an AckingPty or a
// PtyResponder), with every report it makes. open() opens the port and ticks it.
template <class Board> struct SerialLinkOnPty {
    Board pty;
    BoardLink link;
    Reports reports{link};
    QString error;

    template <class... Args>
    explicit SerialLinkOnPty(Args&&... args) : pty(std::forward<Args>(args)...) {
        link.serial->setPortName(pty.slavePath());
    }
    bool open() {
        if (!link.openSerial(&error))
            return false;
        link.setInterface(BoardLink::Interface::Serial);
        return true;
    }
};

corvane::settings::UdpEndpoint endpointTo(quint16 port) {
    corvane::settings::UdpEndpoint e;
    e.myIp = "127.0.0.1";
    e.boardIp = "127.0.0.1";
    e.boardPort = port;
    return e;
}

} // namespace

class BoardLinkTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::pacing::setScale(0.05); }
    void cleanup() { platform::pacing::setScale(1.0); }

    // A frame goes to the ticked interface only; with none ticked, or the ticked one not open, it
    // is refused, reported once and not counted as sent; an acknowledgement seen before does not
    // outlive the refusal.
    void sendsOnTheTickedInterface() {
        SerialLinkOnPty<AckingPty> s;
        auto& [pty, link, reports, error] = s;
        QVERIFY2(link.openSerial(&error), qPrintable(error));

        link.ackReceived = true;
        QVERIFY(!link.send("A50224\r")); // no interface ticked: nothing leaves
        QCOMPARE(reports.refused, 1);
        QVERIFY(!link.ackReceived);
        link.setInterface(BoardLink::Interface::Udp); // UDP ticked, not connected
        link.ackReceived = true;
        QVERIFY(!link.send("A50224\r"));
        QCOMPARE(reports.refused, 2);
        QVERIFY(!link.ackReceived);
        link.setInterface(BoardLink::Interface::Serial);
        QVERIFY(link.send("A50224\r"));
        QTRY_COMPARE(pty.raw, QByteArray("A50224\r"));
        QCOMPARE(reports.wire(), QStringLiteral("sent:A50224<CR>"));
    }

    // A serial sequence: each wait ends with the board's acknowledgement, and the READY state
    // comes with it.
    void serialSequenceWaitsForEachAcknowledgement() {
        SerialLinkOnPty<AckingPty> s;
        auto& [pty, link, reports, error] = s;
        QVERIFY2(s.open(), qPrintable(error));

        QVERIFY(link.runSteps(
            {Step::send("A50224\r"), Step::wait(), Step::send("A50225\r"), Step::wait()}));
        QCOMPARE(pty.batches, QStringList({"A50224", "A50225"}));
        QVERIFY(link.ackReceived);
        QCOMPARE(reports.count(Kind::ShowReady), 2);
        QCOMPARE(reports.timeouts, 0);
    }

    // The UDP reply wait is the event loop: what falls due meanwhile runs at once (the window
    // answers), and a datagram that comes after an ICMP error (nobody on the board's port yet)
    // still ends the wait when it arrives, not at its timeout.
    void udpReplyWaitServesEventsAndOutlastsAnIcmpError() {
        const quint16 port = freeUdpPort();
        BoardLink link;
        QString error;
        QVERIFY2(link.connectUdp(endpointTo(port), 3000, &error), qPrintable(error));
        link.setInterface(BoardLink::Interface::Udp);
        std::unique_ptr<UdpPeer> board;
        QElapsedTimer clock;
        qint64 servedAt = -1;
        QTimer::singleShot(0, [&] { servedAt = clock.elapsed(); });
        QTimer::singleShot(300, [&] {
            board = std::make_unique<UdpPeer>(port);
            board->send("55", QHostAddress(QHostAddress::LocalHost), link.udp->localPort());
        });
        clock.start();
        QVERIFY(link.send("A50224\r"));
        const qint64 took = clock.elapsed();
        QVERIFY2(servedAt >= 0 && servedAt < 50, qPrintable(QString::number(servedAt)));
        QVERIFY2(took >= 250 && took < 1500, qPrintable(QString::number(took)));
        QVERIFY(link.ackReceived);
    }

    // A silent board: the wait ends when the acknowledgement timer runs out, reported once, with
    // a timeout row in the traffic.
    void silentBoardEndsTheWait() {
        SerialLinkOnPty<AckingPty> s;
        auto& [pty, link, reports, error] = s;
        pty.unanswered << "A50224";
        QVERIFY2(s.open(), qPrintable(error));

        QVERIFY(link.send("A50224\r"));
        QVERIFY(!link.waitForAck());
        QCOMPARE(reports.timeouts, 1);
        QVERIFY(!link.ackTimer->isActive());
        QCOMPARE(reports.wire(), QStringLiteral("sent:A50224<CR> timeout:"));
    }

    // A wait for a condition ends as soon as it holds (the acknowledgement comes by the event
    // loop), or false once its time is spent, or at once when the running sequence is cancelled.
    void waitUntilEndsOnTheConditionTheTimeOrACancel() {
        SerialLinkOnPty<AckingPty> s;
        BoardLink& link = s.link;
        QVERIFY2(s.open(), qPrintable(s.error));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(link.send("A50224\r"));
        QVERIFY(link.waitUntil([&link] { return link.ackReceived; }, 10000));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

        clock.restart();
        QVERIFY(!link.waitUntil([] { return false; }, 200));
        QVERIFY2(clock.elapsed() >= 200, qPrintable(QString::number(clock.elapsed())));

        const BoardLink::Sequence running(link, QStringLiteral("a test"), 1);
        QTimer::singleShot(50, &link, [&link] { link.cancelSequence(); });
        clock.restart();
        QVERIFY(!link.waitUntil([] { return false; }, 10000));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    // A configuration reply that arrives in pieces is decoded once, when its last piece is in;
    // the "55" inside its fields is no acknowledgement.
    void serialReplyInPieces() {
        SerialLinkOnPty<PtyPair> s;
        auto& [pty, link, reports, error] = s;
        QVERIFY2(s.open(), qPrintable(error));
        QVERIFY(link.send(corvane::frames::configRequest()));

        // The first field holds "55": no acknowledgement while the reply is still arriving.
        const QByteArray reply = "A3060"
                                 "08"
                                 "55$" +
                                 QByteArray(49, '$') + "1";
        for (const QByteArray& piece : {reply.left(9), reply.mid(9, 20), reply.mid(29)}) {
            pty.write(piece);
            QTRY_VERIFY(!reports.traffic.empty() &&
                        reports.traffic.back().text == piece.toStdString());
            if (piece != reply.mid(29)) {
                QCOMPARE(reports.count(Kind::DecodeConf), 0);
                QCOMPARE(reports.count(Kind::ShowReady), 0);
            }
        }
        QCOMPARE(reports.count(Kind::DecodeConf), 1);
        QCOMPARE(link.rxFrame, reply.chopped(1).toStdString());
        QVERIFY(link.rx.empty());
    }

    // Over UDP the reply is received and dispatched within the send. A reply that comes after its
    // wait has ended is dropped before the next command, not taken for that command's reply.
    void lateDatagramIsDropped() {
        UdpResponder board([](const QByteArray& frame) -> QByteArray {
            if (frame == "A50224") {
                QThread::msleep(150); // past the link's wait
                return "A7late textAA";
            }
            return "55";
        });
        BoardLink link;
        Reports reports(link);
        QString error;
        QVERIFY2(link.connectUdp(endpointTo(board.port()), 50, &error), qPrintable(error));
        link.setInterface(BoardLink::Interface::Udp);

        QVERIFY(link.send("A50224\r"));
        QVERIFY(!link.ackReceived);
        QCOMPARE(reports.count(Kind::ShowMessage), 0);
        QTRY_VERIFY(link.udp->hasPendingDatagrams()); // the late reply is waiting in the socket
        link.udpReceiveTimeout = 2000;
        QVERIFY(link.send("A50225\r"));
        QVERIFY(link.ackReceived);
        QCOMPARE(reports.count(Kind::ShowMessage), 0);
        QCOMPARE(reports.count(Kind::ShowReady), 1);
        QCOMPARE(board.frames(), QList<QByteArray>({"A50224", "A50225"}));
        QCOMPARE(reports.wire(), QStringLiteral("sent:A50224<CR> received:A7late textAA "
                                                "sent:A50225<CR> received:55"));
    }

    // A pulled adapter: the port closes and the loss is reported once, however often the serial
    // layer repeats its error; sending afterwards is refused.
    void serialLostOnce() {
        SerialLinkOnPty<PtyPair> s;
        auto& [pty, link, reports, error] = s;
        QVERIFY2(s.open(), qPrintable(error));
        pty.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!link.serialOpen(), 10000);
        QTest::qWait(100);
        QCOMPARE(reports.lost.size(), 1);
        QVERIFY(!link.send("A50224\r"));
        QCOMPARE(reports.refused, 1);
    }

    // A listener to the traffic going away: Qt tells the link while it holds the listener's lock,
    // and the locks are shared by address, so with a listener that shares the link's lock a link
    // asking Qt about its listeners then locked the thread against itself (the test hung). The
    // link still tells its traffic to whoever listens after that.
    void listenerLeavingDoesNotLockTheLink() {
        SerialLinkOnPty<AckingPty> s;
        BoardLink& link = s.link;
        QVERIFY2(s.open(), qPrintable(s.error));
        constexpr uint kLocks = 131; // how many signal-slot locks Qt shares out by address
        std::vector<std::unique_ptr<QObject>> tried;
        do
            tried.push_back(std::make_unique<QObject>());
        while (uint(quintptr(tried.back().get())) % kLocks != uint(quintptr(&link)) % kLocks);
        QObject::connect(&link, &BoardLink::traffic, tried.back().get(), [] {});
        tried.clear();

        int rows = 0;
        QObject listener;
        QObject::connect(&link, &BoardLink::traffic, &listener, [&rows] { ++rows; });
        QVERIFY(link.send("A50224\r"));
        QCOMPARE(rows, 1);
    }

    // The probes: the board's probe answer on either link.
    void probesFindTheBoard() {
        PtyResponder serialBoard([](const QByteArray&) { return QByteArray("B74D"); });
        UdpResponder udpBoard([](const QByteArray&) { return QByteArray("xxB74Dxx"); });
        BoardLink link;
        Reports reports(link);
        link.serial->setPortName(serialBoard.slavePath());
        QVERIFY(link.openSerial(nullptr));
        QVERIFY(link.probeSerial(200, 100));
        QVERIFY(link.replySeen);
        QVERIFY(link.connectUdp(endpointTo(udpBoard.port()), 2000, nullptr));
        QVERIFY(link.probeUdp());
        QCOMPARE(udpBoard.frames().size(), 1);
        QCOMPARE(udpBoard.frames()[0] + '\r', QByteArray::fromStdString(corvane::frames::probe()));

        UdpResponder silent([](const QByteArray&) { return QByteArray(); });
        QVERIFY(link.connectUdp(endpointTo(silent.port()), 50, nullptr));
        QVERIFY(!link.probeUdp());
    }

    // An address that does not parse is an error, never a silent bind to any address.
    void badLocalAddressIsAnError() {
        BoardLink link;
        auto endpoint = endpointTo(6767);
        endpoint.myIp = "300.1.1.1";
        QString error;
        QVERIFY(!link.connectUdp(endpoint, 100, &error));
        QCOMPARE(error, QStringLiteral("'300.1.1.1' is not a valid IP address for My IP"));
        QVERIFY(!link.udpConnected());
    }
};

QTEST_GUILESS_MAIN(BoardLinkTest)
#include "board_link_test.moc"
