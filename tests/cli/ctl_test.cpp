// corvane-ctl against the stand-in board corvane-board, compared with what the window does on the
// same board: "read" prints what "Read Config." shows, "save" sends what "Save Config." sends,
// refused values send nothing, an absent board is reported in time, and many boards run at once.
#include "app/tform1.h"
#include "core/config_text.h"
#include "core/controls.h"
#include "support/board_process.h"
#include "support/program.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

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

enum class Link { Udp, Pty };

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

Q_DECLARE_METATYPE(Link)

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
        window.udpAt(board.port());
        window.udp()->setChecked(true);
        window.f->Connect1Click();
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
            window.udpAt(board.port());
            window.udp()->setChecked(true);
            window.f->Connect1Click();
            window.f->Timer1->setInterval(3600 * 1000);
            child<QPushButton>(window.f, "BitBtn1")->click();
            QVERIFY(window.f->StreamingOn);
            const qsizetype before = frames(board, Link::Udp).size();
            child<QPushButton>(window.f, "BitBtn2")->click();
            QVERIFY(window.prompts.messages.isEmpty());
            QTest::qWait(300); // the last frame is awaited by no wait
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
        QTest::newRow("pty") << Link::Pty;
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

    // No board: status 2 with the board's address within 2 s, for a board that keeps silent and
    // for a port where nothing listens.
    void absentBoard_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("silent");
        QTest::newRow("read, silent board") << "read" << true;
        QTest::newRow("read, nobody there") << "read" << false;
        QTest::newRow("probe, silent board") << "probe" << true;
        QTest::newRow("start, nobody there") << "start" << false;
    }
    void absentBoard() {
        QFETCH(QString, command);
        QFETCH(bool, silent);
        std::unique_ptr<BoardProcess> board;
        quint16 port = 0;
        if (silent) {
            board = std::make_unique<BoardProcess>(QStringList{"--silent"});
            QVERIFY(board->ready());
            port = board->port();
        } else {
            QUdpSocket free;
            QVERIFY(free.bind(QHostAddress::LocalHost, 0));
            port = free.localPort();
        }
        const Result r = ctl({"--udp", QStringLiteral("127.0.0.1:%1").arg(port), command});
        QCOMPARE(r.status, 2);
        QCOMPARE(QString(r.err), QStringLiteral("127.0.0.1:%1: no answer within 1 s\n").arg(port));
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.ms < 2000, qPrintable(QString::number(r.ms)));
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
        file.write(QStringLiteral("# the rack\n--udp 127.0.0.1:%1\n\n--serial \"%2\"\n")
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
