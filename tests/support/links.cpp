#include "support/links.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        qFatal("openpty failed");
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
    unplug();
}

QByteArray PtyPair::read(int ms, int until) {
    QByteArray got;
    QDeadlineTimer deadline(ms);
    while (master_ >= 0 && (until < 0 || got.size() < until)) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

void PtyPair::write(const QByteArray& bytes) {
    if (master_ >= 0 && ::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
        qWarning("pty write failed");
}

void PtyPair::unplug() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

UdpPeer::UdpPeer(quint16 port, const QString& address) {
    if (!socket_.bind(QHostAddress(address), port))
        qFatal("UDP peer cannot bind: %s", qPrintable(socket_.errorString()));
}

bool UdpPeer::receive(QByteArray* data, int ms, QHostAddress* from, quint16* fromPort) {
    QDeadlineTimer deadline(ms);
    while (!socket_.hasPendingDatagrams()) {
        if (deadline.hasExpired() ||
            !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            if (!socket_.hasPendingDatagrams())
                return false;
    }
    const QNetworkDatagram d = socket_.receiveDatagram();
    if (data)
        *data = d.data();
    if (from)
        *from = d.senderAddress();
    if (fromPort)
        *fromPort = static_cast<quint16>(d.senderPort());
    return true;
}

void UdpPeer::send(const QByteArray& data, const QHostAddress& to, quint16 port) {
    socket_.writeDatagram(data, to, port);
}

quint16 freeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}
