// Scanning the board's replies.
//
// The board answers in plain text that is recognised by markers. The receive buffer collects the
// text (serial: piece after piece; UDP: one datagram replaces the buffer); after every piece the
// dispatch tests the buffer in a fixed order, and the first test that fires empties the whole
// buffer and tells the window what to do.
//
// Reply forms:
//   "991177" + status character   stream start failed ("1" stream 11, "2" stream 12)
//   ... "B74D" ...                 probe answer
//   "A7" text "AA"                 text for the operator
//   "A8" module data "GG"          assembly reply
//   "2288" ... "%"                 auto-detection reply (answer to the keep-alive)
//   "A3" + LLL + code + body + 1   reply frame, LLL = three decimal digits, the frame's length
//                                  counted from the "A3"; code "08" is the configuration reply
//   ... "55" ...                   plain acknowledgement
//
// Everything here is pure: no I/O, no window. The window owns one ReceiveBuffer (its RxBuffer),
// feeds it, runs the dispatch and applies the effects it gets back, in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::replies {

// The receive buffer keeps at most the newest this many characters; older text is dropped.
inline constexpr std::size_t kMaxReceiveBuffer = 64 * 1024;

// ---- Markers ---------------------------------------------------------------------------------

enum class Marker {
    StreamStatus,     // "991177"
    ProbeAnswer,      // "B74D"
    TextStart,        // "A7"
    TextEnd,          // "AA"
    AssemblyStart,    // "A8"
    AssemblyEnd,      // "GG"
    AutoDetection,    // "2288"
    AutoDetectionEnd, // "%"
    Acknowledgement,  // "55"
};
inline constexpr std::size_t kMarkerCount = 9;

std::string_view markerText(Marker m);

// The text holds the board's probe answer (the UDP probe reads its one datagram with this).
bool isProbeAnswer(std::string_view text);

// ---- Reply frames ----------------------------------------------------------------------------

// Where the first reply frame of a text starts.
//  - An "A3" followed by three digits starts a frame; `length` is the number they write.
//  - An "A3" followed by fewer than three characters may still become one: Waiting, at `pos`.
//  - An "A3" followed by three characters that are not all digits starts nothing; the search
//    goes on with the next "A3".
struct FrameStart {
    enum State { None, Waiting, Found };
    State state = None;
    std::size_t pos = 0; // position of the "A3" (Waiting, Found)
    int length = 0;      // the three digits (Found)
};
FrameStart locateFrame(std::string_view text, std::size_t from = 0);

// Serial frame test (FindCom): the frame is complete once at least `length` characters, counted
// from its "A3", have arrived. The frame returned runs from the "A3" up to the end of the buffer
// without the buffer's last character. nullopt while incomplete, waiting or absent.
std::optional<std::string> findCom(std::string_view buffer);

// UDP frame test (UFindCom): the datagram holds a frame when at most `length` characters,
// counted from its "A3", are present (a datagram does not grow). Same cut as findCom.
std::optional<std::string> uFindCom(std::string_view datagram);

// True when the frame's 6th and 7th characters are "0" and "8" (configuration reply).
bool isConfigurationFrame(std::string_view frame);

// A configuration reply's body is this many fields, each ended by "$".
inline constexpr std::size_t kConfigurationFields = 50;
// The shortest configuration reply: "A3", three digits, "08", the fields all empty, and the final
// character.
inline constexpr std::size_t kMinConfigurationFrame = 2 + 3 + 2 + kConfigurationFields + 1;

// True while `partial`, the text from a frame's "A3" to the end of the buffer, can still grow into
// a configuration reply: the length its digits give is one a configuration reply can have and has
// not been reached yet, its code (as far as it has arrived) is "08", and its body so far holds
// printable characters only, with at most fifty "$" and nothing after the fiftieth (the final
// character would complete the frame).
bool mayBecomeConfigurationReply(std::string_view partial);

// ---- Stream status ---------------------------------------------------------------------------

// Where the first stream status of a serial text is. Only "1" or "2" after "991177" completes one;
// a "2" that begins an auto-detection reply ("2288") does not. A "991177" followed by anything
// else was cut short: it is no stream status and the search goes on behind it.
//  - Found: `pos` is the "991177", `status` the character after it.
//  - Waiting: the character after the "991177" at `pos` has not arrived, or the text after it
//    ("22", "228") may still become "2288".
struct StatusStart {
    enum State { None, Waiting, Found };
    State state = None;
    std::size_t pos = 0;
    char status = 0;
};
StatusStart locateStreamStatus(std::string_view text, std::size_t from = 0);

// ---- Other replies ---------------------------------------------------------------------------

// True when the buffer contains "2288" and "%" (in any order). The link monitor names such a
// text even when no keep-alive awaited it.
bool isAutoDetectionReply(std::string_view buffer);

// The dispatch's other tests read the incremental ReceiveBuffer; their plain forms, which the
// fuzz oracle and the tests compare it with, are in core/replies_reference.h.

// ---- The receive buffer ----------------------------------------------------------------------

