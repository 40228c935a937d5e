#pragma once
// A temporary file that must not outlive an interrupted program: while one of
// these names it, a SIGINT, SIGTERM or SIGHUP that would end the process
// (its action is the default one) first removes the file. Creating the first
// one also makes SIGXFSZ ignored when its action is the default, so that a
// write past the file-size limit fails with EFBIG instead of killing the
// process and leaving the file behind.

#include <cstddef>
#include <filesystem>

namespace tamr {

class PendingTemporary {
public:
    // `path` should be absolute: the handler may run after the current folder changed.
    explicit PendingTemporary(const std::filesystem::path& path);
    ~PendingTemporary();
    PendingTemporary(const PendingTemporary&) = delete;
    PendingTemporary& operator=(const PendingTemporary&) = delete;

    // False when the path was too long or every slot was taken: the file is
    // then not removed by a signal (the write itself goes on as usual).
    bool Guarded() const { return slot_ != kNoSlot; }

private:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    std::size_t slot_ = kNoSlot;
};

} // namespace tamr
