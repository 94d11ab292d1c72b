#include "core/save_plan.h"

#include "core/inputs.h"
#include "core/mappings.h"
#include "core/text.h"
#include "core/value_rules.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace corvane::save {

using controls::ConfigView;
using controls::Ctl;
using frames::Stream;
using steps::Step;
using steps::Steps;
using variant::BoardFlags;
using variant::Channel;
using variant::Module;

namespace {

// After most commands, and after the stop ahead of a save: the board's usual pace.
constexpr int kShort = steps::kShortPause;
// The save's own longer pauses.
constexpr int kMedium = 200; // after "A5044300" and the RTP destinations
constexpr int kLong = 1000;  // after an HDMI input command

// A frame of the normal rule: "A5" + two digits + two code characters + value + CR.
constexpr std::size_t kFrameOverhead = 7;

Channel channelOf(Stream s) {
    return s == Stream::S11 ? Channel::Ch11 : Channel::Ch12;
}

// The item at a position of a list, or "" when the list has no such position.
std::string_view itemAt(const std::vector<std::string>& list, int position) {
    if (position < 0 || position >= int(list.size()))
        return {};
    return list[std::size_t(position)];
}

// The frame-rate limit of an input (0: none).
int limitOf(std::string_view item) {
    const inputs::InputRow* row = inputs::inputRow(item);
    return row ? row->fpsLimit : 0;
}

// The longest of the texts, which a refusal names.
std::string_view longest(std::initializer_list<std::string_view> values) {
    std::string_view out;
    for (std::string_view v : values)
        if (v.size() > out.size())
            out = v;
    return out;
}

// Collects steps; the first value that would make a frame too long refuses the whole plan.
class Builder {
public:
    // A frame that is sent, made from these values (for the refusal's message).
    void send(const std::string& frame, std::initializer_list<std::string_view> values = {}) {
        if (frame.size() > kMaxFrame) {
            refuse(longest(values));
            return;
        }
        steps_.push_back(Step::send(frame));
    }
    // A frame built from an edit's text under the normal rule, when the text has an accepted
    // length; none otherwise. A text longer than its command takes refuses the plan.
    void sendValue(const frames::FrameResult& frame, Ctl edit, std::string_view text) {
        if (text.size() + kFrameOverhead > kMaxFrame)
            refuse(text);
        else if (const auto tooLong = values::tooLongFor(edit, text))
            refuseWith(*tooLong);
        else if (frame.ok())
            steps_.push_back(Step::send(frame.bytes));
    }
    void pause(int ms) { steps_.push_back(Step::pause(ms)); }
    void wait() { steps_.push_back(Step::wait()); }
    void refuse(std::string_view value) { refuseWith(tooLongMessage(value)); }
    void refuseWith(std::string message) {
        if (message_.empty())
            message_ = std::move(message);
    }

    const std::string& message() const { return message_; }
    Steps take() { return std::move(steps_); }

private:
    Steps steps_;
    std::string message_;
};

// Width and height of a resolution list position, each followed by a pause; nothing when the
// position is not one of the list's (count items). The wait closes the step all the same.
void resolution(Builder& b, int position, int count, std::string (*width)(Stream, int),
                std::string (*height)(Stream, int), Stream s) {
    if (position >= 0 && position < count) {
        const auto& r = inputs::kResolutions[std::size_t(position)];
        b.send(width(s, r.width));
        b.pause(kShort);
        b.send(height(s, r.height));
        b.pause(kShort);
    }
    b.wait();
}

// The input character for a position of the full board's list: the hexadecimal digit of the
// position up to 5, of the position + 4 above it.
std::optional<char> fullBoardCharacter(int position) {
    if (position < 0)
        return std::nullopt;
    const int n = position <= 5 ? position : position + 4;
    if (n > 15)
        return std::nullopt;
    return "0123456789ABCDEF"[n];
}

// The input character for a position of a small board's module list.
std::optional<char> moduleCharacter(Module m, int position) {
    const std::string_view item = itemAt(variant::moduleList(m), position);
    const inputs::InputRow* row = inputs::inputRow(item);
    if (!row)
        return std::nullopt;
    return row->inputChar;
}

// A character that names one of the board's input modes.
bool boardHasInput(char c) {
    return std::any_of(inputs::kInputs.begin(), inputs::kInputs.end(),
                       [c](const inputs::InputRow& row) { return row.inputChar == c; });
}

// One input command (when the board has such an input), its pause and its wait.
void input(Builder& b, Stream s, std::optional<char> character, int pauseMs) {
    if (character && boardHasInput(*character))
        b.send(frames::sensorInput(s, *character));
    b.pause(pauseMs);
    b.wait();
}

void rtp(Builder& b, const ConfigView& v, Stream s) {
    const bool s11 = s == Stream::S11;
    const Ctl session = s11 ? Ctl::RTP11_S : Ctl::RTP12_S;
    const std::string& port = v.text(s11 ? Ctl::RTP11_Port : Ctl::RTP12_Port);
    const std::string& multicast = v.text(s11 ? Ctl::RTP11_M : Ctl::RTP12_M);
    const std::string& destination = v.text(s11 ? Ctl::RTP11_IP : Ctl::RTP12_IP);
    b.send(frames::rtpDestination(s, mappings::sessionAt(v.index(session)), port, multicast,
                                  destination),
           {port, multicast, destination});
    b.pause(kMedium);
    b.wait();
}

} // namespace

