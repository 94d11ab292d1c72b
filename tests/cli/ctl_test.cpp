// corvane-ctl against the stand-in board corvane-board, compared with what the window does on the
// same board: "read" prints what "Read Config." shows, "save" and "save-network" send what "Save
// Config." and "Save Network Configuration" send, refused values and files send nothing, an
// absent board or one that fails during a run ends it with status 2 in time, and many boards run
// at once, end together and give one JSON document. "diff" compares a file with the board, a dry
// run prints the frames a save then sends, and a backup keeps what read prints before a save.
#include "app/tform1.h"
#include "core/config_text.h"
#include "core/controls.h"
#include "core/history.h"
#include "core/server_record.h"
#include "support/board_process.h"
#include "support/program.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <cerrno>
#include <csignal>
#include <system_error>
#include <unistd.h>

namespace controls = corvane::controls;
namespace configtext = corvane::configtext;
using controls::Ctl;

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0;
};

Result ctl(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QString::fromLocal8Bit(qgetenv("CORVANE_CTL")), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        p.kill();
    Result r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
             p.readAllStandardError(), clock.elapsed()};
    return r;
}

QStringList linkArgs(const BoardProcess& board, Link link) {
    if (link == Link::Udp)
        return {"--udp", QStringLiteral("127.0.0.1:%1").arg(board.port())};
    return {"--serial", board.link()};
}

QByteArray linkName(Link link) {
    return link == Link::Udp ? "udp" : "pty";
}

// The frames a board took, without the time and the sender (the sender's port differs from one
// program to the next).
QList<QByteArray> frames(const BoardProcess& board, Link link) {
    QList<QByteArray> out;
    for (QByteArray line : board.traced(linkName(link))) {
        // "udp 127.0.0.1:40000  A50206<CR>  => 55"
        out << line.mid(line.indexOf("  "));
    }
    return out;
}

// The frames alone, as the trace shows them ("A50206<CR>"), without the replies.
QList<QByteArray> sentFrames(const BoardProcess& board, Link link, qsizetype from = 0) {
    QList<QByteArray> out;
    for (const QByteArray& line : frames(board, link).mid(from))
        out << line.mid(2, line.indexOf("  => ") - 2);
    return out;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read)");
}

// Every frame a board received on either link, answered or not.
qsizetype received(const BoardProcess& board) {
    return board.traced("udp").size() + board.traced("pty").size();
}

// Waits until the board has received more than `count` frames on `link`.
bool receivedMore(const BoardProcess& board, Link link, qsizetype count, int ms = 20000) {
    const QDeadlineTimer deadline(ms);
    while (frames(board, link).size() <= count && !deadline.hasExpired())
        QTest::qWait(20);
    return frames(board, link).size() > count;
}

// The programs a process started that still run.
QList<qint64> childrenOf(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    QList<qint64> out;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& word : file.readAll().split(' '))
            if (!word.trimmed().isEmpty())
                out << word.trimmed().toLongLong();
    return out;
}

// A file of boards in `dir`, one line each.
QString boardsFile(const QTemporaryDir& dir, const QStringList& lines) {
    const QString path = dir.filePath("boards");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(lines.join('\n').toUtf8() + '\n');
    return path;
}

// Replaces "name=value" lines of a configuration text.
QByteArray changed(QByteArray text, const QStringList& changes) {
    QList<QByteArray> lines = text.split('\n');
    for (const QString& change : changes) {
        const QByteArray name = change.section('=', 0, 0).toUtf8() + '=';
        bool found = false;
        for (QByteArray& line : lines)
            if (line.startsWith(name)) {
                line = change.toUtf8();
                found = true;
            }
        if (!found)
            qFatal("no line %s", name.constData());
    }
    return lines.join('\n');
}

// Values that differ from what the stand-in holds at start, the stream streaming on its own (so a
// save stops and restarts it) and variable bit rate on stream 11.
const QStringList kChanges{"S1I=HD SDI 720P60",
                           "S2I=Analog PAL BAR",
                           "Res1=1280 x 720",
                           "Res2=704 x 576",
                           "Bit1=5000",
                           "Bit2=800",
                           "Gop1=50",
                           "Gop2=12",
                           "fps1=60",
                           "fps2=50",
                           "Efmt2=H.265",
                           "S1Aud=on",
                           "S2Aud=on",
                           "ERec1=off",
                           "ERec2=on",
                           "AutStart=on",
                           "UDPRSB=on",
                           "LFEC=10",
                           "DFEC=5",
                           "CBR11B=off",
                           "VBR11B=on",
                           "PARTP=RTP 12",
                           "RecRes1=640 x 480",
                           "RecBit1=6000",
                           "RecGop1=20",
                           "Recfps1=15",
                           "RTP11_S=Multicast",
                           "RTP11_Port=6000",
                           "RTP11_M=239.2.2.2",
                           "RTP11_IP=10.1.1.1",
                           "RTP12_Port=6002",
                           "RTP12_IP=10.1.1.2"};

QByteArray readBoard(const BoardProcess& board, Link link) {
    const Result r = ctl(linkArgs(board, link) << "read");
    if (r.status != 0)
        qWarning("read: %d %s", r.status, r.err.constData());
    return r.out;
}

