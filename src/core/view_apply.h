#pragma once
// Applies an operation's actions to a plain view of the controls, as far as the controls
// themselves go: texts, selections, check states and captions; a radio button that becomes
// selected clears its partner, and ticking one interface box clears the other. The handlers that
// the windows run are not simulated (nothing is sent), nor are the state operations. This is what
// the command-line tool keeps of a configuration reply.
#include "core/controls.h"

namespace corvane::controls {

inline void applyToView(ConfigView& view, const Applied& applied) {
    const auto partner = [](Ctl c) {
        switch (c) {
        case Ctl::CBR11B:
            return Ctl::VBR11B;
        case Ctl::VBR11B:
            return Ctl::CBR11B;
        case Ctl::CBR12B:
            return Ctl::VBR12B;
        case Ctl::VBR12B:
            return Ctl::CBR12B;
        case Ctl::UDPCheck:
            return Ctl::RS232Check;
        case Ctl::RS232Check:
            return Ctl::UDPCheck;
        default:
            return Ctl::Count;
        }
    };
    for (const Action& a : applied.actions) {
        if (static_cast<std::size_t>(a.ctl) >= kCtlCount)
            continue; // a window control that holds no configuration
        switch (a.op) {
        case Action::Op::SetText:
        case Action::Op::SetCaption:
            view[a.ctl].text = a.text;
            break;
        case Action::Op::Select:
            view[a.ctl].index = a.index;
            break;
        case Action::Op::SetChecked:
            view[a.ctl].checked = a.on;
            if (a.on && partner(a.ctl) != Ctl::Count)
                view[partner(a.ctl)].checked = false;
            break;
        default:
            break;
        }
    }
}

} // namespace corvane::controls
