#include "core/text.h"

#include <charconv>
#include <string>

namespace corvane::text {

void appendEscaped(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u >= 0x7f) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xf];
        } else {
            out += c;
        }
    }
}

std::string quoted(std::string_view bytes) {
    std::string out;
    appendEscaped(out, bytes.substr(0, kQuoteLimit));
    if (bytes.size() > kQuoteLimit)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

std::string invalidIntegerMessage(std::string_view text) {
    std::string out = "'";
    out += quoted(text);
    out += "' is not a valid integer value";
    return out;
}

Converted toInteger(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    std::int32_t value = 0;
    // from_chars takes a leading "-" itself; a "+-5" or "-+5" is refused by it.
    const bool negative = !digits.empty() && digits.front() == '-';
    if (digits.empty() || (negative && text.front() == '+'))
        return {0, invalidIntegerMessage(text)};
    const auto* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return {0, invalidIntegerMessage(text)};
    return {value, {}};
}

Converted hexCode(std::string_view text) {
    if (text.empty() || text.size() > 8)
        return {0, invalidIntegerMessage(text)};
    std::uint32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
    if (ec != std::errc() || ptr != end || value > 0x7FFFFFFFu)
        return {0, invalidIntegerMessage(text)};
    return {static_cast<std::int32_t>(value), {}};
}

std::string decimal(std::int64_t value) {
    return std::to_string(value);
}

} // namespace corvane::text

namespace corvane::text {

std::vector<std::string> splitFields(std::string_view text, std::size_t count, char separator) {
    std::vector<std::string> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto end = text.find(separator);
        if (end == std::string_view::npos)
            break;
        out[i] = std::string(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return out;
}

} // namespace corvane::text
