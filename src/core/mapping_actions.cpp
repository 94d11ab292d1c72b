#include "core/mapping_actions.h"

#include <string>

namespace corvane::mappings {

using controls::Action;
using controls::Ctl;

void addAutoDetection(std::vector<Action>& out, std::optional<AutoDetection> detection) {
    if (!detection)
        return;
    if (*detection == AutoDetection::Error)
        out.push_back(Action::state(Action::Op::Panel5, std::string(kAutoDetectionErrorText)));
    else
        out.push_back(Action::setChecked(Ctl::AutoDetect, *detection == AutoDetection::On));
}

void addCameraMode(std::vector<Action>& out, std::optional<CameraMode> camera) {
    if (!camera)
        return;
    out.push_back(Action::setChecked(Ctl::FixCheck, *camera == CameraMode::Fixed));
    out.push_back(Action::setChecked(Ctl::MovCheck, *camera == CameraMode::Moving));
}

void addRecorded(std::vector<Action>& out, std::optional<Recorded> recorded) {
    if (!recorded)
        return;
    out.push_back(Action::setChecked(Ctl::ERec1, recorded->stream11));
    out.push_back(Action::setChecked(Ctl::ERec2, recorded->stream12));
}

void addRtpSession(std::vector<Action>& out, Ctl list, std::optional<RtpSession> session) {
    out.push_back(Action::select(list, sessionPosition(session.value_or(RtpSession::Multicast))));
}

void addAutoStart(std::vector<Action>& out, std::optional<bool> on) {
    if (on.value_or(false)) {
        out.push_back(Action::setChecked(Ctl::AutStart, true));
        out.push_back(Action::state(Action::Op::StreamingOn));
        out.push_back(Action::lampColour(controls::Lamp::Green));
    } else {
        out.push_back(Action::setChecked(Ctl::AutStart, false));
    }
}

} // namespace corvane::mappings
