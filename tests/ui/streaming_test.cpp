// Starting and stopping the stream and the streaming controls against a real serial line and a
// UDP peer: what each button, box and menu item sends, in order and with its pauses, and how the
// window shows the stream.
#include "app/widgets.h"
#include "app/windows.h"
#include "platform/pacing.h"
#include "support/acking_pty.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <atomic>

namespace {

const QColor kGrey(128, 128, 128), kGreen(0, 255, 0), kRed(255, 0, 0);

struct Program : RunningProgram {
    explicit Program(double scale = 0.1) : RunningProgram(scale) {}

    QLineEdit* edit(const char* name) const { return child<QLineEdit>(f, name); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(f, name); }
    QAction* action(const char* name) const { return child<QAction>(f, name); }
    ShapeIndicator* rec1() const { return child<ShapeIndicator>(f, "Rec1"); }
    ClickPanel* partp() const { return child<ClickPanel>(f, "PARTP"); }
    void click(const char* button) const {
        QTest::mouseClick(child<QPushButton>(f, button), Qt::LeftButton);
    }
    void press(QWidget* w) const { QTest::mouseClick(w, Qt::LeftButton); }
    // What the idle handler leaves in the status panel.
    QString panel5() const {
        runEventLoop(5);
        return label("Panel5")->text();
    }
    bool fecBoxesEnabled() const { return box("CEFEC")->isEnabled() && box("ERRFEC")->isEnabled(); }
    bool fecEditsEnabled() const {
        return edit("LFEC")->isEnabled() && edit("DFEC")->isEnabled() && edit("FECP")->isEnabled();
    }
    void connectSerial(const AckingPty& board) {
        serialAt(board.slavePath());
        rs232()->setChecked(true);
        f->Connect1Click();
        QVERIFY(f->ComPort1->isOpen());
        f->Timer1->stop();
    }
    // Everything sent so far, as the board's end saw it.
    static QStringList sent(const AckingPty& board) {
        if (!QTest::qWaitFor([&board] { return board.caughtUp(); }))
            qWarning("the board's end has not read everything the program sent");
        return board.batches;
    }
};

} // namespace

class StreamingTest : public QObject {
    Q_OBJECT

private slots:
    void startThenStopShowTheStream();
    void stopSendsTheCheckedFecBoxesAgain_data();
    void stopSendsTheCheckedFecBoxesAgain();
    void stopPausesAfterEachFecCommand();
    void menuItems();
    void modePanelCycles();
    void cameraTypeBoxesExcludeEachOther();
    void autoDetectAndUdprsMode();
    void recordIndicator();
    void startAndStopOverUdp();
    void withoutLinkTheWindowStillFollows();
    void refusedStartShowsNoStream_data();
    void refusedStartShowsNoStream();
};

void StreamingTest::startThenStopShowTheStream() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    QVERIFY(p.fecBoxesEnabled());
    QVERIFY(p.fecEditsEnabled());
    QCOMPARE(p.rec1()->fillColor(), kGrey);

    p.click("BitBtn3");
    QCOMPARE(Program::sent(board), QStringList{"A50205"});
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(p.rec1()->fillColor(), kGreen);
    QVERIFY(p.fecBoxesEnabled());
    QVERIFY(!p.edit("LFEC")->isEnabled() && !p.edit("DFEC")->isEnabled() &&
            !p.edit("FECP")->isEnabled());
    QCOMPARE(p.panel5(), QStringLiteral("Streaming"));

    p.click("BitBtn3"); // a second start only says so
    QCOMPARE(p.prompts.texts(), QStringList{"Stream Already Start "});
    QCOMPARE(p.prompts.messages[0].title, platform::kProgramTitle);

    p.label("Panel9")->setText("Error Start Stream 11");
    p.click("BitBtn4");
    QCOMPARE(Program::sent(board), (QStringList{"A50205", "A50206"}));
    QVERIFY(!p.f->StreamingOn);
    QCOMPARE(p.rec1()->fillColor(), kGrey);
    QVERIFY(!p.box("CEFEC")->isEnabled() && !p.box("ERRFEC")->isEnabled());
    QVERIFY(p.fecEditsEnabled());
    QCOMPARE(p.label("Panel9")->text(), QString());
    QCOMPARE(p.panel5(), QString());

    p.click("BitBtn4"); // a second stop only says so
    QCOMPARE(p.prompts.texts(), (QStringList{"Stream Already Start ", "Stream Already Stop "}));
    QCOMPARE(Program::sent(board), (QStringList{"A50205", "A50206"}));
    QCOMPARE(board.raw, QByteArray("A50205\rA50206\r"));

    // Started again, the FEC boxes are usable again.
    p.click("BitBtn3");
    QVERIFY(p.fecBoxesEnabled());
}

