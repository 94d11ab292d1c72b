#include "core/network.h"

#include "core/frames.h"
#include "core/text.h"
#include "core/value_rules.h"

#include <array>

namespace corvane::network {

using controls::Action;
using controls::Ctl;

std::string tooLongMessage(std::string_view caption, std::string_view value) {
    std::string out(caption);
    out += " '";
    out += text::quoted(value);
    out += "' is too long to send to the board";
    return out;
}

plan::Plan planNetworkSave(const controls::ConfigView& view) {
    plan::Plan p;
    const auto ip = frames::staticIp(view.text(Ctl::ipb));
    const auto udprs = frames::udprsDestination(view.text(Ctl::UDPRSIPB));
    const auto subnet = frames::subnetMask(view.text(Ctl::SubB));
    // Nothing goes out when any address cannot be framed: a half-saved network setting would
    // leave the board unreachable at an address the operator never meant.
    const std::array<std::pair<const frames::FrameResult*, Ctl>, 3> addresses{
        {{&ip, Ctl::ipb}, {&udprs, Ctl::UDPRSIPB}, {&subnet, Ctl::SubB}}};
    for (const auto& [frame, ctl] : addresses) {
        if (frame->problem == frames::Problem::TooLong)
            return p.message(tooLongMessage(controls::label(ctl), view.text(ctl)));
    }

    std::string mtu = view.text(Ctl::MTUB);
    const auto value = text::toInteger(mtu);
    if (!value.ok())
        return p.message(mtu.empty() ? values::emptyMessage(Ctl::MTUB) : value.error);
    if (value.value > kMaxMtu)
        mtu = text::decimal(kMaxMtu);
    // An MTU that converts but is written too long ("01500") has no frame: nothing is sent.
    if (auto tooLong = values::tooLongFor(Ctl::MTUB, mtu))
        return p.message(std::move(*tooLong));

    p.send(ip.bytes, steps::kShortPause).wait();
    p.send(frames::gateway(view.text(Ctl::gwp)), steps::kShortPause).wait();

    if (value.value > kMaxMtu)
        p.add(Action::setText(Ctl::MTUB, mtu));
    // A count without a frame still calls the send path, with an empty text.
    p.send(frames::mtu(mtu).bytes).wait();

    p.send(udprs.bytes, steps::kShortPause).wait();
    p.send(subnet.bytes, steps::kShortPause).wait();
    p.pause(steps::kShortPause).send(frames::closeSequence(), steps::kShortPause);
    return p;
}

std::string settingsSent(const plan::Plan& plan, int sent) {
    // The command code follows "A5" and the two length digits.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kNames{{
        {"23", "static IP"},
        {"42", "gateway"},
        {"72", "MTU"},
        {"91", "UDPRS destination"},
        {"93", "subnet mask"},
    }};
    std::string out;
    int sends = 0;
    for (const plan::Item& item : plan.items) {
        const auto* step = std::get_if<steps::Step>(&item);
        if (!step || step->kind != steps::Step::Kind::Send)
            continue;
        if (++sends > sent)
            break;
        if (step->frame.size() < 6)
            continue;
        const std::string_view code = std::string_view(step->frame).substr(4, 2);
        for (const auto& [c, name] : kNames)
            if (c == code)
                out += (out.empty() ? "" : ", ") + std::string(name);
    }
    return out;
}

} // namespace corvane::network
