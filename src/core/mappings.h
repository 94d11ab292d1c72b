// Settings that the board's configuration reply and the server configuration file both carry as
// a code, and what the windows show for each code: one table per setting, read in both
// directions. The reply decoder, the file record and the mode panel all go through these.
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

} // namespace corvane::mappings
