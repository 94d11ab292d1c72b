#include "core/streaming.h"

#include "core/fec.h"
#include "core/mappings.h"

namespace corvane::streaming {

using controls::Action;
using controls::Ctl;
using controls::Lamp;
using plan::Streaming;

plan::Plan planStartStream(bool streamingOn) {
    plan::Plan p;
    if (streamingOn)
        return p.message(std::string(kAlreadyStarted));
    // The window shows a stream only once the board has acknowledged the start: a board that
    // refuses it ("Error Start Stream 11") or does not answer leaves the window as it was.
    p.send(frames::startStream());
    p.wait();
    p.confirmed();
    p.enableFecBoxes(true);
    p.add(Streaming{true});
    p.add(Action::lampColour(Lamp::Green));
    p.enableFecEdits(false);
    return p;
}

plan::Plan planStopStream(const controls::ConfigView& view, bool streamingOn) {
    plan::Plan p;
    if (!streamingOn)
        return p.message(std::string(kAlreadyStopped));
    const std::string& l = view.text(Ctl::LFEC);
    const std::string& d = view.text(Ctl::DFEC);
    if (view.checked(Ctl::ERRFEC)) {
        p.send(frames::fecErrorOn(l), steps::kShortPause);
        p.add(Action::setChecked(Ctl::ERRFEC, false));
    }
    if (view.checked(Ctl::CEFEC)) {
        // FEC values that cannot be framed are named, and the stop goes on without that one
        // command: the stream must still stop.
        if (const auto frame = frames::fecOn(l, d))
            p.send(frame.bytes, steps::kShortPause);
        else
            p.message(fec::tooLongMessage(l, d));
        p.add(Action::setChecked(Ctl::CEFEC, false));
    }
    p.enableFecBoxes(false);
    p.send(frames::stopStream());
    p.add(Streaming{false});
    p.add(Action::lampColour(Lamp::Grey));
    p.add(Action::state(Action::Op::Panel9, ""));
    p.enableFecEdits(true);
    return p;
}

plan::Plan planStartRtp(frames::Stream stream, bool streamingOn) {
    plan::Plan p;
    if (!streamingOn)
        return p.message(std::string(kStartStreamFirst));
    return p.send(stream == frames::Stream::S11 ? frames::startRtp11() : frames::startRtp12());
}

std::optional<StreamMode> nextStreamMode(std::string_view caption) {
    const auto& modes = mappings::kStreamModes.rows;
    for (std::size_t i = 0; i < modes.size(); ++i) {
        if (modes[i].second == caption) {
            const auto& [letter, next] = modes[(i + 1) % modes.size()];
            return StreamMode{std::string(next), std::string(1, letter)};
        }
    }
    return std::nullopt;
}

plan::Plan planModePanel(const controls::ConfigView& view) {
    plan::Plan p;
    if (const auto next = nextStreamMode(view.text(Ctl::PARTP))) {
        p.add(Action::setCaption(Ctl::PARTP, next->caption));
        p.add(Action::state(Action::Op::StreamMode, next->letter));
    }
    return p;
}

plan::Plan planCameraBox(Ctl box, bool checked, const controls::ConfigView& view) {
    using mappings::CameraMode;
    plan::Plan p;
    if (!checked)
        return p.send(frames::cameraType(*mappings::kCameraModes.code(CameraMode::None)),
                      steps::kShortPause);
    const bool fixed = box == Ctl::FixCheck;
    const Ctl other = fixed ? Ctl::MovCheck : Ctl::FixCheck;
    if (view.checked(other))
        p.add(Action::setChecked(other, false));
    return p.send(frames::cameraType(
                      *mappings::kCameraModes.code(fixed ? CameraMode::Fixed : CameraMode::Moving)),
                  steps::kShortPause);
}

plan::Plan planAutoDetect(bool checked) {
    plan::Plan p;
    return p.send(frames::inputAutoDetect(checked), steps::kShortPause);
}

plan::Plan planRecordPress(Lamp lamp, const controls::ConfigView& view) {
    plan::Plan p;
    switch (lamp) {
    case Lamp::Grey:
        break;
    case Lamp::Green:
        if (!view.checked(Ctl::S1Aud) || !view.checked(Ctl::S2Aud))
            return p.message(std::string(kAudioForRecording));
        p.send(frames::recording(true));
        p.add(Action::lampColour(Lamp::Red));
        break;
    case Lamp::Red:
        p.send(frames::recording(false));
        p.add(Action::lampColour(Lamp::Green));
        break;
    }
    return p;
}

} // namespace corvane::streaming
