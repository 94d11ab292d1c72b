// Emptying the displayed configuration: what the windows show after the link to the board is
// closed or lost, in the order the windows must apply it.
#pragma once

#include "core/controls.h"

namespace corvane::config {

// The writes that empty every control a configuration reply fills, in this order: the stream
// lists and texts, the recording boxes, the recording dialog, auto-detection and automatic RTP,
// the MTU, the grey lamp, the RTP dialog, the hidden READY text, audio, FEC, camera mode, the
// emptied receive buffer, UDPRS, subnet and FEC overhead, CBR on both streams and last the empty
// acknowledgement error line.
//
// Check boxes are cleared and the CBR buttons selected through their ordinary state change, so a
// box that was ticked runs its handler (which may send a command) and one already clear runs
// nothing; clearing twice therefore sends nothing the second time. Lists are emptied from code and
// run nothing. Left alone: automatic start, the streaming mode caption and letter, FEC error
// insertion, the status panels 5 and 8, the connection text and every state flag.
controls::Applied clearDisplay();

} // namespace corvane::config
