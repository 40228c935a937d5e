#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "platform/PendingTemporary.h"

namespace tamr {

Result<ByteBlock> ReadFileBytes(const std::filesystem::path& path, const Limits& limits)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return FailureKind::Unsupported;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return FailureKind::Unsupported;
    if (size > limits.maxBlockBytes)
        return FailureKind::TooLarge;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return FailureKind::Unsupported;
    auto bytes = AllocateBlock(static_cast<std::size_t>(size));
    if (!bytes)
        return FailureKind::OutOfMemory;
    file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(file.gcount()) != size)
        return FailureKind::Truncated;
    return std::move(*bytes);
}

ssize_t FileOutput::Write(int descriptor, const std::uint8_t* data, std::size_t size) const
{
    return ::write(descriptor, data, size);
}

int FileOutput::Sync(int descriptor) const
{
    return ::fsync(descriptor);
}

namespace {

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool WriteAll(const FileOutput& output, int descriptor, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = output.Write(descriptor, bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (result == 0) {
            errno = EIO; // no progress: give up rather than spin
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

// As the kernel resolves names.
constexpr int kMaxLinkHops = 40;

// The file a write to `path` replaces or creates: the end of its chain of
// symbolic links, so that the links stay in place, also when the last one
// names a file that does not exist yet.
std::optional<std::filesystem::path> FollowLinks(std::filesystem::path path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode))
            return path;
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            errno = error.value();
            return std::nullopt;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Room the temporary name keeps beside the target's name: its dot and ".tamr-XXXXXX".
constexpr std::string_view kTemporaryTag = ".tamr-";
constexpr std::size_t kRandomLetters = 6;
// Short enough for any folder, long enough to tell which file it was for.
constexpr std::size_t kTemporaryNameLimit = 64;

bool IsUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string TemporaryName(const std::string& target, std::mt19937& random)
{
    std::size_t keep = std::min(target.size(), kTemporaryNameLimit - 1 - kTemporaryTag.size() - kRandomLetters);
    while (keep > 0 && keep < target.size() && IsUtf8Continuation(target[keep]))
        --keep;
    constexpr std::string_view letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string name = "." + target.substr(0, keep) + std::string(kTemporaryTag);
    for (std::size_t i = 0; i < kRandomLetters; ++i)
        name += letters[pick(random)];
    return name;
}

// Makes the folder's new entry durable; a folder that cannot be flushed is no failure of the write.
void SyncFolder(const std::filesystem::path& folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// The temporary file gets the replaced file's owner, group and permissions
// before anything is in it. Only root may give a file away; a user may still
// keep a group they belong to. What cannot be kept is not kept, as when the
// file is written in place.
void KeepOwnerAndMode(int descriptor, const struct stat& existing)
{
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
        if (::fchown(descriptor, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(descriptor, static_cast<uid_t>(-1), existing.st_gid);
    }
    // After the owner: a change of owner may clear the set-id bits.
    ::fchmod(descriptor, existing.st_mode & 07777);
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& requested, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string* error, const FileOutput& output)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const auto resolved = FollowLinks(requested);
    if (!resolved)
        return fail(SystemError("cannot follow the links of " + requested.string()));
    const std::filesystem::path& path = *resolved;
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return fail(SystemError("cannot replace " + path.string()));
    }
    // A FIFO, socket or device is no file to replace (and opening a FIFO could wait forever).
    if (replacing && !S_ISREG(existing.st_mode))
        return fail("cannot replace " + path.string() + ": not a regular file");
    // A file the user may not write is not replaced behind its back by a rename.
    if (replacing && ::access(path.c_str(), W_OK) != 0)
        return fail(SystemError("cannot replace " + path.string()));

    std::error_code absoluteError;
    const std::filesystem::path absoluteFolder = std::filesystem::absolute(folder, absoluteError);
    std::mt19937 random{std::random_device{}()};
    std::filesystem::path temporary;
    std::optional<PendingTemporary> pending;
    int descriptor = -1;
    for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt) {
        temporary = (absoluteError ? folder : absoluteFolder) / TemporaryName(path.filename().string(), random);
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor < 0 && errno != EEXIST)
            return fail(SystemError("cannot create " + temporary.string()));
    }
    if (descriptor < 0)
        return fail("cannot create a temporary file in " + folder.string());
    pending.emplace(temporary);

    if (replacing)
        KeepOwnerAndMode(descriptor, existing);
    bool written = true;
    for (const auto piece : pieces)
        written = written && WriteAll(output, descriptor, piece);
    written = written && output.Sync(descriptor) == 0;
    const std::string writeError = written ? std::string() : SystemError("cannot write " + temporary.string());
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed) {
        const std::string reason = written ? SystemError("cannot close " + temporary.string()) : writeError;
        ::unlink(temporary.c_str());
        return fail(reason);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = SystemError("cannot replace " + path.string());
        ::unlink(temporary.c_str());
        return fail(reason);
    }
    SyncFolder(folder);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string* error,
                         const FileOutput& output)
{
    const std::array<std::span<const std::uint8_t>, 1> pieces{bytes};
    return WriteFileAtomically(path, pieces, error, output);
}

bool SameFile(const std::filesystem::path& first, const std::filesystem::path& second)
{
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace tamr
