#pragma once
// Runs independent tasks on a few threads. The tasks must not depend on one
// another's order: every result has to be the same whichever thread runs
// which task, so that the output never depends on the thread count.

#include <cstddef>
#include <functional>

namespace tamr {

// The thread count for a request: 0 means one per hardware thread; the
// result is at least 1.
int ResolveThreadCount(int requested);

// Calls task(0) .. task(count - 1), on up to `threads` threads (the caller's
// among them) when threads > 1, otherwise in order on the caller's thread.
// An exception thrown by a task is rethrown here after all threads finished.
void RunTasks(int threads, std::size_t count, const std::function<void(std::size_t)>& task);

} // namespace tamr