void StreamingTest::stopSendsTheCheckedFecBoxesAgain_data() {
    QTest::addColumn<bool>("fec");
    QTest::addColumn<bool>("fecError");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both: FEC Error first, each on again then off")
        << true << true << "A50388Y4 A50388N A50787E4L4D%%%%%% A50387D A50206";
    QTest::newRow("FEC only") << true << false << "A50787E4L4D%%%%%% A50387D A50206";
    QTest::newRow("FEC Error only") << false << true << "A50388Y4 A50388N A50206";
    QTest::newRow("neither: the stop alone") << false << false << "A50206";
}

// No wait anywhere in "Stop Stream": all of it arrives in one read.
void StreamingTest::stopSendsTheCheckedFecBoxesAgain() {
    QFETCH(bool, fec);
    QFETCH(bool, fecError);
    QFETCH(QString, expected);
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.edit("LFEC")->setText("4");
    p.edit("DFEC")->setText("4");
    p.f->StreamingOn = true;
    p.box("CEFEC")->setChecked(fec);
    p.box("ERRFEC")->setChecked(fecError);
    Program::sent(board);
    board.clear();
    p.click("BitBtn4");
    // The status bar's progress repaints between the frames, so they may come in several reads.
    QCOMPARE(Program::sent(board).join(' '), expected);
    QCOMPARE(board.raw, (expected.split(' ').join('\r') + '\r').toLatin1());
    QVERIFY(!p.box("CEFEC")->isChecked() && !p.box("ERRFEC")->isChecked());
    QVERIFY(!p.box("CEFEC")->isEnabled() && !p.box("ERRFEC")->isEnabled());
    QVERIFY(p.fecEditsEnabled());
    QVERIFY(p.prompts.messages.isEmpty());
}

// At full time: 100 ms after each of the four FEC commands.
void StreamingTest::stopPausesAfterEachFecCommand() {
    AckingPty board;
    Program p(1.0);
    p.connectSerial(board);
    p.edit("LFEC")->setText("4");
    p.edit("DFEC")->setText("4");
    p.f->StreamingOn = true;
    p.box("CEFEC")->setChecked(true);
    p.box("ERRFEC")->setChecked(true);
    QElapsedTimer clock;
    clock.start();
    p.f->BitBtn4Click();
    QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
}

void StreamingTest::menuItems() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    QVERIFY(!p.action("CPRS1")->isVisible());
    p.action("StartRTP11")->trigger();
    p.action("StartRTP12")->trigger();
    p.action("UDPRS1")->trigger(); // whether streaming or not
    QCOMPARE(p.prompts.texts(),
             (QStringList{"Please Start Stream First ", "Please Start Stream First "}));
    p.f->StreamingOn = true;
    p.action("StartRTP11")->trigger();
    p.action("StartRTP12")->trigger();
    p.action("CPRS1")->trigger();
    QCOMPARE(Program::sent(board), QStringList{"A50290 A50280 A50284 A50285"});
    QCOMPARE(p.prompts.messages.size(), 2);
}

void StreamingTest::modePanelCycles() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    QCOMPARE(p.partp()->text(), QStringLiteral("RTSP"));
    QCOMPARE(p.f->StreamModeLetter, std::string());
    QStringList seen;
    for (int i = 0; i < 5; ++i) {
        p.press(p.partp());
        seen << p.partp()->text() + '/' + QString::fromStdString(p.f->StreamModeLetter);
    }
    QCOMPARE(seen,
             (QStringList{"RTP 11/A", "RTP 12/B", "RTP 11 + RTP 12/R", "RTSP/S", "RTP 11/A"}));
    // A caption outside the cycle stays, with its letter.
    p.partp()->setText("RTP");
    p.press(p.partp());
    QCOMPARE(p.partp()->text(), QStringLiteral("RTP"));
    QCOMPARE(p.f->StreamModeLetter, std::string("A"));
    QCOMPARE(Program::sent(board), QStringList{});
}

void StreamingTest::cameraTypeBoxesExcludeEachOther() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.press(p.box("FixCheck"));
    p.press(p.box("MovCheck")); // clears Fixed first: none, then moving
    QVERIFY(!p.box("FixCheck")->isChecked());
    QVERIFY(p.box("MovCheck")->isChecked());
    p.box("FixCheck")->setChecked(true); // from code, as the decoder does
    QVERIFY(!p.box("MovCheck")->isChecked());
    p.press(p.box("FixCheck"));
    QCOMPARE(Program::sent(board).join(QLatin1Char(' ')),
             "A503861 A503860 A503862 A503860 A503861 A503860");
}

void StreamingTest::autoDetectAndUdprsMode() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.press(p.box("AutoDetect"));
    p.box("AutoDetect")->setChecked(false);
    p.box("AutoDetect")->setChecked(false); // no change
    p.press(p.box("UDPRSB"));               // sends nothing
    p.box("UDPRSB")->setChecked(false);
    QCOMPARE(Program::sent(board).join(QLatin1Char(' ')), "A503731 A503732");
    QVERIFY(!p.box("Auto_rtp")->isVisible());
}

