// Serial port settings and the two small settings files that hold the link settings.
//
// conf.ini keeps the serial settings in the section "ComPort1"; udpf.ini keeps the UDP addresses
// as three lines. Everything here works on texts and values only; the window reads and writes the
// files and hands their bytes in and out.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::settings {

// ---- Serial settings -------------------------------------------------------------------------

// Each enumeration is the position of its text in the list below (the settings dialog's lists).
enum class BaudRate {
    Custom,
    B110,
    B300,
    B600,
    B1200,
    B2400,
    B4800,
    B9600,
    B14400,
    B19200,
    B38400,
    B56000,
    B57600,
    B115200,
    B128000,
    B256000,
};
enum class DataBits { Five, Six, Seven, Eight };
enum class StopBits { One, OnePointFive, Two };
enum class Parity { None, Odd, Even, Mark, Space };
enum class FlowControl { Hardware, Software, None, Custom };

inline constexpr std::array<std::string_view, 16> kBaudRateTexts{
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
inline constexpr std::array<std::string_view, 4> kDataBitsTexts{"5", "6", "7", "8"};
inline constexpr std::array<std::string_view, 3> kStopBitsTexts{"1", "1.5", "2"};
inline constexpr std::array<std::string_view, 5> kParityTexts{"None", "Odd", "Even", "Mark",
                                                              "Space"};
inline constexpr std::array<std::string_view, 4> kFlowControlTexts{"Hardware", "Software", "None",
                                                                   "Custom"};

// How the RTS line is driven.
enum class RtsControl { Disable, Enable, Handshake };

// The port's individual flow settings. The flow control choice is derived from them
// (flowControlOf); "Custom" is any mix that is none of the three named ones.
struct FlowSettings {
    RtsControl rts = RtsControl::Disable;
    bool ctsOutputFlow = false; // output waits for CTS
    bool xonXoffOut = false;    // output obeys XON/XOFF
    bool xonXoffIn = false;     // input sends XON/XOFF

    friend bool operator==(const FlowSettings&, const FlowSettings&) = default;
};

// The settings of the serial port object. Defaults: "COM1", 115200, 8 data bits, no parity,
// 1 stop bit, no flow control.
struct SerialSettings {
    std::string portName = "COM1";
    BaudRate baudRate = BaudRate::B115200;
    int customBaud = 9600; // the rate in use when baudRate is Custom
    DataBits dataBits = DataBits::Eight;
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    FlowSettings flow;

    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

// Texts of a value, exactly as in the lists above.
std::string_view toText(BaudRate v);
std::string_view toText(DataBits v);
std::string_view toText(StopBits v);
std::string_view toText(Parity v);
std::string_view toText(FlowControl v);

// Text to value, ASCII case ignored, whole text compared. A text that matches no item of the list
// gives the fallback: 9600 baud, 8 data bits, 1 stop bit, no parity, flow control Custom.
BaudRate baudRateFromText(std::string_view text);
DataBits dataBitsFromText(std::string_view text);
StopBits stopBitsFromText(std::string_view text);
Parity parityFromText(std::string_view text);
FlowControl flowControlFromText(std::string_view text);

// The rate in bits per second: the list value, or customBaud when Custom.
int baudValue(const SerialSettings& s);
// 5 to 8.
int dataBitsValue(DataBits v);

// The flow control that the individual settings amount to.
FlowControl flowControlOf(const FlowSettings& f);
// Hardware: RTS handshake and CTS output flow, XON/XOFF off. Software: XON/XOFF both ways, RTS
// disabled, CTS flow off. None: everything off, RTS disabled. Custom: leaves f as it is.
void applyFlowControl(FlowSettings& f, FlowControl fc);

// The status line while the port is open, e.g. "RS232 Connected to :COM1  115200,8,N,1".
// A custom rate shows as "Brc".
std::string statusText(const SerialSettings& s);

// ---- INI text --------------------------------------------------------------------------------

// An INI text kept line by line, so that writing it back changes only what was set. Lines that
// are neither a section header nor a key line (comments, blank lines, garbage) are kept as they
// are. Section and key names compare without regard to ASCII case; keys and values are trimmed of
// spaces and tabs. With repeated sections or keys the first one counts.
class IniDocument {
public:
    IniDocument() = default;
    // Lines may end with CR LF or LF alone; any byte is accepted.
    static IniDocument parse(std::string_view text);

    // Whether the section holds the key, and its value ("" when missing).
    bool has(std::string_view section, std::string_view key) const;
    std::string value(std::string_view section, std::string_view key) const;

    // Section names in file order (first occurrence of each, as written).
    std::vector<std::string> sections() const;
    // Keys of a section in file order (first section of that name).
    std::vector<std::string> keys(std::string_view section) const;

    // Sets a key: an existing key line is replaced in place; a new key goes after the section's
    // last key line; a missing section is added at the end. CR and LF are removed from key and
    // value so that a value can never add lines to the file.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // The whole text, every line ended by CR LF.
    std::string toText() const;

private:
    struct Line {
        enum Kind { Other, Section, Key } kind = Other;
        std::string raw;  // the line as read (without its line end), or as built
        std::string name; // section name or key, trimmed
        std::string value;
    };
    // Index of the first header line of the section, or -1.
    int findSection(std::string_view section) const;
    // Index of the first key line in the section starting at header index h, or -1.
    int findKey(int h, std::string_view key) const;
    // One past the last line of the section starting at header index h.
    int sectionEnd(int h) const;

    std::vector<Line> lines_;
};

// ---- conf.ini --------------------------------------------------------------------------------

inline constexpr std::string_view kConfSection = "ComPort1";

// Applies the keys of section "ComPort1" found in the text to the settings. A missing key leaves
// its setting unchanged; "Port" is taken as it is, also when empty; "CustomBaudRate" is read only
// when "BaudRate" is "Custom" and gives 9600 when missing or not a positive decimal integer; flow
// control "Custom" leaves the individual flow settings alone.
void applyConfIni(std::string_view fileText, SerialSettings& s);

// The file after storing the settings into section "ComPort1" of the existing text (empty for a
// new file): keys Port, BaudRate, CustomBaudRate (only when Custom), StopBits, DataBits, Parity,
// FlowControl. Other sections and keys stay; every line ends with CR LF.
std::string writeConfIni(std::string_view existingText, const SerialSettings& s);

// ---- udpf.ini --------------------------------------------------------------------------------

struct UdpSettings {
    std::string myIp;       // line 1, the PC's own address
    std::string boardIp;    // line 2, the board's address
    std::string sourcePort; // line 3, the local UDP port as text

    friend bool operator==(const UdpSettings&, const UdpSettings&) = default;
};

// Lines end with CR LF or LF; lines are taken whole, without trimming; a missing line is empty.
UdpSettings parseUdpIni(std::string_view fileText);
// Three lines, each ended by CR LF. CR and LF inside a text are dropped.
std::string writeUdpIni(const UdpSettings& u);

// The UDP link as the UDP dialog's four edits give it.
struct UdpEndpointTexts {
    std::string myIp;       // this computer's address; empty: any
    std::string boardIp;    // the board's address or name
    std::string sourcePort; // the local port
    std::string boardPort;  // the board's port
};

// The ports converted; error holds the operator's message when a port is not a number from 0
// to 65535 ("'<text>' is not a valid integer value" for a text that is no integer at all).
struct UdpEndpoint {
    std::string myIp;
    std::string boardIp;
    int sourcePort = 0;
    int boardPort = 0;
    std::string error;
};
UdpEndpoint parseEndpoint(const UdpEndpointTexts& texts);

// Splits a text into lines at LF, dropping one CR before each LF (and a CR ending the text).
// A final line end does not start another line; "" gives no lines.
std::vector<std::string> splitLines(std::string_view text);

} // namespace corvane::settings
