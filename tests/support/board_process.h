#pragma once
// The stand-in board corvane-board as a child process of a test (its path in CORVANE_BOARD).
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

// One corvane-board process with a UDP link on a free port of 127.0.0.1 and a pseudo-terminal
// linked in a temporary folder. It is stopped when the object goes.
class BoardProcess {
public:
    explicit BoardProcess(const QStringList& extra = {});
    ~BoardProcess() { stop(); }

    // Terminates the board and waits for it; true when it ended by itself on SIGTERM.
    bool stop();

    bool ready() const;
    QString why() const { return QString::fromLocal8Bit(stderr_); }
    quint16 port() const { return port_; }
    const QString& link() const { return link_; }
    void signal(int number);

    QByteArray trace() const;
    // Trace lines of frames received on `link` ("udp" or "pty"), without the time.
    QList<QByteArray> traced(const QByteArray& link) const;

    // The reply the board gives to one datagram, asked from a socket of the test's own.
    QByteArray ask(const std::string& frame);

private:
    QTemporaryDir dir_;
    QString link_;
    QString trace_;
    QProcess process_;
    QByteArray stderr_;
    quint16 port_ = 0;
};
