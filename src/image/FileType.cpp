#include "image/FileType.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>

#include "image/PictureKinds.h"

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

bool StartsTiff(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4)
        return false;
    const bool little = bytes[0] == 'I' && bytes[1] == 'I' && (bytes[2] == 42 || bytes[2] == 43) && bytes[3] == 0;
    const bool big = bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && (bytes[3] == 42 || bytes[3] == 43);
    return little || big;
}

bool StartsWebP(std::span<const std::uint8_t> bytes)
{
    return SpellsAt(bytes, 0, "RIFF") && SpellsAt(bytes, 8, "WEBP");
}

// The brands of a leading "ftyp" box: the major brand and the compatible
// ones, four bytes each, within the box and the bytes present.
bool FtypNamesBrand(std::span<const std::uint8_t> bytes, std::initializer_list<std::string_view> brands)
{
    if (bytes.size() < 16 || !std::equal(bytes.begin() + 4, bytes.begin() + 8, std::string_view("ftyp").begin()))
        return false;
    const std::size_t boxSize = (std::size_t{bytes[0]} << 24) | (std::size_t{bytes[1]} << 16) |
                                (std::size_t{bytes[2]} << 8) | std::size_t{bytes[3]};
    const std::size_t end = std::min(boxSize, bytes.size());
    auto names = [&](std::size_t offset) {
        for (const std::string_view brand : brands)
            if (std::equal(brand.begin(), brand.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset)))
                return true;
        return false;
    };
    if (names(8))
        return true;
    for (std::size_t offset = 16; offset + 4 <= end; offset += 4)
        if (names(offset))
            return true;
    return false;
}

bool StartsJxl(std::span<const std::uint8_t> bytes)
{
    static constexpr std::uint8_t kContainer[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    const bool codestream = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x0A;
    return codestream || (bytes.size() >= sizeof kContainer &&
                          std::equal(std::begin(kContainer), std::end(kContainer), bytes.begin()));
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
    if (StartsTiff(bytes))
        return FileType::Tiff;
    if (StartsWebP(bytes))
        return FileType::WebP;
    if (FtypNamesBrand(bytes, {"avif", "avis"}))
        return FileType::Avif;
    if (FtypNamesBrand(bytes, {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}))
        return FileType::Heif;
    if (StartsJxl(bytes))
        return FileType::Jxl;
    if (!bytes.empty() &&
        (fullName.find(".tga") != std::string_view::npos || fullName.find(".TGA") != std::string_view::npos))
        return FileType::Tga;
    return FileType::Unknown;
}

const char* FileTypeName(FileType type)
{
    const PictureKind* kind = FindPictureKind(type);
    // The names are literals of the kinds' table, so they end in a null byte.
    return kind != nullptr ? kind->name.data() : "unknown";
}

} // namespace tamr
