// The record of the link: every frame sent, every piece received and every acknowledgement wait
// that ended unanswered, kept in a ring of the newest rows, and how each row reads in the link
// monitor and in the text file it saves.
//
// Everything here is pure: no clock, no window. The window stamps the rows with the wall-clock
// time and formats that time itself.
#pragma once

#include "core/replies.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::linklog {

enum class Direction : std::uint8_t { Sent, Received, Timeout };

// What the dispatch recognised in a received piece (a piece may hold more than one).
enum class Recognised : std::uint8_t {
    StreamStatus,
    ProbeAnswer,
    OperatorMessage,
    AssemblyReply,
    AutoDetectionReply,
    ConfigurationReply,
    ReplyFrame, // a reply frame other than the configuration reply
    Acknowledgement,
};

// What a dispatch step that fired recognised; the reply frame step tells the configuration reply
// by its effects.
Recognised recognisedOf(const replies::DispatchOutcome& outcome);

// The name of a command frame in the command catalogue (core/commands.h: "configuration request",
// "keep-alive", "stream 11 bit rate"...); "unknown command" for a text that is no frame this
// program sends.
std::string_view commandName(std::string_view frame);

// A row keeps at most this many characters of its text; the rest is counted only.
inline constexpr std::size_t kTextLimit = 256;
// The ring keeps the newest this many rows.
inline constexpr std::size_t kRingRows = 10000;

struct Row {
    std::int64_t msecsSinceEpoch = 0;
    replies::Transport link = replies::Transport::Serial;
    Direction direction = Direction::Sent;
    bool stale = false;           // a datagram dropped unread before a send
    std::uint16_t recognised = 0; // bit per Recognised
    std::uint32_t size = 0;       // the whole text's length in bytes
    std::uint64_t id = 0;         // the link's number for the entry
    // The first kTextLimit bytes of the text. In a ring it points into the ring's own store and
    // holds while the ring keeps the row.
    std::string_view bytes;
};

// The text as the monitor shows it: carriage return as \r, other control and non-ASCII bytes as
// \xNN (so a tab never splits a saved line); a text cut short ends with "… (N bytes)". UTF-8.
std::string displayText(const Row& row);
// The meaning column: the command's name, what the dispatch recognised ("not recognised yet" while
// a serial frame may still be arriving), or the unanswered wait. An auto-detection reply that came
// while no keep-alive awaited it (the one that ends "Read Config.") is named too, though the
// dispatch left it alone.
std::string meaning(const Row& row);
std::string_view linkName(replies::Transport link);
std::string_view directionName(Direction d);

// The saved file's header line and one row of it, tab-separated, without a line end.
std::string headerLine();
std::string rowLine(std::string_view time, const Row& row);

// True when the link, the direction, the shown text or the meaning contains `needle` (ASCII case
// ignored); an empty needle matches every row.
bool matches(const Row& row, std::string_view needle);

// The time column, "hh:mm:ss.zzz", of a time `utcOffsetSeconds` ahead of UTC: plain arithmetic,
// so that the window asks the time zone only when the offset may have changed.
std::string clockText(std::int64_t msecsSinceEpoch, int utcOffsetSeconds);

// The ring. Rows are numbered in the order they came (their sequence number); the oldest are
// dropped once it is full.
class Ring {
public:
    explicit Ring(std::size_t capacity = kRingRows);

    // Runs for every piece the link sends or receives: kept short and inline.
    void add(std::int64_t msecsSinceEpoch, replies::Transport link, Direction direction,
             std::string_view text, std::uint64_t id, bool stale = false) {
        if (!text_) [[unlikely]]
            allocate();
        const std::size_t length = text.size() < kTextLimit ? text.size() : kTextLimit;
        if (textSize_ - textEnd_ < length)
            textEnd_ = 0;
        char* const stored = text_.get() + textEnd_;
        // The store and the rows are written from front to back, each line once per round: asking
        // for the lines a few rows ahead keeps the copy from waiting for memory. (Prefetches are
        // hints: an address past the end does not fault.)
        __builtin_prefetch(stored + 4 * 64, 1, 0);
        copyText(stored, text.data(), length);
        textEnd_ += length;
        if (count_ == capacity_)
            ++dropped_;
        else
            ++count_;
        if (rows_.size() < capacity_) [[unlikely]]
            rows_.emplace_back();
        Row& row = rows_[head_];
        __builtin_prefetch(&row + 4, 1, 0);
        head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
        ++next_;
        row.msecsSinceEpoch = msecsSinceEpoch;
        row.link = link;
        row.direction = direction;
        row.stale = stale;
        row.recognised = 0;
        row.size = text.size() < UINT32_MAX ? static_cast<std::uint32_t>(text.size()) : UINT32_MAX;
        row.id = id;
        row.bytes = std::string_view(stored, length);
    }
    // In 16-byte steps (the last one overlapping): the compiler's own copy of a length known to
    // be below kTextLimit is a `rep movs`, which costs more than the rest of the row.
    static void copyText(char* to, const char* from, std::size_t n) {
        if (n >= 16) {
            std::size_t i = 0;
            for (; i + 16 <= n; i += 16)
                std::memcpy(to + i, from + i, 16);
            if (i != n)
                std::memcpy(to + n - 16, from + n - 16, 16);
        } else if (n != 0) { // an empty text may come without storage
            std::memcpy(to, from, n);
        }
    }
    // Marks the row of the link's entry `id` (one of the newest) with what was recognised in it;
    // its sequence number, or -1 when the row is no longer kept.
    std::int64_t recognise(std::uint64_t id, Recognised what);
    void clear();

    std::size_t size() const { return count_; }
    std::size_t capacity() const { return capacity_; }
    // The sequence number of the oldest row kept, and one past the newest.
    std::uint64_t firstSeq() const { return next_ - count_; }
    std::uint64_t nextSeq() const { return next_; }
    // Rows dropped for room since the last clear().
    std::uint64_t dropped() const { return dropped_; }
    // The row with that sequence number; nullptr when it is not kept.
    const Row* find(std::uint64_t seq) const;

private:
    void allocate();
    Row& slot(std::uint64_t seq) { return rows_[static_cast<std::size_t>(seq % capacity_)]; }

    std::size_t capacity_;
    // Filled up to the capacity, then reused in turn: `head_` is the slot the next row takes.
    std::vector<Row> rows_;
    std::size_t head_ = 0;
    // The rows' texts, written one after another and wrapping round; room for the texts of a full
    // ring at their longest, so the newest rows' texts are never overwritten. Its pages are
    // touched only as texts are written, and recording allocates nothing once it exists.
    std::unique_ptr<char[]> text_;
    std::size_t textSize_ = 0;
    std::size_t textEnd_ = 0;
    std::size_t count_ = 0;
    std::uint64_t next_ = 0;
    std::uint64_t dropped_ = 0;
};

} // namespace corvane::linklog
