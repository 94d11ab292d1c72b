#include "board_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <utility>

namespace corvane_board {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view s, std::size_t minLen, std::size_t maxLen) {
    if (s.size() < minLen || s.size() > maxLen)
        return false;
    return std::all_of(s.begin(), s.end(), isDigit);
}

// A text the board stores in a configuration field: printable ASCII, no "$" (the field
// separator of the configuration reply), at most kMaxFieldText characters. Empty is allowed.
bool isFieldText(std::string_view s) {
    if (s.size() > kMaxFieldText)
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u < 0x7f && c != '$';
    });
}

bool isOneOf(std::string_view s, std::string_view choices) {
    return s.size() == 1 && choices.find(s[0]) != std::string_view::npos;
}

// Input character of the input commands to the input code text of the configuration reply.
std::optional<std::string> inputCodeText(std::string_view value) {
    if (value.size() != 1)
        return std::nullopt;
    const char c = value[0];
    if (isDigit(c))
        return std::string(1, c);
    switch (c) {
    case 'A':
        return "17"; // Analog PAL BAR
    case 'B':
        return "18"; // Analog NTSC BAR
    case 'C':
        return "19"; // No Sensor
    case 'D':
        return "20"; // HD SDI 1080P50
    default:
        return std::nullopt;
    }
}

// Resolution list position (1-based digit of codes 69 and 70) to width and height.
std::optional<std::pair<std::string, std::string>> resolutionAt(std::string_view value) {
    static const std::pair<const char*, const char*> table[] = {
        {"1920", "1080"}, {"1280", "720"}, {"720", "576"}, {"720", "500"}, {"640", "480"},
        {"320", "240"},   {"192", "144"},  {"704", "576"}, {"448", "336"},
    };
    if (value.size() != 1 || value[0] < '1' || value[0] > '9')
        return std::nullopt;
    const auto& entry = table[value[0] - '1'];
    return std::make_pair(std::string(entry.first), std::string(entry.second));
}

std::string inputCodeFor(Module module) {
    switch (module) {
    case Module::Sdi:
        return "1"; // HD SDI 1080P30
    case Module::Analog:
        return "4"; // Analog PAL 576P50
    case Module::Hdmi:
        return "7"; // HDMI 1080P30
    case Module::None:
        break;
    }
    return "19"; // No Sensor
}

// Splits the value of an FEC-on command, "E" + L + "L" + D + "D" + "%%%%%%".
struct FecValue {
    std::string l;
    std::string d;
    std::string tail;
};

std::optional<FecValue> splitFec(std::string_view value) {
    if (value.empty() || value[0] != 'E')
        return std::nullopt;
    const auto lPos = value.find('L', 1);
    if (lPos == std::string_view::npos)
        return std::nullopt;
    const auto dPos = value.find('D', lPos + 1);
    if (dPos == std::string_view::npos)
        return std::nullopt;
    return FecValue{std::string(value.substr(1, lPos - 1)),
                    std::string(value.substr(lPos + 1, dPos - lPos - 1)),
                    std::string(value.substr(dPos + 1))};
}

// Splits the value of an RTP destination command: "U"/"M", the count of the port's
// characters (one digit), the port, the multicast IP, "$", the destination IP, then
// code 0, " *", code 0.
struct RtpValue {
    std::string session;
    std::string port;
    std::string multicast;
    std::string destination;
};

std::optional<RtpValue> splitRtp(std::string_view value) {
    if (value.size() < 2 || (value[0] != 'U' && value[0] != 'M') || !isDigit(value[1]))
        return std::nullopt;
    const std::size_t portLen = static_cast<std::size_t>(value[1] - '0');
    if (value.size() < 2 + portLen)
        return std::nullopt;
    RtpValue rtp;
    rtp.session = std::string(1, value[0]);
    rtp.port = std::string(value.substr(2, portLen));
    std::string_view rest = value.substr(2 + portLen);
    const auto dollar = rest.find('$');
    if (dollar == std::string_view::npos)
        return std::nullopt;
    rtp.multicast = std::string(rest.substr(0, dollar));
    rest = rest.substr(dollar + 1);
    const auto nul = rest.find('\0');
    rtp.destination = std::string(rest.substr(0, nul));
    if (!allDigits(rtp.port, 0, 5) || !isFieldText(rtp.multicast) || !isFieldText(rtp.destination))
        return std::nullopt;
    return rtp;
}

