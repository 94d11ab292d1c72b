// The real corvane-board program over its two links: UDP on 127.0.0.1 and a pseudo-terminal.
#include <QtNetwork>
#include <QtTest>

#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

// One running board, with a UDP peer and the serial side of its pseudo-terminal.
class RunningBoard {
public:
    explicit RunningBoard(const QStringList& extra) {
        link_ = dir_.filePath("ttyBOARD");
        trace_ = dir_.filePath("trace.log");
        QStringList args = {"--udp", "127.0.0.1:0", "--pty", link_, "--trace", trace_};
        args += extra;
        process_.setProgram(QString::fromLocal8Bit(qgetenv("CORVANE_BOARD")));
        process_.setArguments(args);
        process_.start();
        if (!process_.waitForStarted(5000))
            return;
        // The board names its links on standard error once it listens.
        QByteArray err;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && !(err.contains("udp ") && err.contains(" at "))) {
            process_.waitForReadyRead(100);
            err += process_.readAllStandardError();
        }
        const QRegularExpressionMatch m =
            QRegularExpression("udp 127\\.0\\.0\\.1:(\\d+)").match(QString::fromLatin1(err));
        if (!m.hasMatch())
            return;
        port_ = m.captured(1).toUShort();
        udp_.bind(QHostAddress::LocalHost, 0);
        serial_ = ::open(QFile::encodeName(link_).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (serial_ >= 0) {
            termios tio{};
            tcgetattr(serial_, &tio);
            cfmakeraw(&tio);
            tcsetattr(serial_, TCSANOW, &tio);
        }
    }

    ~RunningBoard() {
        if (serial_ >= 0)
            ::close(serial_);
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(2000);
        }
    }

    bool ready() const { return port_ != 0 && serial_ >= 0; }
    quint16 port() const { return port_; }
    QProcess& process() { return process_; }
    const QString& link() const { return link_; }

    // Sends one datagram; the reply datagram, or nothing within `waitMs`.
    std::optional<QByteArray> ask(const QByteArray& datagram, int waitMs = 2000) {
        udp_.writeDatagram(datagram, QHostAddress::LocalHost, port_);
        return receive(waitMs);
    }

    std::optional<QByteArray> receive(int waitMs) {
        if (!udp_.hasPendingDatagrams() && !udp_.waitForReadyRead(waitMs))
            return std::nullopt;
        QNetworkDatagram d = udp_.receiveDatagram();
        return d.data();
    }

    void write(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(serial_, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n > 0)
                done += n;
            else
                QThread::msleep(5);
        }
    }

    // Reads the serial side until `want` bytes arrived or `waitMs` passed; every read is
    // one chunk.
    QList<QByteArray> readChunks(qsizetype want, int waitMs) {
        QList<QByteArray> chunks;
        qsizetype total = 0;
        QDeadlineTimer deadline(waitMs);
        while (total < want && !deadline.hasExpired()) {
            pollfd p{serial_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::read(serial_, buf, sizeof buf);
            if (n > 0) {
                chunks << QByteArray(buf, n);
                total += n;
            }
        }
        return chunks;
    }

    QByteArray read(qsizetype want, int waitMs = 2000) { return readChunks(want, waitMs).join(); }

    QByteArray trace() const {
        QFile f(trace_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QString link_;
    QString trace_;
    QProcess process_;
    quint16 port_ = 0;
    QUdpSocket udp_;
    int serial_ = -1;
};

} // namespace

class BoardProcessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void bothLinksServeOneBoard();
    void garbageNeverStopsTheBoard();
    void silenceAndItsToggle();
    void serialRepliesInPieces();
    void delayAndStartError();
    void noiseBetweenSerialReplies();
    void terminationRemovesTheLink();
    void helpAndBadOptions();
    void stateAsReadableLines();
};

void BoardProcessTest::initTestCase() {
    QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"),
             "CORVANE_BOARD names the board program");
}

