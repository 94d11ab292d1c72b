#pragma once
// Applies an operation's actions to a plain view of the controls, as far as the controls
// themselves go: texts, selections, check states and captions; a radio button that becomes
// selected clears its partner, and ticking one interface box clears the other. The handlers that
// the windows run are not simulated, nor are the state operations. Standard C++ only, so that the
// fuzz targets can use it.
#include "core/controls.h"

inline void applyToView(corvane::controls::ConfigView& view,
                        const corvane::controls::Applied& applied) {
    using corvane::controls::Action;
    using corvane::controls::Ctl;
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
