// "Reconnect Automatically": a serial device that goes away and comes back under the same path is
// opened again; a board that reboots is reconnected over UDP and over the serial line once it
// answers a probe; unticked, nothing is retried. Real transports: pseudo-terminals behind a
// symbolic link, a UDP responder on 127.0.0.1.
#include "app/control_map.h"
#include "app/link_menus.h"
#include "app/windows.h"
#include "core/controls.h"
#include "core/frames.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <atomic>
#include <memory>

using corvane::controls::Ctl;

namespace {

// A board on a pseudo-terminal that acknowledges everything and answers the probe while it runs;
// told to reboot, it is silent until the test says it is back.
class RebootingBoard {
public:
    std::atomic<bool> up{true};
    std::atomic<int> probes{0};
    Responder respond = [this](const QByteArray& frame) -> QByteArray {
        if (frame == "A50275" || frame == "A50204") {
            up = false;
            return {};
        }
        if (frame == "A50264")
            ++probes;
        if (!up)
            return {};
        return frame == "A50264" ? QByteArray("B74D") : QByteArray("55");
    };
};

// A symbolic link in the test's folder that the program knows as its serial port.
class PortLink {
public:
    explicit PortLink(const QString& path) : path_(path) {}
    ~PortLink() { QFile::remove(path_); }
    void pointAt(const QString& device) {
        QFile::remove(path_);
        QVERIFY(QFile::link(device, path_));
    }
    void remove() { QFile::remove(path_); }
    QString path() const { return path_; }

private:
    QString path_;
};

struct Program : RunningProgram {
    explicit Program(bool reconnect, double scale = 0.05) : RunningProgram(scale) {
        item()->setChecked(reconnect);
    }
    QAction* item() const { return f->linkMenus->reconnectAction(); }
    // The serial port as the program knows it: a link in its folder, "ttyUSB0".
    PortLink port{dir.file("ttyUSB0")};
    // Points the port at `device`, ticks RS232 and connects.
    void connectSerialVia(const QString& device) {
        port.pointAt(device);
        serialAt(port.path());
        rs232()->setChecked(true);
        f->Connect1Click();
    }
    // The whole status line (its tooltip, where the panel shortens it).
    QString status() const {
        runEventLoop(1);
        return label("Panel4")->toolTip();
    }
};

} // namespace

class ReconnectTest : public QObject {
    Q_OBJECT
private slots:
    // Off by default; remembered in conf.ini in a section of its own, read back at start-up.
    void itemIsRememberedInConfIni() {
        {
            Program p(false);
            QAction* item = p.item();
            QCOMPARE(item->text(), QStringLiteral("Reconnect Automatically"));
            QVERIFY(item->isCheckable());
            QVERIFY(!item->isChecked());
            QVERIFY(p.f->findChild<QMenu*>("File1")->actions().contains(item));
            p.f->close();
            QFile conf(p.dir.file("conf.ini"));
            QVERIFY(conf.open(QIODevice::ReadOnly));
            QVERIFY(!conf.readAll().contains("Reconnect")); // off leaves the file as it was
        }
        Program p(false);
        p.item()->setChecked(true);
        p.f->close();
        QFile conf(p.dir.file("conf.ini"));
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QByteArray text = conf.readAll();
        QVERIFY(text.contains("[ComPort1]"));
        QVERIFY2(text.contains("[Link]\r\nReconnectAutomatically=1\r\n"), text.constData());
    }

    void itemIsReadAtStartUp() {
        Program p(false);
        QFile conf(p.dir.file("conf.ini"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[ComPort1]\r\nPort=ttyS0\r\n[Link]\r\nReconnectAutomatically=1\r\n");
        conf.close();
        p.f->FormShow(); // what start-up runs
        QVERIFY(p.item()->isChecked());
    }

    // The device goes away and comes back under the same path: opened again, reconnected once the
    // board answers a probe, keep-alive running; the loss is told in the status line, and no
    // message box holds the tries.
    void serialDeviceComesBack() {
        auto first = std::make_unique<PtyPair>();
        RebootingBoard board;
        PtyResponder second([&](const QByteArray& f) { return board.respond(f); });
        Program p(true);
        PortLink& port = p.port;
        p.connectSerialVia(first->slavePath());
        QVERIFY(p.f->ComPort1->isOpen());

        port.remove();
        first->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!p.f->ComPort1->isOpen(), 3000);
        QTRY_VERIFY(p.status().startsWith("Reconnecting to " + port.path() + QChar(0x2026)));
        runEventLoop(200); // several tries (50 ms apart) find nothing
        QVERIFY(!p.f->ComPort1->isOpen());

        port.pointAt(second.slavePath());
        QTRY_COMPARE_WITH_TIMEOUT(p.status(), "Reconnected to " + port.path(), 3000);
        QVERIFY(p.f->ComPort1->isOpen());
        QVERIFY(p.f->Timer1->isActive());
        QVERIFY(board.probes >= 1);
        QVERIFY(p.prompts.messages.isEmpty());
        p.f->CWriteStr(corvane::frames::keepAlive());
        QTRY_VERIFY(second.frames().contains("A50224"));
    }

    // Unticked: the loss is reported as ever, and nothing is tried after it.
    void offRetriesNothing() {
        auto first = std::make_unique<PtyPair>();
        PtyPair second;
        Program p(false);
        PortLink& port = p.port;
        p.connectSerialVia(first->slavePath());
        first->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!p.f->ComPort1->isOpen(), 3000);
        port.pointAt(second.slavePath());
        runEventLoop(300);
        QVERIFY(!p.f->ComPort1->isOpen());
        QVERIFY(!p.f->keeper.reconnecting());
        QCOMPARE(p.status(), QStringLiteral("Not Connected"));
        QCOMPARE(p.prompts.messages.size(), 1);
    }