std::string tooLongMessage(std::string_view value) {
    std::string out = "'";
    out += text::quoted(value);
    out += "' is too long to send";
    return out;
}

std::string wrongFpsMessage(Stream s) {
    return s == Stream::S11 ? "Wrong Value in Chnl 11 FPS " : "Wrong Value in Chnl 12 FPS ";
}

std::string FpsCheck::message(Stream s) const {
    if (passed)
        return {};
    return error.empty() ? wrongFpsMessage(s) : error;
}

FpsCheck checkFps(const ConfigView& view, const BoardFlags& flags, Stream s) {
    const Ctl list = s == Stream::S11 ? Ctl::S1I : Ctl::S2I;
    const std::string& fps = view.text(s == Stream::S11 ? Ctl::fps1 : Ctl::fps2);
    const int position = view.index(list);
    const variant::ModuleFlags& m = flags.modules(channelOf(s));

    // The limits by position come from the inputs that the board's lists hold there.
    std::vector<int> limits;
    if (flags.fullBoard)
        limits.push_back(limitOf(itemAt(variant::fullList(), position)));
    if (flags.boardVariant != 0 && (m.sdi || m.hdmi))
        limits.push_back(limitOf(itemAt(variant::moduleList(Module::Sdi), position)));
    if (flags.boardVariant != 0 && m.analog)
        limits.push_back(limitOf(itemAt(variant::moduleList(Module::Analog), position)));

    for (int limit : limits) {
        if (limit == 0)
            continue;
        const text::Converted c = text::toInteger(fps);
        if (!c.ok())
            return {false, fps.empty()
                               ? values::emptyMessage(s == Stream::S11 ? Ctl::fps1 : Ctl::fps2)
                               : c.error};
        if (c.value > limit)
            return {false, {}};
    }
    return {};
}

Steps SavePlan::all() const {
    Steps out = stop;
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), start.begin(), start.end());
    return out;
}

