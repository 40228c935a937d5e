#pragma once
// Bounds-checked little-endian reading of untrusted bytes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamr {

// Reads values from a byte span. A read past the end yields zero bytes and
// marks the reader as overrun, so header parsing can read every field and check
// Overran() once at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t U8();
    std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
    std::uint16_t U16();
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    // Copies up to target.size() bytes; returns how many were available.
    std::size_t ReadBytes(std::span<std::uint8_t> target);
    // The next count bytes, or fewer when the input ends first.
    std::span<const std::uint8_t> Take(std::size_t count);
    void Skip(std::size_t count);
    // Moves to an absolute position; a position past the end marks an overrun.
    void Seek(std::size_t position);

    std::size_t Position() const { return position_; }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Remaining() const { return position_ < bytes_.size() ? bytes_.size() - position_ : 0; }
    bool Overran() const { return overran_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool overran_ = false;
};

} // namespace tamr
