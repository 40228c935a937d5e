#include "platform/DiscardPages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tamr {

void DiscardPages(std::span<std::byte> bytes) noexcept
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0 || bytes.empty())
        return;
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t end = begin + bytes.size();
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = end / page * page;
    if (first >= last)
        return;
    // Private anonymous pages read as zeros after this; nothing else changes.
    (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED); // NOLINT(performance-no-int-to-ptr)
}

} // namespace tamr
