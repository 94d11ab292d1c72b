#include "core/fec.h"

#include "core/frames.h"
#include "core/text.h"

namespace corvane::fec {

using controls::Action;
using controls::Applied;
using controls::Ctl;

std::optional<std::int64_t> overhead(std::int32_t l, std::int32_t d) {
    const std::int64_t product = std::int64_t(l) * d;
    if (product == 0)
        return std::nullopt;
    return (std::int64_t(l) + d) * 100 / product; // C++ division truncates toward zero
}

std::optional<std::int64_t> sizeForOverhead(std::int32_t percent) {
    if (percent == 0)
        return std::nullopt;
    // 200 / p exactly, in integers: quotient and remainder with a positive divisor.
    std::int64_t numerator = 200;
    std::int64_t divisor = percent;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    std::int64_t quotient = numerator / divisor;
    const std::int64_t remainder = numerator % divisor;
    const std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    const std::int64_t away = numerator < 0 ? -1 : 1;
    if (twice > divisor || (twice == divisor && quotient % 2 != 0))
        quotient += away;
    return quotient;
}

Applied fromLD(const controls::ConfigView& view) {
    Applied out;
    const std::string& l = view.text(Ctl::LFEC);
    const std::string& d = view.text(Ctl::DFEC);
    if (l.empty() || d.empty())
        return out;
    const auto lv = text::toInteger(l);
    if (!lv.ok()) {
        out.error = lv.error;
        return out;
    }
    const auto dv = text::toInteger(d);
    if (!dv.ok()) {
        out.error = dv.error;
        return out;
    }
    const auto percent = overhead(lv.value, dv.value);
    if (!percent) {
        out.error = kDivisionByZero;
        return out;
    }
    out.actions.push_back(Action::setText(Ctl::FECP, text::decimal(*percent)));
    return out;
}

Applied fromPercent(const controls::ConfigView& view) {
    Applied out;
    const std::string& p = view.text(Ctl::FECP);
    if (p.empty() || p == "0")
        return out;
    const auto pv = text::toInteger(p);
    if (!pv.ok()) {
        out.error = pv.error;
        return out;
    }
    const auto size = sizeForOverhead(pv.value);
    if (!size) {
        out.error = kFloatingDivisionByZero;
        return out;
    }
    const std::string value = text::decimal(*size);
    out.actions.push_back(Action::setText(Ctl::LFEC, value));
    out.actions.push_back(Action::setText(Ctl::DFEC, value));
    return out;
}

std::string tooLongMessage(std::string_view l, std::string_view d) {
    std::string out = "FEC L '";
    out += l;
    out += "' and FEC D '";
    out += d;
    out += "' are too long to send to the board";
    return out;
}

plan::Plan planFecBox(bool checked, const controls::ConfigView& view) {
    plan::Plan p;
    if (!checked)
        return p.send(frames::fecOff(), steps::kShortPause);
    const std::string& l = view.text(Ctl::LFEC);
    const std::string& d = view.text(Ctl::DFEC);
    const auto frame = frames::fecOn(l, d);
    if (!frame)
        return p.message(tooLongMessage(l, d));
    return p.send(frame.bytes, steps::kShortPause);
}

plan::Plan planFecErrorBox(bool checked, const controls::ConfigView& view) {
    plan::Plan p;
    return p.send(checked ? frames::fecErrorOn(view.text(Ctl::LFEC)) : frames::fecErrorOff(),
                  steps::kShortPause);
}

} // namespace corvane::fec
