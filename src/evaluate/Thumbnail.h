#pragma once
// A small picture of a picture file for a report: opened as the program opens
// it, reduced by averaging blocks until its longer side is at most
// kThumbnailSide pixels, as a PNG data URI.

#include <filesystem>
#include <string>

#include "image/PictureReaderTable.h"
#include "platform/Limits.h"

namespace tamr {

inline constexpr int kThumbnailSide = 128;

// "data:image/png;base64,..."; empty when the file cannot be opened.
std::string ThumbnailDataUri(const std::filesystem::path& picture, const Limits& limits, ReadPolicy policy);

} // namespace tamr
