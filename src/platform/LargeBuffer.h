#pragma once
// Vectors for the big blocks of samples and coded bytes. Growing one leaves the
// new values uninitialised (their owners write every value before reading it),
// so no page is touched twice; blocks of several megabytes come straight from
// the kernel, and freeing one gives its memory back to the system at once.

#include <cstddef>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tamr {

// Blocks of at least this many bytes are mapped on their own.
inline constexpr std::size_t kLargeBlockBytes = std::size_t{4} << 20;

// Raw blocks for LargeBlockAllocator: throws std::bad_alloc when memory runs out.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* block, std::size_t bytes) noexcept;

template <typename T> class LargeBlockAllocator {
public:
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U> explicit LargeBlockAllocator(const LargeBlockAllocator<U>& /*other*/) noexcept {}

    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLargeBlock(count * sizeof(T)));
    }
    void deallocate(T* values, std::size_t count) noexcept { FreeLargeBlock(values, count * sizeof(T)); }

    // Default construction leaves a value uninitialised; anything else is as usual.
    template <typename U> void construct(U* place) noexcept { ::new (static_cast<void*>(place)) U; }
    template <typename U, typename... Args> void construct(U* place, Args&&... args)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const LargeBlockAllocator& /*a*/, const LargeBlockAllocator& /*b*/) { return true; }
};

template <typename T> using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

// Empties a vector and gives its memory back (clearing keeps the capacity).
template <typename Vector> void Release(Vector& values) noexcept
{
    Vector().swap(values);
}

// Resizes to `count` values without initialising new ones; false when memory
// runs out (the vector is then empty).
template <typename T> bool TryResizeUninitialised(LargeVector<T>& values, std::size_t count)
{
    try {
        values.resize(count);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    Release(values);
    return false;
}

} // namespace tamr
