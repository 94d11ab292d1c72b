// libFuzzer target for the configuration reply decoder (build with -DCORVANE_FUZZ=ON and clang;
// see tests/CMakeLists.txt).
//
// Input: one flag byte choosing the board (bit 0 small board; bits 1-3 channel 11's module,
// bits 4-6 channel 12's), then the reply frame. Checked beyond the sanitizers: the decode is
// all or nothing before its conversion phase ends, an error carries the operator's integer
// message, every write names a catalogued control, list positions stay in range, and a
// successful decode ends by enabling the keep-alive.
#include "core/config_decode.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace corvane;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

variant::ModuleFlags modules(unsigned bits) {
    return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    variant::BoardFlags flags;
    flags.fullBoard = (data[0] & 1) == 0;
    flags.boardVariant = flags.fullBoard ? 0 : 1;
    flags.ch11 = modules(data[0] >> 1);
    flags.ch12 = modules(data[0] >> 4);
    const std::string frame(reinterpret_cast<const char*>(data + 1), size - 1);

    const controls::Applied a = config::decodeConf(frame, flags);
    using Op = controls::Action::Op;
    for (const controls::Action& action : a.actions) {
        switch (action.op) {
        case Op::SetText:
        case Op::SetChecked:
        case Op::SetCaption:
            check(action.ctl != controls::Ctl::Count);
            break;
        case Op::Select:
            check(action.ctl != controls::Ctl::Count);
            check(action.index >= -1 && action.index <= 8);
            break;
        default:
            break;
        }
    }
    if (a.ok()) {
        check(!a.actions.empty() && a.actions.back().op == Op::KeepAliveOn);
    } else {
        check(a.error.size() >= 31 && a.error.front() == '\'' &&
              a.error.ends_with("' is not a valid integer value"));
        // An error in the integer fields changes nothing; an FEC error stops after LFEC/DFEC.
        if (!a.actions.empty())
            check(a.actions.back().ctl == controls::Ctl::DFEC);
    }
    return 0;
}
