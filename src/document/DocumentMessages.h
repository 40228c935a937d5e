#pragma once
// What the document and the commands around it tell the user, each text
// written once; the readers keep their own texts beside them.

#include <string>
#include <string_view>

#include "image/ImageMessages.h" // kReadErrorMessage
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

inline constexpr std::string_view kDecompressErrorMessage = "file can not be decompressed!!";
inline constexpr std::string_view kCompressErrorMessage = "Errors occur during compressing/Decompressing";
inline constexpr std::string_view kCannotSaveMessage = "Cannot Save to the file!!";
inline constexpr std::string_view kNotThisTypeMessage = "The file is not this type!!";
inline constexpr std::string_view kJpegSourceWarning = "Orginal Image is compressed by JPEG!!";

// Compress failed: a plain box under the application's title.
inline Message CompressErrorBox()
{
    return {std::string(kCompressErrorMessage), "", MessageIcon::None, MessageButtons::Ok};
}

// Why a picture was refused by the decode limit, after its name.
inline std::string DecodeLimitText(const Limits& limits)
{
    return "decodes to more than the limit of " + std::to_string(limits.maxDecodedBytes / (1 << 20)) +
           " MiB of picture; raise it with --max-megapixels N";
}

} // namespace tamr
