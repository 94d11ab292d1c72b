#include "core/history.h"

#include <algorithm>
#include <cstdio>

namespace corvane::history {

namespace {

constexpr std::string_view kSuffix = ".conf";

bool safe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// Reads `digits` decimal digits at `at`; -1 when any is not a digit.
int number(std::string_view s, std::size_t at, std::size_t digits) {
    if (at + digits > s.size())
        return -1;
    int n = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

} // namespace

std::string_view kindName(Kind kind) {
    return kind == Kind::Read ? "read" : "sent";
}

std::string linkPart(bool udp, std::string_view hostOrDevice) {
    std::string_view what = hostOrDevice;
    if (!udp) {
        const std::size_t slash = what.find_last_of('/');
        if (slash != std::string_view::npos)
            what.remove_prefix(slash + 1);
    }
    std::string out = udp ? "udp-" : "serial-";
    for (const char c : what)
        out += safe(c) ? c : '_';
    return out;
}

std::string fileName(const Stamp& s, std::string_view link, Kind kind, int copy) {
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d-%02d-%02d", s.year % 10000, s.month % 100,
                  s.day % 100, s.hour % 100, s.minute % 100, s.second % 100);
    std::string out = time;
    out += '_';
    out += link;
    out += '_';
    out += kindName(kind);
    if (copy > 1)
        out += '-' + std::to_string(copy);
    out += kSuffix;
    return out;
}

std::string Entry::timeText() const {
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", stamp.year % 10000,
                  stamp.month % 100, stamp.day % 100, stamp.hour % 100, stamp.minute % 100,
                  stamp.second % 100);
    return time;
}

std::optional<Entry> parse(std::string_view name) {
    // 2026-12-11T05-40-12 _ link _ kind [-n] .conf
    constexpr std::size_t kTime = 19;
    if (name.size() <= kTime + 1 + kSuffix.size() || !name.ends_with(kSuffix))
        return std::nullopt;
    Entry e;
    e.stamp = {number(name, 0, 4),  number(name, 5, 2),  number(name, 8, 2),
               number(name, 11, 2), number(name, 14, 2), number(name, 17, 2)};
    const Stamp& s = e.stamp;
    if (s.year < 0 || s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 || s.hour < 0 ||
        s.hour > 23 || s.minute < 0 || s.minute > 59 || s.second < 0 || s.second > 60 ||
        name[4] != '-' || name[7] != '-' || name[10] != 'T' || name[13] != '-' || name[16] != '-' ||
        name[kTime] != '_')
        return std::nullopt;
    std::string_view rest = name.substr(kTime + 1, name.size() - kTime - 1 - kSuffix.size());
    const std::size_t underscore = rest.find_last_of('_');
    if (underscore == std::string_view::npos || underscore == 0)
        return std::nullopt;
    e.link = std::string(rest.substr(0, underscore));
    if (!e.link.starts_with("udp-") && !e.link.starts_with("serial-"))
        return std::nullopt;
    std::string_view kind = rest.substr(underscore + 1);
    if (const std::size_t dash = kind.find('-'); dash != std::string_view::npos) {
        const std::string_view digits = kind.substr(dash + 1);
        const int n = digits.empty() || digits.size() > 6 ? -1 : number(digits, 0, digits.size());
        if (n < 2)
            return std::nullopt;
        e.copy = n;
        kind = kind.substr(0, dash);
    }
    if (kind == kindName(Kind::Read))
        e.kind = Kind::Read;
    else if (kind == kindName(Kind::Sent))
        e.kind = Kind::Sent;
    else
        return std::nullopt;
    e.name = std::string(name);
    return e;
}

std::vector<Entry> entries(const std::vector<std::string>& fileNames) {
    std::vector<Entry> out;
    for (const std::string& n : fileNames)
        if (auto e = parse(n))
            out.push_back(std::move(*e));
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.copy != b.copy)
            return a.copy > b.copy;
        return a.name > b.name;
    });
    return out;
}

std::vector<std::string> beyond(const std::vector<std::string>& fileNames, std::size_t kept) {
    const std::vector<Entry> all = entries(fileNames);
    std::vector<std::string> out;
    for (std::size_t i = kept; i < all.size(); ++i)
        out.push_back(all[i].name);
    return out;
}

} // namespace corvane::history
