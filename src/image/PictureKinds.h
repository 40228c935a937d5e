#pragma once
// Every kind of picture file tamr opens, written once: its name, the Open
// dialog's entry and extensions, the other extensions its files are known by,
// and its MIME types. The dialog's filters, the desktop entry, the manual
// pages, tamr-cli's help and its completion are all made from this list.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/FileType.h"

namespace tamr {

struct PictureKind {
    FileType type = FileType::Unknown;
    // How tamr names the kind ("JPEG", "TIFF").
    std::string_view name;
    // The Open dialog's entry; kinds next to each other with the same entry share it.
    std::string_view openEntry;
    // The extensions the Open dialog takes for the kind, lower case, without the dot.
    std::span<const std::string_view> openExtensions;
    // Further extensions its files carry, which the Open dialog does not take.
    std::span<const std::string_view> otherExtensions;
    std::span<const std::string_view> mimeTypes;
    // One of the five kinds the program started with.
    bool original = false;
    // Read through a library only; a build without it leaves the kind out.
    bool needsLibrary = false;
};

// Every kind, in the order of the FileType values, whether or not this build reads it.
std::span<const PictureKind> AllPictureKinds();
// The kinds this build opens: those whose library was missing are left out.
std::vector<const PictureKind*> OpenablePictureKinds();
// The row of a kind; nothing for Unknown.
const PictureKind* FindPictureKind(FileType type);

// Every extension of a kind: the Open dialog's, then the others.
std::vector<std::string_view> AllExtensions(const PictureKind& kind);
// The kinds this build opens, for a sentence: "BMP, TGA, ..., JPEG XL or COD"
// (`last` joins the last two). COD, tamr's own, comes last, or not at all.
std::string PictureKindsText(std::string_view last = "or", bool withCod = true);
// The desktop entry's MIME types of the kinds this build opens, each followed by ';'.
std::string PictureMimeTypesLine();

} // namespace tamr