void StreamingTest::recordIndicator() {
    AckingPty board;
    Program p;
    p.connectSerial(board);
    p.box("S1Aud")->setChecked(true);
    p.box("S2Aud")->setChecked(true);
    p.press(p.rec1()); // grey: nothing
    QCOMPARE(p.rec1()->fillColor(), kGrey);

    p.f->BitBtn3Click();
    p.box("S2Aud")->setChecked(false);
    p.press(p.rec1()); // green without both audio boxes: a message
    QCOMPARE(p.prompts.texts(),
             QStringList{"Please Change Audio to On in Both Channels , Before Start Recording  "});
    QCOMPARE(p.rec1()->fillColor(), kGreen);

    p.box("S2Aud")->setChecked(true);
    p.press(p.rec1());
    QCOMPARE(p.rec1()->fillColor(), kRed);
    p.press(p.rec1());
    QCOMPARE(p.rec1()->fillColor(), kGreen);
    p.press(p.rec1());
    QCOMPARE(p.rec1()->fillColor(), kRed);
    p.f->BitBtn4Click(); // stopping while recording sends no stop-recording command
    QCOMPARE(p.rec1()->fillColor(), kGrey);
    // The start waits for its acknowledgement: the board reads it apart from the rest.
    QCOMPARE(Program::sent(board), (QStringList{"A50205", "A503461 A503462 A503461 A50206"}));
}

void StreamingTest::startAndStopOverUdp() {
    Program p;
    UdpResponder board([](const QByteArray&) { return QByteArray("55"); });
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    p.edit("LFEC")->setText("10");
    p.edit("DFEC")->setText("5");
    p.f->BitBtn3Click();
    p.box("CEFEC")->setChecked(true);
    p.f->BitBtn4Click();
    QCOMPARE(board.frames(), (QList<QByteArray>{"A50205", "A50887E10L5D%%%%%%",
                                                "A50887E10L5D%%%%%%", "A50387D", "A50206"}));
    QVERIFY(p.prompts.messages.isEmpty());
}

// With no interface ticked nothing can be sent: "Start Stream" is refused once and the window
// claims no stream the board never started.
void StreamingTest::withoutLinkTheWindowStillFollows() {
    Program p;
    p.f->BitBtn3Click();
    QVERIFY(!p.f->StreamingOn);
    QCOMPARE(p.rec1()->fillColor(), kGrey);
    QVERIFY(p.fecEditsEnabled());
    QCOMPARE(p.prompts.texts(), QStringList{"Please Connect First !! "});
}

void StreamingTest::refusedStartShowsNoStream_data() {
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial") << true;
    QTest::newRow("udp") << false;
}

// A board that refuses to start the stream ("Error Start Stream 11") leaves the window as it was:
// no "Streaming", a grey lamp, the FEC edits usable; the status bar and the error line say why.
// Once the board starts it, the window shows the stream.
void StreamingTest::refusedStartShowsNoStream() {
    QFETCH(bool, serial);
    std::atomic<bool> refuse{true};
    const Responder board = [&refuse](const QByteArray& frame) {
        return frame == "A50205" && refuse ? QByteArray("9911771") : QByteArray("55");
    };
    PtyResponder pty(board);
    UdpResponder udp(board);
    Program p;
    if (serial) {
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
    } else {
        p.udpAt(udp.port());
        p.udp()->setChecked(true);
    }
    p.f->Connect1Click();
    p.f->Timer1->stop();
    p.f->link.udpReceiveTimeout = 1000; // the stand-in answers from a thread of its own
    QElapsedTimer clock;
    clock.start();
    p.click("BitBtn3");
    // The refusal answers the start: no acknowledgement wait runs out.
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!p.f->StreamingOn);
    QCOMPARE(p.rec1()->fillColor(), kGrey);
    QVERIFY(p.fecBoxesEnabled());
    QVERIFY(p.fecEditsEnabled());
    QCOMPARE(p.panel5(), QString());
    QCOMPARE(p.label("Panel9")->text(), QStringLiteral("Error Start Stream 11"));
    QCOMPARE(p.f->statusBar()->currentMessage(),
             QStringLiteral("Start Stream: the board refused it (Error Start Stream 11)"));
    QVERIFY(p.prompts.messages.isEmpty());
    p.click("BitBtn4"); // nothing runs to be stopped
    QCOMPARE(p.prompts.texts(), QStringList{"Stream Already Stop "});

    refuse = false;
    p.click("BitBtn3");
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(p.rec1()->fillColor(), kGreen);
    QCOMPARE(p.panel5(), QStringLiteral("Streaming"));
    QVERIFY(!p.edit("LFEC")->isEnabled());
    QCOMPARE(serial ? pty.frames() : udp.frames(), (QList<QByteArray>{"A50205", "A50205"}));
}

QTEST_MAIN(StreamingTest)
#include "streaming_test.moc"