// Codes that carry no value.
bool takesNoValue(std::string_view code) {
    static const std::string_view codes[] = {"04", "05", "06", "08", "24", "25", "26", "30",
                                             "44", "75", "76", "80", "84", "85", "90"};
    return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

// Set commands whose value is a decimal number stored in one configuration field.
const std::map<std::string, int>& numericFields() {
    static const std::map<std::string, int> map = {
        {"10", 1},  {"11", 2},  {"12", 5},  {"14", 6},  {"15", 4},  {"16", 3},  {"17", 10},
        {"20", 8},  {"21", 7},  {"22", 11}, {"36", 4},  {"37", 3},  {"38", 10}, {"39", 8},
        {"40", 7},  {"41", 11}, {"50", 21}, {"51", 22}, {"52", 24}, {"53", 23}, {"54", 25},
        {"60", 26}, {"61", 27}, {"62", 29}, {"63", 28}, {"64", 30}, {"72", 34},
    };
    return map;
}

// Set commands whose value is an address text stored in one configuration field.
const std::map<std::string, int>& textFields() {
    static const std::map<std::string, int> map = {{"23", 9}, {"42", 33}, {"91", 41}, {"93", 50}};
    return map;
}

// Set commands whose one-character value is stored unchanged in one field.
struct ChoiceField {
    int field;
    std::string_view choices;
};

const std::map<std::string, ChoiceField>& choiceFields() {
    static const std::map<std::string, ChoiceField> map = {
        {"32", {14, "12"}}, {"33", {15, "12"}},   {"34", {18, "12"}},  {"45", {31, "123"}},
        {"73", {32, "12"}}, {"81", {49, "SABR"}}, {"86", {42, "012"}}, {"92", {43, "YN"}},
    };
    return map;
}

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

} // namespace

ParsedFrame parseFrame(std::string_view line) {
    ParsedFrame frame;
    if (line.empty())
        return frame;
    // The frame starts at the first "A5" that is followed by four digits; anything before
    // it is line noise.
    std::size_t from = 0;
    bool sawStart = false;
    while (true) {
        const auto pos = line.find("A5", from);
        if (pos == std::string_view::npos)
            break;
        sawStart = true;
        if (pos + 6 <= line.size() && isDigit(line[pos + 2]) && isDigit(line[pos + 3]) &&
            isDigit(line[pos + 4]) && isDigit(line[pos + 5])) {
            frame.status = ParsedFrame::Status::Ok;
            frame.skipped = pos;
            frame.declaredLength = (line[pos + 2] - '0') * 10 + (line[pos + 3] - '0');
            frame.code = std::string(line.substr(pos + 4, 2));
            frame.value = std::string(line.substr(pos + 6));
            return frame;
        }
        from = pos + 1;
    }
    // An "A5" near the end whose following characters are all digits is a frame cut short.
    frame.status = ParsedFrame::Status::NoStart;
    if (sawStart) {
        const std::string_view tail = line.substr(line.rfind("A5") + 2);
        if (tail.size() < 4 && std::all_of(tail.begin(), tail.end(), isDigit))
            frame.status = ParsedFrame::Status::Truncated;
    }
    return frame;
}

int expectedLength(std::string_view code, std::string_view value) {
    const int normal = static_cast<int>(code.size() + value.size());
    if (code == "23" || code == "91" || code == "93")
        return static_cast<int>(value.size());
    if (code == "42")
        return 17;
    if (code == "82" || code == "83")
        return 31;
    if (code == "87") {
        if (const auto fec = splitFec(value))
            return 5 + static_cast<int>(fec->l.size() + fec->d.size());
        return normal;
    }
    if (code == "88" && !value.empty() && value[0] == 'Y')
        return 3;
    return normal;
}

