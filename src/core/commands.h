// The command catalogue: every command this program sends, one row each, with its two-digit code,
// its name in the link monitor and, for the commands whose value the board takes only at some
// lengths, the accepted character counts. The frame builders (frames.cpp), the value rules of the
// boxes (value_rules.cpp) and the link monitor (link_log.cpp) all read their facts here.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace corvane::commands {

// Named after what the command sets or asks; "Live" are the Update buttons' commands.
enum class Cmd {
    ExitBoard,
    StartStream,
    StopStream,
    ConfigRequest,
    Width11,
    Height11,
    Width12,
    Height12,
    Gop11,
    BitRate11,
    Fps11,
    Gop12,
    BitRate12,
    Fps12,
    StaticIp,
    KeepAlive,
    CloseSequence,
    OpenRead,
    Input11,
    Input12,
    RateControl,
    CreateDefault,
    Format11,
    Format12,
    AutoStart,
    ControlInterface,
    GopLive11,
    BitRateLive11,
    FpsLive11,
    GopLive12,
    BitRateLive12,
    FpsLive12,
    Gateway,
    Audio,
    FirmwareVersion,
    RecordSelection,
    Recording,
    RecWidth11,
    RecHeight11,
    RecGop11,
    RecBitRate11,
    RecFps11,
    RecWidth12,
    RecHeight12,
    RecGop12,
    RecBitRate12,
    RecFps12,
    ResolutionLive12,
    ResolutionLive11,
    Mtu,
    InputAutoDetect,
    Reboot,
    AssemblyRequest,
    StartRtp11,
    StreamingMode,
    RtpDestination11,
    RtpDestination12,
    StartRtp12,
    TcprsMode,
    CameraType,
    Fec,
    FecError,
    UdprsMode,
    UdprsDestination,
    UdprsFlag,
    SubnetMask,
    Probe, // shares its code with RecFps12: the probe is that code without a value
    Count
};

struct Command {
    Cmd id;
    std::string_view code; // the two digits after the length
    std::string_view name; // as the link monitor and the messages name it
    // The value's accepted character counts where the board takes only those (a value of another
    // length has no frame); 0, 0 where the frame's own rule decides.
    int minChars = 0;
    int maxChars = 0;
};

