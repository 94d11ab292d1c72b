// The configuration reply ("A3", three length digits, "08", fifty fields each ended by "$") and
// what decoding it does to the windows, in the order the windows must apply it.
#pragma once

#include "core/controls.h"
#include "core/variant.h"

#include <string_view>

namespace corvane::config {

inline constexpr std::size_t kConfigFieldCount = 50;

// The reply's fields, numbered from 1 as the board numbers them (named as the server record's
// fields where both hold the same value).
enum class ReplyField : int {
    Width11 = 1,
    Height11,
    BitRate11,
    Gop11,
    Width12,
    Height12,
    BitRate12,
    Gop12,
    StaticIp, // 9: a text, the address behind five leading characters
    Fps11,
    Fps12,
    Input11, // 12, 13: input codes, hexadecimal
    Input12,
    Format11,
    Format12,
    RateControl11,
    RateControl12,
    AutoStart,
    Audio11,
    Audio12,
    RecWidth11,
    RecHeight11,
    RecBitRate11,
    RecGop11,
    RecFps11,
    RecWidth12,
    RecHeight12,
    RecBitRate12,
    RecGop12,
    RecFps12,
    RecordSelect,
    InputAutoDetect, // 32: the last integer field
    GatewayIp,       // 33 on: texts
    Mtu,
    RtpDestIp11,
    RtpDestIp12,
    RtpPort11,
    RtpPort12,
    RtpMulticastIp11,
    RtpMulticastIp12,
    UdprsDestIp,
    CameraMode,
    UdprsMode,
    FecEnable,
    FecL,
    FecD,
    RtpSession11,
    RtpSession12,
    ModeLetter,
    SubnetMask,
};
static_assert(static_cast<std::size_t>(ReplyField::SubnetMask) == kConfigFieldCount);

// Decodes one whole reply frame from "A3" on.
//
// Conversion phase: the integer fields 1 to 32 (input codes 12 and 13 hexadecimal, "-1" read as
// "0") are converted before anything changes, so a bad one gives the error alone; then the RTP
// and UDPRS addresses (35-41), camera mode (42), UDPRS mode (43), FEC state (44), FEC L and D (45,
// 46) are written as each is cut out, and the FEC overhead goes into FECP (a bad L or D stops
// there with an error). Application phase: mode letter, auto-detection, session types, MTU,
// sensor inputs (with the module flags they set), recording boxes, stream 11 and 12 values,
// network texts, automatic start, encoder formats and audio, rate control, the recording dialog,
// and last the keep-alive timer.
//
// Values outside the tables change nothing. FEC L or D of 0 leaves FECP as it is.
controls::Applied decodeConf(std::string_view frame, const variant::BoardFlags& flags);

} // namespace corvane::config
