#pragma once
// Which kind of image a file holds, decided by its first bytes (TGA by name).

#include <cstdint>
#include <span>
#include <string_view>

namespace tamr {

// The values are the document's source types.
enum class FileType : int { Unknown = 0, Bmp = 1, Cod = 2, Tga = 3, Gif = 4, Jpeg = 5 };

// Tests, in this order: "BM"/"MB"; "CIS" in any case; "JFIF" at byte 6 in any
// case; "GIF" in any case; a non-empty file whose full name contains ".tga"
// or ".TGA". Bytes missing from a short file never match.
FileType DetectFileType(std::span<const std::uint8_t> bytes, std::string_view fullName);

const char* FileTypeName(FileType type);

} // namespace tamr
