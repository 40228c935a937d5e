#include "platform/LargeBuffer.h"

#include <sys/mman.h>

namespace tamr {

void* AllocateLargeBlock(std::size_t bytes)
{
    if (bytes < kLargeBlockBytes)
        return ::operator new(bytes);
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) // NOLINT(performance-no-int-to-ptr): the system's own constant
        throw std::bad_alloc();
    // No huge-page advice: where the system compacts memory for advised
    // blocks on first touch, one compress in a few stalls for most of a second.
    return block;
}

void FreeLargeBlock(void* block, std::size_t bytes) noexcept
{
    if (block == nullptr)
        return;
    if (bytes < kLargeBlockBytes) {
        ::operator delete(block);
        return;
    }
    (void)munmap(block, bytes);
}

} // namespace tamr
