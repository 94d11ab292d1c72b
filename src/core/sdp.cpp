#include "core/sdp.h"

namespace corvane::sdp {

using controls::Ctl;
using variant::Channel;

std::optional<std::string> sdpText(const controls::ConfigView& view, Channel stream,
                                   bool multicast) {
    const bool s11 = stream == Channel::Ch11;
    const int format = view.index(s11 ? Ctl::Efmt1 : Ctl::Efmt2);
    if (format != 0 && format != 1)
        return std::nullopt;
    const std::string payload = format == 0 ? "96" : "98";
    const std::string codec = format == 0 ? "H264" : "H265";
    const std::string& group = view.text(s11 ? Ctl::RTP11_M : Ctl::RTP12_M);
    const std::string& origin = multicast ? group : view.text(Ctl::ipb);
    const std::string& port = view.text(s11 ? Ctl::RTP11_Port : Ctl::RTP12_Port);

    std::string out;
    const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
    line("v=0");
    line("o=- 0 0 IN IP4 " + origin);
    line(s11 ? "s=11" : "s=12");
    line("c=IN IP4 " + (multicast ? group : std::string("0.0.0.0")));
    line("t=0 0");
    line("a=tool:libavformat 54.62.100");
    line("a=transform:1,0,0;0,1,0;0,0,1");
    line("a=control:trackID=0");
    line("m=video " + port + " RTP/AVP " + payload);
    line("a=rtpmap:" + payload + " " + codec + "/90000");
    line("a=fmtp:" + payload + " profile-space=0;profile-id=1;tier-flag=0;level-id=0");
    return out;
}

std::optional<SdpFile> sdpFile(const controls::ConfigView& view, Channel stream) {
    const bool s11 = stream == Channel::Ch11;
    const int session = view.index(s11 ? Ctl::RTP11_S : Ctl::RTP12_S);
    if (session != 0 && session != 1)
        return std::nullopt;
    const bool multicast = session == 1;
    auto text = sdpText(view, stream, multicast);
    if (!text)
        return std::nullopt;
    std::string name = s11 ? "11" : "12";
    name += multicast ? "M.sdp" : ".sdp";
    return SdpFile{std::move(name), std::move(*text)};
}

} // namespace corvane::sdp
