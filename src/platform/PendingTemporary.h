#pragma once
// A temporary file that must not outlive an interrupted program: while one of
// these holds it, a SIGINT, SIGTERM or SIGHUP that would end the process (its
// action is the default one) first removes the file. Creating the first one
// also makes SIGXFSZ ignored when its action is the default, so that a write
// past the file-size limit fails with EFBIG instead of killing the process
// and leaving the file behind.
//
// Threads create temporaries while a signal may arrive on any of them, so
// creating is one step with registering: the file is made with the ending
// signals blocked in the creating thread, and the handler (on another thread)
// waits until every creation under way is registered before it removes them.
// Once the handler has begun, no new temporary is created.

#include <cstddef>
#include <filesystem>

namespace tamr {

class PendingTemporary {
public:
    // Creates `path` (O_CREAT | O_EXCL, write only) and registers it. `path`
    // should be absolute: the handler may run after the current folder changed.
    explicit PendingTemporary(const std::filesystem::path& path);
    // Closes the descriptor if still open; the file itself stays (it has
    // been renamed into place or removed by then).
    ~PendingTemporary();
    PendingTemporary(const PendingTemporary&) = delete;
    PendingTemporary& operator=(const PendingTemporary&) = delete;

    // The open file, or -1 with errno set: the file could not be created,
    // every slot was taken (EMFILE), or the program is ending (EINTR).
    int Descriptor() const { return descriptor_; }
    // Closes the file; 0, or -1 with errno set.
    int Close();

private:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    std::size_t slot_ = kNoSlot;
    int descriptor_ = -1;
};

} // namespace tamr
