#include "core/bytes.h"

namespace corvane::bytes {

std::uint8_t ByteReader::u8(std::size_t offset) const {
    if (offset >= data_.size()) {
        overrun_ = true;
        return 0;
    }
    return data_[offset];
}

std::int32_t ByteReader::i32(std::size_t offset) const {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= std::uint32_t(u8(offset + i)) << (8 * i);
    return static_cast<std::int32_t>(v);
}

void ByteReader::copy(std::size_t offset, std::span<std::uint8_t> out) const {
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = u8(offset + i);
}

void ByteWriter::u8(std::size_t offset, std::uint8_t value) {
    if (offset >= data_.size()) {
        overrun_ = true;
        return;
    }
    data_[offset] = value;
}

void ByteWriter::i32(std::size_t offset, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        u8(offset + i, std::uint8_t(v >> (8 * i)));
}

void ByteWriter::copy(std::size_t offset, std::span<const std::uint8_t> in) {
    for (std::size_t i = 0; i < in.size(); ++i)
        u8(offset + i, in[i]);
}

} // namespace corvane::bytes