SavePlan planSave(const ConfigView& v, const SaveState& state) {
    SavePlan plan;
    plan.boxes = {Ctl::Bit1,    Ctl::RecBit1,  Ctl::Gop1,       Ctl::RecGop1, Ctl::fps1,
                  Ctl::Recfps1, Ctl::Bit2,     Ctl::RecBit2,    Ctl::Gop2,    Ctl::RecGop2,
                  Ctl::fps2,    Ctl::Recfps2,  Ctl::LFEC,       Ctl::DFEC,    Ctl::RTP11_Port,
                  Ctl::RTP11_M, Ctl::RTP11_IP, Ctl::RTP12_Port, Ctl::RTP12_M, Ctl::RTP12_IP};
    for (Stream s : {Stream::S11, Stream::S12}) {
        const FpsCheck check = checkFps(v, state.board, s);
        if (!check.passed) {
            plan.message = check.message(s);
            return plan;
        }
    }

    Builder b;

    // Resolutions of the streams and the recordings.
    const int recCount = inputs::kRecResolutionCount;
    const int resCount = int(inputs::kResolutions.size());
    resolution(b, v.index(Ctl::Res1), resCount, frames::pictureWidth, frames::pictureHeight,
               Stream::S11);
    resolution(b, v.index(Ctl::RecRes1), recCount, frames::recordWidth, frames::recordHeight,
               Stream::S11);
    resolution(b, v.index(Ctl::Res2), resCount, frames::pictureWidth, frames::pictureHeight,
               Stream::S12);
    resolution(b, v.index(Ctl::RecRes2), recCount, frames::recordWidth, frames::recordHeight,
               Stream::S12);

    // Bit rates, GOPs and frame rates, each followed by its wait.
    using Maker = frames::FrameResult (*)(Stream, std::string_view);
    struct Value {
        Maker make;
        Stream stream;
        Ctl edit;
    };
    constexpr std::array<Value, 12> kValues{{
        {frames::bitRateSave, Stream::S11, Ctl::Bit1},
        {frames::recordBitRate, Stream::S11, Ctl::RecBit1},
        {frames::gopSave, Stream::S11, Ctl::Gop1},
        {frames::recordGop, Stream::S11, Ctl::RecGop1},
        {frames::frameRateSave, Stream::S11, Ctl::fps1},
        {frames::recordFrameRate, Stream::S11, Ctl::Recfps1},
        {frames::bitRateSave, Stream::S12, Ctl::Bit2},
        {frames::recordBitRate, Stream::S12, Ctl::RecBit2},
        {frames::gopSave, Stream::S12, Ctl::Gop2},
        {frames::recordGop, Stream::S12, Ctl::RecGop2},
        {frames::frameRateSave, Stream::S12, Ctl::fps2},
        {frames::recordFrameRate, Stream::S12, Ctl::Recfps2},
    }};
    for (const Value& value : kValues) {
        const std::string& text = v.text(value.edit);
        b.sendValue(value.make(value.stream, text), value.edit, text);
        if (value.edit == Ctl::fps2)
            b.pause(kShort);
        b.wait();
    }

    // Which streams are recorded.
    if (const auto rec = frames::recordSelection(v.checked(Ctl::ERec1), v.checked(Ctl::ERec2))) {
        b.send(rec.bytes);
        b.pause(kShort);
    }
    b.wait();

    // Sensor inputs.
    const BoardFlags& board = state.board;
    if (board.fullBoard) {
        input(b, Stream::S11, fullBoardCharacter(v.index(Ctl::S1I)), kShort);
        input(b, Stream::S12, fullBoardCharacter(v.index(Ctl::S2I)), kShort);
    }
    if (board.boardVariant != 0) {
        struct ModuleStep {
            Module module;
            int pauseMs;
            bool (*fitted)(const variant::ModuleFlags&);
        };
        constexpr std::array<ModuleStep, 4> kModules{{
            {Module::Sdi, kShort, [](const variant::ModuleFlags& m) { return m.sdi; }},
            {Module::Analog, kShort, [](const variant::ModuleFlags& m) { return m.analog; }},
            {Module::Hdmi, kLong, [](const variant::ModuleFlags& m) { return m.hdmi; }},
            {Module::None, kShort, [](const variant::ModuleFlags& m) { return !m.any(); }},
        }};
        for (const ModuleStep& step : kModules)
            for (Stream s : {Stream::S11, Stream::S12}) {
                if (!step.fitted(board.modules(channelOf(s))))
                    continue;
                const int position = v.index(s == Stream::S11 ? Ctl::S1I : Ctl::S2I);
                input(b, s,
                      step.module == Module::None ? std::optional<char>('C')
                                                  : moduleCharacter(step.module, position),
                      step.pauseMs);
            }
    }

    // Encoder formats around the rate control.
    auto encoder = [&b, &v](Stream s, Ctl list) {
        const int format = v.index(list);
        if (format != 0 && format != 1)
            return;
        b.send(frames::encoderFormat(s, format == 1));
        b.pause(kShort);
        b.wait();
    };
    encoder(Stream::S11, Ctl::Efmt1);
    b.send(frames::rateControl(state.rateMode11, state.rateMode12));
    b.pause(kShort);
    b.wait();
    encoder(Stream::S12, Ctl::Efmt2);

    // FEC on with the current values, then off, whatever the FEC box shows.
    const std::string& l = v.text(Ctl::LFEC);
    const std::string& d = v.text(Ctl::DFEC);
    if (l.size() + d.size() + 16 > kMaxFrame) // "A5" nn "87E" L "L" D "D" "%%%%%%" CR
        b.refuse(longest({l, d}));
    else
        b.send(frames::fecOn(l, d).bytes);
    b.pause(kShort);
    b.wait();
    b.send(frames::fecOff());
    b.pause(kShort);
    b.wait();

    auto single = [&b](const std::string& frame, int pauseMs,
                       std::initializer_list<std::string_view> values = {}) {
        b.send(frame, values);
        b.pause(pauseMs);
        b.wait();
    };
    single(frames::autoStart(v.checked(Ctl::AutStart)), kShort);
    single(frames::inputAutoDetect(v.checked(Ctl::AutoDetect)), kShort);
    single(frames::streamingMode(state.streamModeLetter), kShort, {state.streamModeLetter});
    single(frames::udprsFlag(v.checked(Ctl::UDPRSB)), kShort);
    const bool audio11 = v.checked(Ctl::S1Aud);
    const bool audio12 = v.checked(Ctl::S2Aud);
    single(frames::audio(audio11, audio12), audio11 || audio12 ? kShort : kMedium);

    rtp(b, v, Stream::S11);
    rtp(b, v, Stream::S12);

    b.send(frames::closeSequence());
    b.pause(kShort);

    if (!b.message().empty()) {
        plan.message = b.message();
        return plan;
    }
    plan.body = b.take();
    if (state.streamingOn) {
        plan.stop = {Step::send(frames::stopStream()), Step::pause(kShort)};
        plan.start = {Step::send(frames::startStream())};
    }
    return plan;
}

