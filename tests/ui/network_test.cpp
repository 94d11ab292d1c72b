// The network panel against a real serial line and a UDP peer: "Save Network Configuration" sends
// each setting and waits for its acknowledgement, the FEC boxes send their frames on every change
// of state, and typing in the FEC edits keeps them consistent without sending anything.
#include "app/windows.h"
#include "support/acking_pty.h"
#include "support/links.h"
#include "support/program.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

struct Program : RunningProgram {
    Program() : RunningProgram(0.1) {}

    QLineEdit* edit(const char* name) const { return child<QLineEdit>(f, name); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(f, name); }

    // Opens the serial port on the board's end; the keep-alive is stopped so that only the
    // handlers' frames go out.
    void connectSerial(const AckingPty& board) {
        serialAt(board.slavePath());
        rs232()->setChecked(true);
        f->Connect1Click();
        QVERIFY2(f->ComPort1->isOpen(), qPrintable(prompts.texts().join('|')));
        f->Timer1->stop();
    }
    void connectUdp(const UdpResponder& board) {
        udpAt(board.port());
        udp()->setChecked(true);
        f->Connect1Click();
        QVERIFY(f->udpActive());
        f->Timer1->stop();
    }
    void setNetwork(const QString& ip, const QString& gw, const QString& mtu, const QString& udprs,
                    const QString& subnet) {
        edit("ipb")->setText(ip);
        edit("gwp")->setText(gw);
        edit("MTUB")->setText(mtu);
        edit("UDPRSIPB")->setText(udprs);
        edit("SubB")->setText(subnet);
    }
    // Lets whatever the handler sent arrive at the board's end.
    static void settle(const AckingPty& board) { QTRY_VERIFY(board.caughtUp()); }
};

} // namespace

class NetworkTest : public QObject {
    Q_OBJECT

private slots:
    void saveNetworkSendsAndWaitsForEachSetting_data();
    void saveNetworkSendsAndWaitsForEachSetting();
    void saveNetworkOverUdp();
    void wrongAddressIsAskedAbout_data();
    void wrongAddressIsAskedAbout();
    void secondSaveDuringASaveIsRefused();
    void missingAcknowledgementDoesNotStopTheSave();
    void saveStoppedEarlyNamesWhatItSent_data();
    void saveStoppedEarlyNamesWhatItSent();
    void fecBoxesSendOnEveryChange_data();
    void fecBoxesSendOnEveryChange();
    void valuesTooLongAreNamedAndNotSent();
    void typingKeepsTheFecEditsConsistent_data();
    void typingKeepsTheFecEditsConsistent();
    void textsWrittenFromCodeComputeNothing();
};

// Each frame is followed by a wait, so each arrives on its own.
void NetworkTest::saveNetworkSendsAndWaitsForEachSetting_data() {
    QTest::addColumn<QString>("mtu");
    QTest::addColumn<QStringList>("batches");
    QTest::addColumn<QString>("mtuAfter");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("status");
    const QStringList head{"A51323192.168.0.245", "A51742192.168.0.254"};
    const QStringList tail{"A50991192.0.2.9", "A51393255.255.255.0", "A50225"};
    const QString all = "Network configuration sent: static IP, gateway, MTU, UDPRS destination, "
                        "subnet mask";
    QTest::newRow("MTU 1400") << "1400" << head + QStringList{"A506721400"} + tail << "1400"
                              << QStringList{} << all;
    QTest::newRow("MTU 9000 becomes 1500")
        << "9000" << head + QStringList{"A506721500"} + tail << "1500" << QStringList{} << all;
    QTest::newRow("MTU 576") << "576" << head + QStringList{"A50572576"} + tail << "576"
                             << QStringList{} << all;
    // An MTU that cannot be sent stops the save before the board is half set.
    QTest::newRow("MTU not a number: nothing sent")
        << "15k" << QStringList{} << "15k" << QStringList{"'15k' is not a valid integer value"}
        << "Network configuration not sent: '15k' is not a valid integer value";
    const QString blank = "MTU is empty: it takes a whole number from 100 to 1500 (a larger one "
                          "is sent as 1500), in digits only.";
    QTest::newRow("MTU blank: named, nothing sent")
        << "" << QStringList{} << "" << QStringList{blank}
        << "Network configuration not sent: " + blank;
}

