#include "platform/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace tamr {

std::optional<ByteBlock> ReadFileBytes(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxInputFileBytes)
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    auto bytes = AllocateBlock(static_cast<std::size_t>(size));
    if (!bytes)
        return std::nullopt;
    file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(file.gcount()) != size)
        return std::nullopt;
    return bytes;
}

namespace {

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool WriteAll(int descriptor, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string* error)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
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

    const bool written = WriteAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    const std::string writeError = written ? std::string() : SystemError("cannot write " + temporary.string());
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return fail(written ? SystemError("cannot close " + temporary.string()) : writeError);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = SystemError("cannot replace " + path.string());
        std::remove(temporary.c_str());
        return fail(reason);
    }
    return true;
}

} // namespace tamr
