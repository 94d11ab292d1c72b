// The program's main window against the stand-in board corvane-board, run as a child process:
// over UDP on 127.0.0.1 and over the board's pseudo-terminal, opened by its link name as the
// serial port. Timers and sleeps are shrunk; the board answers in real time.
#include "app/widgets.h"
#include "app/windows.h"
#include "core/controls.h"
#include "core/frames.h"
#include "platform/pacing.h"
#include "support/board_process.h"
#include "support/bytes.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <signal.h>

namespace {

// The program's windows, with time shrunk by `scale`.
struct Program : RunningProgram {
    explicit Program(double scale = 0.1) : RunningProgram(scale) {}

    QAction* action(const char* name) const { return child<QAction>(f, name); }

    // Points both links of the program at the board, without connecting.
    void aimAt(const BoardProcess& board) {
        serialAt(board.link());
        udpAt(board.port());
    }
    // Ticks the interface box and connects through the "Connect " menu item.
    void connect(const BoardProcess& board, Link link) {
        aimAt(board);
        (link == Link::Serial ? rs232() : udp())->setChecked(true);
        QCOMPARE(action("Connect1")->text(), QStringLiteral("&Connect ")); // Alt+C
        action("Connect1")->trigger();
    }
    bool connected() const { return f->ComPort1->isOpen() || f->udpActive(); }
};

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class BoardLinkTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void keepAliveShowsConnected_data();
    void keepAliveShowsConnected();
    void boardThatFallsSilentAndComesBack();
    void searchFindsTheBoard_data();
    void searchFindsTheBoard();
    void streamStartError_data();
    void streamStartError();
    void configurationReplyInPieces();
    void readConfigFillsTheWindows_data();
    void readConfigFillsTheWindows();
    void streamStartsAndStopsOnTheBoard_data();
    void streamStartsAndStopsOnTheBoard();
};

void BoardLinkTest::initTestCase() {
    QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"),
             "CORVANE_BOARD names the stand-in board program");
}

void BoardLinkTest::keepAliveShowsConnected_data() {
    QTest::addColumn<Link>("link");
    QTest::addColumn<QStringList>("boardOptions");
    QTest::newRow("udp") << Link::Udp << QStringList{};
    QTest::newRow("serial") << Link::Serial << QStringList{};
    // "22880A$01$%1" arrives as "228", "80A", "$01", "$%1".
    QTest::newRow("serial in pieces of 3")
        << Link::Serial << QStringList{"--split", "3", "--split-gap", "30"};
    QTest::newRow("serial in single characters, with line noise")
        << Link::Serial << QStringList{"--split", "1", "--split-gap", "5", "--noise"};
}

