#pragma once
// Flags that are 0 or 1 kept at one bit each, for the zerotree roots a
// level leaves its children while those wait to be placed row by row.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LargeBuffer.h"

namespace tamr {

class PackedFlags {
public:
    // Takes `flags`, each 0 or 1; false when memory runs out.
    [[nodiscard]] bool Pack(std::span<const std::uint8_t> flags);
    bool Empty() const { return count_ == 0; }
    // How many of flags [begin, begin + count) are 0.
    std::size_t CountZeros(std::size_t begin, std::size_t count) const;
    // Flags [begin, begin + count) as bytes; those past the end read as 0.
    void Unpack(std::size_t begin, std::size_t count, std::uint8_t* out) const;
    // Flags before `end` are of no more use from `begin` on: their pages go back.
    void GiveBack(std::size_t begin, std::size_t end) noexcept;
    std::size_t HeldBytes() const { return words_.capacity() * sizeof(std::uint64_t); }

private:
    bool Flag(std::size_t index) const { return index < count_ && ((words_[index / 64] >> (index % 64)) & 1U) != 0; }

    LargeVector<std::uint64_t> words_;
    std::size_t count_ = 0;
};

} // namespace tamr
