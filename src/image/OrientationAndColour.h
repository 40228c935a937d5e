#pragma once
// The step every picture goes through after its reader: turned upright as
// its file says, and converted from its embedded colour profile into sRGB.

#include <string>
#include <string_view>

#include "image/PictureReadResult.h"

namespace tamr {

inline constexpr std::string_view kBadOrientationNotice = "The file's orientation is not one of 1 to 8 and was ignored";
inline constexpr std::string_view kNoExifLibraryNotice =
    "This build of tamr has no libexif: the file's orientation was not applied";
inline constexpr std::string_view kNoRoomToTurnNotice = "There was not enough memory to turn the picture upright";
inline constexpr std::string_view kDamagedProfileNotice = "The embedded colour profile is damaged and was ignored";
inline constexpr std::string_view kLargeProfileNotice =
    "The embedded colour profile is larger than tamr reads and was ignored";
inline constexpr std::string_view kNoColourLibraryNotice =
    "This build of tamr has no lcms2: the embedded colour profile was ignored";

// How `info` names a profile that has no description, or could not be read.
inline constexpr std::string_view kUnnamedProfile = "(unnamed)";
inline constexpr std::string_view kUnreadProfile = "(not read)";

// "Turned upright as the file says (orientation 6)".
std::string TurnedUprightNotice(int orientation);
// "Colours converted to sRGB from the embedded profile "Adobe RGB (1998)"".
std::string ConvertedColoursNotice(std::string_view description);
// "The embedded colour profile "U.S. Web Coated (SWOP) v2" does not fit the picture's colours and was ignored".
std::string UnfitProfileNotice(std::string_view description);

// Turns a picture that was read upright and into sRGB, as its metadata
// says, adding a notice for each thing done or left undone; fills in the
// metadata's appliedOrientation and profileName. A profile that cannot be
// used leaves the colours as they were; nothing here refuses a picture.
void TurnUprightAndIntoSrgb(PictureReadResult& result);

// Fills in appliedOrientation and profileName as the step would, without
// touching a pixel (for a look at the headers alone).
void DescribeOrientationAndColour(PictureMetadata& metadata);

} // namespace tamr
