#include "core/config_clear.h"

#include <initializer_list>

namespace corvane::config {

using controls::Action;
using controls::Applied;
using enum controls::Ctl;

Applied clearDisplay() {
    Applied result;
    auto& out = result.actions;
    const auto none = [&](std::initializer_list<controls::Ctl> lists) {
        for (const auto c : lists)
            out.push_back(Action::select(c, -1));
    };
    const auto empty = [&](std::initializer_list<controls::Ctl> edits) {
        for (const auto c : edits)
            out.push_back(Action::setText(c, {}));
    };
    const auto untick = [&](std::initializer_list<controls::Ctl> boxes) {
        for (const auto c : boxes)
            out.push_back(Action::setChecked(c, false));
    };

    none({S1I, S2I, Res1, Res2});
    empty({Bit1, Bit2, fps1, fps2});
    none({Efmt1, Efmt2});
    empty({ipb, gwp, Gop1, Gop2});
    untick({ERec1, ERec2});
    none({RecRes1, RecRes2});
    empty({RecBit1, RecBit2, Recfps1, Recfps2, RecGop1, RecGop2});
    untick({AutoDetect, Auto_rtp});
    empty({MTUB});
    out.push_back(Action::lampColour(controls::Lamp::Grey));
    none({RTP12_S, RTP11_S});
    empty({RTP12_IP, RTP11_IP, RTP12_M, RTP11_M, RTP12_Port, RTP11_Port});
    out.push_back(Action::state(Action::Op::HideReady));
    untick({S1Aud, S2Aud});
    empty({LFEC, DFEC});
    untick({CEFEC, FixCheck, MovCheck});
    out.push_back(Action::state(Action::Op::ClearReceive));
    empty({UDPRSIPB});
    untick({UDPRSB});
    empty({SubB, FECP});
    out.push_back(Action::setChecked(CBR11B, true));
    out.push_back(Action::setChecked(CBR12B, true));
    out.push_back(Action::state(Action::Op::Panel9));
    return result;
}

} // namespace corvane::config
