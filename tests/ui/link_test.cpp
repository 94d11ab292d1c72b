// The serial and UDP links of the main window, with real transports: a pseudo-terminal and a UDP
// peer on 127.0.0.1.
#include "app/windows.h"
#include "core/frames.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

struct Program : RunningProgram {
    Program() {
        QVERIFY(f->Timer1->isActive()); // the keep-alive runs from the start...
        f->Timer1->stop();              // ...and is stopped here to see who starts it again
    }
    QString panel4() const {
        runEventLoop(5);
        return child<QLabel>(f, "Panel4")->text();
    }
    bool readyShown() const { return child<QLabel>(f, "RDS")->isVisible(); }
    void useSerial(const QString& path) {
        serialAt(path);
        rs232()->setChecked(true);
    }
    // Connects UDP to the peer; the program's own port is chosen by the system.
    void connectUdp(const UdpPeer& peer) {
        udpAt(peer.port());
        udp()->setChecked(true);
        f->Connect1Click();
    }
};

} // namespace

class LinkTest : public QObject {
    Q_OBJECT
private slots:
    void interfaceBoxesExcludeEachOther() {
        Program p;
        p.rs232()->setChecked(true);
        p.udp()->setChecked(true);
        QVERIFY(!p.rs232()->isChecked());
        QVERIFY(p.udp()->isChecked());
        p.rs232()->click();
        QVERIFY(p.rs232()->isChecked());
        QVERIFY(!p.udp()->isChecked());
        p.rs232()->click(); // unticking touches nothing else
        QVERIFY(!p.rs232()->isChecked());
        QVERIFY(!p.udp()->isChecked());
    }

    void sendWithoutConnectionIsRefused() {
        Program p;
        // Neither box ticked: nothing happens at all.
        p.f->CWriteStr(corvane::frames::keepAlive());
        QVERIFY(p.prompts.messages.isEmpty());
        for (QCheckBox* box : {p.udp(), p.rs232()}) {
            p.prompts.messages.clear();
            box->setChecked(true);
            p.f->Timer1->start();
            p.f->CWriteStr(corvane::frames::keepAlive());
            QCOMPARE(p.prompts.messages.size(), 1);
            QCOMPARE(p.prompts.messages[0].text, QStringLiteral("Please Connect First !! "));
            QCOMPARE(p.prompts.messages[0].title, QStringLiteral("Connection needed"));
            QVERIFY(!p.f->Timer1->isActive());
        }
    }

    void serialConnectSendAndClose() {
        Program p;
        PtyPair pty;
        p.useSerial(pty.slavePath());
        QCOMPARE(p.panel4(), QStringLiteral("Not Connected"));
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.panel4(),
                 QStringLiteral("RS232 Connected to :") + pty.slavePath() + "  115200,8,N,1");

        // Frames arrive byte for byte, the code-0 characters of an RTP destination included.
        const std::string rtp = corvane::frames::rtpDestination(
            corvane::frames::Stream::S11, corvane::frames::RtpSession::Multicast, "5004",
            "239.0.0.1", "10.0.0.7");
        QVERIFY(rtp.find('\0') != std::string::npos);
        p.f->AckReceived = true;
        p.f->CWriteStr(corvane::frames::keepAlive());
        p.f->CWriteStr(rtp);
        QCOMPARE(pty.read(2000, 7 + int(rtp.size())), bytes(corvane::frames::keepAlive() + rtp));
        QVERIFY(!p.readyShown());
        QVERIFY(!p.f->AckReceived);

        // Received characters are appended to the receive buffer.
        pty.write("XY");
        QTRY_COMPARE(p.f->RxBuffer.str(), std::string("XY"));

        p.f->StreamingOn = true;
        p.f->Connect1Click();
        QVERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(!p.f->Timer1->isActive());
        QVERIFY(!p.f->StreamingOn);
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Not Connected"));
        QCOMPARE(p.panel4(), QStringLiteral("Not Connected"));
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void serialStatusLineShowsTheSettings() {
        Program p;
        PtyPair pty;
        p.useSerial(pty.slavePath());
        auto s = p.f->ComSettings;
        s.baudRate = corvane::settings::BaudRate::B9600;
        s.dataBits = corvane::settings::DataBits::Seven;
        s.parity = corvane::settings::Parity::Even;
        s.stopBits = corvane::settings::StopBits::Two;
        p.f->applySerialSettings(s);
        p.f->Connect1Click();
        QCOMPARE(p.panel4(),
                 QStringLiteral("RS232 Connected to :") + pty.slavePath() + "  9600,7,E,2");
        s.baudRate = corvane::settings::BaudRate::B256000;
        p.f->applySerialSettings(s);
        QCOMPARE(p.panel4(),
                 QStringLiteral("RS232 Connected to :") + pty.slavePath() + "  256000,7,E,2");
    }

    void newPortNameMovesAnOpenConnection() {
        Program p;
        PtyPair first, second;
        p.useSerial(first.slavePath());
        p.f->Connect1Click();
        auto s = p.f->ComSettings;
        s.portName = second.slavePath().toStdString();
        p.f->applySerialSettings(s);
        QVERIFY(p.f->ComPort1->isOpen());
        p.f->CWriteStr(corvane::frames::probe());
        QCOMPARE(second.read(2000, 7), bytes(corvane::frames::probe()));
        QCOMPARE(first.read(100), QByteArray());
    }

