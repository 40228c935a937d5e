#include "platform/PendingTemporary.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace tamr {
namespace {

// Signals belong to the whole process, so the names their handler removes must
// be process-wide too: fixed slots, claimed and released through an atomic
// state, which is all a signal handler may safely read. One slot per writing
// thread is enough: the commands run at most 256 and each writes one file at a time.
constexpr std::size_t kSlotCount = 320;
constexpr std::size_t kPathRoom = 4096;

enum SlotState : int { kFree, kFilling, kInUse };

struct Slot {
    std::atomic<int> state{kFree};
    std::array<char, kPathRoom> path{};
};

constexpr std::array kEndingSignals{SIGINT, SIGTERM, SIGHUP};

struct Registry {
    std::array<Slot, kSlotCount> slots;
    // Creations between their check of `ending` and their registration.
    std::atomic<int> creating{0};
    // Set by the handler first thing: no temporary is created after it.
    std::atomic<bool> ending{false};
    std::once_flag installed;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    Registry& registry = TheRegistry();
    registry.ending.store(true);
    // A creation under way runs on another thread (the creating thread blocks
    // these signals) and registers its file within moments.
    const timespec pause{0, 1000000};
    while (registry.creating.load() != 0)
        ::nanosleep(&pause, nullptr);
    for (Slot& slot : registry.slots)
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

sigset_t EndingSignals()
{
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : kEndingSignals)
        ::sigaddset(&set, signal);
    return set;
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
        // One handler at a time per thread: a second ending signal waits.
        handler.sa_mask = EndingSignals();
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

// The ending signals held back in this thread while it lives, so that the
// handler never runs here while this thread's creation is under way.
class EndingSignalsBlocked {
public:
    EndingSignalsBlocked()
    {
        const sigset_t set = EndingSignals();
        ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~EndingSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
    EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

// Counts a creation as under way while it lives.
class CreationUnderWay {
public:
    explicit CreationUnderWay(Registry& registry) : registry_(registry) { registry_.creating.fetch_add(1); }
    ~CreationUnderWay() { registry_.creating.fetch_sub(1); }
    CreationUnderWay(const CreationUnderWay&) = delete;
    CreationUnderWay& operator=(const CreationUnderWay&) = delete;

private:
    Registry& registry_;
};

} // namespace

PendingTemporary::PendingTemporary(const std::filesystem::path& path)
{
    Registry& registry = TheRegistry();
    std::call_once(registry.installed, InstallHandlers);
    const std::string& name = path.native();
    if (name.size() >= kPathRoom) {
        errno = ENAMETOOLONG;
        return;
    }
    const EndingSignalsBlocked blocked;
    const CreationUnderWay underWay(registry);
    // After counting itself: either the handler sees this creation and waits
    // for it, or this creation sees the handler and makes nothing.
    if (registry.ending.load()) {
        errno = EINTR;
        return;
    }
    for (std::size_t i = 0; i < kSlotCount && slot_ == kNoSlot; ++i) {
        int expected = kFree;
        if (registry.slots[i].state.compare_exchange_strong(expected, kFilling))
            slot_ = i;
    }
    if (slot_ == kNoSlot) {
        errno = EMFILE;
        return;
    }
    Slot& slot = registry.slots[slot_];
    std::memcpy(slot.path.data(), name.c_str(), name.size() + 1);
    // Registered before it exists: removing a name not yet made does no harm.
    slot.state.store(kInUse);
    descriptor_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor_ < 0) {
        const int reason = errno;
        slot.state.store(kFree);
        slot_ = kNoSlot;
        errno = reason;
    }
}

int PendingTemporary::Close()
{
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor < 0 ? 0 : ::close(descriptor);
}

PendingTemporary::~PendingTemporary()
{
    Close();
    if (slot_ != kNoSlot)
        TheRegistry().slots[slot_].state.store(kFree);
}

} // namespace tamr