void NetworkTest::saveNetworkSendsAndWaitsForEachSetting() {
    QFETCH(QString, mtu);
    QFETCH(QStringList, batches);
    QFETCH(QString, mtuAfter);
    QFETCH(QStringList, messages);
    QFETCH(QString, status);
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.setNetwork("192.168.0.245", "192.168.0.254", mtu, "192.0.2.9", "255.255.255.0");
    QTest::mouseClick(child<QPushButton>(p.f, "BitBtn5"), Qt::LeftButton);
    Program::settle(board);
    QCOMPARE(board.batches, batches);
    QCOMPARE(board.raw, batches.isEmpty() ? QByteArray() : (batches.join('\r') + '\r').toLatin1());
    QCOMPARE(p.f->statusBar()->currentMessage(), status);
    // 9000 is above what the box accepts (its red frame says it is sent as 1500): asked first.
    QCOMPARE(p.prompts.questions.size(), mtu == "9000" ? 1 : 0);
    QCOMPARE(p.edit("MTUB")->text(), mtuAfter);
    QCOMPARE(p.prompts.texts(), messages);
    QCOMPARE(p.label("Panel9")->text(), QString());
}

// Over UDP an MTU without a frame still sends an empty datagram.
void NetworkTest::saveNetworkOverUdp() {
    Program p;
    UdpResponder board([](const QByteArray&) { return QByteArray("55"); });
    p.connectUdp(board);
    p.setNetwork("10.0.0.1", "10.0.0.254", "68", "10.0.0.9", "255.0.0.0");
    p.f->BitBtn5Click();
    QCOMPARE(board.frames(), (QList<QByteArray>{"A5082310.0.0.1", "A5174210.0.0.254", "",
                                                "A5089110.0.0.9", "A50993255.0.0.0", "A50225"}));
    QVERIFY(p.prompts.messages.isEmpty());
    // The MTU is below what the board takes: asked about ("Yes"), and not named as set.
    QCOMPARE(p.prompts.questions.size(), 1);
    QCOMPARE(p.f->statusBar()->currentMessage(),
             QStringLiteral("Network configuration sent: static IP, gateway, UDPRS destination, "
                            "subnet mask"));
}

// A static IP that cannot be right is asked about, naming the box, its text and what it takes;
// "No" sends nothing and the status bar says why, "Yes" sends it as typed.
void NetworkTest::wrongAddressIsAskedAbout_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void NetworkTest::wrongAddressIsAskedAbout() {
    QFETCH(bool, yes);
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.setNetwork("300.1.1.1", "10.0.0.254", "1500", "10.0.0.9", "255.0.0.0");
    p.prompts.answers << yes;
    QTest::mouseClick(child<QPushButton>(p.f, "BitBtn5"), Qt::LeftButton);
    Program::settle(board);
    QCOMPARE(p.prompts.questions.size(), 1);
    QCOMPARE(p.prompts.questions[0].text,
             QStringLiteral("Save Network Configuration would send a value that cannot be "
                            "right:\n\nStatic IP '300.1.1.1': An IPv4 address: four numbers "
                            "from 0 to 255 joined by dots, such as 192.168.1.10.\n\nSend it to "
                            "the board all the same?"));
    const QStringList all{"A50923300.1.1.1", "A5174210.0.0.254", "A506721500",
                          "A5089110.0.0.9",  "A50993255.0.0.0",  "A50225"};
    QCOMPARE(board.batches, yes ? all : QStringList());
    QCOMPARE(p.f->statusBar()->currentMessage(),
             yes ? QStringLiteral("Network configuration sent: static IP, gateway, MTU, UDPRS "
                                  "destination, subnet mask")
                 : QStringLiteral("Network configuration not sent: Static IP '300.1.1.1' cannot "
                                  "be right"));
    QVERIFY(p.prompts.messages.isEmpty());
}

// A second click while the save waits for an acknowledgement is refused as busy; the running
// save goes on with its own settings and says what it sent.
void NetworkTest::secondSaveDuringASaveIsRefused() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.setNetwork("10.0.0.1", "10.0.0.254", "1500", "10.0.0.9", "255.0.0.0");
    QString busy;
    QTimer again;
    again.setSingleShot(true);
    again.setInterval(0);
    QObject::connect(&again, &QTimer::timeout, [&] {
        p.setNetwork("10.0.0.2", "10.0.0.253", "68", "10.0.0.8", "255.255.0.0");
        p.f->BitBtn5Click();
        busy = p.f->statusBar()->currentMessage();
        p.setNetwork("10.0.0.1", "10.0.0.254", "1500", "10.0.0.9", "255.0.0.0");
    });
    again.start();
    p.f->BitBtn5Click();
    Program::settle(board);
    QCOMPARE(busy, QStringLiteral("Busy: Save Network Configuration is running"));
    QCOMPARE(board.batches, (QStringList{"A5082310.0.0.1", "A5174210.0.0.254", "A506721500",
                                         "A5089110.0.0.9", "A50993255.0.0.0", "A50225"}));
    QCOMPARE(p.f->statusBar()->currentMessage(),
             QStringLiteral("Network configuration sent: static IP, gateway, MTU, UDPRS "
                            "destination, subnet mask"));
}

