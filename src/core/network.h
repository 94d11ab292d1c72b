// "Save Network Configuration": the five network settings sent one after the other, each
// acknowledged, then the closing command.
#pragma once

#include "core/controls.h"
#include "core/plan.h"

#include <array>
#include <string>
#include <string_view>

namespace corvane::network {

// The largest MTU the board takes; a larger one is written back into the edit as this.
inline constexpr int kMaxMtu = 1500;

// The boxes whose texts the save sends, in the order it sends them.
inline constexpr std::array<controls::Ctl, 5> kSentBoxes{
    controls::Ctl::ipb, controls::Ctl::gwp, controls::Ctl::MTUB, controls::Ctl::UDPRSIPB,
    controls::Ctl::SubB};

// The save, in order: static IP, gateway, MTU, UDPRS destination IP, subnet mask, each sent and
// acknowledged, then the closing command. An MTU above kMaxMtu is first written into MTUB as
// "1500"; an MTU of fewer than 3 characters sends an empty text, one of more than 4 (after the
// clamping) gives values::tooLongFor's message and nothing is sent. An MTU that is blank or not
// an integer gives its message (values::emptyMessage, the conversion error) before anything is
// sent: a save that stopped after the gateway would leave the board half set. An address too long
// for the two length digits gives a message naming it and nothing at all is sent.
plan::Plan planNetworkSave(const controls::ConfigView& view);

// What the first `sent` sends of a network save's plan set on the board, as the status bar names
// them: "static IP, gateway, MTU, UDPRS destination, subnet mask". An empty send (an MTU without
// a frame) and the closing command are not named.
std::string settingsSent(const plan::Plan& plan, int sent);

// "<caption> '<value>' is too long to send to the board", the value quoted as text::quoted shows
// it.
std::string tooLongMessage(std::string_view caption, std::string_view value);

} // namespace corvane::network