// A board that holds kChanges, put there by the tool itself.
void prepare(const BoardProcess& board, Link link) {
    const QByteArray saved = changed(readBoard(board, link), kChanges);
    const Result r = ctl(linkArgs(board, link) << "save"
                                               << "-",
                         saved);
    QVERIFY2(r.status == 0, r.err.constData());
}

} // namespace

class CtlTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"), "CORVANE_BOARD names the board");
        QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_CTL"), "CORVANE_CTL names corvane-ctl");
    }

    // "read" prints every control, in catalogue order, with the values the window shows after
    // "Read Config." of the same board; --json holds the same values.
    void readPrintsWhatTheWindowShows() {
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        prepare(board, Link::Udp);
        const Result r = ctl(linkArgs(board, Link::Udp) << "read");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), qsizetype(controls::kCatalogue.size()));
        for (std::size_t i = 0; i < controls::kCatalogue.size(); ++i)
            QVERIFY2(lines[qsizetype(i)].startsWith(
                         QByteArray(controls::kCatalogue[i].name.data()) + '='),
                     lines[qsizetype(i)].constData());
        for (const QString& change : kChanges)
            QVERIFY2(lines.contains(change.toUtf8()), qPrintable(change));

        RunningProgram window(0.1);
        window.connectUdp(board.port());
        window.f->Timer1->setInterval(3600 * 1000);
        child<QPushButton>(window.f, "BitBtn1")->click();
        const std::string shown = configtext::toLines(window.f->readControls(), window.f->Board);
        QCOMPARE(r.out, QByteArray::fromStdString(shown));

        const Result json = ctl(linkArgs(board, Link::Udp) << "read"
                                                           << "--json");
        QCOMPARE(json.status, 0);
        const QJsonObject object = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(object.size(), qsizetype(controls::kCatalogue.size()));
        QCOMPARE(object["Bit1"].toString(), QString("5000"));
        QCOMPARE(object["Res1"].toString(), QString("1280 x 720"));
        QCOMPARE(object["VBR11B"].toBool(), true);
        QCOMPARE(object["CBR11B"].toBool(), false);
    }

    // The window reads the board and saves; the tool reads it and saves what it read: the board
    // takes the same frames in the same order, each answered.
    void saveSendsWhatTheWindowSends() {
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        prepare(board, Link::Udp);
        {
            RunningProgram window(0.1);
            window.connectUdp(board.port());
            window.f->Timer1->setInterval(3600 * 1000);
            child<QPushButton>(window.f, "BitBtn1")->click();
            QVERIFY(window.f->StreamingOn);
            const qsizetype before = frames(board, Link::Udp).size();
            int sent = -1;
            QObject::connect(&window.f->link, &BoardLink::sequenceEnded,
                             [&sent](const BoardLink::SequenceReport& r) {
                                 if (r.name == QLatin1String("Save Config."))
                                     sent = r.sent;
                             });
            child<QPushButton>(window.f, "BitBtn2")->click();
            QVERIFY(window.prompts.messages.isEmpty());
            // The last frame is awaited by no wait: the board may log it after the save.
            QVERIFY(sent > 0);
            QTRY_COMPARE(frames(board, Link::Udp).size() - before, qsizetype(sent));
            const QList<QByteArray> byWindow = frames(board, Link::Udp).mid(before);

            const QByteArray text = readBoard(board, Link::Udp);
            const qsizetype mark = frames(board, Link::Udp).size();
            const Result r = ctl(linkArgs(board, Link::Udp) << "save"
                                                            << "-",
                                 text);
            QCOMPARE(r.status, 0);
            QCOMPARE(r.out, QByteArray());
            const QList<QByteArray> byTool = frames(board, Link::Udp).mid(mark);
            QVERIFY(byWindow.size() > 30);
            QCOMPARE(byTool, byWindow);
            for (const QByteArray& line : byTool)
                QVERIFY2(line.endsWith("  => 55"), line.constData());
        }
    }

    // A configuration read from one board and saved to a fresh one reads back the same, over UDP
    // and over a pseudo-terminal.
    void readSaveRoundTrip_data() {
        QTest::addColumn<Link>("link");
        QTest::newRow("udp") << Link::Udp;
        QTest::newRow("pty") << Link::Serial;
    }
    void readSaveRoundTrip() {
        QFETCH(Link, link);
        BoardProcess from({"--strict"});
        BoardProcess to({"--strict"});
        QVERIFY2(from.ready() && to.ready(), qPrintable(from.why() + to.why()));
        prepare(from, link);
        const QByteArray read = readBoard(from, link);
        QVERIFY(read != readBoard(to, link));
        const Result saved = ctl(linkArgs(to, link) << "save"
                                                    << "-",
                                 read);
        QVERIFY2(saved.status == 0, saved.err.constData());
        QByteArray expected = read;
        QCOMPARE(readBoard(to, link), expected);
    }

    // Values the window would refuse, and lines that name nothing: the message with its line,
    // status 3, and not one frame sent.
    void refusedValuesSendNothing_data() {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("frame rate above the input's")
            << QStringList{"S1I=HD SDI 1080P30", "fps1=60"}
            << "line 9: Wrong Value in Chnl 11 FPS ";
        QTest::newRow("frame rate no number") << QStringList{"S2I=HD SDI 1080P30", "fps2=3x"}
                                              << "line 10: '3x' is not a valid integer value";
        QTest::newRow("frame rate blank")
            << QStringList{"S2I=HD SDI 1080P30", "fps2="}
            << "line 10: Stream 12 Frame Rate is empty: it takes a whole number from 1 to 999, in "
               "digits only.";
        QTest::newRow("list value") << QStringList{"Res2=1024 x 768"}
                                    << "line 4: Res2: '1024 x 768' is not one of 1920 x 1080";
        QTest::newRow("box value")
            << QStringList{"CEFEC=yes"} << "line 33: CEFEC: 'yes' is neither on nor off";
        QTest::newRow("unknown name")
            << QStringList{"Bit1=5000\nBitrate=1"} << "line 6: unknown name 'Bitrate'";
        QTest::newRow("twice") << QStringList{"Bit1=5000\nBit1=6000"}
                               << "line 6: Bit1 is given twice (first on line 5)";
        QTest::newRow("missing") << QStringList{"Bit1=5000\n#"} << "";
    }
    void refusedValuesSendNothing() {
        QFETCH(QStringList, changes);
        QFETCH(QString, expected);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        QByteArray text = changed(readBoard(board, Link::Udp), changes);
        if (expected.isEmpty()) { // a value left out
            text.replace("\nGop1=", "\n#Gop1=");
            expected = "no value for Gop1";
        }
        const qsizetype before = frames(board, Link::Udp).size();
        const Result r = ctl(linkArgs(board, Link::Udp) << "save"
                                                        << "-",
                             text);
        QCOMPARE(r.status, 3);
        const QString label = QStringLiteral("127.0.0.1:%1: standard input: ").arg(board.port());
        QVERIFY2(QString(r.err).startsWith(label + expected), r.err.constData());
        QCOMPARE(frames(board, Link::Udp).size(), before);
    }

    // No board: status 2 with the board's address after a second's wait, for a board that keeps
    // silent (on either link: a serial line's first command waits as long as a UDP one) and for a
    // port where nothing listens.
    void absentBoard_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("silent");
        QTest::newRow("read, silent board") << "read" << Link::Udp << true;
        QTest::newRow("read, nobody there") << "read" << Link::Udp << false;
        QTest::newRow("probe, silent board") << "probe" << Link::Udp << true;
        QTest::newRow("start, nobody there") << "start" << Link::Udp << false;
        QTest::newRow("read, silent serial board") << "read" << Link::Serial << true;
        QTest::newRow("start, silent serial board") << "start" << Link::Serial << true;
        QTest::newRow("firmware, silent serial board") << "firmware" << Link::Serial << true;
        QTest::newRow("probe, silent serial board") << "probe" << Link::Serial << true;
    }
    void absentBoard() {
        QFETCH(QString, command);
        QFETCH(Link, link);
        QFETCH(bool, silent);
        std::unique_ptr<BoardProcess> board;
        QStringList args;
        QString label;
        if (silent) {
            board = std::make_unique<BoardProcess>(QStringList{"--silent"});
            QVERIFY(board->ready());
            args = linkArgs(*board, link);
            label = args[1];
        } else {
            QUdpSocket free;
            QVERIFY(free.bind(QHostAddress::LocalHost, 0));
            label = QStringLiteral("127.0.0.1:%1").arg(free.localPort());
            args = QStringList{"--udp", label};
        }
        const Result r = ctl(args << command);
        QCOMPARE(r.status, 2);
        QCOMPARE(QString(r.err), label + ": no answer within 1 s\n");
        QCOMPARE(r.out, QByteArray());
        // It did wait its second, and it does not hang.
        QVERIFY2(r.ms >= 1000 && r.ms < 15000, qPrintable(QString::number(r.ms)));
        if (board) // the first command, and nothing after it
            QCOMPARE(frames(*board, link).size(), 1);
    }

    // A board that refuses to start the stream: status 2 naming the refusal, on both links, and
    // the FEC command that would follow the start is not sent.
    void refusedStart_data() {
        QTest::addColumn<Link>("link");
        QTest::newRow("udp") << Link::Udp;
        QTest::newRow("serial") << Link::Serial;
    }
    void refusedStart() {
        QFETCH(Link, link);
        BoardProcess board(QStringList{"--start-error", "11"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        QStringList args = linkArgs(board, link);
        const QString label = args[1];
        const Result r = ctl(args << "start"
                                  << "--fec"
                                  << "--fec-l"
                                  << "4"
                                  << "--fec-d"
                                  << "4");
        QCOMPARE(r.status, 2);
        QCOMPARE(QString(r.err),
                 label + ": the board refused to start the stream (after 1 of 2 commands)\n");
        QCOMPARE(frames(board, link), QList<QByteArray>{"  A50205<CR>  => 9911771"});
    }

    // A board that falls silent or a serial port that goes away during a save: status 2 within
    // 40 s, saying after how many of the commands, and nothing sent after that.
    void boardFailsDuringSave_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<QString>("expected");
        const QString silent = "^%1: no answer after \\d+ of \\d+ commands\\n$";
        QTest::newRow("udp, silent") << Link::Udp << false << silent;
        QTest::newRow("pty, silent") << Link::Serial << false << silent;
        QTest::newRow("pty, port gone")
            << Link::Serial << true << "^%1: .+ \\(after \\d+ of \\d+ commands\\)\\n$";
    }
    void boardFailsDuringSave() {
        QFETCH(Link, link);
        QFETCH(bool, gone);
        QFETCH(QString, expected);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray text = readBoard(board, link);
        const qsizetype before = frames(board, link).size();
        QProcess p;
        p.start(QString::fromLocal8Bit(qgetenv("CORVANE_CTL")), linkArgs(board, link) << "save"
                                                                                      << "-");
        p.write(text);
        p.closeWriteChannel();
        QVERIFY(receivedMore(board, link, before + 10));
        QElapsedTimer clock;
        clock.start();
        if (gone)
            board.stop();
        else
            board.signal(SIGUSR1);
        const qsizetype atFault = frames(board, link).size();
        QVERIFY(p.waitForFinished(45000));
        QVERIFY2(clock.elapsed() < 40000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        const QString err =
            QString::fromUtf8(p.readAllStandardError()).split('\n').filter("after").join('\n') +
            '\n';
        QVERIFY2(
            QRegularExpression(expected.arg(QRegularExpression::escape(linkArgs(board, link)[1])))
                .match(err)
                .hasMatch(),
            qPrintable(err));
        // A silent board hears the commands of the waits that end the run, no more.
        if (!gone)
            QVERIFY2(frames(board, link).size() <= atFault + 3,
                     qPrintable(QString::number(frames(board, link).size() - atFault)));
    }

    // What is refused before any link opens: a record file of another size than 341 bytes, a
    // control character or an unknown mode caption in a value, a line of 10 MB (quoted, not
    // copied), a network value that the window would stop at. One message, status 3, not one
    // frame sent; with --boards the file is checked once, and one message says why.
    void refusedBeforeAnyLink_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("changes"); // to the board's configuration ("lines")
        QTest::addColumn<QByteArray>("raw");      // the whole file (record), or before the lines
        QTest::addColumn<bool>("boards");
        QTest::addColumn<QString>("expected");
        const QByteArray tenMb(10 * 1024 * 1024, 'x');
        for (const bool boards : {false, true}) {
            const char* tag = boards ? " (--boards)" : "";
            QTest::newRow(qPrintable(QString("empty record file") + tag))
                << "record" << QStringList{} << QByteArray() << boards
                << "FILE: 0 bytes; a server configuration file has 341";
            QTest::newRow(qPrintable(QString("carriage return in a value") + tag))
                << "save" << QStringList{"RTP11_IP=1.2.3.4\rA50275"} << QByteArray() << boards
                << "FILE: line 49: RTP11_IP: '1.2.3.4\\rA50275' holds a control character";
        }
        QTest::newRow("record one byte too long")
            << "record" << QStringList{} << QByteArray(342, '\0') << false
            << "FILE: 342 bytes; a server configuration file has 341";
        QTest::newRow("delete in a value")
            << "save" << QStringList{"RTP12_M=239.1.1.12\x7f"} << QByteArray() << false
            << "FILE: line 55: RTP12_M: '239.1.1.12\\x7F' holds a control character";
        QTest::newRow("tab in a network value")
            << "save-network" << QStringList{"ipb=10.0.0.1\t"} << QByteArray() << false
            << "FILE: line 28: ipb: '10.0.0.1\\x09' holds a control character";
        QTest::newRow("mode caption")
            << "save" << QStringList{"PARTP=RTP 13"} << QByteArray() << false
            << "FILE: line 27: PARTP: 'RTP 13' is not one of RTSP, RTP "
               "11, RTP 12, RTP 11 + RTP 12";
        QTest::newRow("no mode caption") << "save" << QStringList{"PARTP="} << QByteArray() << false
                                         << "FILE: line 27: PARTP: '' is not one of RTSP, RTP 11, "
                                            "RTP 12, RTP 11 + RTP 12";
        QTest::newRow("10 MB line")
            << "save" << QStringList{} << tenMb + '\n'
            << false
            << "FILE: line 1: '" + QString(60, 'x') + "... (10485760 bytes)' is not name=value";
        QTest::newRow("10 MB value")
            << "save" << QStringList{"Bit1=" + QString(tenMb)} << QByteArray() << false
            << "FILE: line 5: '" + QString(60, 'x') + "... (10485760 bytes)' is too long to send";
        QTest::newRow("MTU not a number")
            << "save-network" << QStringList{"MTUB=15x"} << QByteArray() << false
            << "FILE: line 31: '15x' is not a valid integer value";
    }
    void refusedBeforeAnyLink() {
        QFETCH(QString, command);
        QFETCH(QStringList, changes);
        QFETCH(QByteArray, raw);
        QFETCH(bool, boards);
        QFETCH(QString, expected);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        QTemporaryDir dir;
        const QString path = dir.filePath("in.conf");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(command == "record" ? raw
                                           : raw + changed(readBoard(board, Link::Udp), changes));
        }
        const qsizetype before = received(board);
        QStringList args = command == "record" ? QStringList{"save", "--record", path}
                                               : QStringList{command, path};
        QString label;
        if (boards) {
            args = QStringList{"--boards",
                               boardsFile(dir, {linkArgs(board, Link::Udp).join(' '),
                                                linkArgs(board, Link::Serial).join(' ')})} +
                   args;
        } else {
            args = linkArgs(board, Link::Serial) + args;
            label = board.link() + ": ";
        }
        const Result r = ctl(args);
        QCOMPARE(r.status, 3);
        QCOMPARE(QString::fromLatin1(r.err),
                 label + QString(expected).replace("FILE", path) + '\n');
        QCOMPARE(r.out, QByteArray());
        QTest::qWait(100);
        QCOMPARE(received(board), before);
    }

    // --boards ends the boards' programs on SIGTERM (status 128 + 15) and when --timeout has
    // passed (status 4, naming each board not done); with --jobs 1 only one runs at a time, so
    // the second board is never reached.
    void boardsEnd_data() {
        QTest::addColumn<bool>("signal");
        QTest::newRow("SIGTERM") << true;
        QTest::newRow("--timeout") << false;
    }
    void boardsEnd() {
        QFETCH(bool, signal);
        BoardProcess a, b;
        QVERIFY(a.ready() && b.ready());
        const QByteArray text = readBoard(a, Link::Udp);
        QTemporaryDir dir;
        const QString list = boardsFile(
            dir, {linkArgs(a, Link::Udp).join(' '), linkArgs(b, Link::Serial).join(' ')});
        const qsizetype beforeA = frames(a, Link::Udp).size();
        const qsizetype beforeB = received(b);
        QProcess p;
        QStringList args{"--boards", list, "--jobs", "1", "save", "-"};
        if (!signal)
            args << "--timeout"
                 << "2";
        p.start(QString::fromLocal8Bit(qgetenv("CORVANE_CTL")), args);
        p.write(text);
        p.closeWriteChannel();
        QVERIFY(receivedMore(a, Link::Udp, beforeA + 3));
        const QList<qint64> running = childrenOf(p.processId());
        QCOMPARE(running.size(), 1);
        QElapsedTimer clock;
        clock.start();
        if (signal)
            ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        const QByteArray err = p.readAllStandardError();
        if (signal) {
            QCOMPARE(p.exitCode(), 128 + SIGTERM);
        } else {
            QCOMPARE(p.exitCode(), 4);
            QVERIFY2(err.contains(linkArgs(a, Link::Udp)[1].toUtf8() + ": not done within 2 s\n"),
                     err.constData());
            QVERIFY2(err.contains(b.link().toUtf8() + ": not started within 2 s\n"),
                     err.constData());
        }
        errno = 0;
        QCOMPARE(::kill(pid_t(running.first()), 0), -1);
        QCOMPARE(errno, ESRCH);
        const qsizetype atEnd = frames(a, Link::Udp).size();
        QTest::qWait(1200);
        QCOMPARE(frames(a, Link::Udp).size(), atEnd);
        QCOMPARE(received(b), beforeB);
    }

    // "save-network" sends what "Save Network Configuration" sends for the same values, and the
    // board then holds the file's network values.
    void saveNetworkSendsWhatTheWindowSends() {
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        RunningProgram window(0.1);
        window.connectUdp(board.port());
        window.f->Timer1->setInterval(3600 * 1000);
        child<QPushButton>(window.f, "BitBtn1")->click();
        const qsizetype before = frames(board, Link::Udp).size();
        child<QPushButton>(window.f, "BitBtn5")->click();
        QVERIFY(window.prompts.messages.isEmpty());
        // The closing command is awaited by no wait: the board may log it after the save.
        QTRY_COMPARE(frames(board, Link::Udp).size() - before, qsizetype(6));
        const QList<QByteArray> byWindow = frames(board, Link::Udp).mid(before);
        QCOMPARE(byWindow.size(), 6);

        const QByteArray text = readBoard(board, Link::Udp);
        const qsizetype mark = frames(board, Link::Udp).size();
        Result r = ctl(linkArgs(board, Link::Udp) << "save-network"
                                                  << "-",
                       text);
        QVERIFY2(r.status == 0, r.err.constData());
        QCOMPARE(frames(board, Link::Udp).mid(mark), byWindow);

        const QStringList network{"ipb=10.0.0.5", "gwp=10.0.0.1", "SubB=255.255.0.0", "MTUB=1400",
                                  "UDPRSIPB=10.0.0.9"};
        r = ctl(linkArgs(board, Link::Serial) << "save-network"
                                              << "-",
                network.join('\n').toUtf8());
        QVERIFY2(r.status == 0, r.err.constData());
        const QByteArray after = readBoard(board, Link::Udp);
        for (const QString& line : network)
            QVERIFY2(after.contains('\n' + line.toUtf8() + '\n'), qPrintable(line));
    }

    // Three boards at once: every result line names its board; one board missing makes status 4
    // and the others still answer.
    void manyBoards() {
        BoardProcess a, b;
        QVERIFY(a.ready() && b.ready());
        QUdpSocket free;
        QVERIFY(free.bind(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        const QString list = dir.filePath("boards");
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("# the rack\n--udp 127.0.0.1:%1 # studio A\n\n--serial \"%2\" #2\n")
                .arg(a.port())
                .arg(b.link())
                .toUtf8());
        file.close();
        Result r = ctl({"--boards", list, "read"});
        QCOMPARE(r.status, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), qsizetype(2 * controls::kCatalogue.size()));
        const QByteArray first = QStringLiteral("127.0.0.1:%1: ").arg(a.port()).toUtf8();
        const QByteArray second = b.link().toUtf8() + ": ";
        QVERIFY(lines.contains(first + "Bit1=4000"));
        QVERIFY(lines.contains(second + "Bit1=4000"));
        for (const QByteArray& line : lines)
            QVERIFY2(line.startsWith(first) || line.startsWith(second), line.constData());

        QVERIFY(file.open(QIODevice::Append));
        file.write(QStringLiteral("--udp 127.0.0.1:%1\n").arg(free.localPort()).toUtf8());
        file.close();
        r = ctl({"--boards", list, "probe"});
        QCOMPARE(r.status, 4);
        QCOMPARE(QString(r.out).split('\n').filter("answers").size(), 2);
        QCOMPARE(QString(r.err),
                 QStringLiteral("127.0.0.1:%1: no answer within 1 s\n").arg(free.localPort()));

        // One JSON document keyed by board; the board that did not answer is null.
        r = ctl({"--boards", list, "--json", "read"});
        QCOMPARE(r.status, 4);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonObject boards = doc.object();
        QCOMPARE(boards.keys().size(), 3);
        QCOMPARE(boards[QStringLiteral("127.0.0.1:%1").arg(a.port())]["Bit1"].toString(),
                 QString("4000"));
        QCOMPARE(boards[b.link()]["Res1"].toString(), QString("1920 x 1080"));
        QVERIFY(boards[QStringLiteral("127.0.0.1:%1").arg(free.localPort())].isNull());

        // The same board twice would interleave two programs' commands on its link.
        QVERIFY(file.open(QIODevice::Append));
        file.write(QStringLiteral("--udp 127.0.0.1:%1\n").arg(a.port()).toUtf8());
        file.close();
        r = ctl({"--boards", list, "probe"});
        QCOMPARE(r.status, 1);
        QVERIFY2(
            r.err.contains(
                QStringLiteral("line 6: 127.0.0.1:%1 is already on line 2").arg(a.port()).toUtf8()),
            r.err.constData());
    }

    // diff compares a file with the board: nothing printed and 0 for what read printed (also read
    // over the other link), 5 and one line per differing setting, in catalogue order, the file's
    // value first. A frame rate that only the save itself would refuse is still compared. A file
    // that save refuses as text is refused alike, with its line, before any link opens (3).
    void diffComparesFileAndBoard_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("expected"); // standard output; standard error for status 3
        for (const Link link : {Link::Udp, Link::Serial}) {
            const QByteArray tag = linkName(link);
            QTest::newRow(tag + ", as read") << link << QStringList{} << 0 << QByteArray();
            QTest::newRow(tag + ", one edited line") << link << QStringList{"Bit1=6000"} << 5
                                                     << QByteArray("Bit1: file 6000, board 4000\n");
        }
        QTest::newRow("udp, as read over serial")
            << Link::Udp << QStringList{"UDPCheck=off", "RS232Check=on"} << 0 << QByteArray();
        QTest::newRow("udp, catalogue order")
            << Link::Udp << QStringList{"RTP12_IP=", "CEFEC=on", "Res1=1280 x 720"} << 5
            << QByteArray("Res1: file 1280 x 720, board 1920 x 1080\n"
                          "CEFEC: file on, board off\n"
                          "RTP12_IP: file (empty), board 192.168.0.100\n");
        QTest::newRow("pty, frame rate the save refuses")
            << Link::Serial << QStringList{"fps1=60"} << 5
            << QByteArray("fps1: file 60, board 30\n");
        QTest::newRow("pty, refused line")
            << Link::Serial << QStringList{"Bit1=6000", "CEFEC=yes"} << 3
            << QByteArray("standard input: line 33: CEFEC: 'yes' is neither on nor off\n");
    }
    void diffComparesFileAndBoard() {
        QFETCH(Link, link);
        QFETCH(QStringList, changes);
        QFETCH(int, status);
        QFETCH(QByteArray, expected);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        QByteArray text = readBoard(board, link);
        if (!changes.isEmpty())
            text = changed(text, changes);
        const qsizetype before = received(board);
        const QStringList args = linkArgs(board, link);
        const Result r = ctl(QStringList(args) << "diff"
                                               << "-",
                             text);
        QCOMPARE(r.status, status);
        if (status == 3) {
            QCOMPARE(r.err, args[1].toUtf8() + ": " + expected);
            QCOMPARE(r.out, QByteArray());
            QTest::qWait(100);
            QCOMPARE(received(board), before);
        } else {
            QCOMPARE(r.out, expected);
            QCOMPARE(r.err, QByteArray());
        }
    }

    // diff on many boards: each differing line names its board, the board that differs makes the
    // run end with 4, the one that does not prints nothing.
    void diffOnManyBoards() {
        BoardProcess a, b;
        QVERIFY(a.ready() && b.ready());
        const QByteArray text = readBoard(a, Link::Udp);
        const Result saved = ctl(linkArgs(b, Link::Serial) << "save"
                                                           << "-",
                                 changed(text, {"Gop2=12"}));
        QVERIFY2(saved.status == 0, saved.err.constData());
        QTemporaryDir dir;
        const QString list = boardsFile(
            dir, {linkArgs(a, Link::Udp).join(' '), linkArgs(b, Link::Serial).join(' ')});
        const Result r = ctl({"--boards", list, "diff", "-"}, text);
        QCOMPARE(r.status, 4);
        QCOMPARE(r.out, b.link().toUtf8() + ": Gop2: file 25, board 12\n");
        QCOMPARE(r.err, QByteArray());
    }

    // A dry run prints the save's steps and opens no link, with or without the board's link
    // named: the board receives nothing. A real save of the same file then sends exactly the
    // frames printed, in order (a streaming board's stop and start included), over either link,
    // for name=value lines and for a server configuration file.
    void dryRunShowsWhatTheSaveSends_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("record");
        QTest::newRow("udp, lines") << Link::Udp << false;
        QTest::newRow("pty, lines") << Link::Serial << false;
        QTest::newRow("udp, record") << Link::Udp << true;
    }
    void dryRunShowsWhatTheSaveSends() {
        QFETCH(Link, link);
        QFETCH(bool, record);
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        prepare(board, link);
        QTemporaryDir dir;
        const QString path = dir.filePath("board.conf");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (record) {
                corvane::record::ServerConfigRecord values;
                corvane::record::applyFactoryDefaults(values);
                const auto bytes = corvane::record::encodeRecord(values);
                file.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
            } else {
                file.write(changed(readBoard(board, link), {"Bit1=6000", "RTP11_IP=10.9.9.9"}));
            }
        }
        const QStringList save =
            record ? QStringList{"save", "--record", path} : QStringList{"save", path};
        const qsizetype before = received(board);
        const Result dry = ctl(QStringList{"--dry-run"} + save);
        QCOMPARE(dry.status, 0);
        QCOMPARE(dry.err, QByteArray());
        const Result named = ctl(linkArgs(board, link) + QStringList{"--dry-run"} + save);
        QCOMPARE(named.status, 0);
        QCOMPARE(named.out, dry.out);
        QTest::qWait(100);
        QCOMPARE(received(board), before);

        static const QRegularExpression step(
            "^(?:send (.+)|pause [1-9][0-9]* ms|wait acknowledgement \\(up to 6000 ms\\))$");
        QList<QByteArray> shown;
        int waits = 0;
        for (const QByteArray& line : dry.out.chopped(1).split('\n')) {
            const QRegularExpressionMatch m = step.match(QString::fromUtf8(line));
            QVERIFY2(m.hasMatch(), line.constData());
            if (m.hasCaptured(1))
                shown << m.captured(1).toUtf8();
            waits += line.startsWith("wait") ? 1 : 0;
        }
        QVERIFY(shown.size() > 30);
        QVERIFY(waits > 5);
        if (!record) {
            QCOMPARE(shown.first(), QByteArray("A50206<CR>"));
            QCOMPARE(shown.last(), QByteArray("A50205<CR>"));
        }

        const qsizetype mark = frames(board, link).size();
        const Result r = ctl(linkArgs(board, link) + save);
        QVERIFY2(r.status == 0, r.err.constData());
        // The last frame is awaited by no wait: the board may log it after the save.
        QTRY_COMPARE(frames(board, link).size() - mark, shown.size());
        QCOMPARE(sentFrames(board, link, mark), shown);
    }

    // save --backup reads the board before the save and writes what read prints into the folder
    // (created when missing), named as the history's entries, and prints its path; then saves.
    void backupKeepsWhatWasThere_data() {
        QTest::addColumn<Link>("link");
        QTest::newRow("udp") << Link::Udp;
        QTest::newRow("pty") << Link::Serial;
    }
    void backupKeepsWhatWasThere() {
        QFETCH(Link, link);
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray was = readBoard(board, link);
        const QByteArray edited = changed(was, {"Bit1=6000", "ERec2=on"});
        QTemporaryDir dir;
        const QString folder = dir.filePath("backups/rack a");
        const Result r = ctl(linkArgs(board, link) << "save"
                                                   << "--backup" << folder << "-",
                             edited);
        QVERIFY2(r.status == 0, r.err.constData());
        QCOMPARE(r.err, QByteArray());
        const QString path = QString::fromUtf8(r.out).chopped(1);
        QCOMPARE(r.out, path.toUtf8() + '\n');
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(folder).absolutePath());
        const auto entry = corvane::history::parse(name.toStdString());
        QVERIFY2(entry, qPrintable(name));
        QCOMPARE(entry->kind, corvane::history::Kind::Read);
        QCOMPARE(QString::fromStdString(entry->link),
                 link == Link::Udp ? QStringLiteral("udp-127.0.0.1_%1").arg(board.port())
                                   : QStringLiteral("serial-ttyCORVANE"));
        QCOMPARE(contentOf(path), was);
        QCOMPARE(readBoard(board, link), edited);
    }

    // Two boards of one --boards run on one host: each board's program writes its own file, with
    // its own board's configuration.
    void backupOfManyBoards() {
        BoardProcess a, b;
        QVERIFY(a.ready() && b.ready());
        const QByteArray atA = readBoard(a, Link::Udp);
        const QByteArray atB = changed(atA, {"Gop2=12"});
        const Result saved = ctl(linkArgs(b, Link::Udp) << "save"
                                                        << "-",
                                 atB);
        QVERIFY2(saved.status == 0, saved.err.constData());
        QTemporaryDir dir;
        const QString list =
            boardsFile(dir, {linkArgs(a, Link::Udp).join(' '), linkArgs(b, Link::Udp).join(' ')});
        const QString folder = dir.filePath("backups");
        const Result r =
            ctl({"--boards", list, "save", "--backup", folder, "-"}, changed(atA, {"Bit2=900"}));
        QVERIFY2(r.status == 0, r.err.constData());
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
        for (const auto& [board, content] : {std::pair{&a, atA}, std::pair{&b, atB}}) {
            const QString label = QStringLiteral("127.0.0.1:%1").arg(board->port());
            const QStringList lines = QString::fromUtf8(r.out).split('\n').filter(label + ": ");
            QCOMPARE(lines.size(), 1);
            const QString path = lines.first().mid(label.size() + 2);
            QVERIFY2(path.contains(QStringLiteral("_udp-127.0.0.1_%1_read").arg(board->port())),
                     qPrintable(path));
            QCOMPARE(contentOf(path), content);
        }
    }

    // A backup that cannot be made sends nothing of the save: a board that does not answer the
    // read (2), a folder that cannot be created or written (3, naming the folder and why). The
    // board receives the read's frames and no more.
    void failedBackupSendsNothing_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("where"); // the folder, below the test's own
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected"); // %1 the board, %2 the folder
        const QString notDir =
            QString::fromStdString(std::make_error_code(std::errc::not_a_directory).message());
        QTest::newRow("silent board") << true << "backups" << 2 << "^%1: no answer within 1 s\n$";
        QTest::newRow("folder below a file")
            << false << "file/backups" << 3
            << "^%1: cannot back up into %2: " + notDir + "; nothing sent\n$";
        QTest::newRow("folder without write permission")
            << false << "locked" << 3
            << "^%1: cannot back up into %2: cannot write %2/[^ ]+_read\\.conf: .+; nothing "
               "sent\n$";
    }
    void failedBackupSendsNothing() {
        QFETCH(bool, silent);
        QFETCH(QString, where);
        QFETCH(int, status);
        QFETCH(QString, expected);
        if (where == "locked" && ::geteuid() == 0)
            QSKIP("permissions do not hold back the superuser");
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        QVERIFY(QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner));
        const QString folder = dir.filePath(where);
        qsizetype mark = frames(board, Link::Udp).size();
        const QByteArray text = changed(readBoard(board, Link::Udp), {"Bit1=6000"});
        const QList<QByteArray> readFrames = sentFrames(board, Link::Udp, mark);
        if (silent) {
            board.signal(SIGUSR1);
            QTest::qWait(200);
        }
        mark = frames(board, Link::Udp).size();
        const QStringList args = linkArgs(board, Link::Udp);
        const Result r = ctl(QStringList(args) << "save"
                                               << "--backup" << folder << "-",
                             text);
        QCOMPARE(r.status, status);
        QVERIFY2(QRegularExpression(QString(expected)
                                        .replace("%1", QRegularExpression::escape(args[1]))
                                        .replace("%2", QRegularExpression::escape(folder)))
                     .match(QString::fromUtf8(r.err))
                     .hasMatch(),
                 r.err.constData());
        QCOMPARE(r.out, QByteArray());
        QTest::qWait(200);
        const QList<QByteArray> sent = sentFrames(board, Link::Udp, mark);
        QCOMPARE(sent, silent ? readFrames.mid(0, 1) : readFrames);
        QFile::setPermissions(dir.filePath("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Usage errors: status 1, nothing sent.
    void usage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no link") << QStringList{"read"};
        QTest::newRow("two links") << QStringList{"--udp", "h", "--serial", "/dev/x", "read"};
        QTest::newRow("no command") << QStringList{"--udp", "127.0.0.1"};
        QTest::newRow("unknown command") << QStringList{"--udp", "127.0.0.1", "burn"};
        QTest::newRow("reboot without --yes") << QStringList{"--udp", "127.0.0.1", "reboot"};
        QTest::newRow("bad port") << QStringList{"--udp", "127.0.0.1:70000", "read"};
        QTest::newRow("fec without values") << QStringList{"--udp", "127.0.0.1", "start", "--fec"};
        QTest::newRow("bad module") << QStringList{"--udp", "h", "--modules", "SDI", "read"};
        QTest::newRow("save-network without a file")
            << QStringList{"--udp", "127.0.0.1", "save-network"};
        QTest::newRow("--record with another command")
            << QStringList{"--udp", "127.0.0.1", "--record", "x", "read"};
        QTest::newRow("--jobs above 16") << QStringList{"--boards", "f", "--jobs", "17", "read"};
        QTest::newRow("--timeout of one board")
            << QStringList{"--udp", "h", "--timeout", "5", "read"};
        QTest::newRow("diff without a file") << QStringList{"--udp", "127.0.0.1", "diff"};
        QTest::newRow("diff of a record")
            << QStringList{"--udp", "127.0.0.1", "diff", "--record", "x"};
        QTest::newRow("--json with diff")
            << QStringList{"--udp", "127.0.0.1", "--json", "diff", "x"};
        QTest::newRow("--dry-run with read") << QStringList{"--dry-run", "read"};
        QTest::newRow("--dry-run with --boards")
            << QStringList{"--boards", "f", "save", "--dry-run", "x"};
        QTest::newRow("--dry-run with --backup")
            << QStringList{"save", "--dry-run", "--backup", "d", "x"};
        QTest::newRow("--backup with read") << QStringList{"--udp", "h", "--backup", "d", "read"};
        QTest::newRow("--backup without a folder")
            << QStringList{"--udp", "h", "save", "x", "--backup="};
    }
    void usage() {
        QFETCH(QStringList, args);
        const Result r = ctl(args);
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("Try 'corvane-ctl --help'"));
    }
};

QTEST_MAIN(CtlTest)
#include "ctl_test.moc"
