#include "core/replies.h"

#include "core/replies_reference.h"
#include "core/text.h"

#include <algorithm>

namespace corvane::replies {

namespace {

constexpr auto npos = std::string_view::npos;

constexpr std::array<std::string_view, kMarkerCount> kMarkers = {
    "991177", "B74D", "A7", "AA", "A8", "GG", "2288", "%", "55",
};

constexpr std::string_view kFrameMarker = "A3";

// The characters from `begin` up to `end`; empty when `end` comes first.
std::string between(std::string_view text, std::size_t begin, std::size_t end) {
    if (end <= begin)
        return {};
    return std::string(text.substr(begin, end - begin));
}

// What the text after a serial "991177" makes of it.
enum class AfterMarker { Status, Waiting, CutShort };

AfterMarker classifyAfterMarker(std::string_view after) {
    if (after.empty())
        return AfterMarker::Waiting;
    if (after[0] == '1')
        return AfterMarker::Status;
    if (after[0] != '2')
        return AfterMarker::CutShort;
    // A "2" alone is taken as the status the board sent: waiting for more would hold it until the
    // next reply arrives. Behind it, "2288" is an auto-detection reply, not a status.
    if (after.size() == 1)
        return AfterMarker::Status;
    const std::string_view autoDetection =
        kMarkers[static_cast<std::size_t>(Marker::AutoDetection)];
    const std::size_t n = std::min(after.size(), autoDetection.size());
    if (after.substr(0, n) != autoDetection.substr(0, n))
        return AfterMarker::Status;
    return n == autoDetection.size() ? AfterMarker::CutShort : AfterMarker::Waiting;
}

std::optional<std::string> streamStatusAt(std::string_view buffer, std::size_t markerPos) {
    const std::size_t at = markerPos + kMarkers[0].size();
    if (at >= buffer.size())
        return std::nullopt;
    if (buffer[at] == '1')
        return std::string("Error Start Stream 11");
    if (buffer[at] == '2')
        return std::string("Error Start Stream 12");
    return std::nullopt;
}

// The cut common to both frame tests: from the "A3" to the end of the buffer, without the
// buffer's last character.
std::string cutFrame(std::string_view buffer, std::size_t pos) {
    return std::string(buffer.substr(pos, buffer.size() - pos - 1));
}

// Frame test on a located start. Serial: complete once `length` characters from the "A3" are
// there; UDP: the datagram holds at most `length` characters from the "A3".
std::optional<std::string> frameTest(std::string_view buffer, const FrameStart& start,
                                     Transport transport) {
    if (start.state != FrameStart::Found)
        return std::nullopt;
    const std::size_t present = buffer.size() - start.pos;
    const std::size_t length = static_cast<std::size_t>(start.length);
    const bool complete = transport == Transport::Serial ? present >= length : present <= length;
    if (!complete)
        return std::nullopt;
    return cutFrame(buffer, start.pos);
}

} // namespace

void trimToNewest(std::string& buffer, std::size_t limit) {
    if (buffer.size() > limit)
        buffer.erase(0, buffer.size() - limit);
}

std::string_view markerText(Marker m) {
    return kMarkers[static_cast<std::size_t>(m)];
}

bool isProbeAnswer(std::string_view text) {
    return text.find(markerText(Marker::ProbeAnswer)) != npos;
}

// ---- Reply frames ----------------------------------------------------------------------------

FrameStart locateFrame(std::string_view text, std::size_t from) {
    std::size_t p = text.find(kFrameMarker, from);
    while (p != npos) {
        if (text.size() - p < 5)
            return FrameStart{FrameStart::Waiting, p, 0};
        if (text::isDigit(text[p + 2]) && text::isDigit(text[p + 3]) &&
            text::isDigit(text[p + 4])) {
            const int length =
                (text[p + 2] - '0') * 100 + (text[p + 3] - '0') * 10 + (text[p + 4] - '0');
            return FrameStart{FrameStart::Found, p, length};
        }
        p = text.find(kFrameMarker, p + 1);
    }
    return FrameStart{};
}

std::optional<std::string> findCom(std::string_view buffer) {
    return frameTest(buffer, locateFrame(buffer), Transport::Serial);
}

std::optional<std::string> uFindCom(std::string_view datagram) {
    return frameTest(datagram, locateFrame(datagram), Transport::Udp);
}

bool isConfigurationFrame(std::string_view frame) {
    return frame.size() >= 7 && frame[5] == '0' && frame[6] == '8';
}

bool mayBecomeConfigurationReply(std::string_view partial) {
    if (!partial.starts_with(kFrameMarker))
        return false;
    for (std::size_t i = 2; i < std::min<std::size_t>(partial.size(), 5); ++i)
        if (!text::isDigit(partial[i]))
            return false;
    if (partial.size() < 5)
        return true;
    const std::size_t length = static_cast<std::size_t>(
        (partial[2] - '0') * 100 + (partial[3] - '0') * 10 + (partial[4] - '0'));
    if (length < kMinConfigurationFrame || partial.size() >= length)
        return false;
    constexpr std::string_view code = "08";
    const std::string_view got = partial.substr(5, code.size());
    if (got != code.substr(0, got.size()))
        return false;
    std::size_t fields = 0;
    for (const char c : partial.substr(std::min(partial.size(), std::size_t{7}))) {
        const auto u = static_cast<unsigned char>(c);
        if (fields == kConfigurationFields || u < 0x20 || u > 0x7e)
            return false;
        if (c == '$')
            ++fields;
    }
    return true;
}

// ---- Stream status ---------------------------------------------------------------------------

StatusStart locateStreamStatus(std::string_view text, std::size_t from) {
    const std::string_view marker = markerText(Marker::StreamStatus);
    for (std::size_t p = text.find(marker, from); p != npos; p = text.find(marker, p + 1)) {
        const std::string_view after = text.substr(p + marker.size());
        switch (classifyAfterMarker(after)) {
        case AfterMarker::Status:
            return StatusStart{StatusStart::Found, p, after[0]};
        case AfterMarker::Waiting:
            return StatusStart{StatusStart::Waiting, p, 0};
        case AfterMarker::CutShort:
            break;
        }
    }
    return StatusStart{};
}

// ---- Other replies ---------------------------------------------------------------------------

std::optional<std::string> operatorText(std::string_view buffer) {
    const std::size_t a = buffer.find(markerText(Marker::TextStart));
    const std::size_t b = buffer.find(markerText(Marker::TextEnd));
    if (a == npos || b == npos)
        return std::nullopt;
    return between(buffer, a, b);
}

std::optional<std::string> assemblyText(std::string_view buffer) {
    const std::size_t a = buffer.find(markerText(Marker::AssemblyStart));
    const std::size_t b = buffer.find(markerText(Marker::AssemblyEnd));
    if (a == npos || b == npos)
        return std::nullopt;
    return between(buffer, a, b);
}

bool isAutoDetectionReply(std::string_view buffer) {
    return buffer.find(markerText(Marker::AutoDetection)) != npos &&
           buffer.find(markerText(Marker::AutoDetectionEnd)) != npos;
}

// ---- The receive buffer ----------------------------------------------------------------------

void ReceiveBuffer::append(std::string_view piece) {
    data_.append(piece);
    if (size() > kMaxReceiveBuffer) {
        const std::size_t drop = size() - kMaxReceiveBuffer;
        head_ += drop;
        dropped_ += drop;
    }
    // Compact only when the dropped part outgrows the limit: each byte is moved a bounded
    // number of times.
    if (head_ > kMaxReceiveBuffer) {
        data_.erase(0, head_);
        head_ = 0;
    }
}

void ReceiveBuffer::assign(std::string_view datagram) {
    clear();
    append(datagram);
}

void ReceiveBuffer::clear() {
    data_.clear();
    head_ = 0;
    dropped_ = 0;
    resetScans();
}

void ReceiveBuffer::resetScans() {
    scans_.fill(Scan{});
    frameScan_ = Scan{};
    statusScan_ = Scan{};
}

std::string_view ReceiveBuffer::view() const {
    return std::string_view(data_).substr(head_);
}

std::size_t ReceiveBuffer::find(Marker m) const {
    Scan& s = scans_[static_cast<std::size_t>(m)];
    const std::string_view marker = markerText(m);
    const std::uint64_t start = liveStart();
    if (s.found != kNone) {
        if (s.found >= start)
            return static_cast<std::size_t>(s.found - start);
        s.found = kNone; // dropped from the front; look further on
    }
    s.from = std::max(s.from, start);
    const std::string_view text = view();
    const std::size_t i = text.find(marker, static_cast<std::size_t>(s.from - start));
    if (i != npos) {
        s.found = start + i;
        return i;
    }
    // Resume where an occurrence could still be completed by the next piece.
    const std::size_t keep = std::min(text.size(), marker.size() - 1);
    s.from = std::max(s.from, start + (text.size() - keep));
    return npos;
}

FrameStart ReceiveBuffer::frame() const {
    Scan& s = frameScan_;
    const std::uint64_t start = liveStart();
    if (s.found != kNone) {
        if (s.found >= start)
            return FrameStart{FrameStart::Found, static_cast<std::size_t>(s.found - start),
                              s.length};
        s.found = kNone;
    }
    s.from = std::max(s.from, start);
    const std::string_view text = view();
    const FrameStart f = locateFrame(text, static_cast<std::size_t>(s.from - start));
    switch (f.state) {
    case FrameStart::Found:
        s.found = start + f.pos;
        s.length = f.length;
        break;
    case FrameStart::Waiting:
        s.from = start + f.pos;
        break;
    case FrameStart::None:
        // A final "A" may still become "A3".
        s.from = std::max(s.from, start + (text.empty() ? 0 : text.size() - 1));
        break;
    }
    return f;
}

StatusStart ReceiveBuffer::streamStatus() const {
    Scan& s = statusScan_;
    const std::uint64_t start = liveStart();
    s.from = std::max(s.from, start);
    const std::string_view text = view();
    const StatusStart found = locateStreamStatus(text, static_cast<std::size_t>(s.from - start));
    if (found.state != StatusStart::None) {
        // A status or a wait is decided anew on every call (the text behind it may still grow);
        // only the markers before it, cut short for good, are passed over from now on.
        s.from = start + found.pos;
    } else {
        // A marker may still be completed by the next piece.
        const std::size_t keep = std::min(text.size(), markerText(Marker::StreamStatus).size() - 1);
        s.from = std::max(s.from, start + (text.size() - keep));
    }
    return found;
}

// ---- Dispatch --------------------------------------------------------------------------------

namespace {

Step next(Step s) {
    return s == Step::Acknowledgement ? Step::None : static_cast<Step>(static_cast<int>(s) + 1);
}

using Kind = Effect::Kind;

} // namespace

DispatchOutcome dispatchStep(ReceiveBuffer& rx, Transport transport, const DispatchFlags& flags,
                             Step from) {
    DispatchOutcome out;
    auto fire = [&](Step s) {
        out.fired = s;
        out.resumeAt = next(s);
        rx.clear();
    };
    auto add = [&](Kind k, std::string text = {}) { out.effects.push_back({k, std::move(text)}); };

    for (int i = std::max(1, static_cast<int>(from)); i <= 7; ++i) {
        const Step step = static_cast<Step>(i);
        switch (step) {
        case Step::StreamStatus: {
            std::size_t p = npos;
            if (transport == Transport::Serial) {
                // Over the serial line the status character may still be on its way: the whole
                // dispatch waits for it rather than lose which stream failed. A marker that no
                // status character follows is left alone, so that it takes nothing of the reply
                // behind it.
                const StatusStart s = rx.streamStatus();
                if (s.state == StatusStart::Waiting)
                    return out;
                if (s.state == StatusStart::Found)
                    p = s.pos;
            } else {
                p = rx.find(Marker::StreamStatus);
            }
            if (p == npos)
                break;
            const auto panel9 = streamStatusAt(rx.view(), p);
            fire(step);
            if (panel9)
                add(Kind::SetPanel9, *panel9);
            add(Kind::SetReplySeen);
            return out;
        }
        case Step::ProbeAnswer:
            if (transport != Transport::Serial || !rx.contains(Marker::ProbeAnswer))
                break;
            fire(step);
            add(Kind::SetReplySeen);
            return out;
        case Step::OperatorText: {
            const std::size_t a = rx.find(Marker::TextStart);
            const std::size_t b = rx.find(Marker::TextEnd);
            if (a == npos || b == npos)
                break;
            std::string text = between(rx.view(), a, b);
            fire(step);
            add(Kind::ShowMessage, std::move(text));
            add(Kind::ShowReady);
            return out;
        }
        case Step::Assembly: {
            const std::size_t a = rx.find(Marker::AssemblyStart);
            const std::size_t b = rx.find(Marker::AssemblyEnd);
            if (a == npos || b == npos)
                break;
            std::string text = between(rx.view(), a, b);
            fire(step);
            add(Kind::FindAssem, std::move(text));
            add(Kind::ShowReady);
            return out;
        }
        case Step::AutoDetection: {
            if (!flags.keepAlivePending || !rx.contains(Marker::AutoDetection) ||
                !rx.contains(Marker::AutoDetectionEnd))
                break;
            std::string whole = rx.str();
            fire(step);
            add(Kind::ShowConnected);
            add(Kind::DecodeAutRes, std::move(whole));
            add(Kind::ClearKeepAlivePending);
            add(Kind::ShowReady);
            return out;
        }
        case Step::ReplyFrame: {
            auto frame = frameTest(rx.view(), rx.frame(), transport);
            if (!frame)
                break;
            fire(step);
            const bool configuration = isConfigurationFrame(*frame);
            add(Kind::SetRxFrame, *frame);
            if (configuration)
                add(Kind::DecodeConf, std::move(*frame));
            add(Kind::ShowReady);
            if (flags.serialPortOpen)
                add(Kind::EnableTimer1);
            return out;
        }
        case Step::Acknowledgement: {
            const std::size_t p = rx.find(Marker::Acknowledgement);
            if (p == npos)
                break;
            // A "55" inside a configuration reply that is still arriving over the serial line
            // belongs to the reply (a subnet mask 255.255.255.0, a bit rate of 5500), not to an
            // acknowledgement: emptying the buffer there would lose the reply. A frame start
            // that can no longer become one (noise, a cut reply) holds nothing back.
            if (transport == Transport::Serial) {
                const FrameStart f = rx.frame();
                if (f.state != FrameStart::None && p >= f.pos &&
                    mayBecomeConfigurationReply(rx.view().substr(f.pos)))
                    break;
            }
            fire(step);
            add(Kind::ShowReady);
            return out;
        }
        case Step::None:
            break;
        }
    }
    return out;
}

void dispatch(ReceiveBuffer& rx, Transport transport, const std::function<DispatchFlags()>& flags,
              const std::function<void(const Effect&)>& apply) {
    dispatch(rx, transport, flags, apply, {});
}

void dispatch(ReceiveBuffer& rx, Transport transport, const std::function<DispatchFlags()>& flags,
              const std::function<void(const Effect&)>& apply,
              const std::function<void(const DispatchOutcome&)>& fired) {
    Step from = Step::StreamStatus;
    while (from != Step::None) {
        const DispatchOutcome out = dispatchStep(rx, transport, flags(), from);
        if (fired && out.fired != Step::None)
            fired(out);
        for (const Effect& e : out.effects)
            apply(e);
        from = out.resumeAt;
    }
}

} // namespace corvane::replies
