#include "image/FileType.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace tamr {

namespace {

// True when the bytes at `offset` spell `text` in either letter case.
bool SpellsAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text)
{
    if (bytes.size() < offset + text.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::toupper(bytes[offset + i]) != text[i])
            return false;
    return true;
}

// A start-of-image marker followed by any marker. Cameras and most programs
// write JPEG files that start with an Exif or other segment instead of the
// JFIF one; they are the same kind of file to the reader.
bool StartsAnyJpeg(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool StartsPng(std::span<const std::uint8_t> bytes)
{
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return bytes.size() >= sizeof kSignature && std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

// "P1" to "P7", "PF" or "Pf", then a white-space byte or a comment: every
// kind of PNM file (with PAM and the floating-point kinds), so that the
// reader can say why it refuses the ones it does not take.
bool StartsPnm(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 3 || bytes[0] != 'P')
        return false;
    const std::uint8_t kind = bytes[1];
    const bool known = (kind >= '1' && kind <= '7') || kind == 'F' || kind == 'f';
    return known && (std::isspace(bytes[2]) != 0 || bytes[2] == '#');
}

} // namespace

FileType DetectFileType(std::span<const std::uint8_t> bytes, std::string_view fullName)
{
    if (bytes.size() >= 2 && ((bytes[0] == 'B' && bytes[1] == 'M') || (bytes[0] == 'M' && bytes[1] == 'B')))
        return FileType::Bmp;
    if (SpellsAt(bytes, 0, "CIS"))
        return FileType::Cod;
    if (SpellsAt(bytes, 6, "JFIF") || StartsAnyJpeg(bytes))
        return FileType::Jpeg;
    if (SpellsAt(bytes, 0, "GIF"))
        return FileType::Gif;
    if (StartsPng(bytes))
        return FileType::Png;
    if (StartsPnm(bytes))
        return FileType::Pnm;
    if (!bytes.empty() &&
        (fullName.find(".tga") != std::string_view::npos || fullName.find(".TGA") != std::string_view::npos))
        return FileType::Tga;
    return FileType::Unknown;
}

const char* FileTypeName(FileType type)
{
    switch (type) {
    case FileType::Bmp:
        return "BMP";
    case FileType::Cod:
        return "COD";
    case FileType::Tga:
        return "TGA";
    case FileType::Gif:
        return "GIF";
    case FileType::Jpeg:
        return "JPEG";
    case FileType::Png:
        return "PNG";
    case FileType::Pnm:
        return "PNM";
    case FileType::Unknown:
        break;
    }
    return "unknown";
}

} // namespace tamr
