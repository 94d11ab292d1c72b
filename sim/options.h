// Command line of corvane-board.
#pragma once

#include "board_state.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace corvane_board {

struct Options {
    bool udp = true;
    std::string udpAddress = "127.0.0.1";
    std::uint16_t udpPort = 6767; // 0: any free port (reported on standard error)
    std::string ptyLink;          // empty: no pseudo-terminal
    Variant variant = Variant::Full;
    Module module11 = Module::Sdi;
    Module module12 = Module::Analog;
    std::string detected11; // empty: the default for the channel's module
    std::string detected12;
    ClientState client = ClientState::Connected;
    std::string firmware; // empty: the variant's default text
    Faults faults;
    int delayMs = 0; // before every reply
    int split = 0;   // serial replies in pieces of this many characters; 0 whole
    int splitGapMs = 20;
    bool noise = false; // serial line noise after every reply
    std::uint32_t noiseSeed = 1;
    std::string traceFile; // empty: standard output
    bool help = false;
    bool state = false; // ask the board at the UDP address for its configuration, print it, end
};

// Parses the arguments (without the program name). On error the text says what is wrong.
std::variant<Options, std::string> parseOptions(const std::vector<std::string>& args);

// The text of --help.
std::string helpText();

// The starting board state the options describe.
BoardState initialState(const Options& options);

} // namespace corvane_board
