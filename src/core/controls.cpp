#include "core/controls.h"

#include <algorithm>

namespace corvane::controls {

namespace {
using enum Ctl;
using W = Window;
using K = Kind;
} // namespace

namespace {
constexpr std::array<CtlInfo, kCtlCount> kTable{{
    {S1I, "S1I", W::Main, K::List},
    {S2I, "S2I", W::Main, K::List},
    {Res1, "Res1", W::Main, K::List},
    {Res2, "Res2", W::Main, K::List},
    {Bit1, "Bit1", W::Main, K::Edit},
    {Bit2, "Bit2", W::Main, K::Edit},
    {Gop1, "Gop1", W::Main, K::Edit},
    {Gop2, "Gop2", W::Main, K::Edit},
    {fps1, "fps1", W::Main, K::Edit},
    {fps2, "fps2", W::Main, K::Edit},
    {Efmt1, "Efmt1", W::Main, K::List},
    {Efmt2, "Efmt2", W::Main, K::List},
    {CBR11B, "CBR11B", W::Main, K::Radio},
    {VBR11B, "VBR11B", W::Main, K::Radio},
    {CBR12B, "CBR12B", W::Main, K::Radio},
    {VBR12B, "VBR12B", W::Main, K::Radio},
    {S1Aud, "S1Aud", W::Main, K::Check},
    {S2Aud, "S2Aud", W::Main, K::Check},
    {ERec1, "ERec1", W::Main, K::Check},
    {ERec2, "ERec2", W::Main, K::Check},
    {AutStart, "AutStart", W::Main, K::Check},
    {AutoDetect, "AutoDetect", W::Main, K::Check},
    {Auto_rtp, "Auto_rtp", W::Main, K::Check},
    {UDPRSB, "UDPRSB", W::Main, K::Check},
    {FixCheck, "FixCheck", W::Main, K::Check},
    {MovCheck, "MovCheck", W::Main, K::Check},
    {PARTP, "PARTP", W::Main, K::Caption},
    {ipb, "ipb", W::Main, K::Edit},
    {gwp, "gwp", W::Main, K::Edit},
    {SubB, "SubB", W::Main, K::Edit},
    {MTUB, "MTUB", W::Main, K::Edit},
    {UDPRSIPB, "UDPRSIPB", W::Main, K::Edit},
    {CEFEC, "CEFEC", W::Main, K::Check},
    {ERRFEC, "ERRFEC", W::Main, K::Check},
    {LFEC, "LFEC", W::Main, K::Edit},
    {DFEC, "DFEC", W::Main, K::Edit},
    {FECP, "FECP", W::Main, K::Edit},
    {UDPCheck, "UDPCheck", W::Main, K::Check},
    {RS232Check, "RS232Check", W::Main, K::Check},
    {RecRes1, "RecRes1", W::Recording, K::List},
    {RecBit1, "RecBit1", W::Recording, K::Edit},
    {RecGop1, "RecGop1", W::Recording, K::Edit},
    {Recfps1, "Recfps1", W::Recording, K::Edit},
    {RecRes2, "RecRes2", W::Recording, K::List},
    {RecBit2, "RecBit2", W::Recording, K::Edit},
    {RecGop2, "RecGop2", W::Recording, K::Edit},
    {Recfps2, "Recfps2", W::Recording, K::Edit},
    {RTP11_S, "RTP11_S", W::Rtp, K::List},
    {RTP11_IP, "RTP11_IP", W::Rtp, K::Edit},
    {RTP11_Port, "RTP11_Port", W::Rtp, K::Edit},
    {RTP11_M, "RTP11_M", W::Rtp, K::Edit},
    {RTP12_S, "RTP12_S", W::Rtp, K::List},
    {RTP12_IP, "RTP12_IP", W::Rtp, K::Edit},
    {RTP12_Port, "RTP12_Port", W::Rtp, K::Edit},
    {RTP12_M, "RTP12_M", W::Rtp, K::Edit},
}};

constexpr std::array<CtlInfo, kWindowCtlCount> kWindowTable{{
    {StBR, "StBR", W::Main, K::Caption},
    {StBR12, "StBR12", W::Main, K::Caption},
    {URes1, "URes1", W::Main, K::Button},
    {UBit1, "UBit1", W::Main, K::Button},
    {UGop1, "UGop1", W::Main, K::Button},
    {Ufps1, "Ufps1", W::Main, K::Button},
    {URes2, "URes2", W::Main, K::Button},
    {UBit2, "UBit2", W::Main, K::Button},
    {UGop2, "UGop2", W::Main, K::Button},
    {Ufps2, "Ufps2", W::Main, K::Button},
}};

// The tables are in the order of Ctl, so that info() is an index.
static_assert([] {
    for (std::size_t i = 0; i < kCtlCount; ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i)
            return false;
    for (std::size_t i = 0; i < kWindowCtlCount; ++i)
        if (static_cast<std::size_t>(kWindowTable[i].id) != kWindowCtlFirst + i)
            return false;
    return true;
}());
} // namespace

const std::array<CtlInfo, kCtlCount> kCatalogue = kTable;
const std::array<CtlInfo, kWindowCtlCount> kWindowControls = kWindowTable;

const CtlInfo& info(Ctl c) {
    const auto i = static_cast<std::size_t>(c);
    return i < kCtlCount ? kCatalogue[i] : kWindowControls[i - kWindowCtlFirst];
}

std::string_view name(Ctl c) {
    return info(c).name;
}

std::optional<Ctl> byName(std::string_view n) {
    for (const auto& row : kCatalogue)
        if (row.name == n)
            return row.id;
    return std::nullopt;
}

namespace {
constexpr std::array<std::string_view, kCtlCount> kLabels{{
    "Sensor 1 Input",
    "Sensor 2 Input",
    "Stream 11 Resolution",
    "Stream 12 Resolution",
    "Stream 11 Bit Rate",
    "Stream 12 Bit Rate",
    "Stream 11 GOP",
    "Stream 12 GOP",
    "Stream 11 Frame Rate",
    "Stream 12 Frame Rate",
    "Stream 11 Encoder Format",
    "Stream 12 Encoder Format",
    "Stream 11 CBR",
    "Stream 11 VBR",
    "Stream 12 CBR",
    "Stream 12 VBR",
    "Stream 11 Audio",
    "Stream 12 Audio",
    "Stream 11 Record",
    "Stream 12 Record",
    "Auto Start",
    "IAD",
    "RTP 11",
    "UDPRS Mode",
    "Fixed",
    "Moving",
    "Streaming mode",
    "Static IP",
    "GW IP",
    "Subnet Mask",
    "MTU",
    "UDPRS Destination IP",
    "FEC",
    "FEC Error",
    "FEC L",
    "FEC D",
    "FEC+%",
    "UDP",
    "RS232",
    "Recording 11 Resolution",
    "Recording 11 Bit Rate",
    "Recording 11 GOP",
    "Recording 11 Frame Rate",
    "Recording 12 Resolution",
    "Recording 12 Bit Rate",
    "Recording 12 GOP",
    "Recording 12 Frame Rate",
    "RTP 11 Session Type",
    "RTP 11 Destination IP",
    "RTP 11 Input Port",
    "RTP 11 Multicast IP",
    "RTP 12 Session Type",
    "RTP 12 Destination IP",
    "RTP 12 Input Port",
    "RTP 12 Multicast IP",
}};
static_assert(std::none_of(kLabels.begin(), kLabels.end(),
                           [](std::string_view l) { return l.empty(); }));
} // namespace

std::string_view label(Ctl c) {
    const auto i = static_cast<std::size_t>(c);
    return i < kCtlCount ? kLabels[i] : name(c);
}

Action Action::setText(Ctl c, std::string t) {
    return {.op = Op::SetText, .ctl = c, .text = std::move(t)};
}
Action Action::select(Ctl c, int i) {
    return {.op = Op::Select, .ctl = c, .index = i};
}
Action Action::setChecked(Ctl c, bool on) {
    return {.op = Op::SetChecked, .ctl = c, .on = on};
}
Action Action::setCaption(Ctl c, std::string t) {
    return {.op = Op::SetCaption, .ctl = c, .text = std::move(t)};
}
Action Action::setEnabled(Ctl c, bool on) {
    return {.op = Op::SetEnabled, .ctl = c, .on = on};
}
Action Action::state(Op op, std::string t) {
    return {.op = op, .text = std::move(t)};
}
Action Action::lampColour(Lamp l) {
    return {.op = Op::SetLamp, .lamp = l};
}
Action Action::moduleFlags(variant::Channel ch, variant::ModuleFlags m) {
    return {.op = Op::Modules, .channel = ch, .modules = m};
}

std::string describe(const Action& a) {
    using O = Action::Op;
    const auto quoted = [](const std::string& t) { return "'" + t + "'"; };
    const std::string n = a.ctl == Ctl::Count ? std::string() : std::string(name(a.ctl));
    switch (a.op) {
    case O::SetText:
        return n + "=" + quoted(a.text);
    case O::Select:
        return n + "=" + std::to_string(a.index);
    case O::SetChecked:
        return n + (a.on ? ":on" : ":off");
    case O::SetCaption:
        return n + "^" + quoted(a.text);
    case O::SetEnabled:
        return (a.on ? "enable(" : "disable(") + n + ")";
    case O::StreamMode:
        return "mode=" + quoted(a.text);
    case O::StreamingOn:
        return "streaming";
    case O::SetLamp:
        return std::string("lamp=") + (a.lamp == Lamp::Grey    ? "grey"
                                       : a.lamp == Lamp::Green ? "green"
                                                               : "red");
    case O::Panel5:
        return "Panel5=" + quoted(a.text);
    case O::Panel8:
        return "Panel8=" + quoted(a.text);
    case O::Panel9:
        return "Panel9=" + quoted(a.text);
    case O::Modules: {
        std::string s = a.channel == variant::Channel::Ch11 ? "ch11={" : "ch12={";
        std::string inner;
        for (const auto& [set, label] :
             {std::pair{a.modules.sdi, "sdi"}, std::pair{a.modules.analog, "analog"},
              std::pair{a.modules.hdmi, "hdmi"}})
            if (set)
                inner += inner.empty() ? label : std::string(",") + label;
        return s + inner + "}";
    }
    case O::KeepAliveOn:
        return "keepalive";
    case O::HideReady:
        return "hide-ready";
    case O::ClearReceive:
        return "clear-receive";
    }
    return "?";
}

std::string describe(const Applied& applied) {
    std::string out;
    for (const auto& a : applied.actions) {
        if (!out.empty())
            out += "; ";
        out += describe(a);
    }
    if (!applied.error.empty())
        out += (out.empty() ? "!" : " !") + applied.error;
    return out;
}

} // namespace corvane::controls
