// The board's detection replies.
//
// The auto-detection reply answers the keep-alive: after "2288" it carries the video format code
// the board detects on each channel (hexadecimal), then "%" and the client connection state:
//     "2288" CC "$" CC "$" "%" S        e.g. 22882B$01$%1
// The assembly reply answers the assembly request: between "A8" and "GG" one digit per channel
// names the fitted input module, the third and the fifth character:  A81x3GG.
//
// The decoders return what the windows should select; they change nothing themselves. A text that
// has to be a number and is not gives the conversion error message; selections decided before it
// are still returned and stay in effect.
#pragma once

#include "core/controls.h"

#include "core/variant.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::detection {

// ---- Auto-detection reply --------------------------------------------------------------------

// The pieces of the reply as cut from the receive buffer:
//  w      the eight characters after the first "2288" (fewer when the buffer ends sooner);
//  r1     the characters of w before its first "$" (empty when w has no "$");
//  r2     of the four characters after that "$" (the first four of w when w has no "$"), those
//         before their first "$" (empty when they hold no "$");
//  status the character of w right after its first "%"; none when w holds no "%" or ends there.
struct AutoReplyParts {
    std::string w;
    std::string r1;
    std::string r2;
    std::optional<char> status;
};
AutoReplyParts cutAutRes(std::string_view buffer);

// Panel8's text for a status character: "f" empty, "1" "Client Connected", "2" "Client
// DisConnected"; any other character (or none): std::nullopt, Panel8 unchanged.
std::optional<std::string> panel8Text(std::optional<char> status);

// Selections for the two sensor-input lists. Empty: the list keeps its selection.
struct ResSelection {
    std::optional<int> s1i;
    std::optional<int> s2i;
    std::optional<std::string> error; // conversion error message; later steps were not done
};

// Turns the two format codes into list selections by the board's variant and module flags:
// small board, in order: SDI table ch11, HDMI ch11, SDI ch12, HDMI ch12, analog ch11, analog ch12;
// full board: SDI ch11, SDI ch12, analog ch11, analog ch12 (no HDMI table). A code is converted
// (as hexadecimal, low eight bits used) only when a table needs it; a text that is not
// hexadecimal stops there with the message for "$" + text.
//
// The tables name the input to select; its position is looked up in the list the window shows
// (s1iItems, s2iItems). With the lists a variant puts up, these are the table positions (e.g.
// "No Sensor" 4 on a small-board module list, 8 on the full list). An input the list does not
// hold leaves the selection unchanged, so the design-time lists get their own "No Sensor".
ResSelection findRes(const variant::BoardFlags& flags, std::string_view r1, std::string_view r2,
                     const std::vector<std::string>& s1iItems,
                     const std::vector<std::string>& s2iItems);

struct AutResult {
    std::optional<int> s1i;
    std::optional<int> s2i;
    std::optional<std::string> panel8; // empty: Panel8 unchanged (always so after an error)
    std::optional<std::string> error;
};

// The whole auto-detection reply: cut, findRes, then the status for Panel8.
AutResult decodeAutRes(std::string_view buffer, const variant::BoardFlags& flags,
                       const std::vector<std::string>& s1iItems,
                       const std::vector<std::string>& s2iItems);
// The result as writes to the main window: the detected inputs selected (which runs no list
// handler), the client state in Panel8, the error for the operator.
controls::Applied autResActions(const AutResult& result);

// ---- Assembly reply --------------------------------------------------------------------------

struct AssemblyResult {
    std::optional<int> c11g; // position to select in C11G: 0 HD SDI, 1 Analog, 2 HDMI, 3 None
    std::optional<int> c12g;
    std::optional<std::string> error; // a module character is not a decimal digit: no selection
};

// Module digits (third and fifth character): "0" None, "1" HD SDI, "2" HDMI, "3" Analog; another
// digit leaves the group alone. Both characters are converted before anything is selected; a
// missing or non-digit character gives the conversion error (for "" when missing). The window
// restores the AOAD caption and shows C11G/C12G whatever the result.
AssemblyResult findAssem(std::string_view text);

} // namespace corvane::detection
