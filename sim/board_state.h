// The stand-in board's core: command frame parsing, board state and reply building.
// No I/O here; the links (links.h) feed it one command line at a time and send what it returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane_board {

// Board variant: the full board or the small board with two plug-in module slots.
enum class Variant { Full, Lumo };

// Input module of one channel; the value is the digit of the assembly reply.
enum class Module { None = 0, Sdi = 1, Hdmi = 2, Analog = 3 };

// Client connection state reported after the "%" of the auto-detection reply.
enum class ClientState { Connected, Disconnected, Unknown };

// Number of fields of the configuration reply.
constexpr int kConfigFieldCount = 50;

// Longest text the board stores for one configuration field; keeps the configuration
// reply's length within its three digits.
constexpr std::size_t kMaxFieldText = 16;

// Longest command line kept while waiting for its CR; longer lines are dropped.
constexpr std::size_t kMaxLine = 4096;

// The five characters the board puts in front of its static IP in field 9.
inline constexpr std::string_view kIpFieldPrefix = "IPST:";

// Fault rehearsal settings that the core itself acts on.
struct Faults {
    bool silent = false; // answer nothing, change nothing
    int startError = 0;  // 0 none, 11 or 12: "05" fails on that stream
    bool strict = false; // frames that break the length rules or carry bad values get no answer
};

// Everything the board knows about itself.
struct BoardState {
    Variant variant = Variant::Full;
    Module module11 = Module::Sdi;
    Module module12 = Module::Analog;
    // Configuration fields 1 to 50 (index 0 is field 1). Field 9 holds the bare address;
    // the reply adds kIpFieldPrefix. Fields 12 and 13 hold the input code as hex text.
    std::array<std::string, kConfigFieldCount> config;
    bool streaming = false; // after "05" until "06"; the configuration reply's field 18 says 2
    bool recording = false;
    bool rtp11Running = false;
    bool rtp12Running = false;
    std::string relayMode;          // "", "TCPRS" or "UDPRS" after codes 85 / 90
    bool fecErrorInsertion = false; // code 88
    std::string fecErrorL;
    char controlInterface = '0'; // code 35: '1' RS232, '0' UDP
    // The format detected on each channel (two hex digits) when fixed by --detected; empty: the
    // format of the configured sensor input (detectedFor).
    std::string detected11;
    std::string detected12;
    ClientState client = ClientState::Connected;
    std::string firmware; // operator text answered to "44", without "A7"/"AA"
    int exitRequests = 0; // code 04 received
    int reboots = 0;      // code 75 received

    // Field n (1-based).
    const std::string& field(int n) const { return config.at(static_cast<std::size_t>(n - 1)); }
    std::string& field(int n) { return config.at(static_cast<std::size_t>(n - 1)); }
};

// A command frame split into its parts. `line` is what came before the CR.
struct ParsedFrame {
    enum class Status {
        Ok,       // "A5", two length digits, two code digits, value
        Empty,    // nothing at all
        NoStart,  // no "A5" followed by four digits anywhere in the line
        Truncated // "A5" found but the line ends before the four digits
    };
    Status status = Status::Empty;
    std::size_t skipped = 0; // characters before the "A5" (line noise)
    int declaredLength = 0;  // the two length digits
    std::string code;        // two digits
    std::string value;       // everything after the code
};

ParsedFrame parseFrame(std::string_view line);

// The length digits a correct sender writes for this code and value, by the length rules
// and their exceptions (addresses, gateway, RTP destinations, FEC).
int expectedLength(std::string_view code, std::string_view value);

// True for every code of the command catalogue.
bool isKnownCode(std::string_view code);

// The result of one command frame.
struct Outcome {
    std::optional<std::string> reply; // nothing: the board stays silent
    std::string note;                 // what the trace adds after the frame
};

// Default configuration fields for a board of this variant with these modules.
std::array<std::string, kConfigFieldCount> defaultConfig(Variant variant, Module m11, Module m12);

// The format (two hex digits) the auto-detection reply names for a configured sensor input (the
// input code text of fields 12 and 13) on a channel with this module: a code the control
// program reads back as that same input, so the keep-alive leaves the operator's choice alone.
// "FF", a format no input list names, for an input the detection cannot tell (the BAR inputs,
// HD SDI 1080P50, HDMI 720P30, HDMI on the full board).
std::string detectedFor(Variant variant, Module module, std::string_view inputCode);

// What configuration field n (1-based) holds ("stream 11 bit rate").
std::string_view fieldName(int n);

// The fifty configuration fields as readable lines, "3 stream 11 bit rate: 4000", one per field.
std::string configText(const std::array<std::string, kConfigFieldCount>& config);

// The board's configuration and state as readable lines, for an operator who wants to see what a
// save did: the variant and modules, configText, then what the board runs.
std::string stateText(const BoardState& state);

// The fifty fields of a configuration reply ("A3" LLL "08" fields "$" ... CR), field 9 without
// its "IPST:"; nothing when the text is no configuration reply.
std::optional<std::array<std::string, kConfigFieldCount>> parseConfigReply(std::string_view reply);

class Board {
public:
    Board();
    explicit Board(BoardState initial, Faults faults = {});

    // Handles one command line (the text before CR, without it).
    Outcome handleLine(std::string_view line);

    const BoardState& state() const { return state_; }
    BoardState& state() { return state_; }
    const Faults& faults() const { return faults_; }
    Faults& faults() { return faults_; }

    // The replies, as the board writes them.
    std::string configReply() const;
    std::string autoDetectReply() const;
    std::string assemblyReply() const;
    std::string firmwareReply() const;

private:
    // Applies a set command; returns an empty text when accepted, else why not.
    std::string apply(const std::string& code, const std::string& value);

    BoardState state_;
    Faults faults_;
};

// A state with the defaults for the given variant and modules.
BoardState makeState(Variant variant, Module m11, Module m12);

// Reassembles serial bytes into command lines ended by CR.
class LineSplitter {
public:
    struct Item {
        std::string line;      // without the CR
        bool overlong = false; // the line grew past kMaxLine and was dropped
        std::size_t droppedChars = 0;
    };

    explicit LineSplitter(std::size_t maxLine = kMaxLine) : maxLine_(maxLine) {}
    std::vector<Item> feed(std::string_view bytes);
    std::size_t pending() const { return buffer_.size(); }

private:
    std::size_t maxLine_;
    std::string buffer_;
    bool discarding_ = false; // inside an overlong line, until its CR
    std::size_t discarded_ = 0;
};

// Shows bytes on one printable line: CR as <CR>, LF as <LF>, code 0 as <NUL>, other
// non-printing bytes as <xNN>.
std::string printable(std::string_view bytes);

// Cuts a reply into pieces of at most n characters (n 0: one piece).
std::vector<std::string> splitPieces(std::string_view reply, std::size_t n);

// Line noise: a short run of lower-case letters and non-printing bytes that can never
// form or complete a reply marker. `seed` advances with each call.
std::string noiseText(std::uint32_t& seed);

// Module names as on the command line ("SDI", "Analog", "HDMI", "None"), case-insensitive.
std::optional<Module> moduleFromName(std::string_view name);
std::string_view moduleName(Module module);

} // namespace corvane_board
