// The history of configurations: every configuration read from the board and every one sent to
// it, kept as a "name=value" file (the text of configtext::toLines) in the folder history/. A
// file is named by its time (UTC), its link and its kind:
//   2026-12-11T05-40-12_udp-192.168.1.20_read.conf
//   2026-12-11T05-41-03_serial-ttyUSB0_sent.conf
// A second entry of the same second, link and kind takes "-2", "-3"... after its kind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::history {

enum class Kind { Read, Sent };

// The newest this many entries are kept.
inline constexpr std::size_t kKept = 200;

struct Stamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend auto operator<=>(const Stamp&, const Stamp&) = default;
};

// "read" or "sent".
std::string_view kindName(Kind kind);

// The link as a file name holds it: "udp-" and the host, or "serial-" and the device's last path
// element; every character but letters, digits, '.', '-' and '_' becomes '_'.
std::string linkPart(bool udp, std::string_view hostOrDevice);

// The entry's file name; `copy` 1 for the first of its second, 2 and up for later ones.
std::string fileName(const Stamp& stamp, std::string_view link, Kind kind, int copy = 1);

struct Entry {
    Stamp stamp;
    std::string link; // as linkPart gave it
    Kind kind = Kind::Read;
    int copy = 1;
    std::string name; // the file name

    // "2026-12-11 05:40:12" (UTC).
    std::string timeText() const;
};

// The entry a file name names, or nothing for any other name.
std::optional<Entry> parse(std::string_view fileName);

// The entries of these file names (other names left out), newest first; entries of one second
// in the order they were written.
std::vector<Entry> entries(const std::vector<std::string>& fileNames);

// The file names of the entries beyond the newest `kept`, which are to be removed.
std::vector<std::string> beyond(const std::vector<std::string>& fileNames,
                                std::size_t kept = kKept);

} // namespace corvane::history