// "Connect " opens the link and starts the keep-alive; the board's auto-detection reply turns
// the connection text red "Connected".
void BoardLinkTest::keepAliveShowsConnected() {
    QFETCH(Link, link);
    QFETCH(QStringList, boardOptions);
    BoardProcess board(boardOptions);
    QVERIFY2(board.ready(), qPrintable(board.why()));
    Program p;
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Not Connected"));

    p.connect(board, link);
    QVERIFY(p.connected());
    QVERIFY(p.f->Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Connected"), 15000);
    QCOMPARE(textColour(p.label("ConNot")), QColor(255, 0, 0));
    QVERIFY(!p.f->KeepAlivePending);
    QVERIFY(p.prompts.messages.isEmpty());

    // The board saw exactly the keep-alive frame on the link in use, and nothing on the other.
    const QByteArray used = link == Link::Udp ? "udp" : "pty";
    const QByteArray other = link == Link::Udp ? "pty" : "udp";
    const QList<QByteArray> frames = board.traced(used);
    QVERIFY(!frames.isEmpty());
    for (const QByteArray& line : frames)
        QVERIFY2(line.contains("  A50224<CR>  => 22880A$01$%1"), line.constData());
    QVERIFY(board.traced(other).isEmpty());

    // The connection stays up over further ticks; "Connect " again closes it.
    const qsizetype ticks = frames.size();
    QTRY_VERIFY_WITH_TIMEOUT(board.traced(used).size() >= ticks + 2, 15000);
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Connected"));
    p.action("Connect1")->trigger();
    QVERIFY(!p.connected());
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Not Connected"));
    QVERIFY(board.stop());
    QVERIFY(!QFileInfo(board.link()).isSymLink());
}

// The board stops answering (SIGUSR1) and later answers again: the window follows both.
void BoardLinkTest::boardThatFallsSilentAndComesBack() {
    BoardProcess board;
    QVERIFY2(board.ready(), qPrintable(board.why()));
    Program p;
    p.connect(board, Link::Udp);
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Connected"), 15000);

    board.signal(SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(board.trace().contains("[silent]"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Not Connected"), 15000);
    QCOMPARE(textColour(p.label("ConNot")), QColor(Qt::black));
    QVERIFY(p.f->KeepAlivePending);
    QVERIFY(p.f->Timer1->isActive()); // keep-alives go on

    board.signal(SIGUSR1);
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Connected"), 15000);
    QCOMPARE(textColour(p.label("ConNot")), QColor(255, 0, 0));
    QVERIFY(p.prompts.messages.isEmpty());
}

void BoardLinkTest::searchFindsTheBoard_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("boardOptions");
    QTest::addColumn<Link>("found");
    QTest::newRow("RS232") << "estRS2321"
                           << "Test RS232" << QStringList{} << Link::Serial;
    // "B74D" arrives as "B7", "4D" while the probe waits.
    QTest::newRow("RS232, answer in pieces")
        << "estRS2321"
        << "Test RS232" << QStringList{"--split", "2"} << Link::Serial;
    QTest::newRow("UDP") << "estUDP1"
                         << "Test  UDP" << QStringList{} << Link::Udp;
    // The board answers on both links; the search ends on UDP.
    QTest::newRow("both") << "estBoth1"
                          << "Test Both" << QStringList{} << Link::Udp;
}

// A search from the "Test" menu finds the board on the probed link and ticks its box; the
// probe leaves the link closed, and "Connect " then gets the keep-alive answered.
void BoardLinkTest::searchFindsTheBoard() {
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QStringList, boardOptions);
    QFETCH(Link, found);
    BoardProcess board(boardOptions);
    QVERIFY2(board.ready(), qPrintable(board.why()));
    Program p;
    p.aimAt(board);

    QAction* start = p.action(item.toLatin1().constData());
    QCOMPARE(start->text(), caption);
    start->trigger();
    QVERIFY(p.f->search.active);
    p.waitForSearch();
    QCOMPARE(p.panel5History, QStringList{"Board Found"});
    QCOMPARE(p.rs232()->isChecked(), found == Link::Serial);
    QCOMPARE(p.udp()->isChecked(), found == Link::Udp);
    QVERIFY(!p.f->search.active);
    QVERIFY(!p.connected());
    QVERIFY(p.prompts.messages.isEmpty());
    const QList<QByteArray> probes = board.traced(found == Link::Udp ? "udp" : "pty");
    QCOMPARE(probes.size(), 1);
    QVERIFY2(probes[0].contains("  A50264<CR>  => B74D"), probes[0].constData());

    p.action("Connect1")->trigger();
    QVERIFY(p.connected());
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Connected"), 15000);
    QVERIFY(board.stop());
}

void BoardLinkTest::streamStartError_data() {
    QTest::addColumn<Link>("link");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QStringList>("splitOptions");
    QTest::newRow("udp 11") << Link::Udp << "11" << QStringList{};
    QTest::newRow("udp 12") << Link::Udp << "12" << QStringList{};
    QTest::newRow("serial 11") << Link::Serial << "11" << QStringList{};
    QTest::newRow("serial 12") << Link::Serial << "12" << QStringList{};
    // "9911771" as "9911", "771": the marker and its status character arrive together.
    QTest::newRow("serial 11 in pieces of 4")
        << Link::Serial << "11" << QStringList{"--split", "4"};
    // "9911771" as "991177", "1": the status character comes in a piece of its own.
    QTest::newRow("serial 11, status character alone")
        << Link::Serial << "11" << QStringList{"--split", "6", "--split-gap", "40"};
}

// The board refuses "Start Stream" on one stream: the error line and the status bar name it, and
// the window shows no stream (no "Streaming", a grey lamp, the FEC edits usable).
void BoardLinkTest::streamStartError() {
    QFETCH(Link, link);
    QFETCH(QString, stream);
    QFETCH(QStringList, splitOptions);
    BoardProcess board(QStringList{"--start-error", stream} + splitOptions);
    QVERIFY2(board.ready(), qPrintable(board.why()));
    Program p;
    p.connect(board, link);
    QVERIFY(p.connected());
    p.f->Timer1->stop(); // no keep-alive reply in between
    p.f->ReplySeen = false;

    QTest::mouseClick(child<QPushButton>(p.f, "BitBtn3"), Qt::LeftButton);
    const QByteArray used = link == Link::Udp ? "udp" : "pty";
    const QByteArray answer = "  A50205<CR>  => 991177" + stream.right(1).toLatin1();
    QTRY_VERIFY_WITH_TIMEOUT(
        !board.traced(used).isEmpty() && board.traced(used).last().contains(answer), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(p.f->ReplySeen, 15000);
    // The status character may come in a later piece of the reply.
    QTRY_COMPARE_WITH_TIMEOUT(p.label("Panel9")->text(),
                              QStringLiteral("Error Start Stream ") + stream, 15000);
    QVERIFY(!p.f->AckReceived);
    QVERIFY(!p.label("RDS")->isVisible());
    QVERIFY(!p.f->StreamingOn);
    QCOMPARE(child<ShapeIndicator>(p.f, "Rec1")->fillColor(), QColor(128, 128, 128));
    runEventLoop(20);
    QCOMPARE(p.label("Panel5")->text(), QString());
    for (const char* edit : {"LFEC", "DFEC", "FECP"})
        QVERIFY2(child<QLineEdit>(p.f, edit)->isEnabled(), edit);
    QCOMPARE(
        p.f->statusBar()->currentMessage(),
        QStringLiteral("Start Stream: the board refused it (Error Start Stream %1)").arg(stream));
    QVERIFY(p.prompts.messages.isEmpty());

    // Stopping is acknowledged as usual and READY comes back.
    p.f->CWriteStr(corvane::frames::stopStream());
    QTRY_VERIFY_WITH_TIMEOUT(p.f->AckReceived, 15000);
    QVERIFY(p.label("RDS")->isVisible());
}

// Over the serial line the whole configuration reply arrives in pieces of ten characters, its
// subnet mask 255.255.255.0 among them; the frame is cut out only when complete and equals the
// board's reply.
void BoardLinkTest::configurationReplyInPieces() {
    BoardProcess board({"--split", "10", "--split-gap", "2"});
    QVERIFY2(board.ready(), qPrintable(board.why()));
    const QByteArray whole = board.ask(corvane::frames::configRequest());
    QVERIFY(whole.startsWith("A3") && whole.endsWith("$\r"));
    QVERIFY(whole.contains("255.255.255.0"));

    Program p;
    p.connect(board, Link::Serial);
    p.f->Timer1->stop();
    p.f->RxFrame.clear();
    p.f->CWriteStr(corvane::frames::configRequest());
    QTRY_COMPARE_WITH_TIMEOUT(bytes(p.f->RxFrame), whole.chopped(1), 10000);
    QVERIFY(p.prompts.messages.isEmpty());
    QList<QByteArray> requests;
    for (const QByteArray& line : board.traced("pty"))
        if (line.contains("A50208"))
            requests << line;
    QCOMPARE(requests.size(), 1);
}

void BoardLinkTest::readConfigFillsTheWindows_data() {
    QTest::addColumn<Link>("link");
    QTest::addColumn<QStringList>("boardOptions");
    QTest::newRow("udp") << Link::Udp << QStringList{};
    QTest::newRow("serial") << Link::Serial << QStringList{};
    QTest::newRow("serial in pieces") << Link::Serial << QStringList{"--split", "7"};
}

// "Read Config." fills the main window, the recording dialog and the RTP dialog with the
// board's configuration and leaves the keep-alive running.
void BoardLinkTest::readConfigFillsTheWindows() {
    QFETCH(Link, link);
    QFETCH(QStringList, boardOptions);
    BoardProcess board(boardOptions);
    QVERIFY2(board.ready(), qPrintable(board.why()));
    Program p;
    p.connect(board, link);
    QTRY_COMPARE_WITH_TIMEOUT(p.label("ConNot")->text(), QStringLiteral("Connected"), 15000);

    child<QPushButton>(p.f, "BitBtn1")->click();
    using enum corvane::controls::Ctl;
    // A reply in pieces may outlast the (shrunk) acknowledgement wait; it is decoded on arrival.
    QTRY_VERIFY_WITH_TIMEOUT(!p.f->readControls().text(SubB).empty(), 15000);
    const corvane::controls::ConfigView v = p.f->readControls();
    const QStringList shown{
        QString::fromStdString(v.text(Bit1)),     QString::number(v.index(Res1)),
        QString::fromStdString(v.text(fps2)),     QString::number(v.index(Res2)),
        QString::fromStdString(v.text(ipb)),      QString::fromStdString(v.text(SubB)),
        QString::fromStdString(v.text(MTUB)),     QString::fromStdString(v.text(FECP)),
        QString::fromStdString(v.text(RecBit2)),  QString::number(v.index(RecRes2)),
        QString::fromStdString(v.text(RTP11_IP)), QString::fromStdString(v.text(RTP12_M)),
        QString::number(v.index(RTP11_S))};
    QCOMPARE(shown, (QStringList{"4000", "0", "25", "2", "192.168.0.245", "255.255.255.0", "1500",
                                 "50", "3000", "2", "192.168.0.100", "239.1.1.12", "0"}));
    QVERIFY(v.checked(ERec1));
    QVERIFY(v.checked(AutoDetect));
    QCOMPARE(p.f->StreamModeLetter, std::string("S"));
    QCOMPARE(p.label("PARTP")->text(), QStringLiteral("RTSP"));
    QVERIFY(p.f->Timer1->isActive());
    QVERIFY(p.prompts.messages.isEmpty());

    // The board saw the read, the configuration request, then the keep-alive and nothing else: the
    // boxes that the decoder ticked ("IAD") show the board's state and send nothing.
    const auto sent = [&] {
        QStringList frames;
        for (const QByteArray& line : board.traced(link == Link::Udp ? "udp" : "pty"))
            frames << QString::fromLatin1(line.left(line.indexOf("  =>"))).section("  ", -1);
        return frames.join(' ');
    };
    const auto afterRead = [&] {
        const QString all = sent();
        const qsizetype read = all.indexOf("A50226<CR> A50208<CR> ");
        return read < 0 ? QString() : all.mid(read + 22);
    };
    QTRY_VERIFY2_WITH_TIMEOUT(afterRead().startsWith("A50224<CR>"), qPrintable(sent()), 15000);
    QVERIFY2(!afterRead().contains("A5037"), qPrintable(sent()));
}

void BoardLinkTest::streamStartsAndStopsOnTheBoard_data() {
    QTest::addColumn<Link>("link");
    QTest::newRow("udp") << Link::Udp;
    QTest::newRow("serial") << Link::Serial;
}

// "Start Stream", "FEC" and "Stop Stream" from the window: the board streams in between and says
// so in its configuration reply (auto start 2), which "Read Config." turns back into the
// streaming state; the stop leaves FEC off on the board.
void BoardLinkTest::streamStartsAndStopsOnTheBoard() {
    QFETCH(Link, link);
    BoardProcess board;
    QVERIFY2(board.ready(), qPrintable(board.why()));
    // Fields of the board's configuration reply, as the board tells anyone who asks.
    const auto fields = [&board] {
        const QByteArray reply = board.ask(corvane::frames::configRequest());
        return reply.startsWith("A3") ? reply.mid(7).split('$') : QList<QByteArray>{};
    };
    QCOMPARE(fields().value(17), QByteArray("1"));

    Program p;
    p.connect(board, link);
    QVERIFY(p.connected());
    p.f->Timer1->stop();
    child<QLineEdit>(p.f, "LFEC")->setText("4");
    child<QLineEdit>(p.f, "DFEC")->setText("4");
    const QByteArray used = link == Link::Udp ? "udp" : "pty";
    // What the program sent, leaving out keep-alives and configuration requests (the test's own
    // questions among them).
    const auto sent = [&board, &used] {
        QStringList frames;
        for (const QByteArray& line : board.traced(used)) {
            const QString frame =
                QString::fromLatin1(line.left(line.indexOf("  =>"))).section("  ", -1);
            if (frame != "A50224<CR>" && frame != "A50208<CR>")
                frames << frame;
        }
        return frames.join(' ');
    };

    QTest::mouseClick(child<QPushButton>(p.f, "BitBtn3"), Qt::LeftButton);
    child<QCheckBox>(p.f, "CEFEC")->click();
    QTRY_COMPARE_WITH_TIMEOUT(sent(), QStringLiteral("A50205<CR> A50787E4L4D%%%%%%<CR>"), 15000);
    QList<QByteArray> state = fields();
    QCOMPARE(state.value(17), QByteArray("2"));
    QCOMPARE(state.value(43), QByteArray("E"));

    // The window forgets the stream (a click on the status panel); reading the configuration
    // brings it back from the board.
    QTest::mouseClick(p.label("Panel5"), Qt::LeftButton);
    QVERIFY(!p.f->StreamingOn);
    child<QPushButton>(p.f, "BitBtn1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(p.f->StreamingOn, 15000);
    QVERIFY(child<QCheckBox>(p.f, "AutStart")->isChecked());

    QTest::mouseClick(child<QPushButton>(p.f, "BitBtn4"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sent().endsWith("A50206<CR>"), 15000);
    // The read wrote nothing to the board (the boxes it ticked send nothing); "Stop Stream" sends
    // the FEC box's command, then its stop.
    QCOMPARE(sent(), QStringLiteral("A50205<CR> A50787E4L4D%%%%%%<CR> A50226<CR> "
                                    "A50787E4L4D%%%%%%<CR> A50387D<CR> A50206<CR>"));
    state = fields();
    QCOMPARE(state.value(17), QByteArray("1"));
    QCOMPARE(state.value(43), QByteArray("D"));
    QVERIFY(!p.f->StreamingOn);
    QVERIFY(p.prompts.messages.isEmpty());
}

QTEST_MAIN(BoardLinkTest)
#include "board_link_test.moc"
