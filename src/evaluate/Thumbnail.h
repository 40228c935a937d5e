#pragma once
// A small picture of a picture file for a report: opened as the program opens
// it, reduced by averaging blocks until its longer side is at most
// kThumbnailSide pixels, as a PNG data URI.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/PictureReaderTable.h"
#include "platform/Limits.h"

namespace tamr {

inline constexpr int kThumbnailSide = 128;

// The small picture as a PNG file, its longer side at most `side` pixels; empty
// when the file cannot be opened.
std::vector<std::uint8_t> ThumbnailPng(const std::filesystem::path& picture, const Limits& limits, ReadPolicy policy,
                                       std::uint32_t side);

// "data:image/png;base64,..." of the kThumbnailSide picture; empty when the file cannot be opened.
std::string ThumbnailDataUri(const std::filesystem::path& picture, const Limits& limits, ReadPolicy policy);

} // namespace tamr
