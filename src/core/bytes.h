// Little-endian access to a fixed byte layout: binary records are read and written field by field
// at their offsets, never by laying a structure over the bytes.
//
// Reads outside the buffer give zero bytes and writes outside it are dropped; either marks the
// reader or writer as overrun, so a layout that does not fit its buffer shows up instead of
// touching memory it does not own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::bytes {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint8_t u8(std::size_t offset) const;
    // A 32-bit two's complement integer, lowest byte first.
    std::int32_t i32(std::size_t offset) const;
    // out.size() bytes from the offset.
    void copy(std::size_t offset, std::span<std::uint8_t> out) const;

    bool overrun() const { return overrun_; }

private:
    std::span<const std::uint8_t> data_;
    mutable bool overrun_ = false;
};

class ByteWriter {
public:
    explicit ByteWriter(std::span<std::uint8_t> data) : data_(data) {}

    void u8(std::size_t offset, std::uint8_t value);
    // A 32-bit two's complement integer, lowest byte first.
    void i32(std::size_t offset, std::int32_t value);
    void copy(std::size_t offset, std::span<const std::uint8_t> in);

    bool overrun() const { return overrun_; }

private:
    std::span<std::uint8_t> data_;
    bool overrun_ = false;
};

} // namespace corvane::bytes
