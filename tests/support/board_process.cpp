#include "support/board_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QUdpSocket>

#include <signal.h>

BoardProcess::BoardProcess(const QStringList& extra) {
    link_ = dir_.filePath("ttyCORVANE");
    trace_ = dir_.filePath("trace.log");
    process_.setProgram(QString::fromLocal8Bit(qgetenv("CORVANE_BOARD")));
    process_.setArguments(
        QStringList{"--udp", "127.0.0.1:0", "--pty", link_, "--trace", trace_} + extra);
    process_.start();
    if (!process_.waitForStarted(5000))
        return;
    // The board names both links on standard error once it listens.
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && !(stderr_.contains("udp ") && stderr_.contains(" at ")) &&
           process_.state() == QProcess::Running) {
        process_.waitForReadyRead(100);
        stderr_ += process_.readAllStandardError();
    }
    const QRegularExpressionMatch m =
        QRegularExpression("udp 127\\.0\\.0\\.1:(\\d+)").match(QString::fromLatin1(stderr_));
    if (m.hasMatch() && stderr_.contains(" at "))
        port_ = m.captured(1).toUShort();
}

bool BoardProcess::stop() {
    if (process_.state() == QProcess::NotRunning)
        return false;
    process_.terminate();
    if (process_.waitForFinished(5000))
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    process_.kill();
    process_.waitForFinished(2000);
    return false;
}

bool BoardProcess::ready() const {
    return port_ != 0 && QFileInfo(link_).isSymLink();
}

void BoardProcess::signal(int number) {
    ::kill(static_cast<pid_t>(process_.processId()), number);
}

QByteArray BoardProcess::trace() const {
    QFile f(trace_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> BoardProcess::traced(const QByteArray& link) const {
    QList<QByteArray> lines;
    for (const QByteArray& line : trace().split('\n'))
        if (line.mid(13).startsWith(link + " ") && line.contains("  => "))
            lines << line.mid(13);
    return lines;
}

QByteArray BoardProcess::ask(const std::string& frame) {
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(QByteArray(frame.data(), qsizetype(frame.size())), QHostAddress::LocalHost,
                         port_);
    if (!socket.waitForReadyRead(2000))
        return {};
    return socket.receiveDatagram().data();
}
