// Commands for the board as a whole, from the menus and the interface buttons, against stand-ins
// on a pseudo-terminal and on UDP: the frames on the wire, when the link closes relative to the
// clearing of the display, and what the window shows afterwards.
#include "app/control_map.h"
#include "app/widgets.h"
#include "app/windows.h"
#include "dialogs/tform4.h"
#include "platform/pacing.h"
#include "platform/prompts.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <functional>

using namespace corvane::controls;

namespace {

const QByteArray kFirmware = "A7 Corvane firmware 2.3.1 AA";

// Answers the firmware request with its text and everything else with an acknowledgement.
Responder board() {
    return [](const QByteArray& frame) -> QByteArray {
        return frame == "A50244" ? kFirmware : QByteArray("55");
    };
}

struct Program : RunningProgram {
    PtyResponder pty{board()};
    UdpResponder udpBoard{board()};
    bool serial = true;
    QList<bool> linkUpWhileClearing; // the link's state each time "IAD" was cleared

    Program() : RunningProgram(0.01) {
        f->Timer1->stop();
        serialAt(pty.slavePath());
        udpAt(udpBoard.port());
        auto* iad = static_cast<QCheckBox*>(f->controlMap().widget(Ctl::AutoDetect));
        QObject::connect(iad, &QCheckBox::toggled, f, [this](bool on) {
            if (!on)
                linkUpWhileClearing << linkUp();
        });
    }
    // Ticks the interface ("serial" or "udp"); connects unless told otherwise.
    void use(const QString& link, bool connect = true) {
        serial = link == "serial";
        (serial ? rs232() : udp())->setChecked(true);
        if (connect) {
            f->Connect1Click();
            QVERIFY(linkUp());
            f->Timer1->stop();
            // The stand-in answers from a thread of its own, which a loaded machine may hold up
            // longer than the shrunk receive wait (10 ms); the wait is not what these tests watch.
            f->link.udpReceiveTimeout = 1000;
        }
    }
    bool linkUp() const { return f->ComPort1->isOpen() || f->udpActive(); }
    QList<QByteArray> frames() const { return serial ? pty.frames() : udpBoard.frames(); }
    // A board's configuration on show ("IAD" ticked), streaming, the lamp green. Shown before an
    // interface is ticked, so nothing is sent (the refusal is no part of what the tests watch).
    void showABoard() {
        f->applyActions(
            {{Action::setText(Ctl::Bit1, "4000"), Action::setChecked(Ctl::AutoDetect, true),
              Action::state(Action::Op::StreamingOn), Action::lampColour(Lamp::Green),
              Action::state(Action::Op::Panel5, "Streaming")},
             {}});
        label("ConNot")->setText("Connected");
        prompts.messages.clear();
    }
    QString bit1() const { return child<QLineEdit>(f, "Bit1")->text(); }
    QColor lamp() const { return child<ShapeIndicator>(f, "Rec1")->fillColor(); }
    void trigger(const char* item) const { child<QAction>(f, item)->trigger(); }
};

} // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT
private slots:
    void leavingTheBoard_data();
    void leavingTheBoard();
    void leavingWithoutALink_data();
    void leavingWithoutALink();
    void commandsThatChangeNothing_data();
    void commandsThatChangeNothing();
    void interfaceChange_data();
    void interfaceChange();
    void interfaceChangePacing();
    void failedSerialSendEndsTheHandler_data();
    void failedSerialSendEndsTheHandler();
    void menuItemsForTheKeepAliveAndTheBoardDialog();
    void askFirst_data();
    void askFirst();
    void questionBoxAnswersNoUnlessYesIsChosen();
};

