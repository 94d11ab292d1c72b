#include "core/value_rules.h"

#include "core/mappings.h"
#include "core/text.h"

#include <algorithm>
#include <charconv>

namespace corvane::values {

using commands::Cmd;
using controls::Ctl;

namespace {

// A number whose command frame takes any length: the box's own digit counts.
constexpr ValueRule number(Ctl ctl, Cmd command, int minChars, int maxChars, std::int64_t min,
                           std::int64_t max) {
    return {ctl, Kind::Number, command, minChars, maxChars, min, max, false};
}
// A number whose command frame exists only for the character counts the command takes.
constexpr ValueRule framed(Ctl ctl, Cmd command, std::int64_t min, std::int64_t max) {
    const commands::Command& c = commands::of(command);
    return {ctl, Kind::Number, command, c.minChars, c.maxChars, min, max, true};
}
constexpr ValueRule address(Ctl ctl, Cmd command, Kind kind = Kind::Address) {
    return {ctl, kind, command};
}

// A whole number of at least 1 where the board's frame sets no length.
constexpr int kAnyLength = 9;
constexpr std::int64_t kAnyValue = 999999999;

// The decimal number of an all-digit text of 1 to 18 digits.
std::optional<std::int64_t> digitsValue(std::string_view text) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int64_t v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// The four numbers of a dotted IPv4 address as one 32-bit value.
std::optional<std::uint32_t> ipv4(std::string_view text) {
    std::uint32_t out = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        const std::string_view piece = part < 3 ? text.substr(0, dot) : text;
        if (part < 3 && dot == std::string_view::npos)
            return std::nullopt;
        const auto v = piece.size() <= 3 ? digitsValue(piece) : std::nullopt;
        if (!v || *v > 255)
            return std::nullopt;
        out = (out << 8) | std::uint32_t(*v);
        if (part < 3)
            text.remove_prefix(dot + 1);
    }
    return out;
}

} // namespace

const std::array<ValueRule, kValueRuleCount> kValueRules{{
    framed(Ctl::Bit1, Cmd::BitRate11, 1, 99999),
    framed(Ctl::Bit2, Cmd::BitRate12, 1, 99999),
    framed(Ctl::Gop1, Cmd::Gop11, 1, 999),
    framed(Ctl::Gop2, Cmd::Gop12, 1, 999),
    framed(Ctl::fps1, Cmd::Fps11, 1, 999),
    framed(Ctl::fps2, Cmd::Fps12, 1, 999),
    framed(Ctl::RecBit1, Cmd::RecBitRate11, 10, 99999),
    framed(Ctl::RecBit2, Cmd::RecBitRate12, 10, 99999),
    framed(Ctl::RecGop1, Cmd::RecGop11, 1, 999),
    framed(Ctl::RecGop2, Cmd::RecGop12, 1, 999),
    framed(Ctl::Recfps1, Cmd::RecFps11, 1, 999),
    framed(Ctl::Recfps2, Cmd::RecFps12, 1, 999),
    // Above 1500 the save writes 1500 back into the box and sends that.
    framed(Ctl::MTUB, Cmd::Mtu, 100, 1500),
    number(Ctl::LFEC, Cmd::Fec, 1, kAnyLength, 1, kAnyValue),
    number(Ctl::DFEC, Cmd::Fec, 1, kAnyLength, 1, kAnyValue),
    number(Ctl::FECP, Cmd::Fec, 1, kAnyLength, 1, kAnyValue),
    number(Ctl::RTP11_Port, Cmd::RtpDestination11, 1, 5, 1, 65535),
    number(Ctl::RTP12_Port, Cmd::RtpDestination12, 1, 5, 1, 65535),
    address(Ctl::ipb, Cmd::StaticIp),
    address(Ctl::gwp, Cmd::Gateway),
    address(Ctl::SubB, Cmd::SubnetMask, Kind::Mask),
    address(Ctl::UDPRSIPB, Cmd::UdprsDestination),
    address(Ctl::RTP11_IP, Cmd::RtpDestination11),
    address(Ctl::RTP12_IP, Cmd::RtpDestination12),
    address(Ctl::RTP11_M, Cmd::RtpDestination11, Kind::Multicast),
    address(Ctl::RTP12_M, Cmd::RtpDestination12, Kind::Multicast),
}};

const ValueRule* ruleOf(Ctl ctl) {
    const auto it = std::find_if(kValueRules.begin(), kValueRules.end(),
                                 [ctl](const ValueRule& r) { return r.ctl == ctl; });
    return it == kValueRules.end() ? nullptr : &*it;
}

