#include "core/link_log.h"

#include "core/text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace corvane::linklog {

namespace {

using replies::Effect;
using replies::Step;

struct Command {
    std::string_view code;
    std::string_view name;
};

// Command codes and their names. A code that two commands share is told apart by its value (see
// commandName).
constexpr Command kCatalogue[] = {
    {"04", "exit board application"},
    {"05", "start streaming"},
    {"06", "stop streaming"},
    {"08", "configuration request"},
    {"10", "stream 11 picture width"},
    {"11", "stream 11 picture height"},
    {"12", "stream 12 picture width"},
    {"14", "stream 12 picture height"},
    {"15", "stream 11 GOP"},
    {"16", "stream 11 bit rate"},
    {"17", "stream 11 frame rate"},
    {"20", "stream 12 GOP"},
    {"21", "stream 12 bit rate"},
    {"22", "stream 12 frame rate"},
    {"23", "static IP address"},
    {"24", "keep-alive"},
    {"25", "end of configuration"},
    {"26", "start of configuration read"},
    {"27", "sensor 1 input"},
    {"28", "sensor 2 input"},
    {"29", "rate control"},
    {"30", "create default configuration"},
    {"32", "stream 11 encoder format"},
    {"33", "stream 12 encoder format"},
    {"34", "auto-start"},
    {"35", "control interface"},
    {"36", "stream 11 GOP update"},
    {"37", "stream 11 bit rate update"},
    {"38", "stream 11 frame rate update"},
    {"39", "stream 12 GOP update"},
    {"40", "stream 12 bit rate update"},
    {"41", "stream 12 frame rate update"},
    {"42", "gateway"},
    {"43", "audio"},
    {"44", "firmware version request"},
    {"45", "recording selection"},
    {"46", "recording start or stop"},
    {"50", "stream 11 recording width"},
    {"51", "stream 11 recording height"},
    {"52", "stream 11 recording GOP"},
    {"53", "stream 11 recording bit rate"},
    {"54", "stream 11 recording frame rate"},
    {"60", "stream 12 recording width"},
    {"61", "stream 12 recording height"},
    {"62", "stream 12 recording GOP"},
    {"63", "stream 12 recording bit rate"},
    {"64", "stream 12 recording frame rate"}, // without a value: the board probe
    {"69", "stream 12 resolution update"},
    {"70", "stream 11 resolution update"},
    {"72", "MTU"},
    {"73", "input auto-detection"},
    {"75", "reboot board"},
    {"76", "assembly request"},
    {"80", "start RTP stream 11"},
    {"81", "streaming mode"},
    {"82", "stream 11 RTP destination"},
    {"83", "stream 12 RTP destination"},
    {"84", "start RTP stream 12"},
    {"85", "TCPRS mode"},
    {"86", "camera type"},
    {"87", "FEC"},
    {"88", "FEC error insertion"},
    {"90", "UDPRS mode"},
    {"91", "UDPRS destination"},
    {"92", "UDPRS flag"},
    {"93", "subnet mask"},
};

constexpr std::array<std::string_view, 8> kRecognisedNames{
    "stream status",        "probe answer",        "operator message", "assembly reply",
    "auto-detection reply", "configuration reply", "reply frame",      "acknowledgement",
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty())
        return true;
    const auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                                [](char a, char b) { return lower(a) == lower(b); });
    return it != hay.end();
}

} // namespace

Recognised recognisedOf(const replies::DispatchOutcome& outcome) {
    switch (outcome.fired) {
    case Step::StreamStatus:
        return Recognised::StreamStatus;
    case Step::ProbeAnswer:
        return Recognised::ProbeAnswer;
    case Step::OperatorText:
        return Recognised::OperatorMessage;
    case Step::Assembly:
        return Recognised::AssemblyReply;
    case Step::AutoDetection:
        return Recognised::AutoDetectionReply;
    case Step::ReplyFrame: {
        const bool configuration =
            std::any_of(outcome.effects.begin(), outcome.effects.end(),
                        [](const Effect& e) { return e.kind == Effect::Kind::DecodeConf; });
        return configuration ? Recognised::ConfigurationReply : Recognised::ReplyFrame;
    }
    case Step::Acknowledgement:
    case Step::None:
        break;
    }
    return Recognised::Acknowledgement;
}

std::string_view commandName(std::string_view frame) {
    if (frame.ends_with('\r'))
        frame.remove_suffix(1);
    if (frame.size() < 6 || !frame.starts_with("A5") || !isDigit(frame[2]) || !isDigit(frame[3]))
        return "unknown command";
    const std::string_view code = frame.substr(4, 2);
    const bool hasValue = frame.size() > 6;
    if (code == "64" && !hasValue)
        return "board probe";
    return commandNameOfCode(code);
}

