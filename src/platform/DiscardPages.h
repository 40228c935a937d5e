#pragma once
// Giving back the memory of a part of a block whose content is no longer
// needed while the block itself lives on: a plane already consumed row by
// row, or a picture about to be overwritten whole.

#include <algorithm>
#include <cstddef>
#include <span>

namespace tamr {

// The whole pages inside `bytes` go back to the system and read as zeros
// afterwards; the bytes of partly covered pages at either end stay as they are.
void DiscardPages(std::span<std::byte> bytes) noexcept;

template <typename T> void DiscardPagesOf(std::span<T> values) noexcept
{
    DiscardPages(std::as_writable_bytes(values));
}

// For a block consumed from the front: gives back values [begin, end) with
// the page `begin` lies in, which the call before left partly covered.
template <typename T> void DiscardConsumedPagesOf(std::span<T> values, std::size_t begin, std::size_t end) noexcept
{
    constexpr std::size_t kPage = 4096 / sizeof(T);
    end = std::min(end, values.size());
    if (end <= begin)
        return;
    const std::size_t from = begin - std::min(begin, kPage);
    DiscardPagesOf(values.subspan(from, end - from));
}

} // namespace tamr