bool accepts(const ValueRule& rule, std::string_view text) {
    if (text.empty())
        return true;
    switch (rule.kind) {
    case Kind::Number: {
        if (int(text.size()) < rule.minChars || int(text.size()) > rule.maxChars)
            return false;
        const auto v = digitsValue(text);
        return v && *v >= rule.min && *v <= rule.max;
    }
    case Kind::Address:
        return ipv4(text).has_value();
    case Kind::Mask: {
        const auto v = ipv4(text);
        // Ones, then zeros: the inverted mask plus one is a power of two (or zero).
        const std::uint32_t hosts = v ? ~*v : 0;
        return v && (hosts & (hosts + 1)) == 0;
    }
    case Kind::Multicast: {
        const auto v = ipv4(text);
        return v && (*v >> 28) == 0xE;
    }
    }
    return false;
}

std::string acceptedText(const ValueRule& rule) {
    switch (rule.kind) {
    case Kind::Number: {
        std::string out = "A whole number from " + text::decimal(rule.min);
        if (rule.max == kAnyValue)
            return out + " up, in digits only.";
        out += " to " + text::decimal(rule.max);
        if (rule.ctl == Ctl::MTUB)
            out += " (a larger one is sent as 1500)";
        return out + ", in digits only.";
    }
    case Kind::Address:
        return "An IPv4 address: four numbers from 0 to 255 joined by dots, such as "
               "192.168.1.10.";
    case Kind::Mask:
        return "A subnet mask: four numbers from 0 to 255 joined by dots whose bits are ones, "
               "then zeros, such as 255.255.255.0.";
    case Kind::Multicast:
        return "A multicast address, from 224.0.0.0 to 239.255.255.255.";
    }
    return {};
}

std::string_view valueName(const ValueRule& rule) {
    return commands::of(rule.command).name;
}

std::optional<std::string> tooLongFor(Ctl ctl, std::string_view text) {
    const ValueRule* rule = ruleOf(ctl);
    if (!rule || !rule->framed || int(text.size()) <= rule->maxChars)
        return std::nullopt;
    return "'" + text::quoted(text) + "' is too long for the " + std::string(valueName(*rule)) +
           " (" + std::to_string(rule->minChars) + " to " + std::to_string(rule->maxChars) +
           " characters)";
}

std::optional<std::string> textRefused(Ctl ctl, std::string_view text) {
    const auto control = std::find_if(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
    if (control != text.end())
        return "'" + text::quoted(text) + "' holds a control character";
    if (ctl == Ctl::PARTP && !mappings::kStreamModes.code(text)) {
        std::string captions;
        for (const auto& [letter, caption] : mappings::kStreamModes.rows)
            captions += (captions.empty() ? "" : ", ") + std::string(caption);
        return "'" + text::quoted(text) + "' is not one of " + captions;
    }
    return std::nullopt;
}

std::string emptyMessage(Ctl ctl) {
    std::string out(controls::label(ctl));
    out += " is empty";
    if (const ValueRule* rule = ruleOf(ctl)) {
        std::string accepted = acceptedText(*rule);
        if (!accepted.empty() && accepted.front() >= 'A' && accepted.front() <= 'Z')
            accepted.front() = char(accepted.front() - 'A' + 'a');
        out += ": it takes " + accepted;
    } else {
        out += '.';
    }
    return out;
}

SendCheck checkSent(const controls::ConfigView& view, std::span<const Ctl> boxes) {
    SendCheck out;
    for (const Ctl box : boxes) {
        const std::string& text = view.text(box);
        if (const auto why = textRefused(box, text)) {
            if (out.refusal.empty())
                out.refusal = std::string(controls::label(box)) + ": " + *why +
                              ", which would break its command. Nothing was sent.";
            continue;
        }
        const ValueRule* rule = ruleOf(box);
        if (rule && !accepts(*rule, text))
            out.doubtful.push_back(box);
    }
    return out;
}

std::string doubtQuestion(std::string_view action, const controls::ConfigView& view,
                          std::span<const Ctl> doubtful) {
    std::string out(action);
    out += doubtful.size() == 1 ? " would send a value that cannot be right:\n"
                                : " would send values that cannot be right:\n";
    for (const Ctl box : doubtful) {
        out += "\n";
        out += controls::label(box);
        out += " '" + text::quoted(view.text(box)) + "': ";
        if (const ValueRule* rule = ruleOf(box))
            out += acceptedText(*rule);
    }
    out += doubtful.size() == 1 ? "\n\nSend it to the board all the same?"
                                : "\n\nSend them to the board all the same?";
    return out;
}

} // namespace corvane::values
