// The configuration controls as data: the catalogue of every control of the main window, the
// recording dialog and the RTP dialog that holds part of the board's configuration, a plain view
// of their values, and the ordered actions that the decoder, the clearing and the server record
// hand to the windows.
//
// The controls are the configuration: there is no other copy. Operations that read it take a
// ConfigView (read by the windows from their controls); operations that change it return an
// ordered list of Actions, which the windows apply through the widgets one by one, so that each
// check box and radio button runs its handler exactly when its state changes, each edit runs its
// change handler, and selecting a list entry from code runs nothing.
#pragma once

#include "core/variant.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::controls {

enum class Window { Main, Recording, Rtp };

// Edit: a line edit's text. List: a drop-down list's selected position (-1: none).
// Check: a check box. Radio: a radio button. Caption: a panel whose caption is its value.
// Button: a push button (only enabled or not).
enum class Kind { Edit, List, Check, Radio, Caption, Button };

// Named as the controls of the windows.
enum class Ctl : int {
    // main window, stream 11 and 12
    S1I,
    S2I,
    Res1,
    Res2,
    Bit1,
    Bit2,
    Gop1,
    Gop2,
    fps1,
    fps2,
    Efmt1,
    Efmt2,
    CBR11B,
    VBR11B,
    CBR12B,
    VBR12B,
    S1Aud,
    S2Aud,
    ERec1,
    ERec2,
    // main window, streaming and camera
    AutStart,
    AutoDetect,
    Auto_rtp,
    UDPRSB,
    FixCheck,
    MovCheck,
    PARTP,
    // main window, network and FEC
    ipb,
    gwp,
    SubB,
    MTUB,
    UDPRSIPB,
    CEFEC,
    ERRFEC,
    LFEC,
    DFEC,
    FECP,
    // main window, active interface (the server record holds it)
    UDPCheck,
    RS232Check,
    // recording dialog
    RecRes1,
    RecBit1,
    RecGop1,
    Recfps1,
    RecRes2,
    RecBit2,
    RecGop2,
    Recfps2,
    // RTP dialog
    RTP11_S,
    RTP11_IP,
    RTP11_Port,
    RTP11_M,
    RTP12_S,
    RTP12_IP,
    RTP12_Port,
    RTP12_M,
    Count, // the configuration controls end here; also "no control"
    // Controls of the main window that hold no configuration but that actions reach: the
    // captions above the bit rates and the four update buttons of each stream.
    StBR,
    StBR12,
    URes1,
    UBit1,
    UGop1,
    Ufps1,
    URes2,
    UBit2,
    UGop2,
    Ufps2,
    End
};
inline constexpr std::size_t kCtlCount = static_cast<std::size_t>(Ctl::Count);
inline constexpr std::size_t kWindowCtlFirst = kCtlCount + 1;
inline constexpr std::size_t kWindowCtlCount = static_cast<std::size_t>(Ctl::End) - kWindowCtlFirst;

struct CtlInfo {
    Ctl id;
    std::string_view name; // the object name in its window
    Window window;
    Kind kind;
};

// One row per configuration control, in the order of Ctl.
extern const std::array<CtlInfo, kCtlCount> kCatalogue;
// One row per window control after Count, in the order of Ctl.
extern const std::array<CtlInfo, kWindowCtlCount> kWindowControls;

const CtlInfo& info(Ctl c);
std::string_view name(Ctl c);
// The control of an object name, or nothing.
std::optional<Ctl> byName(std::string_view name);
// What the operator calls a configuration control: its caption in the window, with the panel it
// sits in where the caption alone is ambiguous ("Stream 11 Bit Rate", "Static IP",
// "RTP 12 Multicast IP"). Controls after Count are called by their object names.
std::string_view label(Ctl c);

// What one control shows: its text (edits, captions), its selected position (lists, -1 for
// none) or its check state (check boxes, radio buttons).
struct ControlValue {
    std::string text;
    int index = -1;
    bool checked = false;

    friend bool operator==(const ControlValue&, const ControlValue&) = default;
};

// What the configuration controls show now.
struct ConfigView {
    std::array<ControlValue, kCtlCount> values{};

    ControlValue& operator[](Ctl c) { return values[static_cast<std::size_t>(c)]; }
    const ControlValue& operator[](Ctl c) const { return values[static_cast<std::size_t>(c)]; }
    const std::string& text(Ctl c) const { return (*this)[c].text; }
    int index(Ctl c) const { return (*this)[c].index; }
    bool checked(Ctl c) const { return (*this)[c].checked; }
};

// The colours of the recording indicator Rec1, which are also the streaming state shown.
enum class Lamp { Grey, Green, Red };

// One step of what an operation does to the windows and the main window's state, in order.
struct Action {
    enum class Op {
        SetText,      // ctl (edit): text
        Select,       // ctl (list): index, -1 for none
        SetChecked,   // ctl (check box or radio button): on
        SetCaption,   // ctl (caption panel): text
        SetEnabled,   // ctl: enabled (on) or not
        StreamMode,   // StreamModeLetter := text
        StreamingOn,  // StreamingOn set
        SetLamp,      // Rec1 painted lamp
        Panel5,       // Panel5 shows text
        Panel8,       // Panel8 shows text
        Panel9,       // Panel9 shows text
        Modules,      // the module flags of channel := modules
        KeepAliveOn,  // Timer1 enabled
        HideReady,    // the READY text hidden
        ClearReceive, // the receive buffer emptied
    };
    Op op = Op::SetText;
    Ctl ctl = Ctl::Count;
    std::string text{};
    int index = -1;
    bool on = false;
    Lamp lamp = Lamp::Grey;
    variant::Channel channel = variant::Channel::Ch11;
    variant::ModuleFlags modules{};

    static Action setText(Ctl c, std::string t);
    static Action select(Ctl c, int i);
    static Action setChecked(Ctl c, bool on);
    static Action setCaption(Ctl c, std::string t);
    static Action setEnabled(Ctl c, bool on);
    static Action state(Op op, std::string t = {});
    static Action lampColour(Lamp l);
    static Action moduleFlags(variant::Channel ch, variant::ModuleFlags m);

    friend bool operator==(const Action&, const Action&) = default;
};

// What an operation applies, in order; error is the operator's message when it stopped early
// (the actions before it are applied all the same).
struct Applied {
    std::vector<Action> actions;
    std::string error;

    bool ok() const { return error.empty(); }
};

// One action as text, for tests and traces: "Bit1='4000'", "Res1=7", "CEFEC:on", "PARTP^'RTSP'",
// "mode='S'", "streaming", "lamp=green", "Panel5='Error aid'", "ch11={sdi}", "keepalive".
std::string describe(const Action& a);
// All actions joined by "; ", then " !<error>" when there is one.
std::string describe(const Applied& applied);

} // namespace corvane::controls
