#pragma once
// What a reader finds in a file about how its picture is meant to be shown
// (which way up, in which colours), and what the orientation and colour step
// made of it.

#include <cstdint>
#include <string>
#include <vector>

namespace tamr {

struct PictureMetadata {
    // Found by the reader.

    // The Exif block as TIFF data (its byte-order mark first), when the file has one.
    std::vector<std::uint8_t> exif;
    // The orientation (1 to 8, as Exif numbers them) the file gives outside
    // its Exif block (TIFF's own tag, AVIF's rotation and mirror, JPEG XL's
    // codestream); 0: none, the Exif block's counts.
    int orientation = 0;
    // The library has turned the picture upright itself (libheif), so it is
    // not turned again; `orientation` says how, where the library tells.
    bool orientedByReader = false;
    // The embedded ICC profile, as the file holds it.
    std::vector<std::uint8_t> iccProfile;
    // The file has a profile that could not be taken out of it whole.
    bool iccProfileDamaged = false;
    // The depth of the file's samples (1 to 16); the pixels are 8-bit whatever it is.
    int bitsPerSample = 8;

    // Filled in by the orientation and colour step.

    // The orientation the picture was turned by: 1 when it was upright already.
    int appliedOrientation = 1;
    // The embedded profile's description; empty when there is none.
    std::string profileName;
};

} // namespace tamr
