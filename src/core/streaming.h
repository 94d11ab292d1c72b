// Starting and stopping the board's stream and choosing how it streams: the "Start Stream" and
// "Stop Stream" buttons, the RTP start menu items, the streaming-mode panel, the camera type
// boxes, "IAD" and the recording indicator.
#pragma once

#include "core/controls.h"
#include "core/frames.h"
#include "core/plan.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane::streaming {

// The operator's messages.
inline constexpr std::string_view kAlreadyStarted = "Stream Already Start ";
inline constexpr std::string_view kAlreadyStopped = "Stream Already Stop ";
inline constexpr std::string_view kStartStreamFirst = "Please Start Stream First ";
inline constexpr std::string_view kAudioForRecording =
    "Please Change Audio to On in Both Channels , Before Start Recording  ";

// "Start Stream": refused while streaming; otherwise the start command is sent and, once the
// board has acknowledged it (and not refused it), the FEC boxes are unlocked, the stream marked
// as running (green lamp) and the FEC edits locked.
plan::Plan planStartStream(bool streamingOn);

// "Stop Stream": refused while not streaming. Each FEC box that is checked sends its on command
// once more (FEC Error before FEC) and is then cleared, which runs its handler and so sends its
// off command; the boxes are locked, the stop command sent, the stream marked as stopped (grey
// lamp, error line emptied) and the FEC edits unlocked.
plan::Plan planStopStream(const controls::ConfigView& view, bool streamingOn);

// The "RTP11" and "RTP12" menu items: the RTP start command of the stream while streaming,
// otherwise a message.
plan::Plan planStartRtp(frames::Stream stream, bool streamingOn);

// One click on the streaming-mode panel: the caption and mode letter that follow the panel's
// caption in mappings::kStreamModes, the last mode followed by the first. A caption outside the
// table stays, and nothing changes.
struct StreamMode {
    std::string caption;
    std::string letter;
};
std::optional<StreamMode> nextStreamMode(std::string_view caption);
plan::Plan planModePanel(const controls::ConfigView& view);

// "Fixed" (FixCheck) or "Moving" (MovCheck) changed to `checked`. Becoming checked clears the
// other box when it is checked (its handler then sends camera type none) and sends the box's own
// type; becoming cleared sends type none. Each send is followed by 100 ms.
plan::Plan planCameraBox(controls::Ctl box, bool checked, const controls::ConfigView& view);

// "IAD" (AutoDetect) changed to `checked`: input auto-detection on or off, then 100 ms.
plan::Plan planAutoDetect(bool checked);

// A press on the recording indicator, by its colour: green starts recording when both "Audio"
// boxes are checked (the lamp turns red), otherwise a message; red stops recording (green again);
// grey does nothing.
plan::Plan planRecordPress(controls::Lamp lamp, const controls::ConfigView& view);

} // namespace corvane::streaming
