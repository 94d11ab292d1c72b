// Forward error correction: the arithmetic that keeps "FEC L :", "FEC D :" and "FEC+% :"
// consistent as the operator types, and what the "FEC" and "FEC Error" boxes send.
//
// L, D and the overhead are tied by overhead = (L + D) * 100 / (L * D). Typing L or D computes
// the overhead in integer division; typing the overhead sets L and D both to 200 / overhead,
// rounded to the nearest integer with a half going to the even neighbour.
#pragma once

#include "core/controls.h"
#include "core/plan.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::fec {

// The operator's messages when the computation would divide by zero.
inline constexpr std::string_view kDivisionByZero = "Division by zero";
inline constexpr std::string_view kFloatingDivisionByZero = "Floating point division by zero";

// (L + D) * 100 / (L * D), the quotient truncated toward zero; nothing when L * D is 0. Worked in
// 64 bits, so large values never wrap.
std::optional<std::int64_t> overhead(std::int32_t l, std::int32_t d);

// L (and D) for an overhead: 200 / percent rounded to the nearest integer, a half to the even
// neighbour (80 gives 2, 16 gives 12, 400 gives 0); nothing for 0.
std::optional<std::int64_t> sizeForOverhead(std::int32_t percent);

// After a key release in "FEC L :" or "FEC D :": when both edits hold text, the overhead written
// into FECP. Either edit empty: nothing. A text that is not an integer (L converted first) or
// L * D = 0: the error, FECP unchanged.
controls::Applied fromLD(const controls::ConfigView& view);

// After a key release in "FEC+% :": unless FECP is empty or exactly "0", L and D both set to the
// size for that overhead; FECP itself is not written back. A text that is not an integer, or a
// zero written another way ("00", "-0"): the error, L and D unchanged.
controls::Applied fromPercent(const controls::ConfigView& view);

// "FEC" (CEFEC) changed to `checked`: the FEC on frame from the texts of L and D, or the FEC off
// frame, then 100 ms. L and D too long for the length digits: a message naming them, nothing sent.
plan::Plan planFecBox(bool checked, const controls::ConfigView& view);

// "FEC Error" (ERRFEC) changed to `checked`: the FEC error on frame with the text of L, or the
// FEC error off frame, then 100 ms.
plan::Plan planFecErrorBox(bool checked, const controls::ConfigView& view);

// The message for FEC values that do not fit the FEC on frame's length digits.
std::string tooLongMessage(std::string_view l, std::string_view d);

} // namespace corvane::fec
