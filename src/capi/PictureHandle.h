#pragma once
// What a tamr_picture is: a document of its own, opened as the programs open
// files, with the settings, display and prompter it works with.

#include <optional>
#include <string>

#include "capi/MessageLog.h"
#include "document/TamrDoc.h"
#include "image/TopDownPicture.h"
#include "tamr/tamr.h"

struct tamr_picture {
    tamr::CodecSettings settings;
    tamr::DisplaySettings display;
    tamr::capi::MessageLog log;
    tamr::DocumentEnvironment environment{settings, display, log};
    tamr::CTamrDoc document{environment};
};

namespace tamr::capi {

// Opens a file's bytes into a new picture; `name` decides only for TGA files.
tamr_status OpenPicture(ByteBlock&& bytes, const std::string& name, tamr_picture** picture, tamr_error* error);

// The picture's pixels in the interface's layout: rows from the top, red, green, blue or gray.
std::optional<TopDownPicture> PixelsOf(const tamr_picture& picture);

} // namespace tamr::capi
