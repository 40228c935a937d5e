#pragma once
// Little-endian writing into a growing byte vector.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tamr {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& target) : bytes_(target) {}

    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void I8(std::int8_t value) { U8(static_cast<std::uint8_t>(value)); }
    void U16(std::uint16_t value)
    {
        U8(static_cast<std::uint8_t>(value & 0xFF));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
    void U32(std::uint32_t value)
    {
        U16(static_cast<std::uint16_t>(value & 0xFFFF));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void Bytes(std::span<const std::uint8_t> values) { bytes_.insert(bytes_.end(), values.begin(), values.end()); }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    // Overwrites a 16-bit value written earlier (header fields filled in last).
    void PatchU16(std::size_t offset, std::uint16_t value)
    {
        bytes_.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
        bytes_.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
    }

    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t>& bytes_;
};

} // namespace tamr