// Exit clears the display while the link is still open, Reboot after closing it; clearing sends
// nothing either way (the cleared "IAD" does not switch input auto-detection off). Both end
// disconnected, not streaming, lamp grey.
void MaintenanceTest::leavingTheBoard_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QStringList>("messages");
    const QList<QByteArray> exit{"A50204"};
    const QList<QByteArray> reboot{"A50275"};
    QTest::newRow("Exit Board Application over RS232") << "ExitBoard1"
                                                       << "serial" << exit << QStringList();
    QTest::newRow("Exit Board Application over UDP") << "ExitBoard1"
                                                     << "udp" << exit << QStringList();
    QTest::newRow("Reboot Board over RS232") << "RebootBoard1"
                                             << "serial" << reboot << QStringList();
    QTest::newRow("Reboot Board over UDP") << "RebootBoard1"
                                           << "udp" << reboot << QStringList();
}

void MaintenanceTest::leavingTheBoard() {
    QFETCH(QString, item);
    QFETCH(QString, link);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QStringList, messages);
    Program p;
    p.showABoard();
    p.use(link);
    p.f->Timer1->start();

    p.trigger(qPrintable(item));

    QTRY_COMPARE(p.frames(), frames);
    QCOMPARE(p.linkUpWhileClearing, QList<bool>{item == "ExitBoard1"});
    QCOMPARE(p.prompts.texts(), messages);
    QVERIFY(!p.linkUp());
    QCOMPARE(p.bit1(), QString());
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Not Connected"));
    QCOMPARE(p.label("ConNot")->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(p.lamp(), QColor(128, 128, 128));
    QCOMPARE(p.label("Panel5")->text(), QString());
    QVERIFY(!p.f->StreamingOn);
    QVERIFY(!p.f->Timer1->isActive());
    QVERIFY((link == "serial" ? p.rs232() : p.udp())->isChecked()); // the operator reconnects
}

// With no interface ticked, or the ticked one not connected, the command is refused once and the
// window changes nothing: the board was never told to leave.
void MaintenanceTest::leavingWithoutALink_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("link");
    for (const char* item : {"ExitBoard1", "RebootBoard1"}) {
        QTest::addRow("%s, RS232 not open", item) << item << "serial";
        QTest::addRow("%s, UDP not connected", item) << item << "udp";
        QTest::addRow("%s, no interface", item) << item << "";
    }
}

void MaintenanceTest::leavingWithoutALink() {
    QFETCH(QString, item);
    QFETCH(QString, link);
    Program p;
    p.showABoard();
    if (!link.isEmpty())
        p.use(link, false);

    p.trigger(qPrintable(item));

    QCOMPARE(p.prompts.texts(), QStringList{"Please Connect First !! "});
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Connected"));
    QVERIFY(p.f->StreamingOn);
    // The display is cleared only where a link was closed.
    QCOMPARE(p.bit1(), QStringLiteral("4000"));
    QVERIFY(p.linkUpWhileClearing.isEmpty());
    QCOMPARE(p.lamp(), QColor(0, 255, 0));
    QVERIFY(p.frames().isEmpty());
}

// "Get Firmware Version " shows the board's answer; "Create Default" is acknowledged. Neither
// touches the link or the display.
void MaintenanceTest::commandsThatChangeNothing_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("messages");
    const QStringList firmware{"A7 Corvane firmware 2.3.1 "}; // shown as the board sends it
    QTest::newRow("Get Firmware Version  over RS232")
        << "GetFirmwareVersion1"
        << "serial" << QByteArray("A50244") << firmware;
    QTest::newRow("Get Firmware Version  over UDP") << "GetFirmwareVersion1"
                                                    << "udp" << QByteArray("A50244") << firmware;
    QTest::newRow("Create Default over RS232") << "CreateDefault1"
                                               << "serial" << QByteArray("A50230") << QStringList();
    QTest::newRow("Create Default over UDP") << "CreateDefault1"
                                             << "udp" << QByteArray("A50230") << QStringList();
}

void MaintenanceTest::commandsThatChangeNothing() {
    QFETCH(QString, item);
    QFETCH(QString, link);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, messages);
    Program p;
    p.showABoard();
    p.use(link);

    p.trigger(qPrintable(item));

    QTRY_COMPARE(p.frames(), QList<QByteArray>{frame});
    QTRY_COMPARE(p.prompts.texts(), messages);
    if (messages.isEmpty())
        QTRY_VERIFY(p.label("RDS")->isVisible()); // acknowledged
    QVERIFY(p.linkUp());
    QCOMPARE(p.bit1(), QStringLiteral("4000"));
    QVERIFY(p.linkUpWhileClearing.isEmpty());
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(p.lamp(), QColor(0, 255, 0));
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Connected"));
}

