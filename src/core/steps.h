// Paced command sequences as data: a sequence is a list of steps, each a frame to send, a pause
// or an acknowledgement wait. The main window runs every such sequence through one loop
// (runSteps: CWriteStr, the pacing pause, WaitforAck), so a sequence is tested whole as
// a table without a window.
#pragma once

#include <string>
#include <vector>

namespace corvane::steps {

// The pause that paces the board after most commands of a sequence (the save, the network
// settings, the FEC and camera boxes, stopping a stream): one setting for all of them. The few
// longer pauses (after the audio off command and the RTP destinations, after an HDMI input) are
// the save's own (save_plan.cpp).
inline constexpr int kShortPause = 100;

struct Step {
    enum class Kind { Send, Pause, Wait };
    Kind kind;
    std::string frame; // Send: the whole frame, CR included (may be empty: CWriteStr("") is sent)
    int ms = 0;        // Pause: milliseconds

    static Step send(std::string f) { return {Kind::Send, std::move(f), 0}; }
    static Step pause(int ms) { return {Kind::Pause, {}, ms}; }
    static Step wait() { return {Kind::Wait, {}, 0}; }

    friend bool operator==(const Step&, const Step&) = default;
};

using Steps = std::vector<Step>;

// A sequence as one line for tests: frames with CR shown as "<CR>", pauses as "~100",
// waits as "W", joined by " ". Example: "A50226<CR> W ~100".
std::string describe(const Steps& steps);

// The sum of the pauses, in milliseconds.
int totalPause(const Steps& steps);

} // namespace corvane::steps