    // Choosing "Connect " or unticking the item stops the tries.
    void operatorStopsTheTries() {
        auto first = std::make_unique<PtyPair>();
        auto second = std::make_unique<PtyPair>();
        PtyPair third;
        Program p(true);
        PortLink& port = p.port;
        p.connectSerialVia(first->slavePath());
        port.remove();
        first->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(p.f->keeper.reconnecting(), 3000);
        QVERIFY(p.prompts.messages.isEmpty()); // the loss is in the status line
        p.f->Connect1Click(); // the device is still away: the operator is told, the tries end
        QVERIFY(!p.f->keeper.reconnecting());
        QCOMPARE(p.prompts.messages.size(), 1);

        port.pointAt(second->slavePath());
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        second->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(p.f->keeper.reconnecting(), 3000);
        p.item()->setChecked(false);
        QVERIFY(!p.f->keeper.reconnecting());
        QCOMPARE(p.status(), QStringLiteral("Not Connected"));
        port.pointAt(third.slavePath());
        runEventLoop(200);
        QVERIFY(!p.f->ComPort1->isOpen());
    }

    void boardRebootsOverUdp() {
        RebootingBoard board;
        UdpResponder responder([&](const QByteArray& f) { return board.respond(f); });
        Program p(true);
        p.connectUdp(responder.port());
        QVERIFY(p.f->udpActive());
        p.f->findChild<QAction*>("RebootBoard1")->trigger();
        QVERIFY(p.f->keeper.reconnecting());
        QTRY_VERIFY_WITH_TIMEOUT(board.probes >= 3, 5000); // probes while the board is away
        QVERIFY(p.f->keeper.reconnecting());
        QCOMPARE(p.status(), QStringLiteral("Reconnecting to 127.0.0.1") + QChar(0x2026));
        board.up = true;
        QTRY_VERIFY_WITH_TIMEOUT(!p.f->keeper.reconnecting(), 5000);
        QVERIFY(p.f->udpActive());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.status(), QStringLiteral("Reconnected to 127.0.0.1"));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void boardRestartsOverSerial() {
        RebootingBoard board;
        PtyResponder responder([&](const QByteArray& f) { return board.respond(f); });
        Program p(true);
        p.serialAt(responder.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        p.f->findChild<QAction*>("ExitBoard1")->trigger();
        QVERIFY(p.f->keeper.reconnecting());
        QTRY_VERIFY_WITH_TIMEOUT(board.probes >= 3, 5000);
        QVERIFY(p.f->keeper.reconnecting());
        board.up = true;
        QTRY_VERIFY_WITH_TIMEOUT(!p.f->keeper.reconnecting(), 5000);
        QVERIFY(p.f->ComPort1->isOpen());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(p.status(), "Reconnected to " + responder.slavePath());
    }

    // A board that never comes back gets probes for 2 minutes (shrunk here), then the program
    // says it gave up and leaves the link closed.
    void restartGivesUpAfterTwoMinutes() {
        RebootingBoard board;
        UdpResponder responder([&](const QByteArray& f) { return board.respond(f); });
        Program p(true, 0.01);
        p.connectUdp(responder.port());
        p.f->findChild<QAction*>("RebootBoard1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!p.f->keeper.reconnecting(), 20000);
        QCOMPARE(board.probes.load(), 60);
        QVERIFY(!p.f->udpActive());
        QVERIFY(p.status().startsWith("Not reconnected to 127.0.0.1"));
    }

    // After "Reboot Board !!!!" the boxes that the clearing unticks meet the closed link: no
    // message box holds the tries; "Connect " while the tries run keeps the link the probes opened
    // and leaves the display as it is.
    void rebootThenConnectKeepsTheDisplay() {
        RebootingBoard board;
        UdpResponder responder([&](const QByteArray& f) { return board.respond(f); });
        Program p(true);
        p.connectUdp(responder.port());
        auto* cefec = static_cast<QCheckBox*>(p.f->controlMap().widget(Ctl::CEFEC));
        cefec->setChecked(true); // its "off" is sent when the reboot clears the display
        p.f->findChild<QAction*>("RebootBoard1")->trigger();
        QVERIFY(!cefec->isChecked());
        QVERIFY(p.prompts.messages.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(board.probes >= 1 && p.f->udpActive(), 5000);
        QVERIFY(p.f->keeper.reconnecting());
        auto* bit1 = p.f->findChild<QLineEdit*>("Bit1");
        bit1->setText("6000"); // typed while the board restarts
        p.f->Connect1Click();
        QVERIFY(!p.f->keeper.reconnecting());
        QVERIFY(p.f->udpActive());
        QVERIFY(p.f->Timer1->isActive());
        QCOMPARE(bit1->text(), QStringLiteral("6000"));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void offDoesNotFollowARebootWithProbes() {
        RebootingBoard board;
        UdpResponder responder([&](const QByteArray& f) { return board.respond(f); });
        Program off(false, 0.01);
        off.connectUdp(responder.port());
        off.f->findChild<QAction*>("RebootBoard1")->trigger();
        runEventLoop(200);
        QCOMPARE(board.probes.load(), 0);
        QVERIFY(!off.f->udpActive());
    }
};

QTEST_MAIN(ReconnectTest)
#include "reconnect_test.moc"