// Both interface changes send their command, untick both interface boxes, drop the link they
// came over and clear the display, which sends nothing. Without a link the command is refused
// once and nothing changes.
void MaintenanceTest::interfaceChange_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("messages");
    const QByteArray toRs232 = "A503351";
    const QByteArray toUdp = "A503350";
    QTest::newRow("to RS232 over UDP") << "BitBtn6"
                                       << "udp" << true << toRs232 << QStringList();
    QTest::newRow("to UDP over RS232") << "BitBtn7"
                                       << "serial" << true << toUdp << QStringList();
    QTest::newRow("to RS232, UDP not connected")
        << "BitBtn6"
        << "udp" << false << QByteArray() << QStringList{"Please Connect First !! "};
    QTest::newRow("to UDP, RS232 not open")
        << "BitBtn7"
        << "serial" << false << QByteArray() << QStringList{"Please Connect First !! "};
}

void MaintenanceTest::interfaceChange() {
    QFETCH(QString, button);
    QFETCH(QString, link);
    QFETCH(bool, connected);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, messages);
    Program p;
    p.showABoard();
    p.use(link, connected);

    child<QPushButton>(p.f, button)->click();

    QCOMPARE(p.prompts.texts(), messages);
    if (!connected) {
        QVERIFY(p.frames().isEmpty());
        QVERIFY((link == "serial" ? p.rs232() : p.udp())->isChecked());
        QCOMPARE(p.bit1(), QStringLiteral("4000"));
        return;
    }
    QTRY_COMPARE(p.frames(), QList<QByteArray>{frame});
    QVERIFY(!p.rs232()->isChecked());
    QVERIFY(!p.udp()->isChecked());
    QVERIFY(!p.linkUp());
    QCOMPARE(p.linkUpWhileClearing, QList<bool>{false});
    QCOMPARE(p.bit1(), QString());
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Not Connected"));
    QCOMPARE(p.label("ConNot")->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(p.label("Panel5")->text(), QString());
    QVERIFY(p.f->StreamingOn); // the board may still be streaming on its new interface
}

// Moving to UDP leaves the serial line open for 200 ms after the command; moving to RS232 over
// UDP disconnects at once. Time is stretched fivefold here so the difference is unmistakable.
void MaintenanceTest::interfaceChangePacing() {
    for (const QString link : {"serial", "udp"}) {
        Program p;
        p.use(link);
        platform::pacing::setScale(5.0);
        QElapsedTimer clock;
        clock.start();
        child<QPushButton>(p.f, link == "serial" ? "BitBtn7" : "BitBtn6")->click();
        const qint64 took = clock.elapsed();
        if (link == "serial")
            QVERIFY2(took >= 1000, qPrintable(QString::number(took)));
        else
            QVERIFY2(took < 800, qPrintable(QString::number(took)));
        QVERIFY(!p.linkUp());
    }
}

// A send that fails on the serial line (the device went away) closes the port, names the
// failure and ends the handler there: the display is not cleared, the interface box stays ticked
// and the stream state stays.
void MaintenanceTest::failedSerialSendEndsTheHandler_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("Exit Board Application") << "ExitBoard1";
    QTest::newRow("Reboot Board !!!!") << "RebootBoard1";
    QTest::newRow("Change Interface to UDP (a paced sequence)") << "BitBtn7";
}