bool isKnownCode(std::string_view code) {
    if (takesNoValue(code))
        return true;
    const std::string key(code);
    if (numericFields().count(key) || textFields().count(key) || choiceFields().count(key))
        return true;
    static const std::string_view others[] = {"27", "28", "29", "35", "43", "46",
                                              "69", "70", "82", "83", "87", "88"};
    return std::find(std::begin(others), std::end(others), code) != std::end(others);
}

std::array<std::string, kConfigFieldCount> defaultConfig(Variant variant, Module m11, Module m12) {
    (void)variant;
    return {
        "1920",            // 1 stream 11 width
        "1080",            // 2 stream 11 height
        "4000",            // 3 stream 11 bit rate
        "30",              // 4 stream 11 GOP
        "720",             // 5 stream 12 width
        "576",             // 6 stream 12 height
        "1500",            // 7 stream 12 bit rate
        "25",              // 8 stream 12 GOP
        "192.168.0.245",   // 9 static IP (the reply puts kIpFieldPrefix in front)
        "30",              // 10 stream 11 frame rate
        "25",              // 11 stream 12 frame rate
        inputCodeFor(m11), // 12 sensor 1 input code
        inputCodeFor(m12), // 13 sensor 2 input code
        "1",               // 14 stream 11 H.264
        "1",               // 15 stream 12 H.264
        "1",               // 16 stream 11 CBR
        "1",               // 17 stream 12 CBR
        "1",               // 18 no automatic start
        "0",               // 19 stream 11 audio off
        "0",               // 20 stream 12 audio off
        "1920",            // 21 recording 11 width
        "1080",            // 22 recording 11 height
        "8000",            // 23 recording 11 bit rate
        "30",              // 24 recording 11 GOP
        "30",              // 25 recording 11 frame rate
        "720",             // 26 recording 12 width
        "576",             // 27 recording 12 height
        "3000",            // 28 recording 12 bit rate
        "25",              // 29 recording 12 GOP
        "25",              // 30 recording 12 frame rate
        "1",               // 31 record stream 11
        "1",               // 32 input auto-detection on
        "192.168.0.254",   // 33 gateway
        "1500",            // 34 MTU
        "192.168.0.100",   // 35 RTP 11 destination
        "192.168.0.100",   // 36 RTP 12 destination
        "5004",            // 37 RTP 11 port
        "5006",            // 38 RTP 12 port
        "239.1.1.11",      // 39 RTP 11 multicast
        "239.1.1.12",      // 40 RTP 12 multicast
        "192.168.0.100",   // 41 UDPRS destination
        "0",               // 42 no camera
        "N",               // 43 UDPRS off
        "D",               // 44 FEC off
        "4",               // 45 FEC L
        "4",               // 46 FEC D
        "U",               // 47 RTP 11 unicast
        "U",               // 48 RTP 12 unicast
        "S",               // 49 RTSP
        "255.255.255.0",   // 50 subnet mask
    };
}

std::string detectedFor(Variant variant, Module module, std::string_view inputCode) {
    // The control program reads channel formats through its HD SDI, HDMI and analog tables
    // (the analog one last); each code here names the input in the table of its kind and
    // nothing, or the same input, in the others.
    static const std::pair<std::string_view, std::string_view> table[] = {
        {"0", "2B"}, // HD SDI 1080P60
        {"1", "0A"}, // HD SDI 1080P30
        {"2", "20"}, // HD SDI 720P60
        {"3", "03"}, // HD SDI 720P30
        {"4", "01"}, // Analog PAL 576P50
        {"5", "02"}, // Analog NTSC 480P60
        {"6", "01"}, // HDMI 1080P60
        {"7", "02"}, // HDMI 1080P30
        {"8", "03"}, // HDMI 720P60
    };
    if (inputCode == "19") // No Sensor: in the HD SDI table 1D, in the others 00
        return module == Module::Sdi ? "1D" : "00";
    const bool hdmi = inputCode == "6" || inputCode == "7" || inputCode == "8";
    if (hdmi && variant == Variant::Full)
        return "FF";
    for (const auto& [code, format] : table)
        if (code == inputCode)
            return std::string(format);
    return "FF";
}