UpdatePlan planUpdate(Update button, const ConfigView& view, const BoardFlags& flags) {
    UpdatePlan plan;
    const bool s11 = button == Update::URes1 || button == Update::UBit1 ||
                     button == Update::UGop1 || button == Update::Ufps1;
    const Stream s = s11 ? Stream::S11 : Stream::S12;

    if (button == Update::URes1 || button == Update::URes2) {
        plan.steps.push_back(
            Step::send(frames::resolutionLive(s, view.index(s11 ? Ctl::Res1 : Ctl::Res2))));
        return plan;
    }

    Ctl edit = Ctl::Count;
    frames::FrameResult (*make)(Stream, std::string_view) = nullptr;
    switch (button) {
    case Update::UBit1:
    case Update::UBit2:
        edit = s11 ? Ctl::Bit1 : Ctl::Bit2;
        make = frames::bitRateLive;
        break;
    case Update::UGop1:
    case Update::UGop2:
        edit = s11 ? Ctl::Gop1 : Ctl::Gop2;
        make = frames::gopLive;
        break;
    case Update::Ufps1:
    case Update::Ufps2: {
        const FpsCheck check = checkFps(view, flags, s);
        if (!check.passed) {
            plan.message = check.message(s);
            return plan;
        }
        edit = s11 ? Ctl::fps1 : Ctl::fps2;
        make = frames::frameRateLive;
        break;
    }
    case Update::URes1:
    case Update::URes2:
        break;
    }

    plan.boxes = {edit};
    const std::string& text = view.text(edit);
    if (text.size() + kFrameOverhead > kMaxFrame) {
        plan.message = tooLongMessage(text);
        return plan;
    }
    if (auto tooLong = values::tooLongFor(edit, text)) {
        plan.message = std::move(*tooLong);
        return plan;
    }
    // A text of a length the command does not take is no frame; the send path then gets an empty
    // text, as the operator's board expects.
    plan.steps.push_back(Step::send(make(s, text).bytes));
    return plan;
}

RateMode rateMode(bool vbr) {
    using mappings::RateControl;
    if (vbr)
        return {*mappings::kRateControls.code(RateControl::Vbr), "Max. Bitrate (kbps)", false};
    return {*mappings::kRateControls.code(RateControl::Cbr), "Bitrate (kbps)", true};
}

std::vector<controls::Action> rateModeActions(int stream, bool vbr) {
    using controls::Action;
    using enum controls::Ctl;
    const RateMode m = rateMode(vbr);
    const bool s11 = stream == 11;
    const controls::Ctl cbr = s11 ? CBR11B : CBR12B;
    const controls::Ctl variable = s11 ? VBR11B : VBR12B;
    std::vector<Action> out{Action::setChecked(vbr ? variable : cbr, true),
                            Action::setChecked(vbr ? cbr : variable, false),
                            Action::setCaption(s11 ? StBR : StBR12, m.caption)};
    for (const auto button :
         s11 ? std::array{URes1, UBit1, UGop1, Ufps1} : std::array{URes2, UBit2, UGop2, Ufps2})
        out.push_back(Action::setEnabled(button, m.updatesEnabled));
    return out;
}

} // namespace corvane::save
