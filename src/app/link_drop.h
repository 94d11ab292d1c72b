#pragma once
// How the main window lets a link go (TForm1::dropLink). What goes with it, in this order: the
// display is cleared before the transport closes or after it (clearing sends nothing either way;
// the order is the one the operator has always seen); then the keep-alive stops, the connection
// text turns black "Not Connected", streaming ends, the lamp turns grey and Panel5 empties, as
// the LinkDrop says. Written with the names of its fields at every call site:
//   dropLink(CloseLink::Udp, {.clear = ClearDisplay::AfterClosing, .lamp = true});

// The transport closed, if any.
enum class CloseLink { None, Serial, Udp };

// When the display is cleared, if at all.
enum class ClearDisplay { No, BeforeClosing, AfterClosing };

struct LinkDrop {
    ClearDisplay clear = ClearDisplay::No;
    bool keepAlive = true; // Timer1 stops
    bool streaming = true; // StreamingOn cleared
    bool lamp = false;     // Rec1 grey
    bool panel5 = false;   // Panel5 empty
};
