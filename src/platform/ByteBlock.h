#pragma once
// The owning memory block of the system: zero-filled bytes, freed by its owner.

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tamr {

using ByteBlock = std::vector<std::uint8_t>;

// Allocates a zero-filled block, or nothing when memory is not available, so
// callers can turn an allocation failure into their own documented failure.
inline std::optional<ByteBlock> AllocateBlock(std::size_t size)
{
    try {
        return ByteBlock(size, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

// The same for any vector of trivially constructible values (planes of samples).
template <typename T> bool TryResize(std::vector<T>& values, std::size_t count)
{
    try {
        values.assign(count, T{});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

} // namespace tamr
