// The serial and UDP links of the main window, with real transports: a pseudo-terminal and a UDP
// peer on 127.0.0.1.
#include "app/windows.h"
#include "core/frames.h"
#include "support/bytes.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Calls back whenever the widget is painted.
class PaintSpy : public QObject {
public:
    PaintSpy(QWidget* widget, std::function<void()> painted) : painted_(std::move(painted)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_();
        return false;
    }

private:
    std::function<void()> painted_;
};

// A text the system gives for one of its error numbers ("Input/output error").
bool isSystemErrorText(const QString& text) {
    for (int code = 1; code < 200; ++code)
        if (text == qt_error_string(code))
            return true;
    return false;
}

// One datagram from 127.0.0.2 to the program's port on 127.0.0.1 (from any thread).
void sendFromStranger(const QByteArray& data, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7f000002);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0)
        ::sendto(fd, data.constData(), size_t(data.size()), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to);
    if (fd >= 0)
        ::close(fd);
}

struct Program : RunningProgram {
    // The whole status text: the panel may show it shortened, its tooltip holds all of it.
    QString panel4() const {
        runEventLoop(5);
        return child<QLabel>(f, "Panel4")->toolTip();
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

    // With no interface ticked, or the ticked one not connected, a command is refused once.
    void sendWithoutConnectionIsRefused() {
        Program p;
        for (QCheckBox* box : {static_cast<QCheckBox*>(nullptr), p.udp(), p.rs232()}) {
            p.prompts.messages.clear();
            if (box)
                box->setChecked(true);
            p.f->Timer1->start();
            QVERIFY(!p.f->CWriteStr(corvane::frames::keepAlive()));
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
        auto s = p.f->serialSettings;
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
        auto s = p.f->serialSettings;
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
        QTRY_VERIFY(!p.f->ComPort1->isOpen());
        runEventLoop(100); // room for the error to come again
        QCOMPARE(p.prompts.messages.size(), 1);
        // The port is named with the system's reason.
        const QString lost = QStringLiteral("The serial port %1 was lost: ").arg(pty->slavePath());
        QVERIFY2(p.prompts.messages[0].text.startsWith(lost) &&
                     isSystemErrorText(p.prompts.messages[0].text.mid(lost.size())),
                 qPrintable(p.prompts.messages[0].text));
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Not Connected"));
        QCOMPARE(p.panel4(), QStringLiteral("Not Connected"));
    }

    // A write that fails shows the serial layer's own text, closes the port once and ends the
    // sending handler at that point: READY goes out with the link, and the acknowledgement flag
    // is cleared (the frame did not leave, so no wait may pass on an earlier acknowledgement).
    void serialWriteErrorEndsTheSendingHandler() {
        Program p;
        auto pty = std::make_unique<PtyPair>();
        p.useSerial(pty->slavePath());
        p.f->Connect1Click();
        child<QLabel>(p.f, "RDS")->show();
        p.f->AckReceived = true;
        pty->unplug(); // no event runs before the write, so the write meets the failure first
        QVERIFY(!p.f->CWriteStr(corvane::frames::keepAlive()));
        QVERIFY(!p.f->ComPort1->isOpen());
        QCOMPARE(p.prompts.texts(), QStringList{QStringLiteral("The serial port %1 was lost: %2")
                                                    .arg(pty->slavePath(), qt_error_string(EIO))});
        QVERIFY(!p.readyShown());
        QVERIFY(!p.f->AckReceived);
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Not Connected"));
        runEventLoop(100);
        QCOMPARE(p.prompts.messages.size(), 1);
    }

    // A long device path is shortened from its start, a name too long for the line in its
    // middle; the name's ends and the settings stay in view and the tooltip holds the whole text.
    void longDevicePathLeavesTheSettingsInView() {
        Program p;
        PtyPair pty;
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("serial/by-id")));
        const QString link =
            dir.filePath("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        QVERIFY(QFile::link(pty.slavePath(), link));
        p.useSerial(link);
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        const QString whole = "RS232 Connected to :" + link + "  115200,8,N,1";
        QCOMPARE(p.panel4(), whole);
        auto* panel = child<QLabel>(p.f, "Panel4");
        const QString shown = panel->text();
        QVERIFY2(shown.startsWith(QStringLiteral("\u2026/usb-")), qPrintable(shown));
        QVERIFY2(shown.endsWith("port0  115200,8,N,1"), qPrintable(shown));
        QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
        QVERIFY(panel->fontMetrics().horizontalAdvance(shown) <= panel->contentsRect().width());
        // The shortened text stays while the status does not change.
        runEventLoop(20);
        QCOMPARE(panel->text(), shown);
    }

    void udpConnectSendAndClose() {
        Program p;
        UdpPeer board;
        p.connectUdp(board);
        QVERIFY(p.f->udpActive());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.panel4(), QStringLiteral("UDP Connected"));

        // A datagram already waiting answers an earlier command: it is dropped, and the send
        // waits for the reply to its own command.
        const quint16 programPort = p.f->Uc->localPort();
        board.send("55", QHostAddress::LocalHost, programPort);
        QTRY_VERIFY(p.f->Uc->hasPendingDatagrams());
        p.f->AckReceived = false;
        p.f->link.udpReceiveTimeout = 300;
        const std::string frame = corvane::frames::staticIp("192.168.0.245").bytes;
        p.f->CWriteStr(frame);
        QByteArray got;
        QVERIFY(board.receive(&got, 1000));
        QCOMPARE(got, bytes(frame));
        QVERIFY(!p.f->AckReceived);
        QVERIFY(!p.readyShown());

        // An empty text still goes out as an empty datagram.
        p.f->link.udpReceiveTimeout = 50;
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
        QVERIFY2(took >= 990, qPrintable(QString::number(took)));
        QVERIFY(!p.readyShown());
        QCOMPARE(p.f->RxBuffer.str(), std::string());
    }

