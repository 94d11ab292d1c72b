#include "core/server_record.h"

#include "core/bytes.h"
#include "core/inputs.h"
#include "core/mapping_actions.h"
#include "core/mappings.h"
#include "core/text.h"

#include <algorithm>

namespace corvane::record {

using controls::Action;
using controls::Applied;
using controls::ConfigView;
using controls::Ctl;
using variant::BoardFlags;
using variant::Channel;
using variant::Module;

namespace {

// The fields lie back to back from offset 0 and end at the record's size.
constexpr std::array kLayoutInOrder{layout::Input11,
                                    layout::Width11,
                                    layout::Height11,
                                    layout::BitRate11,
                                    layout::Gop11,
                                    layout::Fps11,
                                    layout::Format11,
                                    layout::Input12,
                                    layout::Width12,
                                    layout::Height12,
                                    layout::BitRate12,
                                    layout::Gop12,
                                    layout::Fps12,
                                    layout::Format12,
                                    layout::StaticIp,
                                    layout::ControlInterface,
                                    layout::AutoStart,
                                    layout::GatewayIp,
                                    layout::Audio11,
                                    layout::Audio12,
                                    layout::RecWidth11,
                                    layout::RecHeight11,
                                    layout::RecBitRate11,
                                    layout::RecGop11,
                                    layout::RecFps11,
                                    layout::RecWidth12,
                                    layout::RecHeight12,
                                    layout::RecBitRate12,
                                    layout::RecGop12,
                                    layout::RecFps12,
                                    layout::RecordSelect,
                                    layout::Mtu,
                                    layout::InputAutoDetect,
                                    layout::RtpDestIp11,
                                    layout::RtpDestIp12,
                                    layout::RtpSession11,
                                    layout::RtpSession12,
                                    layout::RtpPort11,
                                    layout::RtpPort12,
                                    layout::RtpMulticastIp11,
                                    layout::RtpMulticastIp12,
                                    layout::ModeLetter,
                                    layout::FecEnable,
                                    layout::CameraMode,
                                    layout::Reserved,
                                    layout::FecL,
                                    layout::FecD,
                                    layout::UdprsDestIp,
                                    layout::UdprsMode,
                                    layout::SubnetMask,
                                    layout::RateControl11,
                                    layout::RateControl12};
static_assert([] {
    std::size_t next = 0;
    for (const layout::Field& f : kLayoutInOrder) {
        if (f.offset != next)
            return false;
        next += f.width;
    }
    return next == kRecordSize;
}());

// One field of each kind, read or written at its offset; the widths are checked against the
// layout when the codec is compiled.
template <layout::Field F> void get(const bytes::ByteReader& r, std::int32_t& v) {
    static_assert(F.width == 4);
    v = r.i32(F.offset);
}
template <layout::Field F> void get(const bytes::ByteReader& r, std::uint8_t& v) {
    static_assert(F.width == 1);
    v = r.u8(F.offset);
}
template <layout::Field F> void get(const bytes::ByteReader& r, char& v) {
    static_assert(F.width == 1);
    v = static_cast<char>(r.u8(F.offset));
}
template <layout::Field F, std::size_t N>
void get(const bytes::ByteReader& r, std::array<char, N>& v) {
    static_assert(F.width == N);
    for (std::size_t i = 0; i < N; ++i)
        v[i] = static_cast<char>(r.u8(F.offset + i));
}
template <layout::Field F> void get(const bytes::ByteReader& r, std::array<std::uint8_t, 2>& v) {
    static_assert(F.width == 2);
    r.copy(F.offset, v);
}

template <layout::Field F> void put(bytes::ByteWriter& w, std::int32_t v) {
    static_assert(F.width == 4);
    w.i32(F.offset, v);
}
template <layout::Field F> void put(bytes::ByteWriter& w, std::uint8_t v) {
    static_assert(F.width == 1);
    w.u8(F.offset, v);
}
template <layout::Field F> void put(bytes::ByteWriter& w, char v) {
    static_assert(F.width == 1);
    w.u8(F.offset, static_cast<std::uint8_t>(v));
}
template <layout::Field F, std::size_t N>
void put(bytes::ByteWriter& w, const std::array<char, N>& v) {
    static_assert(F.width == N);
    for (std::size_t i = 0; i < N; ++i)
        w.u8(F.offset + i, static_cast<std::uint8_t>(v[i]));
}
template <layout::Field F> void put(bytes::ByteWriter& w, const std::array<std::uint8_t, 2>& v) {
    static_assert(F.width == 2);
    w.copy(F.offset, v);
}

// Calls visit.template operator()<layout::X>(record.X) for every field; the one list of fields
// that both directions of the codec share.
template <typename Record, typename Visit> void eachField(Record& r, Visit&& v) {
#define CORVANE_FIELD(name) v.template operator()<layout::name>(r.name)
    CORVANE_FIELD(Input11);
    CORVANE_FIELD(Width11);
    CORVANE_FIELD(Height11);
    CORVANE_FIELD(BitRate11);
    CORVANE_FIELD(Gop11);
    CORVANE_FIELD(Fps11);
    CORVANE_FIELD(Format11);
    CORVANE_FIELD(Input12);
    CORVANE_FIELD(Width12);
    CORVANE_FIELD(Height12);
    CORVANE_FIELD(BitRate12);
    CORVANE_FIELD(Gop12);
    CORVANE_FIELD(Fps12);
    CORVANE_FIELD(Format12);
    CORVANE_FIELD(StaticIp);
    CORVANE_FIELD(ControlInterface);
    CORVANE_FIELD(AutoStart);
    CORVANE_FIELD(GatewayIp);
    CORVANE_FIELD(Audio11);
    CORVANE_FIELD(Audio12);
    CORVANE_FIELD(RecWidth11);
    CORVANE_FIELD(RecHeight11);
    CORVANE_FIELD(RecBitRate11);
    CORVANE_FIELD(RecGop11);
    CORVANE_FIELD(RecFps11);
    CORVANE_FIELD(RecWidth12);
    CORVANE_FIELD(RecHeight12);
    CORVANE_FIELD(RecBitRate12);
    CORVANE_FIELD(RecGop12);
    CORVANE_FIELD(RecFps12);
    CORVANE_FIELD(RecordSelect);
    CORVANE_FIELD(Mtu);
    CORVANE_FIELD(InputAutoDetect);
    CORVANE_FIELD(RtpDestIp11);
    CORVANE_FIELD(RtpDestIp12);
    CORVANE_FIELD(RtpSession11);
    CORVANE_FIELD(RtpSession12);
    CORVANE_FIELD(RtpPort11);
    CORVANE_FIELD(RtpPort12);
    CORVANE_FIELD(RtpMulticastIp11);
    CORVANE_FIELD(RtpMulticastIp12);
    CORVANE_FIELD(ModeLetter);
    CORVANE_FIELD(FecEnable);
    CORVANE_FIELD(CameraMode);
    CORVANE_FIELD(Reserved);
    CORVANE_FIELD(FecL);
    CORVANE_FIELD(FecD);
    CORVANE_FIELD(UdprsDestIp);
    CORVANE_FIELD(UdprsMode);
    CORVANE_FIELD(SubnetMask);
    CORVANE_FIELD(RateControl11);
    CORVANE_FIELD(RateControl12);
#undef CORVANE_FIELD
}

} // namespace

RecordBytes encodeRecord(const ServerConfigRecord& record) {
    RecordBytes out{};
    bytes::ByteWriter w(out);
    eachField(record, [&]<layout::Field F>(const auto& value) { put<F>(w, value); });
    return out;
}

ServerConfigRecord decodeRecord(const RecordBytes& in) {
    ServerConfigRecord record;
    const bytes::ByteReader r(in);
    eachField(record, [&]<layout::Field F>(auto& value) { get<F>(r, value); });
    return record;
}

ServerConfigRecord readRecord(const ServerConfigRecord& current,
                              std::span<const std::uint8_t> file) {
    RecordBytes bytes = encodeRecord(current);
    std::copy_n(file.begin(), std::min(file.size(), kRecordSize), bytes.begin());
    return decodeRecord(bytes);
}

void applyFactoryDefaults(ServerConfigRecord& r) {
    r.Input11 = r.Input12 = 1;
    r.Width11 = r.Width12 = r.RecWidth11 = r.RecWidth12 = 1280;
    r.Height11 = r.Height12 = r.RecHeight11 = r.RecHeight12 = 720;
    r.BitRate11 = r.BitRate12 = r.RecBitRate11 = r.RecBitRate12 = 2000;
    r.Gop11 = r.Gop12 = r.RecGop11 = r.RecGop12 = 30;
    r.Fps11 = r.Fps12 = r.RecFps11 = r.RecFps12 = 30;
    r.Format11 = r.Format12 = 2;
    setText(r.StaticIp, "192.168.0.245");
    r.ControlInterface = 0;
    r.AutoStart = 0;
    setText(r.GatewayIp, "192.168.0.254");
    r.Audio11 = r.Audio12 = 0;
    r.RecordSelect = 0;
    setText(r.Mtu, "1500");
    r.InputAutoDetect = 2;
    setText(r.RtpDestIp11, "192.168.0.20");
    setText(r.RtpDestIp12, "192.168.0.21");
    r.RtpSession11 = 'U';
    r.RtpSession12 = 'M';
    setText(r.RtpPort11, "1234");
    setText(r.RtpPort12, "7080");
    setText(r.RtpMulticastIp11, "225.1.1.1");
    setText(r.RtpMulticastIp12, "225.1.1.1");
    r.ModeLetter = 'S';
    r.FecEnable = 'D';
    r.CameraMode = 0;
    r.FecL = 6;
    setText(r.UdprsDestIp, "");
    r.UdprsMode = 'N';
    setText(r.SubnetMask, "255.255.255.0");
}

// ---- Input codes -----------------------------------------------------------------------------

namespace {

std::optional<std::int32_t> codeAt(const std::vector<std::string>& list, int position) {
    if (position < 0 || position >= int(list.size()))
        return std::nullopt;
    const inputs::InputRow* row = inputs::inputRow(list[std::size_t(position)]);
    return row ? std::optional<std::int32_t>(row->code) : std::nullopt;
}

// The codes older files hold for the bar inputs and "No Sensor", as the current ones.
std::int32_t currentCode(std::int32_t code) {
    switch (code) {
    case 17:
        return 23;
    case 18:
        return 24;
    case 19:
        return 25;
    default:
        return code;
    }
}

} // namespace

std::optional<std::int32_t> inputCodeToWrite(const BoardFlags& flags, Channel channel,
                                             int position) {
    std::optional<std::int32_t> code;
    if (flags.fullBoard)
        code =
            position < 0 ? std::optional<std::int32_t>(-1) : codeAt(variant::fullList(), position);
    if (flags.boardVariant != 0) {
        const Module module = variant::moduleOf(flags.modules(channel));
        if (module == Module::Sdi && position < 0)
            code = -1;
        else if (module != Module::None)
            code = codeAt(variant::moduleList(module), position);
    }
    return code;
}

InputRead readInput(const BoardFlags& flags, Channel channel, std::int32_t code) {
    InputRead out;
    const std::int32_t current = currentCode(code);
    if (flags.fullBoard) {
        const inputs::FullBoardInput in = inputs::fullBoardInput(current, flags.modules(channel));
        out.select = in.select;
        out.modules = in.modules;
    }
    if (flags.boardVariant != 0) {
        if (const Module module = variant::moduleOf(flags.modules(channel)); module != Module::None)
            if (const auto p = inputs::modulePosition(module, current))
                out.select = p;
    }
    return out;
}

// ---- The record and the windows --------------------------------------------------------------

namespace {

// Res1/Res2 (all nine positions) or RecRes1/RecRes2 (the first six) by picture height; 576 lines
// are always "720 x 576".
std::optional<int> positionOfHeight(std::int32_t height, int listSize) {
    for (int i = 0; i < listSize && i < 7; ++i)
        if (inputs::kResolutions[std::size_t(i)].height == height)
            return i;
    return std::nullopt;
}

constexpr int kStreamSizes = 7; // "192 x 144" is the last position with sizes
constexpr int kRecordingSizes = inputs::kRecResolutionCount;

} // namespace

Applied recordToControls(const ServerConfigRecord& r, const BoardFlags& flags) {
    using enum Ctl;
    Applied result;
    auto& out = result.actions;
    const auto number = [&](Ctl edit, std::int64_t value) {
        out.push_back(Action::setText(edit, text::decimal(value)));
    };
    const auto selectIf = [&](Ctl list, std::optional<int> position) {
        if (position)
            out.push_back(Action::select(list, *position));
    };

    if (const auto caption = mappings::kStreamModes.shown(r.ModeLetter))
        out.push_back(Action::setCaption(PARTP, std::string(*caption)));

    mappings::addAutoDetection(out, mappings::kAutoDetection.shown(r.InputAutoDetect));

    if (r.ControlInterface == 0)
        out.push_back(Action::setChecked(UDPCheck, true));
    else if (r.ControlInterface == 1)
        out.push_back(Action::setChecked(RS232Check, true));

    mappings::addRtpSession(out, RTP11_S, mappings::kRtpSessions.shown(r.RtpSession11));
    mappings::addRtpSession(out, RTP12_S, mappings::kRtpSessions.shown(r.RtpSession12));

    out.push_back(Action::setText(MTUB, textOf(r.Mtu)));

    // Both streams on the full board first, then the small board's module lists.
    const InputRead in11 = readInput(flags, Channel::Ch11, r.Input11);
    const InputRead in12 = readInput(flags, Channel::Ch12, r.Input12);
    if (flags.fullBoard) {
        selectIf(S1I, in11.select);
        out.push_back(Action::moduleFlags(Channel::Ch11, *in11.modules));
        selectIf(S2I, in12.select);
        out.push_back(Action::moduleFlags(Channel::Ch12, *in12.modules));
    } else {
        selectIf(S1I, in11.select);
        selectIf(S2I, in12.select);
    }

    // The file's 0 records neither stream.
    mappings::addRecorded(out, r.RecordSelect == 0
                                   ? std::optional<mappings::Recorded>(mappings::Recorded{})
                                   : mappings::kRecordSelections.shown(r.RecordSelect));

    selectIf(Res1, positionOfHeight(r.Height11, kStreamSizes));
    number(Gop1, r.Gop11);
    number(Bit1, r.BitRate11);
    number(fps1, r.Fps11);
    selectIf(Res2, positionOfHeight(r.Height12, kStreamSizes));
    number(Gop2, r.Gop12);
    number(Bit2, r.BitRate12);
    number(fps2, r.Fps12);

    mappings::addAutoStart(out, mappings::kAutoStart.shown(r.AutoStart));

    const auto format = [&](Ctl list, std::int32_t value) {
        selectIf(list, mappings::kEncoderFormats.shown(value));
    };
    const auto audio = [&](Ctl box, std::int32_t value) {
        if (const auto on = mappings::kAudio.shown(value))
            out.push_back(Action::setChecked(box, *on));
    };
    format(Efmt1, r.Format11);
    audio(S1Aud, r.Audio11);
    audio(S2Aud, r.Audio12);
    format(Efmt2, r.Format12);

    selectIf(RecRes1, positionOfHeight(r.RecHeight11, kRecordingSizes));
    number(RecGop1, r.RecGop11);
    number(RecBit1, r.RecBitRate11);
    number(Recfps1, r.RecFps11);
    selectIf(RecRes2, positionOfHeight(r.RecHeight12, kRecordingSizes));
    number(RecGop2, r.RecGop12);
    number(RecBit2, r.RecBitRate12);
    number(Recfps2, r.RecFps12);

    out.push_back(Action::setText(RTP11_IP, textOf(r.RtpDestIp11, kRtpDestIpReadWidth)));
    out.push_back(Action::setText(RTP12_IP, textOf(r.RtpDestIp12, kRtpDestIpReadWidth)));
    out.push_back(Action::setText(RTP11_Port, textOf(r.RtpPort11)));
    out.push_back(Action::setText(RTP12_Port, textOf(r.RtpPort12)));
    out.push_back(Action::setText(RTP11_M, textOf(r.RtpMulticastIp11)));
    out.push_back(Action::setText(RTP12_M, textOf(r.RtpMulticastIp12)));

    out.push_back(Action::setText(ipb, textOf(r.StaticIp)));
    out.push_back(Action::setText(gwp, textOf(r.GatewayIp)));

    mappings::addCameraMode(out, mappings::kCameraModes.shown(r.CameraMode));

    // Any other letter clears the box (here and for UDPRS below).
    out.push_back(Action::setChecked(CEFEC, mappings::kFec.shown(r.FecEnable).value_or(false)));
    number(LFEC, r.FecL);
    number(DFEC, r.FecD);

    out.push_back(Action::setChecked(UDPRSB, mappings::kUdprs.shown(r.UdprsMode).value_or(false)));
    out.push_back(Action::setText(UDPRSIPB, textOf(r.UdprsDestIp)));
    out.push_back(Action::setText(SubB, textOf(r.SubnetMask)));

    const auto rate = [&](Ctl cbr, Ctl vbr, std::int32_t value) {
        if (const auto button = mappings::kRateControls.shown(value))
            out.push_back(
                Action::setChecked(*button == mappings::RateControl::Cbr ? cbr : vbr, true));
    };
    rate(CBR11B, VBR11B, r.RateControl11);
    rate(CBR12B, VBR12B, r.RateControl12);
    return result;
}

RecordUpdate recordFromControls(const ServerConfigRecord& current, const ConfigView& view,
                                const BoardFlags& flags) {
    using enum Ctl;
    RecordUpdate result{current, {}};
    ServerConfigRecord& r = result.record;

    const auto sizes = [&](Ctl list, int listSize, std::int32_t& width, std::int32_t& height) {
        const int p = view.index(list);
        if (p < 0 || p >= listSize)
            return;
        width = inputs::kResolutions[std::size_t(p)].width;
        height = inputs::kResolutions[std::size_t(p)].height;
    };
    sizes(Res1, kStreamSizes, r.Width11, r.Height11);
    sizes(RecRes1, kRecordingSizes, r.RecWidth11, r.RecHeight11);
    sizes(Res2, kStreamSizes, r.Width12, r.Height12);
    sizes(RecRes2, kRecordingSizes, r.RecWidth12, r.RecHeight12);

    const std::array<std::pair<Ctl, std::int32_t*>, 12> numbers{{{Bit1, &r.BitRate11},
                                                                 {RecBit1, &r.RecBitRate11},
                                                                 {Gop1, &r.Gop11},
                                                                 {RecGop1, &r.RecGop11},
                                                                 {fps1, &r.Fps11},
                                                                 {Recfps1, &r.RecFps11},
                                                                 {Bit2, &r.BitRate12},
                                                                 {RecBit2, &r.RecBitRate12},
                                                                 {Gop2, &r.Gop12},
                                                                 {RecGop2, &r.RecGop12},
                                                                 {fps2, &r.Fps12},
                                                                 {Recfps2, &r.RecFps12}}};
    for (const auto& [edit, field] : numbers) {
        const text::Converted c = text::toInteger(view.text(edit));
        if (!c.ok()) {
            result.error = c.error;
            return result;
        }
        *field = c.value;
    }

    r.RecordSelect = mappings::kRecordSelections
                         .code(mappings::Recorded{view.checked(ERec1), view.checked(ERec2)})
                         .value_or(0);

    if (const auto code = inputCodeToWrite(flags, Channel::Ch11, view.index(S1I)))
        r.Input11 = *code;
    if (const auto code = inputCodeToWrite(flags, Channel::Ch12, view.index(S2I)))
        r.Input12 = *code;

    const auto format = [&](Ctl list, std::int32_t& field) {
        if (const auto value = mappings::kEncoderFormats.code(view.index(list)))
            field = *value;
    };
    format(Efmt1, r.Format11);
    format(Efmt2, r.Format12);

    r.AutoStart = *mappings::kAutoStart.code(view.checked(AutStart));
    r.InputAutoDetect =
        *mappings::kAutoDetection.code(mappings::autoDetection(view.checked(AutoDetect)));
    if (const auto letter = mappings::kStreamModes.code(view.text(PARTP)))
        r.ModeLetter = *letter;
    r.Audio11 = *mappings::kAudio.code(view.checked(S1Aud));
    r.Audio12 = *mappings::kAudio.code(view.checked(S2Aud));

    r.RtpSession11 = *mappings::kRtpSessions.code(mappings::sessionAt(view.index(RTP11_S)));
    setText(r.RtpPort11, view.text(RTP11_Port));
    setText(r.RtpMulticastIp11, view.text(RTP11_M));
    setText(r.RtpDestIp11, view.text(RTP11_IP));
    r.RtpSession12 = *mappings::kRtpSessions.code(mappings::sessionAt(view.index(RTP12_S)));
    setText(r.RtpPort12, view.text(RTP12_Port));
    setText(r.RtpMulticastIp12, view.text(RTP12_M));
    setText(r.RtpDestIp12, view.text(RTP12_IP));

    setText(r.StaticIp, view.text(ipb));
    setText(r.GatewayIp, view.text(gwp));
    setText(r.Mtu, view.text(MTUB));

    if (view.checked(RS232Check))
        r.ControlInterface = 1;
    if (view.checked(UDPCheck))
        r.ControlInterface = 0;

    // Both boxes checked is no mode: the field keeps what it held.
    const bool fixed = view.checked(FixCheck), moving = view.checked(MovCheck);
    if (!(fixed && moving)) {
        using mappings::CameraMode;
        r.CameraMode = *mappings::kCameraModes.code(fixed    ? CameraMode::Fixed
                                                    : moving ? CameraMode::Moving
                                                             : CameraMode::None);
    }

    r.FecEnable = *mappings::kFec.code(view.checked(CEFEC));
    for (const auto& [edit, field] : {std::pair{LFEC, &r.FecL}, std::pair{DFEC, &r.FecD}}) {
        const text::Converted c = text::toInteger(view.text(edit));
        if (!c.ok()) {
            result.error = c.error;
            return result;
        }
        *field = static_cast<std::uint8_t>(static_cast<std::uint32_t>(c.value) & 0xFFu);
    }

    const auto rate = [&](Ctl cbr, Ctl vbr, std::int32_t& field) {
        using mappings::RateControl;
        if (view.checked(cbr))
            field = *mappings::kRateControls.code(RateControl::Cbr);
        else if (view.checked(vbr))
            field = *mappings::kRateControls.code(RateControl::Vbr);
    };
    rate(CBR11B, VBR11B, r.RateControl11);
    rate(CBR12B, VBR12B, r.RateControl12);

    r.UdprsMode = *mappings::kUdprs.code(view.checked(UDPRSB));
    setText(r.UdprsDestIp, view.text(UDPRSIPB));
    setText(r.SubnetMask, view.text(SubB));
    return result;
}

std::optional<std::string> sizeNote(std::string_view fileName, std::uint64_t fileSize) {
    if (fileSize == kRecordSize)
        return std::nullopt;
    std::string out(fileName);
    out += " holds " + std::to_string(fileSize) + (fileSize == 1 ? " byte" : " bytes") + ", not " +
           std::to_string(kRecordSize) + ": ";
    if (fileSize < kRecordSize)
        out += fileSize == 1 ? "the values past it were kept." : "the values past them were kept.";
    else
        out += "only its first " + std::to_string(kRecordSize) + " bytes were read.";
    return out;
}

} // namespace corvane::record
