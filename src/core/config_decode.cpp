#include "core/config_decode.h"

#include "core/fec.h"
#include "core/inputs.h"
#include "core/mappings.h"
#include "core/text.h"

#include <array>
#include <optional>

namespace corvane::config {

using controls::Action;
using controls::Applied;
using enum controls::Ctl;
using variant::BoardFlags;
using variant::Channel;
using variant::ModuleFlags;

namespace {

// Fields are numbered from 1 as the board numbers them.
struct Fields {
    std::vector<std::string> texts;
    const std::string& operator[](int n) const { return texts[std::size_t(n - 1)]; }
};

// Res1/Res2 position of a stream picture size; nothing for sizes outside the table.
std::optional<int> streamResolution(int width, int height) {
    if (height == 576)
        return width == 720 ? 2 : 7;
    for (std::size_t i = 0; i < inputs::kResolutions.size(); ++i)
        if (i != 2 && i != 7 && inputs::kResolutions[i].height == height)
            return int(i);
    return std::nullopt;
}

// RecRes1/RecRes2 position of a recording picture height.
std::optional<int> recordingResolution(int height) {
    for (int i = 0; i < inputs::kRecResolutionCount; ++i)
        if (inputs::kResolutions[std::size_t(i)].height == height)
            return i;
    return std::nullopt;
}

// The sensor input of one stream on the full board: the list position (or none) and the
// channel's module flags afterwards. The reply's "No Sensor" code selects nothing here, though the
// channel still turns analog.
void fullBoardInput(std::vector<Action>& out, controls::Ctl list, Channel ch, int code,
                    ModuleFlags modules) {
    const inputs::FullBoardInput in = inputs::fullBoardInput(code, modules);
    const inputs::InputRow* row = inputs::inputByCode(code);
    if (in.select && !(row && row->kind == inputs::InputKind::NoSensor))
        out.push_back(Action::select(list, *in.select));
    out.push_back(Action::moduleFlags(ch, in.modules));
}

void selectIf(std::vector<Action>& out, controls::Ctl list, std::optional<int> position) {
    if (position)
        out.push_back(Action::select(list, *position));
}

} // namespace

Applied decodeConf(std::string_view frame, const BoardFlags& flags) {
    Applied result;
    auto& out = result.actions;
    const std::string_view body = frame.size() > 7 ? frame.substr(7) : std::string_view();
    const Fields f{text::splitFields(body, kConfigFieldCount)};

    // Conversion phase: every integer field (1 to 32 but the address, 9) before any control
    // changes.
    std::array<int, 33> n{};
    for (int i = 1; i <= 32; ++i) {
        if (i == 9) // the board's address, a text
            continue;
        text::Converted c;
        if (i == 12 || i == 13)
            c = text::hexCode(f[i] == "-1" ? std::string_view("0") : std::string_view(f[i]));
        else
            c = text::toInteger(f[i]);
        if (!c.ok()) {
            result.error = c.error;
            return result;
        }
        n[std::size_t(i)] = c.value;
    }

    constexpr std::array<controls::Ctl, 7> kAddressEdits{RTP11_IP, RTP12_IP, RTP11_Port, RTP12_Port,
                                                         RTP11_M,  RTP12_M,  UDPRSIPB};
    for (std::size_t i = 0; i < kAddressEdits.size(); ++i)
        out.push_back(Action::setText(kAddressEdits[i], f[35 + int(i)]));

    if (f[42] == "0" || f[42] == "1" || f[42] == "2") {
        out.push_back(Action::setChecked(FixCheck, f[42] == "1"));
        out.push_back(Action::setChecked(MovCheck, f[42] == "2"));
    }
    if (f[43] == "Y" || f[43] == "N")
        out.push_back(Action::setChecked(UDPRSB, f[43] == "Y"));
    out.push_back(Action::setChecked(CEFEC, f[44] == "E"));
    out.push_back(Action::setText(LFEC, f[45]));
    out.push_back(Action::setText(DFEC, f[46]));
    if (!f[45].empty() && !f[46].empty()) {
        const auto l = text::toInteger(f[45]);
        if (!l.ok()) {
            result.error = l.error;
            return result;
        }
        const auto d = text::toInteger(f[46]);
        if (!d.ok()) {
            result.error = d.error;
            return result;
        }
        if (const auto percent = fec::overhead(l.value, d.value))
            out.push_back(Action::setText(FECP, text::decimal(*percent)));
    }

    // Application phase.
    const std::string& mode = f[49];
    out.push_back(Action::state(Action::Op::StreamMode, mode));
    if (mode.size() == 1)
        if (const auto caption = mappings::kStreamModes.shown(mode[0]))
            out.push_back(Action::setCaption(PARTP, std::string(*caption)));

    if (n[32] == 0)
        out.push_back(Action::state(Action::Op::Panel5, "Error aid"));
    else if (n[32] == 1 || n[32] == 2)
        out.push_back(Action::setChecked(AutoDetect, n[32] == 1));

    out.push_back(Action::select(RTP11_S, f[47] == "U" ? 0 : 1));
    out.push_back(Action::select(RTP12_S, f[48] == "U" ? 0 : 1));

    out.push_back(Action::setText(MTUB, f[34].size() > 4 ? f[34].substr(0, 4) : f[34]));

    const int c1 = n[12], c2 = n[13];
    if (flags.fullBoard) {
        fullBoardInput(out, S1I, Channel::Ch11, c1, flags.ch11);
        fullBoardInput(out, S2I, Channel::Ch12, c2, flags.ch12);
    }
    // The small board by module, HD SDI for both streams first, then analog, then HDMI.
    if (flags.boardVariant != 0) {
        using variant::Module;
        const auto module = [&](Module m, bool ModuleFlags::*flag) {
            if (flags.ch11.*flag)
                selectIf(out, S1I, inputs::modulePosition(m, c1));
            if (flags.ch12.*flag)
                selectIf(out, S2I, inputs::modulePosition(m, c2));
        };
        module(Module::Sdi, &ModuleFlags::sdi);
        module(Module::Analog, &ModuleFlags::analog);
        module(Module::Hdmi, &ModuleFlags::hdmi);
    }

    if (n[31] >= 1 && n[31] <= 3) {
        out.push_back(Action::setChecked(ERec1, n[31] != 2));
        out.push_back(Action::setChecked(ERec2, n[31] != 1));
    }

    selectIf(out, Res1, streamResolution(n[1], n[2]));
    out.push_back(Action::setText(Gop1, text::decimal(n[4])));
    out.push_back(Action::setText(Bit1, text::decimal(n[3])));
    out.push_back(Action::setText(fps1, text::decimal(n[10])));
    selectIf(out, Res2, streamResolution(n[5], n[6]));
    out.push_back(Action::setText(Gop2, text::decimal(n[8])));
    out.push_back(Action::setText(Bit2, text::decimal(n[7])));

    out.push_back(Action::setText(ipb, f[9].size() > 5 ? f[9].substr(5) : std::string()));
    out.push_back(Action::setText(gwp, f[33]));
    out.push_back(Action::setText(fps2, text::decimal(n[11])));
    out.push_back(Action::setText(SubB, f[50]));

    if (n[18] == 2) {
        out.push_back(Action::setChecked(AutStart, true));
        out.push_back(Action::state(Action::Op::StreamingOn));
        out.push_back(Action::lampColour(controls::Lamp::Green));
    } else {
        out.push_back(Action::setChecked(AutStart, false));
    }

    const auto format = [&](controls::Ctl list, int value) {
        selectIf(out, list, mappings::kEncoderFormats.shown(value));
    };
    const auto audio = [&](controls::Ctl box, int value) {
        if (const auto on = mappings::kAudio.shown(value))
            out.push_back(Action::setChecked(box, *on));
    };
    format(Efmt1, n[14]);
    audio(S1Aud, n[19]);
    audio(S2Aud, n[20]);
    format(Efmt2, n[15]);

    const auto rate = [&](controls::Ctl cbr, controls::Ctl vbr, int value) {
        if (const auto button = mappings::kRateControls.shown(value))
            out.push_back(
                Action::setChecked(*button == mappings::RateControl::Cbr ? cbr : vbr, true));
    };
    rate(CBR11B, VBR11B, n[16]);
    rate(CBR12B, VBR12B, n[17]);

    selectIf(out, RecRes1, recordingResolution(n[22]));
    out.push_back(Action::setText(RecGop1, text::decimal(n[24])));
    out.push_back(Action::setText(RecBit1, text::decimal(n[23])));
    out.push_back(Action::setText(Recfps1, text::decimal(n[25])));
    selectIf(out, RecRes2, recordingResolution(n[27]));
    out.push_back(Action::setText(RecGop2, text::decimal(n[29])));
    out.push_back(Action::setText(RecBit2, text::decimal(n[28])));
    out.push_back(Action::setText(Recfps2, text::decimal(n[30])));

    out.push_back(Action::state(Action::Op::KeepAliveOn));
    return result;
}

} // namespace corvane::config
