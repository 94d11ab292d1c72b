#pragma once
// The far ends of the program's two links, for window tests: a pseudo-terminal whose slave the
// program opens as its serial port, and a UDP peer on 127.0.0.1 standing where the board would.
#include <QByteArray>
#include <QString>
#include <QUdpSocket>
#include <memory>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    // The device the program opens, e.g. "/dev/pts/7".
    QString slavePath() const { return slavePath_; }
    // Everything the program wrote, collected for up to `ms` or until `until` bytes arrived.
    QByteArray read(int ms, int until = -1);
    void write(const QByteArray& bytes);
    // Pulls the plug: the program's side then fails on every read.
    void unplug();

private:
    int master_ = -1;
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