void BoardProcessTest::bothLinksServeOneBoard() {
    RunningBoard board({});
    QVERIFY(board.ready());

    // A setting saved over the serial link reads back over UDP.
    board.write("A506101280\r");
    QCOMPARE(board.read(2), QByteArray("55"));
    const auto config = board.ask("A50208\r");
    QVERIFY(config);
    QVERIFY(config->startsWith("A3"));
    QCOMPARE(config->mid(2, 3).toInt(), config->size());
    QVERIFY(config->startsWith(QByteArray("A3") + config->mid(2, 3) + "081280$1080$"));
    QVERIFY(config->endsWith("$\r"));
    // Exactly one datagram per command.
    QVERIFY(!board.receive(300));

    QCOMPARE(board.ask("A50224\r"), std::optional<QByteArray>("22880A$01$%1"));
    QCOMPARE(board.ask("A50264\r"), std::optional<QByteArray>("B74D"));
    // An empty datagram gets no answer.
    QVERIFY(!board.ask(QByteArray(), 300));

    // Serial replies carry no separator of their own; the configuration reply ends with CR.
    board.write("A50224\rA50208\r");
    const QByteArray serial = board.read(12 + config->size());
    QCOMPARE(serial, QByteArray("22880A$01$%1") + *config);

    const QByteArray trace = board.trace();
    QVERIFY(trace.contains("udp 127.0.0.1:"));
    QVERIFY(trace.contains("pty  A506101280<CR>  => 55"));
    QVERIFY(trace.contains("A50208<CR>  => A3"));
    QVERIFY(trace.contains("[empty datagram]"));
}

void BoardProcessTest::garbageNeverStopsTheBoard() {
    RunningBoard board({});
    QVERIFY(board.ready());

    // An overlong serial line is dropped up to its CR; the next line is answered.
    board.write(QByteArray(10000, 'x'));
    board.write("\rA50264\r");
    QCOMPARE(board.read(4), QByteArray("B74D"));
    // Binary junk, code 0 included, then a frame with noise in front of it.
    board.write(QByteArray("\0\xff\x01\r\r\r", 6));
    board.write(QByteArray("\x1b[2JA50224\r"));
    QCOMPARE(board.read(12), QByteArray("22880A$01$%1"));

    QVERIFY(!board.ask(QByteArray(20000, '\xee'), 300));
    QVERIFY(!board.ask("A50299\r", 300));
    QVERIFY(!board.ask("A5", 300));
    QCOMPARE(board.ask("A504164k\r"), std::optional<QByteArray>("55"));
    // Two frames in one datagram: the first is answered, the rest is noted.
    QCOMPARE(board.ask("A50264\rA50224\r"), std::optional<QByteArray>("B74D"));
    QVERIFY(!board.receive(300));
    QCOMPARE(board.ask("A50264"), std::optional<QByteArray>("B74D"));

    QCOMPARE(board.process().state(), QProcess::Running);
    const QByteArray trace = board.trace();
    QVERIFY(trace.contains("line longer than 4096"));
    QVERIFY(trace.contains("<NUL><xFF><x01><CR>"));
    QVERIFY(trace.contains("unknown code 99"));
    QVERIFY(trace.contains("characters after the CR ignored"));
    QVERIFY(trace.contains("no CR"));
    // One line per frame, every line printable.
    for (const QByteArray& line : trace.split('\n'))
        for (const char c : line)
            QVERIFY(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f);
}

void BoardProcessTest::silenceAndItsToggle() {
    RunningBoard board({"--silent"});
    QVERIFY(board.ready());
    QVERIFY(!board.ask("A50264\r", 500));
    board.write("A50224\r");
    QVERIFY(board.read(1, 500).isEmpty());
    QVERIFY(board.trace().contains("A50264<CR>  => (no answer)  [silent]"));

    // SIGUSR1 makes it answer again.
    ::kill(static_cast<pid_t>(board.process().processId()), SIGUSR1);
    QTRY_VERIFY(board.trace().contains("answering again"));
    QCOMPARE(board.ask("A50264\r"), std::optional<QByteArray>("B74D"));
}

void BoardProcessTest::serialRepliesInPieces() {
    RunningBoard board({"--split", "10", "--split-gap", "40"});
    QVERIFY(board.ready());
    const auto whole = board.ask("A50208\r");
    QVERIFY(whole);
    QVERIFY(whole->size() > 100); // UDP replies stay whole

    board.write("A50208\r");
    const QList<QByteArray> chunks = board.readChunks(whole->size(), 10000);
    QCOMPARE(chunks.join(), *whole);
    // Pieces of 10 bytes; a reader held up by a busy machine may take two or more at once, so a
    // piece is told by where it ends: every read but the last ends on a 10-byte boundary, and
    // most reads are a single piece.
    qsizetype single = 0;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        if (i + 1 < chunks.size())
            QVERIFY2(chunks[i].size() % 10 == 0, chunks[i].constData());
        single += chunks[i].size() <= 10;
    }
    QVERIFY2(single * 2 >= chunks.size() && chunks.size() >= whole->size() / 20,
             qPrintable(QString::number(chunks.size())));

    // A short reply is one piece; replies queue behind each other in order.
    board.write("A50264\rA50224\r");
    QCOMPARE(board.read(16), QByteArray("B74D22880A$01$%1"));
}

