#include "platform/PendingTemporary.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace tamr {
namespace {

// Signals belong to the whole process, so the names their handler removes must
// be process-wide too: fixed slots, claimed and released through an atomic
// state, which is all a signal handler may safely read.
constexpr std::size_t kSlotCount = 64;
constexpr std::size_t kPathRoom = 4096;

enum SlotState : int { kFree, kFilling, kInUse };

struct Slot {
    std::atomic<int> state{kFree};
    std::array<char, kPathRoom> path{};
};

constexpr std::array kEndingSignals{SIGINT, SIGTERM, SIGHUP};

struct Registry {
    std::array<Slot, kSlotCount> slots;
    std::once_flag installed;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    for (Slot& slot : TheRegistry().slots)
        if (slot.state.load() == kInUse)
            ::unlink(slot.path.data());
    // Back to the default action, which ends the process once this handler returns
    // (the signal stays blocked, and so pending, until then).
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    ::raise(signal);
}

// Only signals whose action is the default are taken over: a program that
// ignores or handles one itself keeps doing so.
void InstallHandlers()
{
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporariesAndEnd;
        ::sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

} // namespace

PendingTemporary::PendingTemporary(const std::filesystem::path& path)
{
    Registry& registry = TheRegistry();
    std::call_once(registry.installed, InstallHandlers);
    const std::string& name = path.native();
    if (name.size() >= kPathRoom)
        return;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        Slot& slot = registry.slots[i];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling))
            continue;
        std::memcpy(slot.path.data(), name.c_str(), name.size() + 1);
        slot.state.store(kInUse);
        slot_ = i;
        return;
    }
}

PendingTemporary::~PendingTemporary()
{
    if (Guarded())
        TheRegistry().slots[slot_].state.store(kFree);
}

} // namespace tamr
