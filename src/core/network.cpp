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
        if (frame->problem == frames::Problem::TooLong) {
            const std::string_view caption = ctl == Ctl::ipb        ? "Static IP"
                                             : ctl == Ctl::UDPRSIPB ? "UDPRS Destination IP"
                                                                    : "Subnet Mask";
            return p.message(tooLongMessage(caption, view.text(ctl)));
        }
    }

    std::string mtu = view.text(Ctl::MTUB);
    const auto value = text::toInteger(mtu);
    if (value.ok() && value.value > kMaxMtu)
        mtu = text::decimal(kMaxMtu);
    // An MTU that converts but is written too long ("01500") has no frame: nothing is sent.
    if (value.ok())
        if (auto tooLong = values::tooLongFor(Ctl::MTUB, mtu))
            return p.message(std::move(*tooLong));

    p.send(ip.bytes, 100).wait();
    p.send(frames::gateway(view.text(Ctl::gwp)), 100).wait();

    if (!value.ok())
        return p.message(value.error);
    if (value.value > kMaxMtu)
        p.add(Action::setText(Ctl::MTUB, mtu));
    // A count without a frame still calls the send path, with an empty text.
    p.send(frames::mtu(mtu).bytes).wait();

    p.send(udprs.bytes, 100).wait();
    p.send(subnet.bytes, 100).wait();
    p.pause(100).send(frames::closeSequence(), 100);
    return p;
}

} // namespace corvane::network
