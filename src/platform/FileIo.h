#pragma once
// Whole-file reading and crash-safe whole-file writing.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/Limits.h"

namespace tamr {

// The whole file; Unsupported when it is not a regular file or cannot be
// opened, TooLarge beyond one block, OutOfMemory, Truncated when it reads short.
Result<ByteBlock> ReadFileBytes(const std::filesystem::path& path, const Limits& limits = {});

// The calls the atomic writer makes on its open temporary file. The defaults
// are the system's; a test derives one that fails part-way, as a full disk
// or a failing device does.
class FileOutput {
public:
    virtual ~FileOutput() = default;
    // Writes up to `size` bytes; the count written, or -1 with errno set.
    virtual ssize_t Write(int descriptor, const std::uint8_t* data, std::size_t size) const;
    // Flushes the file to the disk; 0, or -1 with errno set.
    virtual int Sync(int descriptor) const;
};

// Writes to a temporary file beside the target (".NAME.tamr-XXXXXX", NAME cut
// short so that any name the folder takes still leaves room) and renames it
// over the target only once everything is written and flushed. On failure,
// and when SIGINT, SIGTERM or SIGHUP ends the program part-way, the old file
// is left byte for byte as it was and no temporary file remains.
// - A target that is a symbolic link, even one naming a file that does not
//   exist yet, has the file at the end of its links written; the links stay.
// - Only regular files are replaced: a folder, FIFO, socket or device is left
//   alone and the write fails.
// - A replaced file keeps its permission bits, and its owner and group where
//   the user may give them (root always); one the user may not write is not
//   replaced.
// The pieces are written one after the other, as one file. Returns false with
// a reason in *error when given.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string* error = nullptr, const FileOutput& output = FileOutput());
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr, const FileOutput& output = FileOutput());

// True when both names lead to the same existing file (device and inode).
bool SameFile(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace tamr
