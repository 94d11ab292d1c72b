// Settings that the board's configuration reply and the server configuration file both carry as
// a code, and what the windows show for each code: one table per setting, read in both
// directions. The reply decoder, the file record, the command frames and the mode panel all go
// through these; what each reader does with a code outside its table is that reader's own rule.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace corvane::mappings {

// Pairs of a code and what the windows show for it; a code or a shown value outside the table
// has no counterpart.
template <typename Code, typename Shown, std::size_t N> struct Table {
    std::array<std::pair<Code, Shown>, N> rows;

    constexpr std::optional<Shown> shown(Code code) const {
        for (const auto& [c, s] : rows)
            if (c == code)
                return s;
        return std::nullopt;
    }
    // No code (a reply field that is no letter or digit) has nothing to show either.
    constexpr std::optional<Shown> shown(std::optional<Code> code) const {
        return code ? shown(*code) : std::nullopt;
    }
    template <typename T> constexpr std::optional<Code> code(const T& shown) const {
        for (const auto& [c, s] : rows)
            if (s == shown)
                return c;
        return std::nullopt;
    }
};

// The streaming mode: its letter and the caption of the mode panel (PARTP), in the order a click
// on the panel steps through them (the last one steps back to the first).
inline constexpr Table<char, std::string_view, 4> kStreamModes{
    {{{'S', "RTSP"}, {'A', "RTP 11"}, {'B', "RTP 12"}, {'R', "RTP 11 + RTP 12"}}}};

// The encoder format of a stream by its position in Efmt1/Efmt2: 1 H.264, 2 H.265.
inline constexpr Table<int, int, 2> kEncoderFormats{{{{1, 0}, {2, 1}}}};

// A stream's audio by its box (S1Aud/S2Aud): 0 off, 1 on.
inline constexpr Table<int, bool, 2> kAudio{{{{0, false}, {1, true}}}};
static_assert(kAudio.code(false) && kAudio.code(true)); // a box always has a code to store

// A stream's rate control by the button that shows it (CBR11B/VBR11B, CBR12B/VBR12B).
enum class RateControl { Cbr, Vbr };
inline constexpr Table<int, RateControl, 2> kRateControls{
    {{{1, RateControl::Cbr}, {2, RateControl::Vbr}}}};
static_assert(kRateControls.code(RateControl::Cbr) && kRateControls.code(RateControl::Vbr));

// The RTP session type of a stream: its letter in the reply, the file and the RTP destination
// command. The session lists RTP11_S/RTP12_S show "Unicast" at position 0 and "Multicast" at 1.
enum class RtpSession { Unicast, Multicast };
inline constexpr Table<char, RtpSession, 2> kRtpSessions{
    {{{'U', RtpSession::Unicast}, {'M', RtpSession::Multicast}}}};
constexpr int sessionPosition(RtpSession s) {
    return s == RtpSession::Unicast ? 0 : 1;
}
// The session a list position stands for: anything but "Unicast" (no selection too) is multicast.
constexpr RtpSession sessionAt(int position) {
    return position == 0 ? RtpSession::Unicast : RtpSession::Multicast;
}

// The camera mode by the boxes FixCheck and MovCheck (never both checked): 0 none, 1 fixed,
// 2 moving.
enum class CameraMode { None, Fixed, Moving };
inline constexpr Table<int, CameraMode, 3> kCameraModes{
    {{{0, CameraMode::None}, {1, CameraMode::Fixed}, {2, CameraMode::Moving}}}};

// Which streams are recorded, by the boxes ERec1 and ERec2. Neither has no code: the file then
// holds 0 and the save sends no recording selection.
struct Recorded {
    bool stream11 = false;
    bool stream12 = false;
    friend constexpr bool operator==(const Recorded&, const Recorded&) = default;
};
inline constexpr Table<int, Recorded, 3> kRecordSelections{
    {{{1, {true, false}}, {2, {false, true}}, {3, {true, true}}}}};

// Streaming starts by itself when the board starts (AutStart): 2 on, 1 off.
inline constexpr Table<int, bool, 2> kAutoStart{{{{1, false}, {2, true}}}};
static_assert(kAutoStart.code(false) && kAutoStart.code(true));

// Input auto-detection (AutoDetect): 1 on, 2 off; 0 is the board's report of an error, which
// Panel5 shows as kAutoDetectionErrorText.
enum class AutoDetection { Error, On, Off };
inline constexpr Table<int, AutoDetection, 3> kAutoDetection{
    {{{0, AutoDetection::Error}, {1, AutoDetection::On}, {2, AutoDetection::Off}}}};
inline constexpr std::string_view kAutoDetectionErrorText = "Error aid";
constexpr AutoDetection autoDetection(bool checked) {
    return checked ? AutoDetection::On : AutoDetection::Off;
}

// FEC (CEFEC): 'E' enabled, 'D' disabled.
inline constexpr Table<char, bool, 2> kFec{{{{'D', false}, {'E', true}}}};
static_assert(kFec.code(false) && kFec.code(true));

// UDPRS mode (UDPRSB): 'Y' on, 'N' off.
inline constexpr Table<char, bool, 2> kUdprs{{{{'N', false}, {'Y', true}}}};
static_assert(kUdprs.code(false) && kUdprs.code(true));

// The letter of a one-character text of the reply, which the letter tables above read; nothing
// for any other text.
constexpr std::optional<char> letterOf(std::string_view text) {
    return text.size() == 1 ? std::optional<char>(text[0]) : std::nullopt;
}
// The value of a one-digit text of the reply; nothing for any other text.
constexpr std::optional<int> digitOf(std::string_view text) {
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9' ? std::optional<int>(text[0] - '0')
                                                                : std::nullopt;
}

} // namespace corvane::mappings