namespace {

// What each configuration field holds, in the order of the configuration reply.
constexpr std::array<std::string_view, kConfigFieldCount> kFieldNames = {
    "stream 11 picture width",
    "stream 11 picture height",
    "stream 11 bit rate",
    "stream 11 GOP",
    "stream 12 picture width",
    "stream 12 picture height",
    "stream 12 bit rate",
    "stream 12 GOP",
    "static IP address",
    "stream 11 frame rate",
    "stream 12 frame rate",
    "sensor 1 input code",
    "sensor 2 input code",
    "stream 11 encoder format (1 H.264, 2 H.265)",
    "stream 12 encoder format (1 H.264, 2 H.265)",
    "stream 11 rate control (1 CBR, 2 VBR)",
    "stream 12 rate control (1 CBR, 2 VBR)",
    "auto-start (1 off, 2 on)",
    "stream 11 audio",
    "stream 12 audio",
    "recording 11 width",
    "recording 11 height",
    "recording 11 bit rate",
    "recording 11 GOP",
    "recording 11 frame rate",
    "recording 12 width",
    "recording 12 height",
    "recording 12 bit rate",
    "recording 12 GOP",
    "recording 12 frame rate",
    "recording selection (1 stream 11, 2 stream 12, 3 both)",
    "input auto-detection (1 on, 2 off)",
    "gateway",
    "MTU",
    "RTP 11 destination",
    "RTP 12 destination",
    "RTP 11 port",
    "RTP 12 port",
    "RTP 11 multicast address",
    "RTP 12 multicast address",
    "UDPRS destination",
    "camera type (0 none, 1 fixed, 2 moving)",
    "UDPRS flag",
    "FEC (E on, D off)",
    "FEC L",
    "FEC D",
    "RTP 11 session (U unicast, M multicast)",
    "RTP 12 session (U unicast, M multicast)",
    "streaming mode letter",
    "subnet mask",
};

std::string_view variantName(Variant v) {
    return v == Variant::Full ? "full" : "lumo";
}

} // namespace

std::string_view fieldName(int n) {
    return n >= 1 && n <= kConfigFieldCount ? kFieldNames[std::size_t(n - 1)] : "";
}

std::string configText(const std::array<std::string, kConfigFieldCount>& config) {
    std::string out;
    for (int n = 1; n <= kConfigFieldCount; ++n)
        out += std::to_string(n) + " " + std::string(fieldName(n)) + ": " +
               printable(config[std::size_t(n - 1)]) + "\n";
    return out;
}

std::optional<std::array<std::string, kConfigFieldCount>> parseConfigReply(std::string_view reply) {
    const auto start = reply.find("A3");
    if (start == std::string_view::npos || reply.size() < start + 7 ||
        reply.substr(start + 5, 2) != "08")
        return std::nullopt;
    std::string_view rest = reply.substr(start + 7);
    std::array<std::string, kConfigFieldCount> fields;
    for (auto& field : fields) {
        const auto dollar = rest.find('$');
        if (dollar == std::string_view::npos)
            return std::nullopt;
        field = std::string(rest.substr(0, dollar));
        rest.remove_prefix(dollar + 1);
    }
    if (fields[8].rfind(kIpFieldPrefix, 0) == 0)
        fields[8].erase(0, kIpFieldPrefix.size());
    return fields;
}

