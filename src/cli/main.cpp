// corvane-ctl: the board from the command line.
//
// Many boards at once (--boards): each board runs in a program of its own, this program started
// again with that board's options and the command. The link's waits run the event loop and pause
// in place, so two boards in one thread would take turns and add up their times; separate
// processes wait side by side, and a board that hangs or fails cannot disturb another. This
// program prefixes each result line of a board with the board and passes its errors on (they
// already name it).
//
// The parent reads the command's file once and checks it for every board before any board's
// program starts, so that a bad file is one message; the programs get the checked content on
// their standard input. At most --jobs programs run at once; --timeout ends those still running
// when the run has lasted that long; SIGINT and SIGTERM end them all, and so does the parent's
// own end (they are told by the kernel when it goes).
#include "cli/options.h"
#include "cli/session.h"
#include "corvane/buildinfo.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "corvane-ctl: %s\nTry 'corvane-ctl --help'.\n", qPrintable(text));
    return cli::Usage;
}

struct Child {
    QString label;
    QStringList args;
    std::unique_ptr<QProcess> process;
    QByteArray pending; // standard output not yet ended by a line end (all of it with --json)
    bool started = false;
    bool ended = false;
    bool timedOut = false;
};

void writeLines(Child& c, bool flush) {
    qsizetype end;
    while ((end = c.pending.indexOf('\n')) >= 0 || (flush && !c.pending.isEmpty())) {
        const QByteArray line = end >= 0 ? c.pending.left(end) : c.pending;
        c.pending.remove(0, end >= 0 ? end + 1 : c.pending.size());
        const QByteArray text = c.label.toLocal8Bit() + ": " + line + '\n';
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    }
    std::fflush(stdout);
}

// A JSON string of UTF-16 text, in UTF-8.
QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    for (const char ch : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\')
            out += '\\';
        if (c < 0x20 || c == 0x7f)
            out += QByteArray("\\u00") + QByteArray::number(c >> 4, 16) +
                   QByteArray::number(c & 15, 16);
        else
            out += ch;
    }
    return out + '"';
}

// SIGINT and SIGTERM reach the event loop through a pipe.
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t caught = 0;

