// What the numeric and address boxes accept: one row per box, keyed by the catalogue's control.
//
// A box whose text cannot be right shows it while the operator types (the window draws a red
// frame and names what is accepted), and an action that sends it asks first (checkSent,
// doubtQuestion). An empty box is left alone: it is not wrong yet, and what an empty value sends
// is the save's business.
//
// The lengths of the bit rates, GOPs, frame rates and the MTU are those of their command frames;
// a longer text has no frame, and the save and the Update buttons say so with tooLongFor().
#pragma once

#include "core/commands.h"
#include "core/controls.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::values {

enum class Kind {
    Number,    // decimal digits only, minChars..maxChars of them, value in min..max
    Address,   // a dotted IPv4 address: four numbers 0-255
    Mask,      // an address whose bits are ones, then zeros
    Multicast, // an address in 224.0.0.0-239.255.255.255
};

struct ValueRule {
    controls::Ctl ctl;
    Kind kind;
    commands::Cmd command; // the command that carries the value (its catalogue name)
    int minChars = 0;      // numbers: the accepted digit counts (framed: the command's own)
    int maxChars = 0;
    std::int64_t min = 0; // numbers: the accepted values
    std::int64_t max = 0;
    bool framed = false; // a text longer than maxChars has no command frame
};

inline constexpr std::size_t kValueRuleCount = 26;
extern const std::array<ValueRule, kValueRuleCount> kValueRules;

// The rule of a box, or nullptr for a control without one.
const ValueRule* ruleOf(controls::Ctl ctl);

// Whether the text can be right for the box; an empty text always can.
bool accepts(const ValueRule& rule, std::string_view text);

// What the box accepts, as one sentence for its tooltip ("A whole number from 1 to 99999.").
std::string acceptedText(const ValueRule& rule);

// The name of the box's value, as the command catalogue names its command ("stream 11 bit rate").
std::string_view valueName(const ValueRule& rule);

// "'123456' is too long for the stream 11 bit rate (1 to 5 characters)" when the text has more
// characters than the box's command frame takes; nothing otherwise (also for boxes whose frame
// takes any length). The text is quoted as text::quoted shows it.
std::optional<std::string> tooLongFor(controls::Ctl ctl, std::string_view text);

// Why a text may not go to the board as the value of `ctl`, or nothing when it may. Every text
// value rides inside a command frame that a carriage return ends: a control character (below
// 0x20, or 0x7F) in it would end the frame early or put a command of its own on the wire
// ("1.2.3.4\rA50275" reboots the board). The mode panel (PARTP) shows one of the four mode
// captions and nothing else. The text is quoted as text::quoted shows it.
std::optional<std::string> textRefused(controls::Ctl ctl, std::string_view text);

// "Stream 11 Frame Rate is empty: it takes a whole number from 1 to 999, in digits only.": the
// message for a blank box whose value the board needs (one that has to be converted to a number
// before anything is sent), naming the box as the window labels it and what it accepts.
std::string emptyMessage(controls::Ctl ctl);

// What an action that sends the texts of some boxes settles before anything goes out.
struct SendCheck {
    // A text that would break its command frame (a control character): the operator is told
    // this, naming the box, and nothing is sent. Empty when there is none.
    std::string refusal;
    // The boxes whose text cannot be right (the window frames them red), in the order given.
    std::vector<controls::Ctl> doubtful;
};
// Checks the texts of `boxes`, the boxes an action sends (its plan names them).
SendCheck checkSent(const controls::ConfigView& view, std::span<const controls::Ctl> boxes);

// The one question asked before `action` sends doubtful boxes: each box named as the window
// labels it, with its text (quoted as text::quoted shows it) and what it accepts, in the words
// of its red frame's tooltip. "No" sends nothing.
std::string doubtQuestion(std::string_view action, const controls::ConfigView& view,
                          std::span<const controls::Ctl> doubtful);

} // namespace corvane::values
