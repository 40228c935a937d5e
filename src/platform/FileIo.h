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

// The whole file; Unsupported when it cannot be opened or is a folder,
// device or socket, TooLarge beyond one block, OutOfMemory, Truncated when it
// reads short. A pipe (standard input as /dev/stdin, a FIFO) is read to its
// end, up to limits.MaxStreamBytes(): it has no size to check first.
Result<ByteBlock> ReadFileBytes(const std::filesystem::path& path, const Limits& limits = {});

// The reason a write gives for a target that is neither a regular file nor
// written in place (a socket, say).
inline constexpr std::string_view kNotRegularFile = "not a regular file";

// The name that stands for the standard output.
inline constexpr std::string_view kStandardStreamName = "-";

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

// Every file the programs write goes through here:
// - the name "-" is the standard output, written as it comes;
// - a name that leads (through its links) to a character device or a FIFO is
//   written in place, never replaced nor renamed next to: a terminal,
//   /dev/null, /dev/stdout on a pipe. A FIFO that no process reads is refused
//   at once (ENXIO) rather than waited for;
// - any other name is written with WriteFileAtomically.
// Returns false with the system's reason in *error when given.
bool WriteOutputFile(const std::filesystem::path& path, std::span<const std::span<const std::uint8_t>> pieces,
                     std::string* error = nullptr, const FileOutput& output = FileOutput());
bool WriteOutputFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                     std::string* error = nullptr, const FileOutput& output = FileOutput());

// True when `path` is written in place by WriteOutputFile: "-", or a name
// that leads to a character device or FIFO.
bool WrittenInPlace(const std::filesystem::path& path);

// True when both names lead to the same existing file (device and inode);
// "-" stands for the standard output.
bool SameFile(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace tamr