void onSignal(int number) {
    caught = number;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

bool catchSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int runBoards(const cli::Parsed& parsed) {
    const cli::Options& o = parsed.options;
    QFile file(o.boardsFile);
    if (!file.open(QIODevice::ReadOnly))
        return usage(QStringLiteral("%1: %2").arg(o.boardsFile, file.errorString()));

    // The boards, each with its options checked.
    std::vector<Child> children;
    std::vector<cli::Options> options;
    QHash<QString, int> lineOf;
    const QStringList forBoards = parsed.forBoardsFromStdin();
    int lineNumber = 0;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        ++lineNumber;
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        const QStringList words = cli::splitLine(QString::fromUtf8(bytes));
        if (words.isEmpty())
            continue;
        const cli::Parsed board = cli::parse(words + parsed.forBoards);
        QString error = board.error;
        if (error.isEmpty() && !board.options.boardsFile.isEmpty())
            error = QStringLiteral("--boards in a board's line");
        // Two programs on one board would interleave their commands on its link.
        else if (error.isEmpty() && lineOf.contains(board.options.label()))
            error = QStringLiteral("%1 is already on line %2")
                        .arg(cli::quoted(board.options.label()))
                        .arg(lineOf.value(board.options.label()));
        if (!error.isEmpty())
            return usage(
                QStringLiteral("%1: line %2: %3").arg(o.boardsFile).arg(lineNumber).arg(error));
        lineOf.insert(board.options.label(), lineNumber);
        Child c;
        c.label = board.options.label();
        c.args = words + forBoards;
        children.push_back(std::move(c));
        options.push_back(board.options);
    }
    if (file.error() != QFileDevice::NoError)
        return usage(QStringLiteral("%1: %2").arg(o.boardsFile, file.errorString()));
    if (children.empty())
        return usage(QStringLiteral("%1 names no board").arg(o.boardsFile));

    // The command's file, read once and checked for every board before any board is reached.
    QByteArray input;
    const QString inputFile = !o.recordFile.isEmpty() ? o.recordFile : o.saveFile;
    if (!inputFile.isEmpty()) {
        QFile in;
        const bool opened = inputFile == QLatin1String("-")
                                ? in.open(stdin, QIODevice::ReadOnly)
                                : (in.setFileName(inputFile), in.open(QIODevice::ReadOnly));
        if (!opened)
            return usage(QStringLiteral("%1: %2").arg(inputFile, in.errorString()));
        input = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return usage(QStringLiteral("%1: %2").arg(inputFile, in.errorString()));
    }
    for (const cli::Options& board : options) {
        cli::Session check(board);
        check.setInput(input);
        if (const int status = check.check(); status != cli::Done) {
            std::fprintf(stderr, "%s\n", qPrintable(check.checkError()));
            return status;
        }
    }

    if (!catchSignals())
        return usage(QStringLiteral("cannot catch signals"));
    QSocketNotifier signalled(signalPipe[0], QSocketNotifier::Read);

    QEventLoop loop;
    std::deque<Child*> waiting;
    for (Child& c : children)
        waiting.push_back(&c);
    int running = 0;
    bool stopping = false;
    const auto endAll = [&] {
        stopping = true;
        waiting.clear();
        for (Child& c : children)
            if (c.started && !c.ended)
                c.process->terminate();
        if (running == 0)
            loop.quit();
    };
    std::function<void()> startMore = [&] {
        while (!stopping && running < o.jobs && !waiting.empty()) {
            Child& c = *waiting.front();
            waiting.pop_front();
            c.process = std::make_unique<QProcess>();
            QProcess* p = c.process.get();
            p->setProgram(QCoreApplication::applicationFilePath());
            p->setArguments(c.args);
            p->setProcessChannelMode(QProcess::SeparateChannels);
            // A board's program ends when this one goes, also when it is killed.
            p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            QObject::connect(p, &QProcess::readyReadStandardOutput, [&c, json = o.json] {
                c.pending += c.process->readAllStandardOutput();
                if (!json)
                    writeLines(c, false);
            });
            QObject::connect(p, &QProcess::readyReadStandardError, [p] {
                const QByteArray text = p->readAllStandardError();
                std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
                std::fflush(stderr);
            });
            const auto ended = [&c, &running, &startMore] {
                if (c.ended)
                    return;
                c.ended = true;
                --running;
                startMore();
            };
            QObject::connect(p, &QProcess::finished, ended);
            QObject::connect(p, &QProcess::errorOccurred, [&c, ended](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart)
                    return;
                std::fprintf(stderr, "%s: cannot start %s\n", qPrintable(c.label),
                             qPrintable(c.process->program()));
                ended();
            });
            c.started = true;
            ++running;
            p->start();
            p->write(input);
            p->closeWriteChannel();
        }
        if (running == 0 && waiting.empty())
            loop.quit();
    };
    QObject::connect(&signalled, &QSocketNotifier::activated, [&] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        endAll();
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer); // a coarse timer ends the run up to 5 % early
    QObject::connect(&timeout, &QTimer::timeout, [&] {
        for (Child& c : children)
            if (c.started && !c.ended) {
                c.timedOut = true;
                std::fprintf(stderr, "%s: not done within %d s\n", qPrintable(c.label), o.timeout);
            }
        for (Child* c : waiting) {
            c->timedOut = true;
            std::fprintf(stderr, "%s: not started within %d s\n", qPrintable(c->label), o.timeout);
        }
        std::fflush(stderr);
        endAll();
    });
    if (o.timeout > 0)
        timeout.start(o.timeout * 1000);
    startMore();
    if (running > 0)
        loop.exec();
    // Programs told to end that have not yet: a little grace, then killed.
    for (Child& c : children) {
        if (c.started && !c.ended && !c.process->waitForFinished(2000)) {
            c.process->kill();
            c.process->waitForFinished(1000);
        }
    }
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);

    bool allDone = true;
    QByteArray json = "{";
    for (Child& c : children) {
        bool done = false;
        if (c.started) {
            c.pending += c.process->readAllStandardOutput();
            const QByteArray rest = c.process->readAllStandardError();
            std::fwrite(rest.constData(), 1, std::size_t(rest.size()), stderr);
            done = c.process->error() != QProcess::FailedToStart &&
                   c.process->exitStatus() == QProcess::NormalExit && c.process->exitCode() == 0 &&
                   !c.timedOut;
        }
        allDone = allDone && done;
        if (!o.json) {
            writeLines(c, true);
            continue;
        }
        // One object keyed by board: the board's configuration as its program wrote it (valid
        // UTF-8, in the catalogue's order), or null when it failed.
        QJsonParseError error{};
        const bool object = QJsonDocument::fromJson(c.pending, &error).isObject() &&
                            error.error == QJsonParseError::NoError;
        json += json.size() > 1 ? ",\n" : "\n";
        json += jsonString(c.label) + ": ";
        json += done && object ? c.pending.trimmed() : QByteArray("null");
    }
    if (o.json) {
        json += "\n}\n";
        std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    if (caught != 0)
        return 128 + caught;
    return allDone ? cli::Done : cli::SomeFailed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-ctl"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const cli::Parsed parsed = cli::parse(args);
    if (parsed.options.help) {
        std::fputs(qPrintable(cli::usageText()), stdout);
        return cli::Done;
    }
    if (parsed.options.version) {
        std::printf("corvane-ctl %s\n", corvane::kVersionText);
        return cli::Done;
    }
    if (!parsed.error.isEmpty())
        return usage(parsed.error);
    if (!parsed.options.boardsFile.isEmpty())
        return runBoards(parsed);
    cli::Session session(parsed.options);
    return session.run();
}