void MaintenanceTest::failedSerialSendEndsTheHandler() {
    QFETCH(QString, control);
    Program p;
    PtyPair line;
    p.showABoard();
    p.serialAt(line.slavePath());
    p.rs232()->setChecked(true);
    p.f->Connect1Click();
    QVERIFY(p.f->ComPort1->isOpen());
    line.unplug(); // no event runs before the write, so the write meets the failure first

    if (control == "BitBtn7")
        child<QPushButton>(p.f, control)->click();
    else
        p.trigger(qPrintable(control));

    QVERIFY(!p.f->ComPort1->isOpen());
    QCOMPARE(p.prompts.texts(), QStringList{QStringLiteral("The serial port %1 was lost: %2")
                                                .arg(line.slavePath(), qt_error_string(EIO))});
    QVERIFY(p.rs232()->isChecked());
    QCOMPARE(p.bit1(), QStringLiteral("4000"));
    QVERIFY(p.linkUpWhileClearing.isEmpty());
    QVERIFY(p.f->StreamingOn);
}

void MaintenanceTest::menuItemsForTheKeepAliveAndTheBoardDialog() {
    Program p;
    p.trigger("StartKeepAlive1");
    QVERIFY(p.f->Timer1->isActive());
    p.trigger("StopKeepAlive1");
    QVERIFY(!p.f->Timer1->isActive());
    QVERIFY(!p.w->Form4->isVisible());
    p.trigger("Board1");
    QVERIFY(p.w->Form4->isVisible());
    QVERIFY(p.prompts.messages.isEmpty());
    QVERIFY(p.pty.frames().isEmpty() && p.udpBoard.frames().isEmpty());
}

// Reboot, Exit, Create Default and both interface changes ask first. "No" sends nothing and leaves
// the link, the display and the stream state as they were; "Yes" sends the command as before.
void MaintenanceTest::askFirst_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("title");
    const struct {
        const char* item;
        const char* frame;
        const char* title;
    } commands[] = {{"RebootBoard1", "A50275", "Reboot Board"},
                    {"ExitBoard1", "A50204", "Exit Board Application"},
                    {"CreateDefault1", "A50230", "Create Default"},
                    {"BitBtn6", "A503351", "Change Interface to RS2323"},
                    {"BitBtn7", "A503350", "Change Interface to UDP"}};
    for (const auto& c : commands)
        for (const QString link : {"serial", "udp"})
            for (const bool yes : {false, true})
                QTest::addRow("%s over %s, %s", c.item, qPrintable(link), yes ? "Yes" : "No")
                    << c.item << link << yes << QByteArray(c.frame) << c.title;
}

void MaintenanceTest::askFirst() {
    QFETCH(QString, item);
    QFETCH(QString, link);
    QFETCH(bool, yes);
    QFETCH(QByteArray, frame);
    QFETCH(QString, title);
    Program p;
    p.showABoard();
    p.use(link);
    p.prompts.answers = {yes};

    if (item.startsWith("BitBtn"))
        child<QPushButton>(p.f, item)->click();
    else
        p.trigger(qPrintable(item));

    QCOMPARE(p.prompts.questions.size(), 1);
    QCOMPARE(p.prompts.questions[0].title, title);
    if (yes) {
        QTRY_VERIFY(!p.frames().isEmpty());
        QCOMPARE(p.frames().first(), frame);
        return;
    }
    runEventLoop(100); // time for a frame on its way to arrive
    QVERIFY(p.frames().isEmpty());
    QVERIFY(p.prompts.messages.isEmpty());
    QVERIFY(p.linkUp());
    QCOMPARE(p.bit1(), QStringLiteral("4000"));
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(p.lamp(), QColor(0, 255, 0));
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Connected"));
}

// The question box itself: "No" is the default, so Enter answers No, and so does Esc; only a
// click on "Yes" answers Yes. The box is the program's own, not a recorder.
void MaintenanceTest::questionBoxAnswersNoUnlessYesIsChosen() {
    const auto answer = [](const std::function<void(QMessageBox*)>& operatorDoes) {
        QTimer::singleShot(0, [operatorDoes] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            operatorDoes(box);
        });
        return platform::question(QStringLiteral("Reboot the board?"),
                                  QStringLiteral("Reboot Board"));
    };
    QVERIFY(!answer([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }));
    QVERIFY(!answer([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }));
    QVERIFY(answer([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }));
}

QTEST_MAIN(MaintenanceTest)
#include "maintenance_test.moc"
