// "Save Network Configuration": the five network settings sent one after the other, each
// acknowledged, then the closing command.
#pragma once

#include "core/controls.h"
#include "core/plan.h"

#include <string>
#include <string_view>

namespace corvane::network {

// The largest MTU the board takes; a larger one is written back into the edit as this.
inline constexpr int kMaxMtu = 1500;

// The save, in order: static IP, gateway, MTU, UDPRS destination IP, subnet mask, each sent and
// acknowledged, then the closing command. An MTU above kMaxMtu is first written into MTUB as
// "1500"; an MTU of fewer than 3 characters sends an empty text, one of more than 4 (after the
// clamping) gives values::tooLongFor's message and nothing is sent. An MTU that is not an integer
// stops the save after the gateway with the conversion error. An address too long for the two
// length digits gives a message naming it and nothing at all is sent.
plan::Plan planNetworkSave(const controls::ConfigView& view);

// "<caption> '<value>' is too long to send to the board", the value quoted as text::quoted shows
// it.
std::string tooLongMessage(std::string_view caption, std::string_view value);

} // namespace corvane::network
