// Text conversions shared by the decoders, the file formats and the handlers. Every conversion
// that fails gives the operator's message text, so that no caller builds it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane::text {

// ASCII only: a byte from a file or the board is never read through the C locale.
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Bytes as one line of plain ASCII: carriage return as \r, other control and non-ASCII bytes as
// \xNN, everything else as it is. Appended to `out`.
void appendEscaped(std::string& out, std::string_view bytes);

// The longest text from a file or the board that a message quotes.
inline constexpr std::size_t kQuoteLimit = 60;

// Text from a file or the board as a message quotes it: escaped as appendEscaped does, and cut
// after its first kQuoteLimit bytes with "... (N bytes)" naming the whole length.
std::string quoted(std::string_view bytes);

// "'<text>' is not a valid integer value", the message of every failed integer conversion; the
// text is shown as quoted() shows it.
std::string invalidIntegerMessage(std::string_view text);

// A converted value, or the operator's message when the text does not convert.
struct Converted {
    std::int32_t value = 0;
    std::string error; // empty when the conversion succeeded

    bool ok() const { return error.empty(); }
};

// A signed 32-bit decimal integer: an optional "+" or "-" and at least one digit, nothing else
// (no spaces); a value outside the 32-bit range does not convert.
Converted toInteger(std::string_view text);

// A non-negative hexadecimal number (digits 0-9, a-f, A-F, at least one, at most 8, no more than
// 7FFFFFFF), as the input codes of the configuration reply are written.
Converted hexCode(std::string_view text);

// The decimal text of a value, with no leading zeros.
std::string decimal(std::int64_t value);

} // namespace corvane::text

namespace corvane::text {

// The first `count` fields of a text in which each field is ended by `separator`; the text after
// the last separator is not a field. Fields that the text does not hold are empty.
std::vector<std::string> splitFields(std::string_view text, std::size_t count,
                                     char separator = '$');

} // namespace corvane::text
