// "Read Config." as steps: the read is opened, then the configuration is asked for and a
// keep-alive closes it. The reply is decoded by the dispatch as it arrives.
#pragma once

#include "core/steps.h"

namespace corvane::config {

struct ReadPlan {
    // Opens the read and awaits its acknowledgement.
    steps::Steps open;
    // Asks for the configuration and awaits the reply, then sends the keep-alive. The
    // window stops its own keep-alive before this part, so none of its ticks comes between the
    // request and the reply.
    steps::Steps request;
    steps::Steps all() const; // open and request in one
};

ReadPlan planRead();

} // namespace corvane::config
