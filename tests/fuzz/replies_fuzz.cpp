// libFuzzer target for the reply scanner and the dispatch.
//
// Build and run (clang):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//       tests/fuzz/replies_fuzz.cpp src/core/replies.cpp -o replies_fuzz
//   ./replies_fuzz tests/fuzz/replies_seeds
//
// Input: one flag byte (bit 0 UDP, bit 1 keep-alive pending, bit 2 serial port open), then
// pieces, each a length byte followed by that many characters. Every piece is received and
// dispatched as the window does. Checked: the incrementally scanned buffer answers as a plain
// search over its content would, the step that fires is the one the plain functions predict,
// a firing step empties the buffer, the buffer never exceeds its limit, and the effects are
// consistent with each other.
#include "core/replies.h"
#include "core/replies_reference.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace corvane::replies;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// The first step that fires, from plain searches over a copy of the buffer.
Step predict(std::string_view b, Transport t, const DispatchFlags& flags) {
    if (t == Transport::Serial) {
        const StatusStart s = locateStreamStatus(b);
        if (s.state == StatusStart::Waiting)
            return Step::None; // the status character is still to come
        if (s.state == StatusStart::Found)
            return Step::StreamStatus;
    } else if (b.find("991177") != std::string_view::npos) {
        return Step::StreamStatus;
    }
    if (t == Transport::Serial && b.find("B74D") != std::string_view::npos)
        return Step::ProbeAnswer;
    if (operatorText(b))
        return Step::OperatorText;
    if (assemblyText(b))
        return Step::Assembly;
    if (flags.keepAlivePending && isAutoDetectionReply(b))
        return Step::AutoDetection;
    if (t == Transport::Serial ? findCom(b).has_value() : uFindCom(b).has_value())
        return Step::ReplyFrame;
    const std::size_t ack = b.find("55");
    if (ack == std::string_view::npos)
        return Step::None;
    if (t == Transport::Serial) {
        const FrameStart f = locateFrame(b);
        if (f.state != FrameStart::None && ack >= f.pos &&
            mayBecomeConfigurationReply(b.substr(f.pos)))
            return Step::None;
    }
    return Step::Acknowledgement;
}

void checkScans(const ReceiveBuffer& rx) {
    const std::string_view v = rx.view();
    check(v.size() <= kMaxReceiveBuffer);
    for (std::size_t m = 0; m < kMarkerCount; ++m)
        check(rx.find(Marker(m)) == v.find(markerText(Marker(m))));
    const FrameStart a = rx.frame();
    const FrameStart b = locateFrame(v);
    check(a.state == b.state && a.length == b.length);
    check(b.state == FrameStart::None || a.pos == b.pos);
    const StatusStart c = rx.streamStatus();
    const StatusStart d = locateStreamStatus(v);
    check(c.state == d.state && c.pos == d.pos && c.status == d.status);
}

void checkEffects(const DispatchOutcome& out) {
    std::string frame;
    bool sawFrame = false;
    for (const Effect& e : out.effects) {
        if (e.kind == Effect::Kind::SetRxFrame) {
            frame = e.text;
            sawFrame = true;
        }
        if (e.kind == Effect::Kind::DecodeConf)
            check(sawFrame && e.text == frame && isConfigurationFrame(frame));
        if (e.kind == Effect::Kind::SetPanel9)
            check(e.text == "Error Start Stream 11" || e.text == "Error Start Stream 12");
    }
    check((out.fired == Step::None) == out.effects.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const Transport transport = (data[0] & 1) ? Transport::Udp : Transport::Serial;
    DispatchFlags flags{(data[0] & 2) != 0, (data[0] & 4) != 0};
    ReceiveBuffer rx;
    std::size_t i = 1;
    while (i < size) {
        const std::size_t n = data[i++];
        const std::size_t take = n < size - i ? n : size - i;
        const std::string_view piece(reinterpret_cast<const char*>(data + i), take);
        i += take;
        if (transport == Transport::Serial)
            rx.append(piece);
        else
            rx.assign(piece);
        checkScans(rx);

        Step from = Step::StreamStatus;
        bool first = true;
        while (from != Step::None) {
            const std::string before = rx.str();
            const DispatchOutcome out = dispatchStep(rx, transport, flags, from);
            if (first)
                check(out.fired == predict(before, transport, flags));
            first = false;
            checkEffects(out);
            if (out.fired != Step::None)
                check(rx.empty());
            else
                check(rx.view() == before);
            for (const Effect& e : out.effects)
                if (e.kind == Effect::Kind::ClearKeepAlivePending)
                    flags.keepAlivePending = false;
            check(out.resumeAt == Step::None || int(out.resumeAt) > int(from));
            from = out.resumeAt;
            checkScans(rx);
        }
    }
    return 0;
}