    void serialOpenFailureIsExplained() {
        Program p;
        p.useSerial("/dev/ttyCORVANE-none");
        p.f->Connect1Click();
        QVERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY2(p.prompts.messages[0].text.startsWith("Unable to open com port (Error: 2)"),
                 qPrintable(p.prompts.messages[0].text));
    }

    void portHeldByAnotherProgramIsSaid() {
        Program p;
        PtyPair pty;
        QSerialPort other(pty.slavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        p.useSerial(pty.slavePath());
        p.f->Connect1Click();
        QVERIFY(!p.f->ComPort1->isOpen());
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY2(p.prompts.messages[0].text.contains("in use by another program"),
                 qPrintable(p.prompts.messages[0].text));
    }

    void unpluggedDeviceIsReportedOnce() {
        Program p;
        auto pty = std::make_unique<PtyPair>();
        p.useSerial(pty->slavePath());
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        pty->unplug();
        runEventLoop(300);
        QVERIFY(!p.f->ComPort1->isOpen());
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Not Connected"));
        QCOMPARE(p.panel4(), QStringLiteral("Not Connected"));
    }

    void udpConnectSendAndClose() {
        Program p;
        UdpPeer board;
        p.connectUdp(board);
        QVERIFY(p.f->udpActive());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.panel4(), QStringLiteral("UDP Connected"));

        // The reply is already waiting, so the send path takes it at once.
        const quint16 programPort = p.f->Uc->localPort();
        board.send("55", QHostAddress::LocalHost, programPort);
        QTest::qWait(20);
        p.f->AckReceived = false;
        const std::string frame = corvane::frames::staticIp("192.168.0.245").bytes;
        p.f->CWriteStr(frame);
        QByteArray got;
        QVERIFY(board.receive(&got, 1000));
        QCOMPARE(got, bytes(frame));
        QVERIFY(p.f->AckReceived); // the acknowledgement was dispatched before the send returned
        QVERIFY(p.readyShown());

        // An empty text still goes out as an empty datagram.
        p.f->UcReceiveTimeout = 50;
        p.f->CWriteStr(std::string());
        QVERIFY(board.receive(&got, 1000));
        QCOMPARE(got, QByteArray());

        p.f->Connect1Click();
        QVERIFY(!p.f->udpActive());
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(p.panel4(), QStringLiteral("Not Connected"));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void silentBoardTimesOutWithReadyHidden() {
        Program p;
        UdpPeer board;
        p.connectUdp(board);
        child<QLabel>(p.f, "RDS")->show();
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::keepAlive());
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 990 && took < 1500, qPrintable(QString::number(took)));
        QVERIFY(!p.readyShown());
        QCOMPARE(p.f->RxBuffer.str(), std::string());
    }

    void closedBoardPortStillWaitsForTheTimeout() {
        Program p;
        const quint16 nobody = freeUdpPort();
        p.w->Form2->PortL()->setText(QString::number(nobody));
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->udpActive());
        p.f->UcReceiveTimeout = 300;
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::keepAlive());
        p.f->CWriteStr(corvane::frames::keepAlive());
        QVERIFY2(clock.elapsed() >= 590, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void datagramFromAThirdAddressNeverArrives() {
        Program p;
        UdpPeer board;
        UdpPeer stranger(0, QStringLiteral("127.0.0.2"));
        p.connectUdp(board);
        const quint16 programPort = p.f->Uc->localPort();
        stranger.send("from a stranger", QHostAddress::LocalHost, programPort);
        board.send("from the board", QHostAddress::LocalHost, programPort);
        QTest::qWait(20);
        p.f->CWriteStr(corvane::frames::keepAlive());
        QCOMPARE(p.f->RxBuffer.str(), std::string("from the board"));
        p.f->UcReceiveTimeout = 100;
        p.f->CWriteStr(corvane::frames::keepAlive());
        QCOMPARE(p.f->RxBuffer.str(), std::string());
    }

    void badUdpSettingsAreReported_data() {
        QTest::addColumn<QString>("myIp");
        QTest::addColumn<QString>("sourcePort");
        QTest::addColumn<QString>("expected");
        QTest::newRow("address that is not one") << "999.1.1.1"
                                                 << "0"
                                                 << "999.1.1.1";
        QTest::newRow("port that is not a number") << "127.0.0.1"
                                                   << "80a"
                                                   << "'80a' is not a valid integer value";
        QTest::newRow("address not on this machine") << "192.0.2.1"
                                                     << "0"
                                                     << "";
    }
    void badUdpSettingsAreReported() {
        QFETCH(QString, myIp);
        QFETCH(QString, sourcePort);
        QFETCH(QString, expected);
        Program p;
        UdpPeer board;
        p.w->Form2->MyIPL()->setText(myIp);
        p.w->Form2->SPort()->setText(sourcePort);
        p.connectUdp(board);
        QVERIFY(!p.f->udpActive());
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY2(p.prompts.messages[0].text.contains(expected),
                 qPrintable(p.prompts.messages[0].text));
    }

    void emptyAddressBindsToAny() {
        Program p;
        UdpPeer board;
        p.w->Form2->MyIPL()->setText(QString());
        p.connectUdp(board);
        QVERIFY(p.f->udpActive());
        QVERIFY(p.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(LinkTest)
#include "link_test.moc"