std::string stateText(const BoardState& s) {
    std::string out;
    auto line = [&out](std::string_view name, std::string_view value) {
        out += name;
        out += ": ";
        out += printable(value);
        out += '\n';
    };
    line("variant", variantName(s.variant));
    line("modules",
         std::string(moduleName(s.module11)) + "," + std::string(moduleName(s.module12)));
    out += configText(s.config);
    line("streaming", s.streaming ? "yes" : "no");
    line("recording", s.recording ? "yes" : "no");
    line("RTP 11 running", s.rtp11Running ? "yes" : "no");
    line("RTP 12 running", s.rtp12Running ? "yes" : "no");
    line("relay mode", s.relayMode.empty() ? "none" : s.relayMode);
    line("FEC error insertion", s.fecErrorInsertion ? "on, L " + s.fecErrorL : "off");
    line("control interface", s.controlInterface == '1' ? "RS232" : "UDP");
    line("auto-detection formats",
         (s.detected11.empty() ? detectedFor(s.variant, s.module11, s.field(12)) : s.detected11) +
             "," +
             (s.detected12.empty() ? detectedFor(s.variant, s.module12, s.field(13))
                                   : s.detected12));
    line("exit requests", std::to_string(s.exitRequests));
    line("reboots", std::to_string(s.reboots));
    return out;
}

BoardState makeState(Variant variant, Module m11, Module m12) {
    BoardState s;
    s.variant = variant;
    s.module11 = m11;
    s.module12 = m12;
    s.config = defaultConfig(variant, m11, m12);
    s.firmware =
        variant == Variant::Full ? " Corvane firmware 2.3.1 " : " Corvane Lumo firmware 2.3.1 ";
    return s;
}

Board::Board() : Board(makeState(Variant::Full, Module::Sdi, Module::Analog)) {}

Board::Board(BoardState initial, Faults faults) : state_(std::move(initial)), faults_(faults) {}

std::string Board::configReply() const {
    std::string body = "08";
    for (int n = 1; n <= kConfigFieldCount; ++n) {
        if (n == 9)
            body += kIpFieldPrefix;
        // A running stream shows in the auto-start field as "2", whatever auto start is set
        // to; once the stream stops, the field shows the setting again.
        body += n == 18 && state_.streaming ? std::string("2") : state_.field(n);
        body += '$';
    }
    // "A3" + three digits + body + the final CR; the digits count all of it.
    const std::size_t total = 2 + 3 + body.size() + 1;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03zu", total % 1000);
    return "A3" + std::string(digits) + body + "\r";
}

std::string Board::autoDetectReply() const {
    char status = 'f';
    switch (state_.client) {
    case ClientState::Connected:
        status = '1';
        break;
    case ClientState::Disconnected:
        status = '2';
        break;
    case ClientState::Unknown:
        break;
    }
    const std::string d11 = state_.detected11.empty()
                                ? detectedFor(state_.variant, state_.module11, state_.field(12))
                                : state_.detected11;
    const std::string d12 = state_.detected12.empty()
                                ? detectedFor(state_.variant, state_.module12, state_.field(13))
                                : state_.detected12;
    return "2288" + d11 + "$" + d12 + "$%" + status;
}

std::string Board::assemblyReply() const {
    std::string reply = "A8";
    reply += static_cast<char>('0' + static_cast<int>(state_.module11));
    reply += '-';
    reply += static_cast<char>('0' + static_cast<int>(state_.module12));
    reply += "GG";
    return reply;
}

std::string Board::firmwareReply() const {
    return "A7" + state_.firmware + "AA";
}

