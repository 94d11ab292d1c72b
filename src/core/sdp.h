// Session descriptions for receivers of the RTP streams: one small text file per stream and
// session type ("11.sdp", "11M.sdp", "12.sdp", "12M.sdp"), written from what the RTP dialog and the
// main window show. The texts are taken as the controls hold them; nothing is validated.
#pragma once

#include "core/controls.h"
#include "core/variant.h"

#include <optional>
#include <string>

namespace corvane::sdp {

// The session description of a stream: eleven lines, each ended by CR LF. Unicast names the
// board's static IP (ipb) as origin and 0.0.0.0 as connection address; multicast names the
// stream's multicast address (RTP11_M, RTP12_M) in both. The stream's encoder format (Efmt1, Efmt2)
// gives payload type 96 "H264" or 98 "H265"; with no format selected there is no description.
std::optional<std::string> sdpText(const controls::ConfigView& view, variant::Channel stream,
                                   bool multicast);

struct SdpFile {
    std::string name; // "11.sdp", "11M.sdp", "12.sdp" or "12M.sdp", no directory
    std::string text;

    friend bool operator==(const SdpFile&, const SdpFile&) = default;
};

// The file that the stream's "Create SDP File" button writes: the session type list (RTP11_S,
// RTP12_S) chooses unicast (position 0) or multicast (1). Nothing when that list or the encoder
// format list shows nothing: no file is written.
std::optional<SdpFile> sdpFile(const controls::ConfigView& view, variant::Channel stream);

} // namespace corvane::sdp
