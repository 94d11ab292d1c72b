// libFuzzer target for the server configuration record reader and what opening and updating a
// file move between the record and the windows.
//
// Build and run (clang), see tests/CMakeLists.txt:
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON
//   cmake --build build-fuzz --target record_fuzz
//   build-fuzz/tests/record_fuzz -max_total_time=60 /tmp/record_corpus tests/fuzz/record_seeds
//
// Input: one byte for the board (bit 0 small board, bits 1-2 and 3-4 the modules of channels 11
// and 12: HD SDI, analog, HDMI, none; bit 5 a record of factory defaults in memory before the
// read, else zeros), then the file's bytes, of any length. Checked: the read replaces exactly the
// file's leading bytes; the record encodes to the bytes it was decoded from; opening writes no
// text longer than its field or holding a zero byte and selects only positions the lists have;
// updating from what opening showed never fails; and opening the updated record shows the same
// as opening the file did.
#include "core/server_record.h"
#include "support/view_apply.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace corvane;
using controls::Action;
using controls::ConfigView;
using controls::Ctl;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

variant::BoardFlags boardOf(std::uint8_t b) {
    variant::BoardFlags f;
    f.fullBoard = (b & 1) == 0;
    f.boardVariant = f.fullBoard ? 0 : 1;
    f.ch11 = variant::flagsFor(variant::Module((b >> 1) & 3));
    f.ch12 = variant::flagsFor(variant::Module((b >> 3) & 3));
    return f;
}

std::size_t widthLimit(Ctl c) {
    switch (c) {
    case Ctl::RTP11_IP:
    case Ctl::RTP12_IP:
    case Ctl::ipb:
    case Ctl::gwp:
    case Ctl::SubB:
        return 20;
    case Ctl::RTP11_Port:
    case Ctl::RTP12_Port:
        return 7;
    case Ctl::RTP11_M:
    case Ctl::RTP12_M:
        return 16;
    case Ctl::MTUB:
        return 4;
    case Ctl::UDPRSIPB:
        return 30;
    default:
        return 11; // a 32-bit number in decimal
    }
}

int listSize(Ctl c, const variant::BoardFlags& flags) {
    switch (c) {
    case Ctl::S1I:
    case Ctl::S2I: {
        if (flags.fullBoard)
            return int(variant::fullList().size());
        const variant::ModuleFlags& m =
            flags.modules(c == Ctl::S1I ? variant::Channel::Ch11 : variant::Channel::Ch12);
        return m.sdi ? 6 : m.analog || m.hdmi ? 5 : 1;
    }
    case Ctl::Res1:
    case Ctl::Res2:
        return 9;
    case Ctl::RecRes1:
    case Ctl::RecRes2:
        return 6;
    default:
        return 2; // the encoder formats and the session types
    }
}

void checkOpening(const controls::Applied& applied, const variant::BoardFlags& flags) {
    check(applied.ok());
    for (const Action& a : applied.actions) {
        if (a.op == Action::Op::SetText) {
            check(a.text.size() <= widthLimit(a.ctl));
            check(a.text.find('\0') == std::string::npos);
        }
        if (a.op == Action::Op::Select)
            check(a.index >= -1 && a.index < listSize(a.ctl, flags));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const variant::BoardFlags flags = boardOf(data[0]);
    record::ServerConfigRecord before;
    if (data[0] & 0x20)
        record::applyFactoryDefaults(before);
    const std::span<const std::uint8_t> file(data + 1, size - 1);

    const record::ServerConfigRecord r = record::readRecord(before, file);
    const record::RecordBytes bytes = record::encodeRecord(r);
    const record::RecordBytes old = record::encodeRecord(before);
    const std::size_t n = std::min(file.size(), record::kRecordSize);
    check(std::equal(bytes.begin(), bytes.begin() + n, file.begin()));
    check(std::equal(bytes.begin() + n, bytes.end(), old.begin() + n));
    check(record::decodeRecord(bytes) == r);

    const controls::Applied opened = record::recordToControls(r, flags);
    checkOpening(opened, flags);
    ConfigView shown;
    applyToView(shown, opened);

    const record::RecordUpdate updated = record::recordFromControls(r, shown, flags);
    check(updated.ok());
    const controls::Applied reopened = record::recordToControls(updated.record, flags);
    checkOpening(reopened, flags);
    ConfigView shownAgain;
    applyToView(shownAgain, reopened);
    for (std::size_t i = 0; i < controls::kCtlCount; ++i)
        check(shown.values[i] == shownAgain.values[i]);
    return 0;
}