void NetworkTest::missingAcknowledgementDoesNotStopTheSave() {
    AckingPty board;
    Program p;
    board.unanswered << "A5174210.0.0.254";
    p.connectSerial(board);
    p.setNetwork("10.0.0.1", "10.0.0.254", "1500", "10.0.0.9", "255.0.0.0");
    QSignalSpy missed(&p.f->link, &BoardLink::ackTimedOut);
    p.f->BitBtn5Click();
    Program::settle(board);
    QCOMPARE(board.batches, (QStringList{"A5082310.0.0.1", "A5174210.0.0.254", "A506721500",
                                         "A5089110.0.0.9", "A50993255.0.0.0", "A50225"}));
    QCOMPARE(missed.count(), 1);
    QCOMPARE(p.f->statusBar()->currentMessage(),
             QStringLiteral("Network configuration sent: static IP, gateway, MTU, UDPRS "
                            "destination, subnet mask, but the board did not acknowledge 1 of 6 "
                            "commands"));
    // The acknowledgements after it cleared "Error Ack. from Board" from the error line again.
    QCOMPARE(p.label("Panel9")->text(), QString());
}

// A save that stops early says, after why, which settings the board was sent; one that sent
// nothing names none.
void NetworkTest::saveStoppedEarlyNamesWhatItSent_data() {
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("status");
    // The MTU, the UDPRS destination and the subnet mask go unanswered: three in a row.
    QTest::newRow("board stops answering")
        << true
        << "The board stopped answering during Save Network Configuration: 5 of 6 commands were "
           "sent. Sent: static IP, gateway, MTU, UDPRS destination, subnet mask.";
    QTest::newRow("no link") << false
                             << "No link is open for Save Network Configuration: 0 of 6 "
                                "commands were sent.";
}

void NetworkTest::saveStoppedEarlyNamesWhatItSent() {
    QFETCH(bool, connected);
    QFETCH(QString, status);
    AckingPty board;
    board.unanswered << "A506721500"
                     << "A5089110.0.0.9"
                     << "A50993255.0.0.0";
    Program p;
    if (connected)
        p.connectSerial(board);
    p.setNetwork("10.0.0.1", "10.0.0.254", "1500", "10.0.0.9", "255.0.0.0");
    p.f->BitBtn5Click();
    QCOMPARE(p.f->statusBar()->currentMessage(), status);
}

// A too-long address or FEC pair: named, and nothing at all goes out.
void NetworkTest::valuesTooLongAreNamedAndNotSent() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    const QString longMask(100, '5');
    p.setNetwork("10.0.0.1", "10.0.0.254", "1500", "10.0.0.9", longMask);
    p.f->BitBtn5Click();
    p.edit("LFEC")->setText(QString(50, '1'));
    p.edit("DFEC")->setText(QString(45, '2'));
    p.box("CEFEC")->setChecked(true);
    Program::settle(board);
    QCOMPARE(board.raw, QByteArray());
    QCOMPARE(p.prompts.texts(),
             (QStringList{"Subnet Mask '" + longMask.left(60) +
                              "... (100 bytes)' is too long to send to the board",
                          "FEC L '" + QString(50, '1') + "' and FEC D '" + QString(45, '2') +
                              "' are too long to send to the board"}));
}

void NetworkTest::fecBoxesSendOnEveryChange_data() {
    QTest::addColumn<bool>("byOperator");
    QTest::newRow("operator clicks") << true;
    QTest::newRow("set from code") << false;
}

// No handler here waits: every frame of the run arrives in one read.
void NetworkTest::fecBoxesSendOnEveryChange() {
    QFETCH(bool, byOperator);
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.edit("LFEC")->setText("4");
    p.edit("DFEC")->setText("4");
    const auto change = [&](const char* name, bool on) {
        QCheckBox* b = p.box(name);
        if (byOperator) {
            if (b->isChecked() != on)
                QTest::mouseClick(b, Qt::LeftButton);
        } else {
            b->setChecked(on);
        }
    };
    change("CEFEC", true);
    p.edit("LFEC")->setText("12");
    change("ERRFEC", true);
    change("ERRFEC", true); // no change, nothing sent
    change("ERRFEC", false);
    change("CEFEC", false);
    Program::settle(board);
    QCOMPARE(board.batches.join(' '), "A50787E4L4D%%%%%% A50388Y12 A50388N A50387D");
    QCOMPARE(board.raw, QByteArray("A50787E4L4D%%%%%%\rA50388Y12\rA50388N\rA50387D\r"));
}

