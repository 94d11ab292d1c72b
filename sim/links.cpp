#include "links.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

namespace corvane_board {

namespace {

// Bytes waiting for a slow or absent serial reader are capped; the oldest are dropped.
constexpr std::size_t kMaxPtyBacklog = 64 * 1024;

std::string endpointText(const sockaddr_storage& addr) {
    char host[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    if (addr.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
        inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
        port = ntohs(in->sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
        inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
        port = ntohs(in6->sin6_port);
    }
    return std::string(host) + ":" + std::to_string(port);
}

void setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

void Trace::stamp() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm parts{};
    gmtime_r(&tv.tv_sec, &parts);
    std::fprintf(out_, "%02d:%02d:%02d.%03ld ", parts.tm_hour, parts.tm_min, parts.tm_sec,
                 static_cast<long>(tv.tv_usec / 1000));
}

void Trace::frame(std::string_view link, std::string_view from, std::string_view bytes,
                  const Outcome& outcome) {
    stamp();
    std::string line(link);
    if (!from.empty())
        line += " " + std::string(from);
    line += "  " + printable(bytes) + "  => ";
    line += outcome.reply ? printable(*outcome.reply) : std::string("(no answer)");
    if (!outcome.note.empty())
        line += "  [" + outcome.note + "]";
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

void Trace::note(std::string_view link, std::string_view text) {
    stamp();
    std::fprintf(out_, "%.*s  [%.*s]\n", static_cast<int>(link.size()), link.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(out_);
}

void Trace::block(std::string_view title, std::string_view lines) {
    note("board", title);
    std::string_view rest = lines;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        std::fprintf(out_, "    %.*s\n", static_cast<int>(line.size()), line.data());
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::fflush(out_);
}

BoardLinks::BoardLinks(const Options& options, Board& board, Trace& trace)
    : options_(options), board_(board), trace_(trace), noiseSeed_(options.noiseSeed) {}

BoardLinks::~BoardLinks() {
    close();
}

bool BoardLinks::open(std::string& error) {
    if (options_.udp) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(options_.udpPort);
        if (inet_pton(AF_INET, options_.udpAddress.c_str(), &addr.sin_addr) != 1) {
            error = "not an IPv4 address: " + options_.udpAddress;
            return false;
        }
        udpFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (udpFd_ < 0 || bind(udpFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            error = "cannot listen on UDP " + options_.udpAddress + ":" +
                    std::to_string(options_.udpPort) + ": " + std::strerror(errno);
            return false;
        }
        socklen_t len = sizeof addr;
        getsockname(udpFd_, reinterpret_cast<sockaddr*>(&addr), &len);
        udpPort_ = ntohs(addr.sin_port);
    }
    if (!options_.ptyLink.empty()) {
        char name[256] = {};
        if (openpty(&ptyMaster_, &ptySlave_, name, nullptr, nullptr) != 0) {
            error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        // Raw both ways: CR must reach the board as CR, and replies must not be translated.
        termios tio{};
        if (tcgetattr(ptySlave_, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetispeed(&tio, B115200);
            cfsetospeed(&tio, B115200);
            tcsetattr(ptySlave_, TCSANOW, &tio);
        }
        fcntl(ptyMaster_, F_SETFD, FD_CLOEXEC);
        fcntl(ptySlave_, F_SETFD, FD_CLOEXEC);
        setNonBlocking(ptyMaster_);
        ptyPath_ = name;
        struct stat st {};
        if (lstat(options_.ptyLink.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = options_.ptyLink + " exists and is not a symbolic link; not replacing it";
                return false;
            }
            unlink(options_.ptyLink.c_str());
        }
        if (symlink(ptyPath_.c_str(), options_.ptyLink.c_str()) != 0) {
            error =
                "cannot link " + options_.ptyLink + " to " + ptyPath_ + ": " + std::strerror(errno);
            return false;
        }
        linkMade_ = options_.ptyLink;
    }
    return true;
}

void BoardLinks::close() {
    if (!linkMade_.empty()) {
        // Remove the link only while it still points at our terminal.
        char target[256] = {};
        const ssize_t n = readlink(linkMade_.c_str(), target, sizeof target - 1);
        if (n > 0 && ptyPath_ == std::string(target, static_cast<std::size_t>(n)))
            unlink(linkMade_.c_str());
        linkMade_.clear();
    }
    for (int* fd : {&udpFd_, &ptyMaster_, &ptySlave_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void BoardLinks::answer(bool udp, const sockaddr_storage* to, socklen_t toLen,
                        const Outcome& outcome) {
    if (!outcome.reply)
        return;
    const auto now = Clock::now();
    auto due = now + std::chrono::milliseconds(options_.delayMs);
    if (udp) {
        Pending p;
        p.due = due;
        p.udp = true;
        p.to = *to;
        p.toLen = toLen;
        p.bytes = *outcome.reply;
        pending_.push_back(std::move(p));
    } else {
        due = std::max(due, ptyFree_);
        const auto gap = std::chrono::milliseconds(options_.splitGapMs);
        const auto pieces = splitPieces(*outcome.reply, static_cast<std::size_t>(options_.split));
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            Pending p;
            p.due = due + gap * static_cast<int>(i);
            p.bytes = pieces[i];
            ptyFree_ = p.due;
            pending_.push_back(std::move(p));
        }
        if (options_.noise) {
            Pending p;
            p.due = ptyFree_;
            p.bytes = noiseText(noiseSeed_);
            pending_.push_back(std::move(p));
        }
    }
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
}

void BoardLinks::readUdp() {
    // Drain every waiting datagram.
    while (true) {
        char buf[65536];
        sockaddr_storage from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n =
            recvfrom(udpFd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0)
            return; // EAGAIN, or an ICMP error from an earlier reply: nothing to read
        const std::string_view datagram(buf, static_cast<std::size_t>(n));
        const std::string peer = endpointText(from);
        if (datagram.empty()) {
            trace_.frame("udp", peer, datagram, Outcome{std::nullopt, "empty datagram"});
            continue;
        }
        // One datagram carries one frame: the text before its first CR.
        const auto cr = datagram.find('\r');
        const std::string_view line = datagram.substr(0, cr);
        Outcome outcome;
        if (line.size() > kMaxLine) {
            outcome.note = "overlong line of " + std::to_string(line.size()) + " characters";
        } else {
            outcome = board_.handleLine(line);
            std::string extra;
            if (cr == std::string_view::npos)
                extra = "no CR";
            else if (cr + 1 < datagram.size())
                extra =
                    std::to_string(datagram.size() - cr - 1) + " characters after the CR ignored";
            if (!extra.empty())
                outcome.note = outcome.note.empty() ? extra : outcome.note + "; " + extra;
        }
        trace_.frame("udp", peer, datagram.size() > 512 ? datagram.substr(0, 512) : datagram,
                     outcome);
        answer(true, &from, fromLen, outcome);
    }
}

void BoardLinks::readPty() {
    while (true) {
        char buf[4096];
        const ssize_t n = read(ptyMaster_, buf, sizeof buf);
        if (n <= 0)
            return;
        for (auto& item : splitter_.feed(std::string_view(buf, static_cast<std::size_t>(n)))) {
            if (item.overlong) {
                trace_.note("pty", "line longer than " + std::to_string(kMaxLine) +
                                       " characters without CR dropped; skipping to the next CR");
                continue;
            }
            const Outcome outcome = board_.handleLine(item.line);
            trace_.frame("pty", "", item.line + "\r", outcome);
            answer(false, nullptr, 0, outcome);
        }
    }
}

void BoardLinks::sendDue() {
    const auto now = Clock::now();
    while (!pending_.empty() && pending_.front().due <= now) {
        Pending p = std::move(pending_.front());
        pending_.pop_front();
        if (p.udp) {
            sendto(udpFd_, p.bytes.data(), p.bytes.size(), 0,
                   reinterpret_cast<const sockaddr*>(&p.to), p.toLen);
        } else {
            ptyOut_ += p.bytes;
            if (ptyOut_.size() > kMaxPtyBacklog) {
                trace_.note("pty", "serial reader is not reading; oldest replies dropped");
                ptyOut_.erase(0, ptyOut_.size() - kMaxPtyBacklog);
            }
        }
    }
    flushPty();
}

void BoardLinks::flushPty() {
    while (!ptyOut_.empty() && ptyMaster_ >= 0) {
        const ssize_t n = write(ptyMaster_, ptyOut_.data(), ptyOut_.size());
        if (n <= 0)
            return;
        ptyOut_.erase(0, static_cast<std::size_t>(n));
    }
}

int BoardLinks::pollTimeoutMs() const {
    if (pending_.empty())
        return ptyOut_.empty() ? -1 : 50;
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(pending_.front().due - Clock::now());
    return static_cast<int>(std::clamp<long long>(wait.count() + 1, 0, 1000));
}

void BoardLinks::run(volatile std::sig_atomic_t& stop, volatile std::sig_atomic_t& toggleSilent,
                     volatile std::sig_atomic_t& printState, const sigset_t& waitMask) {
    while (!stop) {
        if (printState) {
            printState = 0;
            trace_.block("state", stateText(board_.state()));
        }
        if (toggleSilent) {
            toggleSilent = 0;
            board_.faults().silent = !board_.faults().silent;
            trace_.note("board", board_.faults().silent ? "silent from now on" : "answering again");
        }
        pollfd fds[2];
        nfds_t count = 0;
        int udpIndex = -1;
        int ptyIndex = -1;
        if (udpFd_ >= 0) {
            udpIndex = static_cast<int>(count);
            fds[count++] = pollfd{udpFd_, POLLIN, 0};
        }
        if (ptyMaster_ >= 0) {
            ptyIndex = static_cast<int>(count);
            fds[count++] =
                pollfd{ptyMaster_, static_cast<short>(POLLIN | (ptyOut_.empty() ? 0 : POLLOUT)), 0};
        }
        const int timeoutMs = pollTimeoutMs();
        timespec ts{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
        const int ready = ppoll(fds, count, timeoutMs < 0 ? nullptr : &ts, &waitMask);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0) {
            if (udpIndex >= 0 && fds[udpIndex].revents)
                readUdp();
            if (ptyIndex >= 0 && (fds[ptyIndex].revents & POLLIN))
                readPty();
        }
        sendDue();
    }
}

} // namespace corvane_board
