#include "core/read_plan.h"

#include "core/frames.h"

namespace corvane::config {

using steps::Step;

steps::Steps ReadPlan::all() const {
    steps::Steps out = open;
    out.insert(out.end(), request.begin(), request.end());
    return out;
}

ReadPlan planRead() {
    return {
        .open = {Step::send(frames::openRead()), Step::wait()},
        .request = {Step::send(frames::configRequest()), Step::wait(),
                    Step::send(frames::keepAlive())},
    };
}

} // namespace corvane::config
