#pragma once
// Whole-file reading and crash-safe whole-file writing.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "platform/ByteBlock.h"

namespace tamr {

// Files larger than this are refused before anything is allocated.
inline constexpr std::uintmax_t kMaxInputFileBytes = std::uintmax_t{1} << 31;

// The whole file, or nothing when it cannot be opened, is too large or fails to read.
std::optional<ByteBlock> ReadFileBytes(const std::filesystem::path& path);

// Writes to a temporary file in the target's folder and renames it over the
// target only once everything is written and flushed; on failure the old file
// is left as it was. Returns false with a reason in *error when given.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr);

} // namespace tamr
