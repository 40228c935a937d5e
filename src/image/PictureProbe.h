#pragma once
// What opening a file would show of its picture, read from its headers alone.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/FileType.h"
#include "platform/Limits.h"

namespace tamr {

struct PictureFacts {
    FileType kind = FileType::Unknown;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0; // as the picture is held: 24 for colour, 8 for gray
    bool colour = false;
    int reserved = 0;          // the first reserved word of a BMP file header, else 0
    std::string reader{};      // which reader reads the picture
    int orientation = 1;       // how the file's picture is turned upright (Exif's 1 to 8)
    std::string profileName{}; // the embedded colour profile's description; empty: none
    int bitsPerSample = 8;     // the depth of the file's samples

    bool operator==(const PictureFacts&) const = default;
};

// The kind, size, depth and colour of the picture in a whole file, as opening
// it would give them, without decoding a pixel: the readers check their
// headers and limits exactly as when opening. Nothing, telling no one, when
// opening would refuse the file at its headers or the headers alone cannot
// tell (opening the file then says why); a file whose pixel data is damaged
// may still have its facts.
std::optional<PictureFacts> ProbePicture(std::span<const std::uint8_t> file, std::string_view fullName,
                                         const Limits& limits);

// The same for a file on disk, mapped so that only the bytes looked at are read.
std::optional<PictureFacts> ProbePictureFile(const std::filesystem::path& path, const Limits& limits);

} // namespace tamr
