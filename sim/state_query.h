// corvane-board --state: asks a running stand-in board for its configuration over UDP and prints
// it as readable lines.
#pragma once

#include "options.h"

#include <optional>
#include <string>

namespace corvane_board {

// Sends the configuration request to the board at the options' UDP address and port and waits up
// to `timeoutMs` for its reply. The readable lines (configText), or nothing with the reason in
// `error`.
std::optional<std::string> queryState(const Options& options, int timeoutMs, std::string& error);

} // namespace corvane_board
