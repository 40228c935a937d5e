#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

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

// The file a write to `path` replaces: the end of a chain of symbolic links,
// so that the link itself stays in place.
std::filesystem::path ResolvedTarget(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const auto resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved;
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

} // namespace

bool WriteFileAtomically(const std::filesystem::path& requested, std::span<const std::uint8_t> bytes,
                         std::string* error, const FileOutput& output)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const std::filesystem::path path = ResolvedTarget(requested);
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return fail(SystemError("cannot replace " + path.string()));
    }
    // A file the user may not write is not replaced behind its back by a rename.
    if (replacing && ::access(path.c_str(), W_OK) != 0)
        return fail(SystemError("cannot replace " + path.string()));

    std::random_device entropy;
    std::filesystem::path temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt) {
        temporary = folder / ("." + path.filename().string() + ".tmp" + std::to_string(entropy()));
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor < 0 && errno != EEXIST)
            return fail(SystemError("cannot create " + temporary.string()));
    }
    if (descriptor < 0)
        return fail("cannot create a temporary file in " + folder.string());

    // A replaced file keeps its permissions (a private file stays private).
    if (replacing)
        ::fchmod(descriptor, existing.st_mode & 07777);
    const bool written = WriteAll(output, descriptor, bytes) && output.Sync(descriptor) == 0;
    const std::string writeError = written ? std::string() : SystemError("cannot write " + temporary.string());
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed) {
        const std::string reason = written ? SystemError("cannot close " + temporary.string()) : writeError;
        std::remove(temporary.c_str());
        return fail(reason);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = SystemError("cannot replace " + path.string());
        std::remove(temporary.c_str());
        return fail(reason);
    }
    SyncFolder(folder);
    return true;
}

} // namespace tamr