std::string Board::apply(const std::string& code, const std::string& value) {
    if (takesNoValue(code)) {
        std::string note = value.empty() ? "" : "unexpected value";
        if (code == "05") {
            if (faults_.startError == 0)
                state_.streaming = true;
        } else if (code == "06") {
            state_.streaming = false;
            state_.recording = false;
            state_.rtp11Running = false;
            state_.rtp12Running = false;
        } else if (code == "04") {
            state_.streaming = false;
            state_.recording = false;
            ++state_.exitRequests;
        } else if (code == "75") {
            ++state_.reboots;
            state_.recording = false;
            state_.rtp11Running = false;
            state_.rtp12Running = false;
            state_.streaming = state_.field(18) == "2";
        } else if (code == "30") {
            state_.config = defaultConfig(state_.variant, state_.module11, state_.module12);
        } else if (code == "80") {
            state_.rtp11Running = true;
        } else if (code == "84") {
            state_.rtp12Running = true;
        } else if (code == "85") {
            state_.relayMode = "TCPRS";
        } else if (code == "90") {
            state_.relayMode = "UDPRS";
        }
        return note;
    }

    if (const auto it = numericFields().find(code); it != numericFields().end()) {
        if (!allDigits(value, 1, 6))
            return "bad number, ignored";
        state_.field(it->second) = value;
        return {};
    }
    if (const auto it = textFields().find(code); it != textFields().end()) {
        if (!isFieldText(value))
            return "bad address text, ignored";
        state_.field(it->second) = value;
        return {};
    }
    if (const auto it = choiceFields().find(code); it != choiceFields().end()) {
        if (!isOneOf(value, it->second.choices))
            return "bad value, ignored";
        state_.field(it->second.field) = value;
        return {};
    }
    if (code == "27" || code == "28") {
        const auto input = inputCodeText(value);
        if (!input)
            return "bad input character, ignored";
        state_.field(code == "27" ? 12 : 13) = *input;
        return {};
    }
    if (code == "29" || code == "43") {
        const std::string_view allowed = code == "29" ? "12" : "01";
        if (value.size() != 2 || allowed.find(value[0]) == std::string_view::npos ||
            allowed.find(value[1]) == std::string_view::npos)
            return "bad value, ignored";
        const int first = code == "29" ? 16 : 19;
        state_.field(first) = value.substr(0, 1);
        state_.field(first + 1) = value.substr(1, 1);
        return {};
    }
    if (code == "35") {
        if (!isOneOf(value, "01"))
            return "bad value, ignored";
        state_.controlInterface = value[0];
        return {};
    }
    if (code == "46") {
        if (!isOneOf(value, "12"))
            return "bad value, ignored";
        state_.recording = value == "1";
        return {};
    }
    if (code == "69" || code == "70") {
        const auto res = resolutionAt(value);
        if (!res)
            return "bad resolution position, ignored";
        const int first = code == "70" ? 1 : 5;
        state_.field(first) = res->first;
        state_.field(first + 1) = res->second;
        return {};
    }
    if (code == "82" || code == "83") {
        const auto rtp = splitRtp(value);
        if (!rtp)
            return "bad RTP destination, ignored";
        const bool s11 = code == "82";
        state_.field(s11 ? 47 : 48) = rtp->session;
        state_.field(s11 ? 37 : 38) = rtp->port;
        state_.field(s11 ? 39 : 40) = rtp->multicast;
        state_.field(s11 ? 35 : 36) = rtp->destination;
        return {};
    }
    if (code == "87") {
        if (value == "D") {
            state_.field(44) = "D";
            return {};
        }
        const auto fec = splitFec(value);
        if (!fec || !allDigits(fec->l, 1, 3) || !allDigits(fec->d, 1, 3))
            return "bad FEC value, ignored";
        state_.field(44) = "E";
        state_.field(45) = fec->l;
        state_.field(46) = fec->d;
        return fec->tail == "%%%%%%" ? "" : "FEC value not followed by six %";
    }
    if (code == "88") {
        if (value == "N") {
            state_.fecErrorInsertion = false;
            return {};
        }
        if (value.empty() || value[0] != 'Y' || !allDigits(value.substr(1), 0, 3))
            return "bad value, ignored";
        state_.fecErrorInsertion = true;
        state_.fecErrorL = value.substr(1);
        return {};
    }
    return "unknown code";
}

