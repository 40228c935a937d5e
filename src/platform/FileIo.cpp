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
#include <vector>

#include "platform/PendingTemporary.h"

namespace tamr {

namespace {

// A pipe read to its end, the block growing as the bytes come, never beyond `cap`.
Result<ByteBlock> ReadStream(const std::filesystem::path& path, std::uint64_t cap)
{
    // Not blocking on opening: a FIFO without a writer reads as empty.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return FailureKind::Unsupported;
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 1 << 16;
    bool failed = false;
    try {
        for (;;) {
            if (bytes.size() > cap) {
                ::close(descriptor);
                return FailureKind::TooLarge;
            }
            const std::size_t have = bytes.size();
            bytes.resize(have + kChunk);
            const ssize_t count = ::read(descriptor, bytes.data() + have, kChunk);
            bytes.resize(have + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
            if (count == 0)
                break;
            if (count < 0 && errno != EINTR) {
                failed = true;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        ::close(descriptor);
        return FailureKind::OutOfMemory;
    }
    ::close(descriptor);
    if (failed)
        return FailureKind::Truncated;
    auto block = AllocateBlock(bytes.size());
    if (!block)
        return FailureKind::OutOfMemory;
    std::copy(bytes.begin(), bytes.end(), block->data());
    return std::move(*block);
}

} // namespace

Result<ByteBlock> ReadFileBytes(const std::filesystem::path& path, const Limits& limits)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!error && std::filesystem::is_fifo(status))
        return ReadStream(path, limits.MaxStreamBytes());
    if (error || !std::filesystem::is_regular_file(status))
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
    // The reason is the system's own text ("Read-only file system"): the
    // caller names the file, and the temporary name would only confuse.
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    auto failWithErrno = [&fail] { return fail(std::strerror(errno)); };
    const auto resolved = FollowLinks(requested);
    if (!resolved)
        return failWithErrno();
    const std::filesystem::path& path = *resolved;
    if (path.filename().empty()) {
        errno = EISDIR;
        return failWithErrno();
    }
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return failWithErrno();
    }
    // A FIFO, socket or device is no file to replace.
    if (replacing && !S_ISREG(existing.st_mode))
        return fail(std::string(kNotRegularFile));
    // A file the user may not write is not replaced behind its back by a rename.
    if (replacing && ::access(path.c_str(), W_OK) != 0)
        return failWithErrno();

    std::error_code absoluteError;
    const std::filesystem::path absoluteFolder = std::filesystem::absolute(folder, absoluteError);
    std::mt19937 random{std::random_device{}()};
    std::filesystem::path temporary;
    std::optional<PendingTemporary> pending;
    for (int attempt = 0; attempt < 16 && (!pending || pending->Descriptor() < 0); ++attempt) {
        temporary = (absoluteError ? folder : absoluteFolder) / TemporaryName(path.filename().string(), random);
        pending.emplace(temporary);
        if (pending->Descriptor() < 0 && errno != EEXIST)
            return failWithErrno();
    }
    if (pending->Descriptor() < 0)
        return failWithErrno();
    const int descriptor = pending->Descriptor();

    if (replacing)
        KeepOwnerAndMode(descriptor, existing);
    bool written = true;
    for (const auto piece : pieces)
        written = written && WriteAll(output, descriptor, piece);
    written = written && output.Sync(descriptor) == 0;
    const int writeErrno = errno;
    const bool closed = pending->Close() == 0;
    if (!written || !closed) {
        const std::string reason = std::strerror(written ? errno : writeErrno);
        ::unlink(temporary.c_str());
        return fail(reason);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
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

namespace {

// The descriptor a name stands for: "-" the standard output, /dev/stdout,
// /dev/stderr, /dev/fd/N and /proc/self/fd/N the descriptor they name, so that
// a redirection's offset and append mode are kept.
std::optional<int> NamedDescriptor(const std::filesystem::path& path)
{
    const std::string& name = path.native();
    if (name == kStandardStreamName || name == "/dev/stdout")
        return STDOUT_FILENO;
    if (name == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string_view folder : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/")}) {
        if (name.size() <= folder.size() || name.compare(0, folder.size(), folder) != 0)
            continue;
        const std::string number = name.substr(folder.size());
        if (number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int descriptor = std::stoi(number);
        return ::fcntl(descriptor, F_GETFD) == -1 ? std::nullopt : std::optional<int>(descriptor);
    }
    return std::nullopt;
}

int StatOrStandardOutput(const std::filesystem::path& path, struct stat& entry)
{
    const auto descriptor = NamedDescriptor(path);
    return descriptor ? ::fstat(*descriptor, &entry) : ::stat(path.c_str(), &entry);
}

bool WriteInPlace(int descriptor, std::span<const std::span<const std::uint8_t>> pieces, std::string* error,
                  const FileOutput& output)
{
    for (const auto piece : pieces) {
        if (!WriteAll(output, descriptor, piece)) {
            if (error)
                *error = std::strerror(errno);
            return false;
        }
    }
    return true;
}

} // namespace

bool WrittenInPlace(const std::filesystem::path& path)
{
    struct stat entry {};
    return NamedDescriptor(path) ||
           (::stat(path.c_str(), &entry) == 0 && (S_ISCHR(entry.st_mode) || S_ISFIFO(entry.st_mode)));
}

bool WriteOutputFile(const std::filesystem::path& path, std::span<const std::span<const std::uint8_t>> pieces,
                     std::string* error, const FileOutput& output)
{
    if (const auto descriptor = NamedDescriptor(path))
        return WriteInPlace(*descriptor, pieces, error, output);
    if (!WrittenInPlace(path))
        return WriteFileAtomically(path, pieces, error, output);
    // Not blocking on opening: a FIFO that nobody reads fails with ENXIO.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    bool written = WriteInPlace(descriptor, pieces, error, output);
    if (::close(descriptor) != 0 && written) {
        if (error)
            *error = std::strerror(errno);
        written = false;
    }
    return written;
}

bool WriteOutputFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string* error,
                     const FileOutput& output)
{
    const std::array<std::span<const std::uint8_t>, 1> pieces{bytes};
    return WriteOutputFile(path, pieces, error, output);
}

bool SameFile(const std::filesystem::path& first, const std::filesystem::path& second)
{
    struct stat a {};
    struct stat b {};
    return StatOrStandardOutput(first, a) == 0 && StatOrStandardOutput(second, b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace tamr
