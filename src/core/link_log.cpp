#include "core/link_log.h"

#include "core/commands.h"
#include "core/text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

namespace corvane::linklog {

namespace {

using replies::Effect;
using replies::Step;

constexpr std::array<std::string_view, 8> kRecognisedNames{
    "stream status",        "probe answer",        "operator message", "assembly reply",
    "auto-detection reply", "configuration reply", "reply frame",      "acknowledgement",
};

bool containsNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty())
        return true;
    const auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                                [](char a, char b) { return text::lower(a) == text::lower(b); });
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
    if (frame.size() < 6 || !frame.starts_with("A5") || !text::isDigit(frame[2]) ||
        !text::isDigit(frame[3]))
        return "unknown command";
    const commands::Command* command = commands::byCode(frame.substr(4, 2), frame.size() > 6);
    return command ? command->name : std::string_view("unknown command");
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
