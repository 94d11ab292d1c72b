// corvane-board: a stand-in for the encoder board, for rehearsals and tests.
#include "board_state.h"
#include "links.h"
#include "options.h"
#include "state_query.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t silenceToggle = 0;
volatile std::sig_atomic_t stateRequested = 0;

void onStop(int) {
    stopRequested = 1;
}
void onToggle(int) {
    silenceToggle = 1;
}
void onState(int) {
    stateRequested = 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace corvane_board;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = parseOptions(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "corvane-board: %s\n", error->c_str());
        return 2;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (options.state) {
        std::string error;
        const auto text = queryState(options, 2000, error);
        if (!text) {
            std::fprintf(stderr, "corvane-board: %s\n", error.c_str());
            return 1;
        }
        std::fputs(text->c_str(), stdout);
        return 0;
    }

    std::FILE* traceOut = stdout;
    if (!options.traceFile.empty()) {
        traceOut = std::fopen(options.traceFile.c_str(), "a");
        if (!traceOut) {
            std::perror(("corvane-board: " + options.traceFile).c_str());
            return 1;
        }
    }

    // The signals are only let through while the loop waits, so they never cut a reply short.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGUSR1);
    sigaddset(&blocked, SIGUSR2);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGUSR1);
    sigdelset(&waitMask, SIGUSR2);
    struct sigaction stopAction {};
    stopAction.sa_handler = onStop;
    sigaction(SIGINT, &stopAction, nullptr);
    sigaction(SIGTERM, &stopAction, nullptr);
    struct sigaction toggleAction {};
    toggleAction.sa_handler = onToggle;
    sigaction(SIGUSR1, &toggleAction, nullptr);
    struct sigaction stateAction {};
    stateAction.sa_handler = onState;
    sigaction(SIGUSR2, &stateAction, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Board board(initialState(options), options.faults);
    Trace trace(traceOut);
    BoardLinks links(options, board, trace);
    std::string error;
    if (!links.open(error)) {
        std::fprintf(stderr, "corvane-board: %s\n", error.c_str());
        links.close();
        return 1;
    }
    if (options.udp)
        std::fprintf(stderr, "corvane-board: udp %s:%u\n", options.udpAddress.c_str(),
                     static_cast<unsigned>(links.udpPort()));
    if (!options.ptyLink.empty())
        std::fprintf(stderr, "corvane-board: pty %s at %s\n", links.ptyPath().c_str(),
                     options.ptyLink.c_str());
    std::fflush(stderr);

    links.run(stopRequested, silenceToggle, stateRequested, waitMask);
    links.close();
    std::fprintf(stderr, "corvane-board: stopped\n");
    if (traceOut != stdout)
        std::fclose(traceOut);
    return 0;
}
