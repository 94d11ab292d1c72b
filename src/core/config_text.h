// The configuration as text: one "name=value" line per configuration control, by the catalogue's
// names and in its order, as the command-line tool prints and reads it; the same as one JSON
// object; and what a save needs besides the values.
//
// Values are what the controls show: an edit's or a caption's text, a list's selected item text
// (empty for no selection), "on" or "off" for a check box or radio button. The sensor input lists
// hold the items of the board variant (the full board's list, or the list of the channel's
// module on the small board).
#pragma once

#include "core/controls.h"
#include "core/save_plan.h"
#include "core/variant.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::configtext {

// The items of a list control for this board; empty for a control that is not a list.
std::vector<std::string> listItems(controls::Ctl c, const variant::BoardFlags& flags);

// One control's value as text.
std::string valueText(const controls::ConfigView& view, controls::Ctl c,
                      const variant::BoardFlags& flags);

// "name=value\n" for every configuration control, in catalogue order.
std::string toLines(const controls::ConfigView& view, const variant::BoardFlags& flags);

// One JSON object with the same names and values; check boxes and radio buttons are booleans,
// everything else a string. The text is UTF-8: a byte from 0x80 up is taken as its Latin-1
// character, control characters are escaped.
std::string toJson(const controls::ConfigView& view, const variant::BoardFlags& flags);

// The controls whose values "Save Network Configuration" sends, in the order it sends them.
inline constexpr std::array<controls::Ctl, 5> kNetworkControls{
    controls::Ctl::ipb, controls::Ctl::gwp, controls::Ctl::MTUB, controls::Ctl::UDPRSIPB,
    controls::Ctl::SubB};

// Which controls a text must give: every one (a whole configuration), or the network values
// (the others may be given too and are checked, but are not needed).
enum class Need { Every, Network };

// The values of a "name=value" text. Blank lines and lines starting with '#' are skipped; a CR
// before the line end is dropped; the value is everything after the first '='. A control is given
// at most once, and every control that `need` names must be given. A text value that
// values::textRefused refuses (a control character, a mode caption that is none) is refused with
// its line. Every text from the input that a message repeats is quoted as text::quoted shows it.
struct Parsed {
    controls::ConfigView view;
    std::array<int, controls::kCtlCount> lines{}; // the line of each value (1-based)
    int errorLine = 0; // the line of the refused value; 0 when the error is about the whole text
    std::string error; // why the text was refused; empty when it was accepted

    bool ok() const { return error.empty(); }
    // "line N: <error>", or the error alone when it has no line.
    std::string message() const;
};
Parsed fromLines(std::string_view text, const variant::BoardFlags& flags, Need need = Need::Every);

// The first text value of `view` that values::textRefused refuses, as "<name>: <why>"; empty when
// every text may be sent. For values that come from elsewhere than fromLines (a server record).
std::string refusedText(const controls::ConfigView& view);

// What "Save Config." reads besides the controls, as a window that shows these values has it:
// streaming when the automatic start is ticked (the configuration reply marks a streaming board
// so), the mode letter of the mode panel's caption, the rate control of each stream from its
// "VBR" button, and the board flags given.
save::SaveState saveState(const controls::ConfigView& view, const variant::BoardFlags& flags);

// The writes that show a whole configuration in the windows, as opening a server configuration
// file shows one: the mode panel's caption with its mode letter, the sensor inputs (on the full
// board with the module flags their choice sets), then every other control in catalogue order;
// a radio button only where it is selected. The interface boxes are left as they are: they choose
// this program's link, not a setting of the board. Nothing here claims a running stream.
controls::Applied toControls(const controls::ConfigView& view, const variant::BoardFlags& flags);

// The line a save's refusal is about: the frame-rate messages name fps1 or fps2; a message that
// quotes a value ("'12x' is not a valid integer value", quoted as text::quoted shows it) names the
// first line holding it; a blank is named by its box (values::emptyMessage). 0 when none is found.
int refusedLine(const std::string& message, const Parsed& parsed);

} // namespace corvane::configtext
