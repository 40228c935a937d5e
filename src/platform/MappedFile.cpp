#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tamr {

Result<MappedFile> MappedFile::Open(const std::filesystem::path& path, const Limits& limits)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return FailureKind::Unsupported;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return FailureKind::Unsupported;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > limits.maxBlockBytes) {
        ::close(descriptor);
        return FailureKind::TooLarge;
    }
    if (size == 0) {
        ::close(descriptor);
        return MappedFile(nullptr, 0);
    }
    void* data = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, descriptor, 0);
    ::close(descriptor); // the mapping keeps the file
    if (data == MAP_FAILED)
        return FailureKind::Unsupported;
    return MappedFile(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size));
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        if (data_ != nullptr)
            ::munmap(const_cast<std::uint8_t*>(data_), size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedFile::~MappedFile()
{
    if (data_ != nullptr)
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

} // namespace tamr
