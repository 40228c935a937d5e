#include "image/OrientationAndColour.h"

#include <vector>

#include "image/ColourProfile.h"
#include "image/ExifOrientation.h"
#include "image/PictureOrientation.h"

namespace tamr {
namespace {

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// The orientation the file gives (1 when none), with a notice for one that
// cannot be used.
int OrientationOf(const PictureMetadata& metadata, std::vector<std::string>* notices)
{
    int orientation = metadata.orientation;
    if (orientation == 0 && !metadata.exif.empty() && !metadata.orientedByReader) {
        if (!CanReadExif()) {
            if (notices != nullptr)
                notices->emplace_back(kNoExifLibraryNotice);
            return 1;
        }
        orientation = ExifOrientationOf(metadata.exif).value_or(1);
    }
    if (orientation == 0)
        return 1;
    if (orientation < 1 || orientation > 8) {
        if (notices != nullptr)
            notices->emplace_back(kBadOrientationNotice);
        return 1;
    }
    return orientation;
}

std::optional<std::string> ProfileNotice(const ProfileResult& converted)
{
    switch (converted.outcome) {
    case ProfileOutcome::Converted:
        return ConvertedColoursNotice(converted.description);
    case ProfileOutcome::AlreadySrgb:
        return std::nullopt;
    case ProfileOutcome::Damaged:
        return std::string(kDamagedProfileNotice);
    case ProfileOutcome::DoesNotFit:
        return UnfitProfileNotice(converted.description);
    case ProfileOutcome::TooLarge:
        return std::string(kLargeProfileNotice);
    case ProfileOutcome::Unavailable:
        return std::string(kNoColourLibraryNotice);
    }
    return std::nullopt;
}

// The name the profile goes by: its description, or what kept it from being read.
std::string NameOf(const ProfileResult& profile)
{
    if (!profile.description.empty())
        return profile.description;
    const bool read = profile.outcome == ProfileOutcome::Converted || profile.outcome == ProfileOutcome::AlreadySrgb ||
                      profile.outcome == ProfileOutcome::DoesNotFit;
    return std::string(read ? kUnnamedProfile : kUnreadProfile);
}

} // namespace

std::string TurnedUprightNotice(int orientation)
{
    return "Turned upright as the file says (orientation " + std::to_string(orientation) + ")";
}

std::string ConvertedColoursNotice(std::string_view description)
{
    std::string text = "Colours converted to sRGB from the embedded profile";
    if (!description.empty())
        text += " " + Quoted(description);
    return text;
}

std::string UnfitProfileNotice(std::string_view description)
{
    std::string text = "The embedded colour profile";
    if (!description.empty())
        text += " " + Quoted(description);
    return text + " does not fit the picture's colours and was ignored";
}

void TurnUprightAndIntoSrgb(PictureReadResult& result)
{
    PictureMetadata& metadata = result.metadata;
    if (!result.Ok() || !result.block)
        return;
    auto stored = PackedBlockView::Of(*result.block);
    if (!stored)
        return;
    if (metadata.iccProfileDamaged) {
        metadata.profileName = kUnreadProfile;
        result.notices.emplace_back(kDamagedProfileNotice);
    } else if (!metadata.iccProfile.empty()) {
        const ProfileResult converted = ConvertToSrgb(metadata.iccProfile, *stored);
        metadata.profileName = NameOf(converted);
        if (auto notice = ProfileNotice(converted))
            result.notices.push_back(std::move(*notice));
    }
    const int orientation = OrientationOf(metadata, &result.notices);
    if (metadata.orientedByReader) {
        metadata.appliedOrientation = orientation;
        if (orientation != 1)
            result.notices.push_back(TurnedUprightNotice(orientation));
        return;
    }
    if (orientation == 1)
        return;
    auto upright = TurnUpright(*stored, orientation);
    if (!upright) {
        result.notices.emplace_back(kNoRoomToTurnNotice);
        return;
    }
    result.block = std::move(*upright);
    metadata.appliedOrientation = orientation;
    result.notices.push_back(TurnedUprightNotice(orientation));
}

void DescribeOrientationAndColour(PictureMetadata& metadata)
{
    metadata.appliedOrientation = OrientationOf(metadata, nullptr);
    if (metadata.iccProfileDamaged || metadata.iccProfile.empty())
        metadata.profileName = metadata.iccProfileDamaged ? kUnreadProfile : "";
    else if (const auto description = ProfileDescription(metadata.iccProfile))
        metadata.profileName = description->empty() ? kUnnamedProfile : *description;
    else
        metadata.profileName = kUnreadProfile;
}

} // namespace tamr