Outcome Board::handleLine(std::string_view line) {
    Outcome out;
    const ParsedFrame frame = parseFrame(line);
    switch (frame.status) {
    case ParsedFrame::Status::Empty:
        out.note = "empty line, ignored";
        return out;
    case ParsedFrame::Status::NoStart:
        out.note = "no command frame, ignored";
        return out;
    case ParsedFrame::Status::Truncated:
        out.note = "truncated command frame, ignored";
        return out;
    case ParsedFrame::Status::Ok:
        break;
    }

    std::vector<std::string> notes;
    if (frame.skipped > 0)
        notes.push_back(std::to_string(frame.skipped) + " characters of noise before the frame");
    if (faults_.silent) {
        notes.push_back("silent");
    } else if (!isKnownCode(frame.code)) {
        notes.push_back("unknown code " + frame.code + ", ignored");
    } else {
        bool breach = false;
        const int expected = expectedLength(frame.code, frame.value);
        if (expected != frame.declaredLength) {
            notes.push_back("length " + twoDigits(frame.declaredLength) + ", rules give " +
                            (expected < 100 ? twoDigits(expected) : std::to_string(expected)));
            breach = true;
        }
        // The bare "64" is the probe; with a value it sets recording stream 12's frame rate.
        const bool probe = frame.code == "64" && frame.value.empty();
        if (!(breach && faults_.strict) && !probe) {
            const std::string applyNote = apply(frame.code, frame.value);
            if (!applyNote.empty()) {
                notes.push_back(applyNote);
                breach = true;
            }
        }
        if (breach && faults_.strict) {
            notes.push_back("strict: no answer");
        } else if (probe) {
            out.reply = "B74D";
        } else if (frame.code == "05" && faults_.startError != 0) {
            out.reply = std::string("991177") + (faults_.startError == 12 ? "2" : "1");
        } else if (frame.code == "08") {
            out.reply = configReply();
        } else if (frame.code == "24") {
            out.reply = autoDetectReply();
        } else if (frame.code == "44") {
            out.reply = firmwareReply();
        } else if (frame.code == "76") {
            out.reply = assemblyReply();
        } else {
            out.reply = "55";
        }
    }
    for (std::size_t i = 0; i < notes.size(); ++i)
        out.note += (i ? "; " : "") + notes[i];
    return out;
}

std::vector<LineSplitter::Item> LineSplitter::feed(std::string_view bytes) {
    std::vector<Item> items;
    for (const char c : bytes) {
        if (c == '\r') {
            if (discarding_) {
                discarding_ = false;
                discarded_ = 0;
            } else {
                items.push_back(Item{std::move(buffer_), false, 0});
            }
            buffer_.clear();
            continue;
        }
        if (discarding_) {
            ++discarded_;
            continue;
        }
        buffer_ += c;
        if (buffer_.size() > maxLine_) {
            items.push_back(Item{{}, true, buffer_.size()});
            buffer_.clear();
            discarding_ = true;
            discarded_ = 0;
        }
    }
    return items;
}

std::string printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "<CR>";
        } else if (c == '\n') {
            out += "<LF>";
        } else if (u == 0) {
            out += "<NUL>";
        } else if (u < 0x20 || u >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<x%02X>", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> splitPieces(std::string_view reply, std::size_t n) {
    std::vector<std::string> pieces;
    if (n == 0 || reply.size() <= n) {
        pieces.emplace_back(reply);
        return pieces;
    }
    for (std::size_t i = 0; i < reply.size(); i += n)
        pieces.emplace_back(reply.substr(i, n));
    return pieces;
}

std::string noiseText(std::uint32_t& seed) {
    // Lower-case letters and non-printing bytes only: no digit, capital, "$" or "%", so no
    // marker can form inside the noise or across its edges with a reply.
    static const char alphabet[] = {'q',  'x',  'z',    'j',    'k', 'v', 'w',
                                    '\0', '\n', '\x7f', '\xff', '#', '~'};
    auto next = [&seed]() {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    if (seed == 0)
        seed = 0x9e3779b9u;
    const std::size_t length = 3 + next() % 10;
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += alphabet[next() % sizeof alphabet];
    return text;
}

std::optional<Module> moduleFromName(std::string_view name) {
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "sdi")
        return Module::Sdi;
    if (lower == "analog")
        return Module::Analog;
    if (lower == "hdmi")
        return Module::Hdmi;
    if (lower == "none")
        return Module::None;
    return std::nullopt;
}

std::string_view moduleName(Module module) {
    switch (module) {
    case Module::Sdi:
        return "SDI";
    case Module::Analog:
        return "Analog";
    case Module::Hdmi:
        return "HDMI";
    case Module::None:
        break;
    }
    return "None";
}

} // namespace corvane_board
