#pragma once
// The texts the C interface answers with, each written once.

#include <string_view>

namespace tamr::capi {

inline constexpr std::string_view kNoPicture = "no picture given";
inline constexpr std::string_view kNoBytes = "no bytes given";
inline constexpr std::string_view kNoResultPlace = "no place given for the result";
inline constexpr std::string_view kBadPixelLayout =
    "the pixels need 1 or 3 channels, a width and height of 1 to 65535 and a stride of at least width x channels";
inline constexpr std::string_view kBadQuality = "the quality factor goes from 0 to 100";
inline constexpr std::string_view kBadThreads = "the threads go from 0 (one per processor) to 256";
inline constexpr std::string_view kNotCodFile = "not a COD file";
inline constexpr std::string_view kDifferentPictures = "the pictures differ in size or channels";
inline constexpr std::string_view kCompressFailed = "compressing failed";
inline constexpr std::string_view kCannotRead = "the file cannot be read";
inline constexpr std::string_view kUnknownMetrics = "unknown metrics asked for";

} // namespace tamr::capi
