// Sending the configuration to the board: "Save Config." as a paced sequence of single-setting
// commands, the per-stream "Update" buttons, the frame-rate check that guards both, and what the
// "CBR"/"VBR" buttons do.
//
// Everything here reads a ConfigView (what the controls show) and the main window's state, and
// returns steps for the window's runSteps or the message the operator sees instead. Nothing is sent
// when a message is returned.
//
// No frame of 100 characters or more ever goes out: a value whose frame would reach that length
// refuses the whole operation with a message naming the value (see tooLongMessage). A bit rate,
// GOP or frame rate with more characters than its command takes refuses it likewise
// (values::tooLongFor: "'123456' is too long for the stream 11 bit rate (1 to 5 characters)").
#pragma once

#include "core/controls.h"
#include "core/frames.h"
#include "core/steps.h"
#include "core/variant.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::save {

// Frames are at most this many characters long, CR included.
inline constexpr std::size_t kMaxFrame = 99;

// "'<value>' is too long to send", the value quoted as text::quoted shows it.
std::string tooLongMessage(std::string_view value);

// "Wrong Value in Chnl 11 FPS " / "Wrong Value in Chnl 12 FPS ".
std::string wrongFpsMessage(frames::Stream s);

// The frame-rate check of one stream (CheckFPS): the stream's frame rate (fps1/fps2) against
// the limit of its selected sensor input (S1I/S2I), by list position and the board flags:
//  full board:                     0, 2, 5, 7: 60; 1, 3: 30; 4, 6: 50;
//  small board, HD SDI or HDMI:    0, 2: 60; 1, 3: 30;
//  small board, analog:            0, 2: 50; 1, 3: 60.
// Each rule that applies converts the frame-rate text; a position without a limit ("No Sensor",
// "HD SDI 1080P50", none) converts nothing and passes. There is no lower limit.
struct FpsCheck {
    bool passed = true;
    std::string error; // the conversion message when the text had to be converted and is not
                       // an integer (passed is then false); an empty text is named as
                       // values::emptyMessage names it ("Stream 11 Frame Rate is empty: ...")

    // What the operator is shown when the check did not pass: the conversion message, or
    // wrongFpsMessage.
    std::string message(frames::Stream s) const;
};
FpsCheck checkFps(const controls::ConfigView& view, const variant::BoardFlags& flags,
                  frames::Stream s);

// The main window's state that the save reads besides the controls.
struct SaveState {
    bool streamingOn = false;
    std::string streamModeLetter; // "S", "A", "B", "R" or empty
    int rateMode11 = 1;           // 1 CBR, 2 VBR
    int rateMode12 = 1;
    variant::BoardFlags board;
};

// "Save Config." as steps. When the board was streaming, `stop` stops it first ("A50206" and a
// pause; the window then clears Panel5) and `start` starts it again after the configuration
// ("A50205"; the window then shows "Streaming" in Panel5 and nudges the player windows).
struct SavePlan {
    std::string message; // set: the operator sees it and nothing is sent (all steps empty)
    steps::Steps stop;
    steps::Steps body; // the configuration, closed by "A50225"
    steps::Steps start;
    // The boxes whose texts the save sends (the value edits, FEC L and D, the RTP ports and
    // addresses), which the window checks before sending (values::checkSent).
    std::vector<controls::Ctl> boxes;

    bool restarts() const { return !start.empty(); }
    steps::Steps all() const; // stop, body and start in one
};

// The whole save. Refused (message, no steps) when checkFps fails for stream 11, then stream 12,
// or when a value's frame would reach 100 characters.
//
// Choices where the board has no input mode for a selection: a sensor input list with nothing
// selected, or at a position whose input character is not one of the board's ("0".."9",
// "A".."D"), sends no input command for that stream; its pause and wait follow all the same, as
// for the analog and HDMI modules.
SavePlan planSave(const controls::ConfigView& view, const SaveState& state);

// The "Update" buttons of the two stream panels.
enum class Update { URes1, URes2, UBit1, UBit2, UGop1, UGop2, Ufps1, Ufps2 };

struct UpdatePlan {
    std::string message;              // set: the operator sees it and nothing is sent
    steps::Steps steps;               // one send, no pause, no wait
    std::vector<controls::Ctl> boxes; // the box whose text it sends (none for a resolution)
};

// One update: URes1/URes2 send the list position + 1 (0 with nothing selected); the others send
// the edit's text when its length is accepted (bit rate 1-5, GOP and frame rate 1-3 characters)
// and an empty text when it is empty, as the send path expects; Ufps1/Ufps2 run checkFps first.
// A value whose frame would reach 100 characters gives tooLongMessage instead, a shorter one
// that is still too long for the command values::tooLongFor.
UpdatePlan planUpdate(Update button, const controls::ConfigView& view,
                      const variant::BoardFlags& flags);

// What choosing "CBR" or "VBR" for a stream does: the stream's RateMode, the caption above its
// bit rate edit, and whether its four update buttons can be pressed. Nothing is sent.
struct RateMode {
    int mode;            // 1 CBR, 2 VBR
    std::string caption; // "Bitrate (kbps)" / "Max. Bitrate (kbps)"
    bool updatesEnabled;

    friend bool operator==(const RateMode&, const RateMode&) = default;
};
RateMode rateMode(bool vbr);
// The choice as writes to the main window: the chosen button selected and the other cleared
// (whatever holds them), the caption, the four update buttons enabled or not.
std::vector<controls::Action> rateModeActions(int stream, bool vbr);

} // namespace corvane::save
