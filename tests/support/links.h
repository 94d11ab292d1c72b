#pragma once
// The far ends of the program's two links, for window tests: a pseudo-terminal whose slave the
// program opens as its serial port, and a UDP peer on 127.0.0.1 standing where the board would.
#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <QUdpSocket>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    // The device the program opens, e.g. "/dev/pts/7".
    QString slavePath() const { return slavePath_; }
    // Everything the program wrote, collected for up to `ms` or until `until` bytes arrived.
    QByteArray read(int ms, int until = -1);
    void write(const QByteArray& bytes);
    // True once the program has taken everything written here off its end of the line (the
    // terminal's own buffers are flushed first, so bytes still on their way count as waiting).
    bool delivered() const;
    // True while something the program wrote waits on this end to be read.
    bool hasUnread() const;
    // Pulls the plug: the program's side then fails on every read.
    void unplug();
    int masterFd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1; // held open, so that the master sees no hang-up while the program is away
    QString slavePath_;
};

class UdpPeer {
public:
    // Binds to 127.0.0.1 on a free port (or the one given).
    explicit UdpPeer(quint16 port = 0, const QString& address = QStringLiteral("127.0.0.1"));
    quint16 port() const { return socket_.localPort(); }
    // The next datagram within `ms`; nullopt-like empty + false when none came.
    bool receive(QByteArray* data, int ms, QHostAddress* from = nullptr,
                 quint16* fromPort = nullptr);
    void send(const QByteArray& data, const QHostAddress& to, quint16 port);
    QUdpSocket& socket() { return socket_; }

private:
    QUdpSocket socket_;
};

// A UDP port on 127.0.0.1 that nobody is using right now.
quint16 freeUdpPort();

// The answer a stand-in gives to one command frame (without its CR); empty: no answer.
using Responder = std::function<QByteArray(const QByteArray& frame)>;

// Answers the program on a pseudo-terminal from inside the event loop (the program's waits pump
// events, so the answer arrives while they run).
class PtyResponder : public QObject {
    Q_OBJECT
public:
    explicit PtyResponder(Responder respond);
    ~PtyResponder() override;
    QString slavePath() const { return pty_.slavePath(); }
    QList<QByteArray> frames() const { return frames_; }
    // Every byte the program wrote, as it came.
    QByteArray received() const { return received_; }
    // Pulls the plug (also from inside `respond`): the program's side then fails on every read
    // and write; what arrived so far stays in frames() and received().
    void unplug();

private:
    void readable();
    PtyPair pty_;
    Responder respond_;
    QByteArray pending_;
    QByteArray received_;
    QList<QByteArray> frames_;
    QSocketNotifier* notifier_;
};

// Answers the program over UDP from a thread of its own, since the program blocks while it waits
// for a datagram.
class UdpResponder {
public:
    explicit UdpResponder(Responder respond);
    ~UdpResponder();
    quint16 port() const { return port_; }
    QList<QByteArray> frames() const;
    // Every datagram as it came, CR included; an empty send is an empty datagram.
    QList<QByteArray> datagrams() const;

private:
    void run();
    Responder respond_;
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    QList<QByteArray> frames_;
    QList<QByteArray> datagrams_;
    std::thread thread_;
};
