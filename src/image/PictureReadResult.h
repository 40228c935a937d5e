#pragma once
// What the PNG and PNM readers hand back: a packed image block, or why there
// is none, and whether transparent pixels were composited over white.

#include <optional>
#include <string>

#include "platform/ByteBlock.h"

namespace tamr {

struct PictureReadResult {
    // The packed image block (8-bit gray with the gray ramp, or 24 bits);
    // nothing when the file was refused.
    std::optional<ByteBlock> block;
    // Why the file was refused, for the line under the read error.
    std::string failure;
    // Some pixel was not fully opaque and now shows over white.
    bool composited = false;
    // Refused by the decode limit, which the user can raise.
    bool overDecodeLimit = false;
    // The file's extra chunks (text, profiles ...) were more than the reader
    // keeps: refused so (chunkLimitsHit), or read again without them (skippedChunks).
    bool chunkLimitsHit = false;
    bool skippedChunks = false;

    static PictureReadResult Refused(std::string reason)
    {
        PictureReadResult result;
        result.failure = std::move(reason);
        return result;
    }
    static PictureReadResult OverDecodeLimit()
    {
        PictureReadResult result = Refused("the picture is larger than the decode limit");
        result.overDecodeLimit = true;
        return result;
    }
};

} // namespace tamr
