// Plain forms of the reply tests, for the fuzz oracle and the tests only: the dispatch reads the
// incremental ReceiveBuffer instead, and the oracle checks that both find the same. Nothing in
// the program calls these.
#pragma once

#include "core/replies.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::replies {

// Drops the oldest characters of `buffer` so that at most `limit` remain (what ReceiveBuffer
// keeps).
void trimToNewest(std::string& buffer, std::size_t limit = kMaxReceiveBuffer);

// Operator text: when the buffer contains both "A7" and "AA", the characters from the first "A7"
// (included) up to the first "AA" (excluded); empty when "AA" comes first.
std::optional<std::string> operatorText(std::string_view buffer);

// Assembly reply: when the buffer contains both "A8" and "GG", the characters from the first "A8"
// (included) up to the first "GG" (excluded); empty when "GG" comes first.
std::optional<std::string> assemblyText(std::string_view buffer);

} // namespace corvane::replies