// The window's RxBuffer. Keeps at most kMaxReceiveBuffer characters (the newest) and remembers
// how far each marker has been searched, so that a buffer growing piece by piece is scanned
// once in total rather than once per piece.
class ReceiveBuffer {
public:
    // Serial: appends a received piece, then drops the oldest characters beyond the limit.
    void append(std::string_view piece);
    // UDP: replaces the content by a datagram (also limited to the newest kMaxReceiveBuffer).
    void assign(std::string_view datagram);
    void clear();

    std::string_view view() const;
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return data_.size() - head_; }
    bool empty() const { return size() == 0; }

    // Position of the first occurrence of the marker in view(), or std::string_view::npos.
    std::size_t find(Marker m) const;
    bool contains(Marker m) const { return find(m) != std::string_view::npos; }
    // locateFrame(view()), incrementally.
    FrameStart frame() const;
    // locateStreamStatus(view()), incrementally.
    StatusStart streamStatus() const;

private:
    struct Scan {
        std::uint64_t found = kNone; // absolute position of the first occurrence
        std::uint64_t from = 0;      // absolute position where the search goes on
        int length = 0;              // frame scan only
    };
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};

    void resetScans();
    std::uint64_t liveStart() const { return dropped_; }

    std::string data_;
    std::size_t head_ = 0;      // data_[head_..] is the content; older bytes await compaction
    std::uint64_t dropped_ = 0; // characters dropped from the front since the last clear()
    mutable std::array<Scan, kMarkerCount> scans_{};
    mutable Scan frameScan_{};
    mutable Scan statusScan_{}; // `from`: the first "991177" not yet known to be cut short
};

// ---- Dispatch --------------------------------------------------------------------------------

enum class Transport { Serial, Udp };

// The tests of the dispatch, in their order. The UDP dispatch has no ProbeAnswer step: the UDP
// probe reads its answer itself.
enum class Step {
    None = 0,
    StreamStatus = 1,    // "991177"; serial: only with a status character (locateStreamStatus)
    ProbeAnswer = 2,     // "B74D" (serial only)
    OperatorText = 3,    // "A7" and "AA"
    Assembly = 4,        // "A8" and "GG"
    AutoDetection = 5,   // "2288" and "%" while a keep-alive is pending
    ReplyFrame = 6,      // findCom / uFindCom
    Acknowledgement = 7, // "55"; serial: not when the first "55" lies inside a configuration
                         // reply that is still arriving (mayBecomeConfigurationReply)
};

// Window state the dispatch reads.
struct DispatchFlags {
    bool keepAlivePending = false; // KeepAlivePending
    bool serialPortOpen = false;   // the serial port is open (step 6 then enables Timer1)
};

// One thing the window must do. `text` is used by the kinds that say so.
struct Effect {
    enum class Kind {
        SetPanel9,             // Panel9 text = text: the board refused to start a stream
        SetReplySeen,          // set ReplySeen
        ShowMessage,           // modal message box (no title of its own, one OK, plain text)
        FindAssem,             // FindAssem(text)
        ShowConnected,         // ConNot = "Connected" in red
        DecodeAutRes,          // DecodeAutRes(text): text is the whole buffer
        ClearKeepAlivePending, // clear KeepAlivePending
        SetRxFrame,            // RxFrame = text
        DecodeConf,            // Decode_Conf(text): text equals the RxFrame just set
        ShowReady,             // set AckReceived, make RDS visible and repaint it
        EnableTimer1,          // enable the keep-alive timer
    };
    Kind kind;
    std::string text;

    bool operator==(const Effect&) const = default;
};

struct DispatchOutcome {
    Step fired = Step::None;     // the step that fired; None: nothing fired, buffer untouched
    std::vector<Effect> effects; // to be applied in this order
    Step resumeAt = Step::None;  // see dispatchStep
};

// Runs the dispatch tests from step `from` on, up to and including the first test that fires.
//
// Contract:
//  - When a test fires, the buffer has already been emptied on return, and `effects` lists
//    everything the window must do for it, in order. Texts are copies.
//  - Some effects run window code that may receive more replies meanwhile: the modal message box
//    keeps the event loop running, and decoding may send commands (over UDP a send dispatches
//    its reply at once). Those nested dispatches work on the same, already emptied, buffer.
//  - After applying all effects, the window calls dispatchStep again with `from = resumeAt`,
//    fresh flags and the buffer as it then is; it stops when resumeAt is None. The
//    interrupted dispatch thereby continues on whatever the buffer then holds.
//  - When nothing fires, fired and resumeAt are None, there are no effects and the buffer keeps
//    its text.
DispatchOutcome dispatchStep(ReceiveBuffer& rx, Transport transport, const DispatchFlags& flags,
                             Step from = Step::StreamStatus);

// The whole dispatch: dispatchStep in a loop, reading the flags before each step and applying
// each effect through `apply` (which may block, e.g. in a message box, and may feed `rx`).
void dispatch(ReceiveBuffer& rx, Transport transport, const std::function<DispatchFlags()>& flags,
              const std::function<void(const Effect&)>& apply);
// The same, telling `fired` of each step that fired, before its effects are applied (the link
// monitor names what was recognised in a piece this way).
void dispatch(ReceiveBuffer& rx, Transport transport, const std::function<DispatchFlags()>& flags,
              const std::function<void(const Effect&)>& apply,
              const std::function<void(const DispatchOutcome&)>& fired);

} // namespace corvane::replies
