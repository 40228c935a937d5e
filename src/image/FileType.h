#pragma once
// Which kind of image a file holds, decided by its first bytes (TGA by name).

#include <cstdint>
#include <span>
#include <string_view>

namespace tamr {

// The values are the document's source types.
// PNG and PNM are added beside the five kinds the program started with, and
// after them the kinds only the general readers take.
enum class FileType : int {
    Unknown = 0,
    Bmp = 1,
    Cod = 2,
    Tga = 3,
    Gif = 4,
    Jpeg = 5,
    Png = 6,
    Pnm = 7,
    Tiff = 8,
    WebP = 9,
    Avif = 10,
    Heif = 11,
    Jxl = 12,
};

// Tests, in this order: "BM"/"MB"; "CIS" in any case; "JFIF" at byte 6 in any
// case; "GIF" in any case; the PNG signature; "P1" to "P7", "PF" or "Pf"
// followed by white space or a comment (the PNM reader refuses all but P5 and
// P6 with a reason); then the kinds of the general readers by their
// signatures: TIFF ("II*\0", "MM\0*" and the BigTIFF forms), WebP ("RIFF",
// then "WEBP" at byte 8), AVIF and HEIF (an ISO "ftyp" box whose brands name
// them; AVIF first), JPEG XL (a bare code stream or its container); a non-empty
// file whose full name contains ".tga" or ".TGA". Signatures come before the
// name, so a PNG named x.tga is a PNG. Bytes missing from a short file never match.
FileType DetectFileType(std::span<const std::uint8_t> bytes, std::string_view fullName);

const char* FileTypeName(FileType type);

} // namespace tamr