void BoardProcessTest::delayAndStartError() {
    RunningBoard board({"--delay", "300", "--start-error", "11"});
    QVERIFY(board.ready());
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(board.ask("A50205\r"), std::optional<QByteArray>("9911771"));
    QVERIFY(timer.elapsed() >= 250);
    QCOMPARE(board.ask("A50206\r"), std::optional<QByteArray>("55"));
}

void BoardProcessTest::noiseBetweenSerialReplies() {
    RunningBoard board({"--noise"});
    QVERIFY(board.ready());
    board.write("A50264\r");
    const QByteArray got = board.read(7, 1000); // reply plus at least three noise bytes
    QVERIFY(got.startsWith("B74D"));
    QVERIFY(got.size() >= 7);
    for (const char c : got.mid(4))
        QVERIFY(!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && c != '%' && c != '$');
    // UDP stays one clean reply per command.
    QCOMPARE(board.ask("A50264\r"), std::optional<QByteArray>("B74D"));
}

void BoardProcessTest::terminationRemovesTheLink() {
    RunningBoard board({});
    QVERIFY(board.ready());
    QVERIFY(QFileInfo(board.link()).isSymLink());
    board.process().terminate();
    QVERIFY(board.process().waitForFinished(5000));
    QCOMPARE(board.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(board.process().exitCode(), 0);
    QVERIFY(!QFileInfo::exists(board.link()) && !QFileInfo(board.link()).isSymLink());
}

void BoardProcessTest::helpAndBadOptions() {
    const QString program = QString::fromLocal8Bit(qgetenv("CORVANE_BOARD"));
    QProcess help;
    help.start(program, {"--help"});
    QVERIFY(help.waitForFinished(5000));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    QVERIFY(text.contains("--split N"));
    QVERIFY(text.contains("--start-error 11|12"));

    QProcess bad;
    bad.start(program, {"--modules", "SDI"});
    QVERIFY(bad.waitForFinished(5000));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardError().contains("--modules"));

    // A link name that is a real file is not replaced.
    QTemporaryDir dir;
    const QString file = dir.filePath("plain");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QProcess clash;
    clash.start(program, {"--udp", "127.0.0.1:0", "--pty", file});
    QVERIFY(clash.waitForFinished(5000));
    QCOMPARE(clash.exitCode(), 1);
    QVERIFY(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());
}

// What a save did can be read without the control program: "--state" asks the running board over
// UDP, SIGUSR2 writes the board's state into its trace.
void BoardProcessTest::stateAsReadableLines() {
    RunningBoard board({});
    QVERIFY(board.ready());
    board.write("A506164321\r"); // stream 11 bit rate, over the serial link
    QCOMPARE(board.read(2), QByteArray("55"));
    QVERIFY(board.ask("A5082310.1.2.3\r")); // static IP, over UDP

    QProcess ask;
    ask.start(QString::fromLocal8Bit(qgetenv("CORVANE_BOARD")),
              {"--state", "--udp", "127.0.0.1:" + QString::number(board.port())});
    QVERIFY(ask.waitForFinished(10000));
    QCOMPARE(ask.exitCode(), 0);
    const QByteArray lines = ask.readAllStandardOutput();
    QVERIFY2(lines.contains("\n3 stream 11 bit rate: 4321\n"), lines.constData());
    QVERIFY2(lines.contains("\n9 static IP address: 10.1.2.3\n"), lines.constData());
    QVERIFY2(lines.startsWith("1 stream 11 picture width: 1920\n"), lines.constData());
    QCOMPARE(lines.count('\n'), 50);

    ::kill(pid_t(board.process().processId()), SIGUSR2);
    QTRY_VERIFY_WITH_TIMEOUT(board.trace().contains("reboots: 0"), 10000);
    const QByteArray trace = board.trace();
    QVERIFY2(trace.contains("[state]\n    variant: full\n    modules: SDI,Analog\n"),
             trace.constData());
    QVERIFY(trace.contains("\n    3 stream 11 bit rate: 4321\n"));
    // The board goes on answering afterwards.
    QCOMPARE(board.ask("A50264\r"), std::optional<QByteArray>("B74D"));

    // Nobody at the address: said, and a failing exit status.
    board.process().terminate();
    QVERIFY(board.process().waitForFinished(5000));
    ask.start(QString::fromLocal8Bit(qgetenv("CORVANE_BOARD")),
              {"--state", "--udp", "127.0.0.1:" + QString::number(board.port())});
    QVERIFY(ask.waitForFinished(10000));
    QCOMPARE(ask.exitCode(), 1);
    QVERIFY(!ask.readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(BoardProcessTest)
#include "board_process_test.moc"