inline constexpr std::array<Command, static_cast<std::size_t>(Cmd::Count)> kCommands{{
    {Cmd::ExitBoard, "04", "exit board application"},
    {Cmd::StartStream, "05", "start streaming"},
    {Cmd::StopStream, "06", "stop streaming"},
    {Cmd::ConfigRequest, "08", "configuration request"},
    {Cmd::Width11, "10", "stream 11 picture width"},
    {Cmd::Height11, "11", "stream 11 picture height"},
    {Cmd::Width12, "12", "stream 12 picture width"},
    {Cmd::Height12, "14", "stream 12 picture height"}, // there is no code 13
    {Cmd::Gop11, "15", "stream 11 GOP", 1, 3},
    {Cmd::BitRate11, "16", "stream 11 bit rate", 1, 5},
    {Cmd::Fps11, "17", "stream 11 frame rate", 1, 3},
    {Cmd::Gop12, "20", "stream 12 GOP", 1, 3},
    {Cmd::BitRate12, "21", "stream 12 bit rate", 1, 5},
    {Cmd::Fps12, "22", "stream 12 frame rate", 1, 3},
    {Cmd::StaticIp, "23", "static IP address"},
    {Cmd::KeepAlive, "24", "keep-alive"},
    {Cmd::CloseSequence, "25", "end of configuration"},
    {Cmd::OpenRead, "26", "start of configuration read"},
    {Cmd::Input11, "27", "sensor 1 input"},
    {Cmd::Input12, "28", "sensor 2 input"},
    {Cmd::RateControl, "29", "rate control"},
    {Cmd::CreateDefault, "30", "create default configuration"},
    {Cmd::Format11, "32", "stream 11 encoder format"},
    {Cmd::Format12, "33", "stream 12 encoder format"},
    {Cmd::AutoStart, "34", "auto-start"},
    {Cmd::ControlInterface, "35", "control interface"},
    {Cmd::GopLive11, "36", "stream 11 GOP update", 1, 3},
    {Cmd::BitRateLive11, "37", "stream 11 bit rate update", 1, 5},
    {Cmd::FpsLive11, "38", "stream 11 frame rate update", 1, 3},
    {Cmd::GopLive12, "39", "stream 12 GOP update", 1, 3},
    {Cmd::BitRateLive12, "40", "stream 12 bit rate update", 1, 5},
    {Cmd::FpsLive12, "41", "stream 12 frame rate update", 1, 3},
    {Cmd::Gateway, "42", "gateway"},
    {Cmd::Audio, "43", "audio"},
    {Cmd::FirmwareVersion, "44", "firmware version request"},
    {Cmd::RecordSelection, "45", "recording selection"},
    {Cmd::Recording, "46", "recording start or stop"},
    {Cmd::RecWidth11, "50", "stream 11 recording width"},
    {Cmd::RecHeight11, "51", "stream 11 recording height"},
    {Cmd::RecGop11, "52", "stream 11 recording GOP", 1, 3},
    {Cmd::RecBitRate11, "53", "stream 11 recording bit rate", 2, 5},
    {Cmd::RecFps11, "54", "stream 11 recording frame rate", 1, 3},
    {Cmd::RecWidth12, "60", "stream 12 recording width"},
    {Cmd::RecHeight12, "61", "stream 12 recording height"},
    {Cmd::RecGop12, "62", "stream 12 recording GOP", 1, 3},
    {Cmd::RecBitRate12, "63", "stream 12 recording bit rate", 2, 5},
    {Cmd::RecFps12, "64", "stream 12 recording frame rate", 1, 3},
    {Cmd::ResolutionLive12, "69", "stream 12 resolution update"},
    {Cmd::ResolutionLive11, "70", "stream 11 resolution update"},
    {Cmd::Mtu, "72", "MTU", 3, 4},
    {Cmd::InputAutoDetect, "73", "input auto-detection"},
    {Cmd::Reboot, "75", "reboot board"},
    {Cmd::AssemblyRequest, "76", "assembly request"},
    {Cmd::StartRtp11, "80", "start RTP stream 11"},
    {Cmd::StreamingMode, "81", "streaming mode"},
    {Cmd::RtpDestination11, "82", "stream 11 RTP destination"},
    {Cmd::RtpDestination12, "83", "stream 12 RTP destination"},
    {Cmd::StartRtp12, "84", "start RTP stream 12"},
    {Cmd::TcprsMode, "85", "TCPRS mode"},
    {Cmd::CameraType, "86", "camera type"},
    {Cmd::Fec, "87", "FEC"},
    {Cmd::FecError, "88", "FEC error insertion"},
    {Cmd::UdprsMode, "90", "UDPRS mode"},
    {Cmd::UdprsDestination, "91", "UDPRS destination"},
    {Cmd::UdprsFlag, "92", "UDPRS flag"},
    {Cmd::SubnetMask, "93", "subnet mask"},
    {Cmd::Probe, "64", "board probe"},
}};

// Every row stands at its command's place, and every code is two digits.
static_assert([] {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        const Command& c = kCommands[i];
        if (static_cast<std::size_t>(c.id) != i || c.code.size() != 2 || c.name.empty() ||
            c.minChars > c.maxChars)
            return false;
    }
    return true;
}());

// No two commands share a code, but for the probe, which the monitor tells by its missing value.
static_assert([] {
    for (const Command& a : kCommands)
        for (const Command& b : kCommands)
            if (&a != &b && a.code == b.code && a.id != Cmd::Probe && b.id != Cmd::Probe)
                return false;
    return true;
}());

constexpr const Command& of(Cmd id) {
    return kCommands[static_cast<std::size_t>(id)];
}

// The command a frame with this code and a value (or none) is; nullptr for a code this program
// does not send.
constexpr const Command* byCode(std::string_view code, bool hasValue = true) {
    if (!hasValue && code == of(Cmd::Probe).code)
        return &of(Cmd::Probe);
    for (const Command& c : kCommands)
        if (c.code == code)
            return &c;
    return nullptr;
}

} // namespace corvane::commands
