#include "core/config_compare.h"

#include "core/config_text.h"

namespace corvane::compare {

using controls::Ctl;

std::vector<Difference> differences(const controls::ConfigView& ours,
                                    const controls::ConfigView& theirs,
                                    const variant::BoardFlags& flags) {
    return differences(ours, flags, theirs, flags);
}

std::vector<Difference> differences(const controls::ConfigView& ours,
                                    const variant::BoardFlags& oursFlags,
                                    const controls::ConfigView& theirs,
                                    const variant::BoardFlags& theirsFlags) {
    std::vector<Difference> out;
    for (const auto& row : controls::kCatalogue) {
        if (row.id == Ctl::UDPCheck || row.id == Ctl::RS232Check)
            continue;
        std::string a = configtext::valueText(ours, row.id, oursFlags);
        std::string b = configtext::valueText(theirs, row.id, theirsFlags);
        if (a != b)
            out.push_back({row.id, std::move(a), std::move(b)});
    }
    return out;
}

std::string line(const Difference& d, std::string_view oursName, std::string_view theirsName) {
    const auto shown = [](const std::string& v) { return v.empty() ? std::string("(empty)") : v; };
    std::string out(controls::name(d.ctl));
    out += ": ";
    out += oursName;
    out += ' ';
    out += shown(d.ours);
    out += ", ";
    out += theirsName;
    out += ' ';
    out += shown(d.theirs);
    return out;
}

} // namespace corvane::compare
