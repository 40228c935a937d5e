#pragma once
// Opening image files for the command line: the kind is decided by content.

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/FileType.h"
#include "platform/Prompter.h"

namespace tamr {

struct OpenedImage {
    std::unique_ptr<CDibImage> image;
    std::unique_ptr<WaveletCodec> codec;
    FileType type = FileType::Unknown;
    std::size_t fileSize = 0;
};

// Reads an image file of any kind tamr opens. Problems are told through the prompter (or, when the
// system has no message for them, written to err); nothing on failure.
std::optional<OpenedImage> OpenImageFile(const std::filesystem::path& path, const CodecSettings& settings,
                                         Prompter& prompter, std::ostream& err);

// Writes a whole file so that a failure leaves any old file intact.
bool SaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err);

} // namespace tamr
