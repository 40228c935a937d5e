#pragma once
// Giving back the memory of a part of a block whose content is no longer
// needed while the block itself lives on: a plane already consumed row by
// row, or a picture about to be overwritten whole.

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

} // namespace tamr
