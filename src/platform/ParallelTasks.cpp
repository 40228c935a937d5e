#include "platform/ParallelTasks.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tamr {

int ResolveThreadCount(int requested)
{
    if (requested > 0)
        return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunTasks(int threads, std::size_t count, const std::function<void(std::size_t)>& task)
{
    const auto workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
    if (workers <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            task(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(workers - 1);
        for (std::size_t t = 1; t < workers; ++t)
            helpers.emplace_back(work);
        work();
    } // joined here
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tamr
