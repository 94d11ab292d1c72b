// The stand-in board's links: a UDP socket and a pseudo-terminal, served by one poll loop.
#pragma once

#include "board_state.h"
#include "options.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include <netinet/in.h>

namespace corvane_board {

// One line per received frame, flushed at once.
class Trace {
public:
    explicit Trace(std::FILE* out) : out_(out) {}
    void frame(std::string_view link, std::string_view from, std::string_view bytes,
               const Outcome& outcome);
    void note(std::string_view link, std::string_view text);
    // A block of readable lines after a note line, each indented.
    void block(std::string_view title, std::string_view lines);

private:
    void stamp();
    std::FILE* out_;
};

class BoardLinks {
public:
    BoardLinks(const Options& options, Board& board, Trace& trace);
    ~BoardLinks();
    BoardLinks(const BoardLinks&) = delete;
    BoardLinks& operator=(const BoardLinks&) = delete;

    // Binds the UDP socket and opens the pseudo-terminal as the options ask. On failure
    // returns false with the reason in `error`.
    bool open(std::string& error);

    // Serves both links until `stop` becomes non-zero. `toggleSilent` is set by SIGUSR1 and
    // reset here after silence has been toggled; `printState` by SIGUSR2, reset after the state
    // went to the trace. Signals are delivered only while waiting.
    void run(volatile std::sig_atomic_t& stop, volatile std::sig_atomic_t& toggleSilent,
             volatile std::sig_atomic_t& printState, const sigset_t& waitMask);

    // Removes the pseudo-terminal's link and closes everything; safe to call twice.
    void close();

    std::uint16_t udpPort() const { return udpPort_; }
    const std::string& ptyPath() const { return ptyPath_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        bool udp = false;
        sockaddr_storage to{};
        socklen_t toLen = 0;
        std::string bytes;
    };

    void readUdp();
    void readPty();
    void answer(bool udp, const sockaddr_storage* to, socklen_t toLen, const Outcome& outcome);
    void sendDue();
    void flushPty();
    int pollTimeoutMs() const;

    const Options& options_;
    Board& board_;
    Trace& trace_;
    int udpFd_ = -1;
    int ptyMaster_ = -1;
    int ptySlave_ = -1;
    std::uint16_t udpPort_ = 0;
    std::string ptyPath_;
    std::string linkMade_;
    LineSplitter splitter_;
    std::deque<Pending> pending_; // ordered by due time
    std::string ptyOut_;          // bytes due on the pseudo-terminal, not yet written
    Clock::time_point ptyFree_{}; // serial replies are queued behind each other
    std::uint32_t noiseSeed_ = 1;
};

} // namespace corvane_board
