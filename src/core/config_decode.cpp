#include "core/config_decode.h"

#include "core/fec.h"
#include "core/inputs.h"
#include "core/mapping_actions.h"
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

using F = ReplyField;

// The fields as texts, by name.
struct Fields {
    std::vector<std::string> texts;
    const std::string& operator[](F f) const { return texts[std::size_t(f) - 1]; }
};

// The integer fields (1 to 32 but the address) as converted.
struct Numbers {
    std::array<int, std::size_t(F::InputAutoDetect) + 1> values{};
    int operator[](F f) const { return values[std::size_t(f)]; }
    int& operator[](F f) { return values[std::size_t(f)]; }
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

    // Conversion phase: every integer field (1 to 32 but the address) before any control
    // changes.
    Numbers n;
    for (int i = int(F::Width11); i <= int(F::InputAutoDetect); ++i) {
        const F field = F(i);
        if (field == F::StaticIp) // a text
            continue;
        text::Converted c;
        if (field == F::Input11 || field == F::Input12)
            c = text::hexCode(f[field] == "-1" ? std::string_view("0")
                                               : std::string_view(f[field]));
        else
            c = text::toInteger(f[field]);
        if (!c.ok()) {
            result.error = c.error;
            return result;
        }
        n[field] = c.value;
    }

    constexpr std::array<std::pair<controls::Ctl, F>, 7> kAddressEdits{{
        {RTP11_IP, F::RtpDestIp11},
        {RTP12_IP, F::RtpDestIp12},
        {RTP11_Port, F::RtpPort11},
        {RTP12_Port, F::RtpPort12},
        {RTP11_M, F::RtpMulticastIp11},
        {RTP12_M, F::RtpMulticastIp12},
        {UDPRSIPB, F::UdprsDestIp},
    }};
    for (const auto& [edit, field] : kAddressEdits)
        out.push_back(Action::setText(edit, f[field]));

    mappings::addCameraMode(out, mappings::kCameraModes.shown(mappings::digitOf(f[F::CameraMode])));
    if (const auto udprs = mappings::kUdprs.shown(mappings::letterOf(f[F::UdprsMode])))
        out.push_back(Action::setChecked(UDPRSB, *udprs));
    // Any text but the enabled letter clears the box.
    out.push_back(Action::setChecked(
        CEFEC, mappings::kFec.shown(mappings::letterOf(f[F::FecEnable])).value_or(false)));
    out.push_back(Action::setText(LFEC, f[F::FecL]));
    out.push_back(Action::setText(DFEC, f[F::FecD]));
    if (!f[F::FecL].empty() && !f[F::FecD].empty()) {
        const auto l = text::toInteger(f[F::FecL]);
        if (!l.ok()) {
            result.error = l.error;
            return result;
        }
        const auto d = text::toInteger(f[F::FecD]);
        if (!d.ok()) {
            result.error = d.error;
            return result;
        }
        if (const auto percent = fec::overhead(l.value, d.value))
            out.push_back(Action::setText(FECP, text::decimal(*percent)));
    }

    // Application phase.
    const std::string& mode = f[F::ModeLetter];
    out.push_back(Action::state(Action::Op::StreamMode, mode));
    if (const auto caption = mappings::kStreamModes.shown(mappings::letterOf(mode)))
        out.push_back(Action::setCaption(PARTP, std::string(*caption)));

    mappings::addAutoDetection(out, mappings::kAutoDetection.shown(n[F::InputAutoDetect]));

    for (const auto& [list, field] :
         {std::pair{RTP11_S, F::RtpSession11}, std::pair{RTP12_S, F::RtpSession12}})
        mappings::addRtpSession(out, list,
                                mappings::kRtpSessions.shown(mappings::letterOf(f[field])));

    const std::string& mtu = f[F::Mtu];
    out.push_back(Action::setText(MTUB, mtu.size() > 4 ? mtu.substr(0, 4) : mtu));

    const int c1 = n[F::Input11], c2 = n[F::Input12];
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

    mappings::addRecorded(out, mappings::kRecordSelections.shown(n[F::RecordSelect]));

    const auto number = [&](controls::Ctl edit, F field) {
        out.push_back(Action::setText(edit, text::decimal(n[field])));
    };
    selectIf(out, Res1, streamResolution(n[F::Width11], n[F::Height11]));
    number(Gop1, F::Gop11);
    number(Bit1, F::BitRate11);
    number(fps1, F::Fps11);
    selectIf(out, Res2, streamResolution(n[F::Width12], n[F::Height12]));
    number(Gop2, F::Gop12);
    number(Bit2, F::BitRate12);

    const std::string& address = f[F::StaticIp];
    out.push_back(Action::setText(ipb, address.size() > 5 ? address.substr(5) : std::string()));
    out.push_back(Action::setText(gwp, f[F::GatewayIp]));
    number(fps2, F::Fps12);
    out.push_back(Action::setText(SubB, f[F::SubnetMask]));

    mappings::addAutoStart(out, mappings::kAutoStart.shown(n[F::AutoStart]));

    const auto format = [&](controls::Ctl list, F field) {
        selectIf(out, list, mappings::kEncoderFormats.shown(n[field]));
    };
    const auto audio = [&](controls::Ctl box, F field) {
        if (const auto on = mappings::kAudio.shown(n[field]))
            out.push_back(Action::setChecked(box, *on));
    };
    format(Efmt1, F::Format11);
    audio(S1Aud, F::Audio11);
    audio(S2Aud, F::Audio12);
    format(Efmt2, F::Format12);

    const auto rate = [&](controls::Ctl cbr, controls::Ctl vbr, F field) {
        if (const auto button = mappings::kRateControls.shown(n[field]))
            out.push_back(
                Action::setChecked(*button == mappings::RateControl::Cbr ? cbr : vbr, true));
    };
    rate(CBR11B, VBR11B, F::RateControl11);
    rate(CBR12B, VBR12B, F::RateControl12);

    selectIf(out, RecRes1, recordingResolution(n[F::RecHeight11]));
    number(RecGop1, F::RecGop11);
    number(RecBit1, F::RecBitRate11);
    number(Recfps1, F::RecFps11);
    selectIf(out, RecRes2, recordingResolution(n[F::RecHeight12]));
    number(RecGop2, F::RecGop12);
    number(RecBit2, F::RecBitRate12);
    number(Recfps2, F::RecFps12);

    out.push_back(Action::state(Action::Op::KeepAliveOn));
    return result;
}

} // namespace corvane::config