void NetworkTest::typingKeepsTheFecEditsConsistent_data() {
    QTest::addColumn<QString>("l");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("p");
    QTest::addColumn<QString>("typed");    // "L:10", "D:7", "P:80": the edit and what is typed
    QTest::addColumn<QString>("expected"); // L, D and the percentage afterwards
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("L typed: 10 and 20 give 15") << ""
                                                << "20"
                                                << ""
                                                << "L:10"
                                                << "10 20 15" << QStringList{};
    QTest::newRow("D typed: 3 and 7 give 47") << "3"
                                              << ""
                                              << ""
                                              << "D:7"
                                              << "3 7 47" << QStringList{};
    QTest::newRow("D empty: nothing computed") << ""
                                               << ""
                                               << "33"
                                               << "L:4"
                                               << "4  33" << QStringList{};
    QTest::newRow("percentage 80: L and D 2") << "9"
                                              << "9"
                                              << ""
                                              << "P:80"
                                              << "2 2 80" << QStringList{};
    QTest::newRow("percentage 30: L and D 7") << ""
                                              << ""
                                              << ""
                                              << "P:30"
                                              << "7 7 30" << QStringList{};
    QTest::newRow("L 0: division by zero, percentage kept")
        << ""
        << "4"
        << "25"
        << "L:0"
        << "0 4 25" << QStringList{"Division by zero"};
    QTest::newRow("percentage 0 is skipped") << "9"
                                             << "9"
                                             << ""
                                             << "P:0"
                                             << "9 9 0" << QStringList{};
    QTest::newRow("percentage 00: floating point division by zero")
        << "9"
        << "9"
        << ""
        << "P:00"
        << "9 9 00" << QStringList{"Floating point division by zero"};
    QTest::newRow("L not a number: named")
        << ""
        << "4"
        << "25"
        << "L:x"
        << "x 4 25" << QStringList{"'x' is not a valid integer value"};
}

void NetworkTest::typingKeepsTheFecEditsConsistent() {
    QFETCH(QString, l);
    QFETCH(QString, d);
    QFETCH(QString, p);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(QStringList, messages);
    AckingPty board;
    Program prog;
    prog.connectSerial(board);
    prog.edit("LFEC")->setText(l);
    prog.edit("DFEC")->setText(d);
    prog.edit("FECP")->setText(p);
    const char* target = typed[0] == 'L' ? "LFEC" : typed[0] == 'D' ? "DFEC" : "FECP";
    QTest::keyClicks(prog.edit(target), typed.mid(2));
    QCOMPARE(prog.edit("LFEC")->text() + ' ' + prog.edit("DFEC")->text() + ' ' +
                 prog.edit("FECP")->text(),
             expected);
    QCOMPARE(prog.prompts.texts(), messages);
    Program::settle(board);
    QCOMPARE(board.raw, QByteArray());
}

void NetworkTest::textsWrittenFromCodeComputeNothing() {
    Program p;
    p.edit("FECP")->setText("99");
    p.edit("LFEC")->setText("4");
    p.edit("DFEC")->setText("4");
    QCOMPARE(p.edit("FECP")->text(), QStringLiteral("99"));
    p.edit("FECP")->setText("50");
    QCOMPARE(p.edit("LFEC")->text(), QStringLiteral("4"));
    // A key that is only pressed (and auto-repeats) computes nothing until it is let go.
    QTest::keyPress(p.edit("LFEC"), Qt::Key_Shift);
    QCOMPARE(p.edit("FECP")->text(), QStringLiteral("50"));
    QTest::keyRelease(p.edit("LFEC"), Qt::Key_Shift);
    QCOMPARE(p.edit("FECP")->text(), QStringLiteral("50")); // 4 and 4 give 50 again
    p.edit("DFEC")->setText("20");
    QTest::keyClick(p.edit("DFEC"), Qt::Key_Left);
    QCOMPARE(p.edit("FECP")->text(), QStringLiteral("30"));
}

QTEST_MAIN(NetworkTest)
#include "network_test.moc"
