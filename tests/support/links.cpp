#include "support/links.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        qFatal("openpty failed");
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
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

namespace {

// A poll on a terminal first moves what is still in the kernel's flip buffer into the line
// discipline, so the answer covers bytes that are on their way too.
bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return fd >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

} // namespace

bool PtyPair::delivered() const {
    return !readable(slave_);
}

bool PtyPair::hasUnread() const {
    return readable(master_);
}

void PtyPair::unplug() {
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
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

PtyResponder::PtyResponder(Responder respond) : respond_(std::move(respond)) {
    notifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyResponder::readable);
}

PtyResponder::~PtyResponder() {
    notifier_->setEnabled(false);
}

void PtyResponder::unplug() {
    notifier_->setEnabled(false);
    pty_.unplug();
}

void PtyResponder::readable() {
    char buffer[4096];
    const ssize_t n = ::read(pty_.masterFd(), buffer, sizeof buffer);
    if (n <= 0) {
        notifier_->setEnabled(false);
        return;
    }
    pending_.append(buffer, n);
    received_.append(buffer, n);
    qsizetype cr;
    while ((cr = pending_.indexOf('\r')) >= 0) {
        const QByteArray frame = pending_.left(cr);
        pending_.remove(0, cr + 1);
        frames_.append(frame);
        const QByteArray answer = respond_(frame);
        if (!answer.isEmpty())
            pty_.write(answer);
    }
}

UdpResponder::UdpResponder(Responder respond) : respond_(std::move(respond)) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        qFatal("UDP responder cannot bind");
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

UdpResponder::~UdpResponder() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
}

QList<QByteArray> UdpResponder::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

QList<QByteArray> UdpResponder::datagrams() const {
    std::lock_guard lock(mutex_);
    return datagrams_;
}

void UdpResponder::run() {
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        char buffer[8192];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0)
            continue;
        QByteArray frame(buffer, n);
        const QByteArray datagram = frame;
        if (frame.endsWith('\r'))
            frame.chop(1);
        {
            std::lock_guard lock(mutex_);
            datagrams_.append(datagram);
            frames_.append(frame);
        }
        const QByteArray answer = respond_(frame);
        if (!answer.isEmpty())
            ::sendto(fd_, answer.constData(), static_cast<size_t>(answer.size()), 0,
                     reinterpret_cast<sockaddr*>(&from), len);
    }
}
