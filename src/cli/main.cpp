// corvane-ctl: the board from the command line.
//
// Many boards at once (--boards): each board runs in a program of its own, this program started
// again with that board's options and the command. The link's waits run the event loop and pause
// in place, so two boards in one thread would take turns and add up their times; separate
// processes wait side by side, and a board that hangs or fails cannot disturb another. This
// program prefixes each result line of a board with the board and passes its errors on (they
// already name it).
#include "cli/options.h"
#include "cli/session.h"
#include "corvane/buildinfo.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "corvane-ctl: %s\nTry 'corvane-ctl --help'.\n", qPrintable(text));
    return cli::Usage;
}

struct Child {
    QString label;
    std::unique_ptr<QProcess> process;
    QByteArray pending; // standard output not yet ended by a line end
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

int runBoards(const cli::Parsed& parsed) {
    const cli::Options& o = parsed.options;
    QFile file(o.boardsFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return usage(QStringLiteral("%1: %2").arg(o.boardsFile, file.errorString()));
    QByteArray input;
    if (o.command == QLatin1String("save") && o.saveFile == QLatin1String("-")) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            input = in.readAll();
    }

    std::vector<Child> children;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList args = cli::splitLine(line) + parsed.forBoards;
        const cli::Parsed board = cli::parse(args);
        if (!board.error.isEmpty() || !board.options.boardsFile.isEmpty())
            return usage(QStringLiteral("%1: line %2: %3")
                             .arg(o.boardsFile)
                             .arg(lineNumber)
                             .arg(board.error.isEmpty()
                                      ? QStringLiteral("--boards in a board's line")
                                      : board.error));
        Child c;
        c.label = board.options.label();
        c.process = std::make_unique<QProcess>();
        c.process->setProgram(QCoreApplication::applicationFilePath());
        c.process->setArguments(args);
        c.process->setProcessChannelMode(QProcess::SeparateChannels);
        c.process->setInputChannelMode(QProcess::ManagedInputChannel);
        children.push_back(std::move(c));
    }
    if (children.empty())
        return usage(QStringLiteral("%1 names no board").arg(o.boardsFile));

    QEventLoop loop;
    int running = int(children.size());
    for (Child& c : children) {
        QProcess* p = c.process.get();
        QObject::connect(p, &QProcess::readyReadStandardOutput, [&c] {
            c.pending += c.process->readAllStandardOutput();
            writeLines(c, false);
        });
        QObject::connect(p, &QProcess::readyReadStandardError, [p] {
            const QByteArray text = p->readAllStandardError();
            std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
            std::fflush(stderr);
        });
        QObject::connect(p, &QProcess::finished, [&running, &loop] {
            if (--running == 0)
                loop.quit();
        });
        QObject::connect(p, &QProcess::errorOccurred,
                         [&c, &running, &loop](QProcess::ProcessError e) {
                             if (e != QProcess::FailedToStart)
                                 return;
                             std::fprintf(stderr, "%s: cannot start %s\n", qPrintable(c.label),
                                          qPrintable(c.process->program()));
                             if (--running == 0)
                                 loop.quit();
                         });
        p->start();
        p->write(input);
        p->closeWriteChannel();
    }
    if (running > 0)
        loop.exec();

    bool allDone = true;
    for (Child& c : children) {
        c.pending += c.process->readAllStandardOutput();
        writeLines(c, true);
        const QByteArray rest = c.process->readAllStandardError();
        std::fwrite(rest.constData(), 1, std::size_t(rest.size()), stderr);
        if (c.process->exitStatus() != QProcess::NormalExit || c.process->exitCode() != 0 ||
            c.process->error() == QProcess::FailedToStart)
            allDone = false;
    }
    std::fflush(stderr);
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
        std::printf("corvane-ctl %u.%u.%u.%u\n", unsigned(corvane::kVersionMajor),
                    unsigned(corvane::kVersionMinor), unsigned(corvane::kVersionRelease),
                    unsigned(corvane::kVersionBuild));
        return cli::Done;
    }
    if (!parsed.error.isEmpty())
        return usage(parsed.error);
    if (!parsed.options.boardsFile.isEmpty())
        return runBoards(parsed);
    cli::Session session(parsed.options);
    return session.run();
}
