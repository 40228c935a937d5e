#include "codec/PackedFlags.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/DiscardPages.h"

namespace tamr {
namespace {

// Eight bytes that are each 0 or 1 as the eight bits of one byte, the first
// byte the lowest bit: the multiplication gathers them into the top byte
// without a carry between them.
std::uint64_t EightFlags(const std::uint8_t* flags)
{
    std::uint64_t word = 0;
    std::memcpy(&word, flags, sizeof word);
    return (word * 0x0102040810204080ULL) >> 56;
}

// The eight bits of `bits`, the lowest first, as eight bytes of 0 or 1: each
// byte keeps its own bit, which adding 127 carries to its top.
std::uint64_t SpreadFlags(std::uint64_t bits)
{
    const std::uint64_t own = (bits * 0x0101010101010101ULL) & 0x8040201008040201ULL;
    return ((own + 0x7F7F7F7F7F7F7F7FULL) >> 7) & 0x0101010101010101ULL;
}

} // namespace

bool PackedFlags::Pack(std::span<const std::uint8_t> flags)
{
    count_ = 0;
    const std::size_t words = (flags.size() + 63) / 64;
    if (!TryResizeUninitialised(words_, words))
        return false;
    const std::size_t whole = flags.size() / 64;
    for (std::size_t w = 0; w < whole; ++w) {
        std::uint64_t word = 0;
        for (unsigned k = 0; k < 8; ++k)
            word |= EightFlags(flags.data() + 64 * w + 8 * k) << (8 * k);
        words_[w] = word;
    }
    if (whole < words) {
        std::array<std::uint8_t, 64> tail{};
        std::copy(flags.begin() + static_cast<std::ptrdiff_t>(64 * whole), flags.end(), tail.begin());
        std::uint64_t word = 0;
        for (unsigned k = 0; k < 8; ++k)
            word |= EightFlags(tail.data() + 8 * k) << (8 * k);
        words_[whole] = word;
    }
    count_ = flags.size();
    return true;
}

std::size_t PackedFlags::CountZeros(std::size_t begin, std::size_t count) const
{
    const std::size_t end = std::min(begin + count, count_);
    std::size_t ones = 0;
    std::size_t i = begin;
    for (; i < end && i % 64 != 0; ++i)
        ones += static_cast<std::size_t>(Flag(i));
    for (; i + 64 <= end; i += 64)
        ones += static_cast<std::size_t>(std::popcount(words_[i / 64]));
    for (; i < end; ++i)
        ones += static_cast<std::size_t>(Flag(i));
    return count - ones;
}

void PackedFlags::Unpack(std::size_t begin, std::size_t count, std::uint8_t* out) const
{
    std::size_t i = 0;
    // Whole runs of 64 packed flags, eight at a time.
    for (; i + 64 <= count && begin + i + 64 <= count_; i += 64) {
        const std::size_t index = begin + i;
        const unsigned shift = index % 64;
        std::uint64_t bits = words_[index / 64] >> shift;
        if (shift != 0)
            bits |= words_[index / 64 + 1] << (64 - shift);
        for (unsigned k = 0; k < 8; ++k) {
            const std::uint64_t bytes = SpreadFlags((bits >> (8 * k)) & 0xFF);
            std::memcpy(out + i + 8 * k, &bytes, sizeof bytes);
        }
    }
    for (; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(Flag(begin + i));
}

void PackedFlags::GiveBack(std::size_t begin, std::size_t end) noexcept
{
    DiscardConsumedPagesOf(std::span(words_).first(std::min(words_.size(), (count_ + 63) / 64)), begin / 64, end / 64);
}

} // namespace tamr
