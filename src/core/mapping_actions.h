// What a coded setting does to the windows, the same whether the code came in the board's
// configuration reply or in the server configuration file: the writes, appended in order.
#pragma once

#include "core/controls.h"
#include "core/mappings.h"

#include <optional>
#include <vector>

namespace corvane::mappings {

// Error: Panel5 shows kAutoDetectionErrorText; on or off: AutoDetect. No code: nothing.
void addAutoDetection(std::vector<controls::Action>& out, std::optional<AutoDetection> detection);

// FixCheck, then MovCheck. No code: nothing.
void addCameraMode(std::vector<controls::Action>& out, std::optional<CameraMode> camera);

// ERec1, then ERec2. No code: nothing.
void addRecorded(std::vector<controls::Action>& out, std::optional<Recorded> recorded);

// The session list (RTP11_S or RTP12_S): no code, or any but unicast's, selects multicast.
void addRtpSession(std::vector<controls::Action>& out, controls::Ctl list,
                   std::optional<RtpSession> session);

// On: AutStart checked, StreamingOn set and the lamp green; off or no code: AutStart cleared.
void addAutoStart(std::vector<controls::Action>& out, std::optional<bool> on);

} // namespace corvane::mappings
