// Memory of the link monitor under a flood: 100,000 datagrams of 1 KiB received over UDP (each the
// reply to a frame the program sent), recorded with the monitor window open. The program's
// resident memory may grow by less than 20 MiB: the ring keeps 10,000 rows of at most 256
// characters each.
#include "app/windows.h"
#include "core/frames.h"
#include "support/program.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers every datagram with 1 KiB and keeps nothing (a recording stand-in would grow this
// process's memory itself).
class FloodingBoard {
public:
    FloodingBoard() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~FloodingBoard() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    quint16 port() const { return port_; }
    long long sent() const { return sent_; }

private:
    void run() {
        char buf[2048];
        const std::string reply(1024, 'x');
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            if (::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len) < 0)
                continue;
            ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
            ++sent_;
        }
    }
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long long> sent_{0};
    std::thread thread_;
};

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FloodingBoard board;
    RunningProgram p;
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    p.f->findChild<QAction*>("LinkMonitor1")->trigger();
    runEventLoop(50);
    const long before = residentKiB();
    const std::string frame = corvane::frames::firmwareVersion();
    for (int i = 1; i <= 100000; ++i) {
        p.f->CWriteStr(frame);
        if (i % 1000 == 0)
            runEventLoop(1); // the views catch up, as they do between the operator's commands
    }
    runEventLoop(200);
    const long after = residentKiB();
    const double growth = double(after - before) / 1024.0;
    std::printf("datagrams received: %lld\nRSS before: %ld KiB, after: %ld KiB, growth: %.1f MiB "
                "(limit 20)\n",
                board.sent(), before, after, growth);
    return growth < 20.0 ? 0 : 1;
}
