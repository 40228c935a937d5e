#pragma once
// A whole file mapped read-only: its bytes are read from the disk only where
// they are looked at, so a look at a file's headers costs no more memory
// than the headers, however large the file.

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/Failure.h"
#include "platform/Limits.h"

namespace tamr {

class MappedFile {
public:
    // Unsupported when it is not a regular file or cannot be opened or
    // mapped, TooLarge beyond one block (as ReadFileBytes).
    static Result<MappedFile> Open(const std::filesystem::path& path, const Limits& limits);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Valid while the mapping lives; empty for an empty file.
    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

private:
    MappedFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace tamr