    // A board that answers after the receive wait has ended: its reply is never taken for the
    // answer to the next command (which would be read 1 ms after sending).
    void lateUdpReplyIsNotTheNextCommandsAnswer() {
        Program p;
        UdpResponder board([](const QByteArray& frame) {
            QThread::msleep(1500);
            return "55 late answer to " + frame;
        });
        p.udpAt(board.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        QCOMPARE(p.f->link.udpReceiveTimeout, 1000);
        p.f->CWriteStr(corvane::frames::keepAlive());
        QVERIFY(!p.f->AckReceived);
        // The late answer arrives meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(p.f->Uc->hasPendingDatagrams(), 10000);
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::probe());
        QVERIFY2(clock.elapsed() >= 990, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!p.f->AckReceived);
        QVERIFY(!p.readyShown());
        QCOMPARE(p.f->RxBuffer.str(), std::string());
    }

    // During a receive wait against a silent board the window repaints at once and, once the
    // reply is late, under a busy cursor; no timer handler runs inside the wait; the keep-alive
    // tick that fell due runs after it.
    void udpWaitRepaintsAndHoldsTheTimers() {
        Program p;
        UdpPeer board;
        p.connectUdp(board);
        p.f->link.udpReceiveTimeout = 600;
        p.f->Timer1->setInterval(100);
        p.f->Timer1->start();
        auto* panel = child<QLabel>(p.f, "Panel4");
        // In sight also where the screen is lower than the window's whole form.
        p.f->findChild<QScrollArea*>("FormScroll")->ensureWidgetVisible(panel, 0, 0);
        QElapsedTimer clock;
        QList<qint64> paints;
        PaintSpy spy(panel, [&] { paints.append(clock.elapsed()); });
        bool busyCursor = false;
        QObject::connect(&p.f->link, &BoardLink::waiting, p.f, [&](bool on) {
            if (on) {
                const QCursor* cursor = QGuiApplication::overrideCursor();
                busyCursor = cursor && cursor->shape() == Qt::WaitCursor;
            }
        });
        runEventLoop(20);
        paints.clear();
        panel->update();
        clock.start();
        p.f->CWriteStr(corvane::frames::configRequest());
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 590, qPrintable(QString::number(took)));
        QVERIFY(!paints.isEmpty());
        QVERIFY2(paints.first() < 100, qPrintable(QString::number(paints.first())));
        QVERIFY(busyCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QByteArray got;
        QVERIFY(board.receive(&got, 100));
        QCOMPARE(got, bytes(corvane::frames::configRequest()));
        QVERIFY(!board.receive(&got, 0)); // no keep-alive went out during the wait
        p.f->link.udpReceiveTimeout = 20;
        runEventLoop(50);
        p.f->Timer1->stop();
        QVERIFY(board.receive(&got, 100));
        QCOMPARE(got, bytes(corvane::frames::keepAlive()));
    }

    void closedBoardPortStillWaitsForTheTimeout() {
        Program p;
        const quint16 nobody = freeUdpPort();
        child<QLineEdit>(p.w->Form2, "PortL")->setText(QString::number(nobody));
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->udpActive());
        p.f->link.udpReceiveTimeout = 300;
        QElapsedTimer clock;
        clock.start();
        p.f->CWriteStr(corvane::frames::keepAlive());
        p.f->CWriteStr(corvane::frames::keepAlive());
        QVERIFY2(clock.elapsed() >= 590, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void datagramFromAThirdAddressNeverArrives() {
        Program p;
        // While the program waits for its reply, a stranger on another address sends first; then
        // the board answers.
        std::atomic<quint16> programPort = 0;
        UdpResponder board([&](const QByteArray&) {
            sendFromStranger("from a stranger", programPort);
            QThread::msleep(30);
            return QByteArray("from the board");
        });
        p.udpAt(board.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        programPort = p.f->Uc->localPort();
        p.f->CWriteStr(corvane::frames::keepAlive());
        QCOMPARE(p.f->RxBuffer.str(), std::string("from the board"));
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
        child<QLineEdit>(p.w->Form2, "MyIPL")->setText(myIp);
        child<QLineEdit>(p.w->Form2, "SPort")->setText(sourcePort);
        p.connectUdp(board);
        QVERIFY(!p.f->udpActive());
        QVERIFY(!p.f->Timer1->isActive());
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY2(p.prompts.messages[0].text.contains(expected),
                 qPrintable(p.prompts.messages[0].text));
    }

    // The program's own address held by another program is named, with its port.
    void addressInUseIsNamed() {
        // A socket as another program holds it: bound without sharing the address.
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        socklen_t size = sizeof at;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
        const quint16 port = ntohs(at.sin_port);
        Program p;
        UdpPeer board;
        child<QLineEdit>(p.w->Form2, "MyIPL")->setText("127.0.0.1");
        child<QLineEdit>(p.w->Form2, "SPort")->setText(QString::number(port));
        p.connectUdp(board);
        ::close(fd);
        QVERIFY(!p.f->udpActive());
        QCOMPARE(
            p.prompts.texts(),
            QStringList{
                QStringLiteral("127.0.0.1:%1 is already in use by another program").arg(port)});
    }

    void emptyAddressBindsToAny() {
        Program p;
        UdpPeer board;
        child<QLineEdit>(p.w->Form2, "MyIPL")->setText(QString());
        p.connectUdp(board);
        QVERIFY(p.f->udpActive());
        QVERIFY(p.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(LinkTest)
#include "link_test.moc"
