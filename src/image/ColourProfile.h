#pragma once
// Embedded ICC profiles: their description, and the conversion of a picture
// from its profile's colours into sRGB with lcms2.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "image/PackedBlockView.h"

namespace tamr {

// A larger profile is not read: the largest printer profiles stay below it.
inline constexpr std::size_t kMostProfileBytes = std::size_t{4} << 20;

enum class ProfileOutcome : std::uint8_t {
    // The pixels were converted into sRGB.
    Converted,
    // The profile converts to sRGB without moving any sample by more than a
    // level: it is sRGB (or as good as), and the pixels are left as they were.
    AlreadySrgb,
    // The profile cannot be read or used; the pixels are left as they were.
    Damaged,
    // The profile is of other colours than the picture's (CMYK, Lab, or gray
    // on a colour picture); the pixels are left as they were.
    DoesNotFit,
    // Larger than kMostProfileBytes; not read.
    TooLarge,
    // This build has no lcms2.
    Unavailable,
};

struct ProfileResult {
    ProfileOutcome outcome = ProfileOutcome::Damaged;
    // The profile's own description; empty when it has none or cannot be read.
    std::string description;
};

// False in a build made without lcms2: profiles are neither read nor applied.
bool CanConvertColours();

// The profile's description; nothing when the profile cannot be read.
std::optional<std::string> ProfileDescription(std::span<const std::uint8_t> profile);

// Converts the picture (24-bit colour, or 8-bit gray with the gray ramp) from
// the profile's colours into sRGB, in place: perceptual intent, 8 bits a
// sample, no black-point compensation, lcms2's finer precalculated table.
ProfileResult ConvertToSrgb(std::span<const std::uint8_t> profile, PackedBlockView& picture);

} // namespace tamr