std::string_view commandNameOfCode(std::string_view code) {
    const auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                 [code](const Command& c) { return c.code == code; });
    return it == std::end(kCatalogue) ? std::string_view("unknown command") : it->name;
}

std::string displayText(const Row& row) {
    std::string out;
    out.reserve(row.bytes.size() + 16);
    text::appendEscaped(out, row.bytes);
    if (row.size > row.bytes.size())
        out += "\xE2\x80\xA6 (" + std::to_string(row.size) + " bytes)";
    return out;
}

std::string meaning(const Row& row) {
    switch (row.direction) {
    case Direction::Sent:
        return std::string(commandName(row.bytes));
    case Direction::Timeout:
        return "no acknowledgement";
    case Direction::Received:
        break;
    }
    if (row.recognised != 0) {
        std::string out;
        for (std::size_t i = 0; i < kRecognisedNames.size(); ++i) {
            if (!(row.recognised & (1u << i)))
                continue;
            if (!out.empty())
                out += ", ";
            out += kRecognisedNames[i];
        }
        return out;
    }
    if (row.stale)
        return "not read: came after its wait";
    if (replies::isAutoDetectionReply(row.bytes))
        return "auto-detection reply, not awaited";
    return row.link == replies::Transport::Serial ? "not recognised yet" : "not recognised";
}

std::string_view linkName(replies::Transport link) {
    return link == replies::Transport::Serial ? "RS232" : "UDP";
}

std::string_view directionName(Direction d) {
    switch (d) {
    case Direction::Sent:
        return "sent";
    case Direction::Received:
        return "received";
    case Direction::Timeout:
        break;
    }
    return "timeout";
}

std::string headerLine() {
    return "Time\tLink\tDirection\tText\tMeaning";
}

std::string rowLine(std::string_view time, const Row& row) {
    std::string out(time);
    out += '\t';
    out += linkName(row.link);
    out += '\t';
    out += directionName(row.direction);
    out += '\t';
    out += displayText(row);
    out += '\t';
    out += meaning(row);
    return out;
}

bool matches(const Row& row, std::string_view needle) {
    return needle.empty() || containsNoCase(linkName(row.link), needle) ||
           containsNoCase(directionName(row.direction), needle) ||
           containsNoCase(displayText(row), needle) || containsNoCase(meaning(row), needle);
}

std::string clockText(std::int64_t msecsSinceEpoch, int utcOffsetSeconds) {
    constexpr std::int64_t kDay = 24 * 3600 * 1000;
    std::int64_t ms = (msecsSinceEpoch + std::int64_t(utcOffsetSeconds) * 1000) % kDay;
    if (ms < 0)
        ms += kDay;
    const auto two = [](std::int64_t v) {
        return std::string{char('0' + v / 10), char('0' + v % 10)};
    };
    return two(ms / 3600000) + ':' + two(ms / 60000 % 60) + ':' + two(ms / 1000 % 60) + '.' +
           char('0' + ms / 100 % 10) + char('0' + ms / 10 % 10) + char('0' + ms % 10);
}

// ---- The ring --------------------------------------------------------------------------------

Ring::Ring(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void Ring::allocate() {
    // Two texts more than a full ring holds: the one wasted end before a wrap never reaches the
    // oldest text kept.
    textSize_ = (capacity_ + 2) * kTextLimit;
    text_.reset(new char[textSize_]); // left uninitialised: texts are copied in before use
    rows_.reserve(capacity_);
}

std::int64_t Ring::recognise(std::uint64_t id, Recognised what) {
    // The piece a dispatch works on is among the newest rows: only what was sent or received
    // while its effects ran (a message box, a decoding that sends) came after it.
    const std::size_t look = std::min<std::size_t>(count_, 256);
    for (std::size_t i = 1; i <= look; ++i) {
        const std::uint64_t seq = next_ - i;
        Row& row = slot(seq);
        if (row.id == id && row.direction == Direction::Received) {
            row.recognised =
                static_cast<std::uint16_t>(row.recognised | (1u << static_cast<unsigned>(what)));
            return static_cast<std::int64_t>(seq);
        }
        if (row.id < id)
            break;
    }
    return -1;
}

void Ring::clear() {
    count_ = 0;
    dropped_ = 0;
}

const Row* Ring::find(std::uint64_t seq) const {
    if (seq < firstSeq() || seq >= next_)
        return nullptr;
    return &rows_[static_cast<std::size_t>(seq % capacity_)];
}

} // namespace corvane::linklog
