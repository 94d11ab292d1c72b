#include "core/plan.h"

namespace corvane::plan {

Plan& Plan::send(std::string frame, int pauseMs) {
    add(steps::Step::send(std::move(frame)));
    if (pauseMs > 0)
        pause(pauseMs);
    return *this;
}

Plan& Plan::enableFecBoxes(bool on) {
    for (const auto c : {controls::Ctl::CEFEC, controls::Ctl::ERRFEC})
        add(controls::Action::setEnabled(c, on));
    return *this;
}

Plan& Plan::enableFecEdits(bool on) {
    for (const auto c : {controls::Ctl::LFEC, controls::Ctl::DFEC, controls::Ctl::FECP})
        add(controls::Action::setEnabled(c, on));
    return *this;
}

int Plan::sendCount() const {
    int count = 0;
    for (const Item& item : items)
        if (const auto* step = std::get_if<steps::Step>(&item))
            count += step->kind == steps::Step::Kind::Send;
    return count;
}

namespace {

std::string describeItem(const Item& item) {
    struct Visitor {
        std::string operator()(const steps::Step& s) const { return steps::describe({s}); }
        std::string operator()(const controls::Action& a) const { return controls::describe(a); }
        std::string operator()(const Message& m) const { return "!'" + m.text + "'"; }
        std::string operator()(const Streaming& s) const {
            return s.on ? "StreamingOn=1" : "StreamingOn=0";
        }
        std::string operator()(const Confirmed&) const { return "?confirmed"; }
    };
    return std::visit(Visitor{}, item);
}

} // namespace

std::string describe(const Plan& plan) {
    std::string out;
    for (const Item& item : plan.items) {
        if (!out.empty())
            out += ' ';
        out += describeItem(item);
    }
    return out;
}

} // namespace corvane::plan
