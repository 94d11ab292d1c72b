// Two configurations side by side: the settings whose values differ, named as the windows label
// them, for "Compare with Board", the history window and `corvane-ctl diff`.
#pragma once

#include "core/controls.h"
#include "core/variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane::compare {

// One setting whose values differ, each as configtext::valueText gives it (a list's item text,
// "on" or "off", an edit's text).
struct Difference {
    controls::Ctl ctl = controls::Ctl::Count;
    std::string ours;   // the windows' (or the file's) value
    std::string theirs; // the board's (or the history entry's) value

    friend bool operator==(const Difference&, const Difference&) = default;
};

// The configuration controls whose values differ, in catalogue order. The interface boxes
// (UDPCheck, RS232Check) are left out: they choose this program's link, and a save never sends
// them. Lists are compared by their item texts for `flags`.
std::vector<Difference> differences(const controls::ConfigView& ours,
                                    const controls::ConfigView& theirs,
                                    const variant::BoardFlags& flags);
// The same, each side's lists read with its own flags: a board that reports another input
// module than the windows hold names its sensor input from that module's list.
std::vector<Difference> differences(const controls::ConfigView& ours,
                                    const variant::BoardFlags& oursFlags,
                                    const controls::ConfigView& theirs,
                                    const variant::BoardFlags& theirsFlags);

// "Bit1: file 6000, board 4000": the control's name, then each side's value after its name; an
// empty value is shown as "(empty)".
std::string line(const Difference& d, std::string_view oursName, std::string_view theirsName);

} // namespace corvane::compare
