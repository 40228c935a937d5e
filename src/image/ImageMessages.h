#pragma once
// What the image model tells the user when a load fails.

#include <string>
#include <string_view>

#include "platform/Prompter.h"

namespace tamr {

inline constexpr std::string_view kErrorCaption = "ERROR";
inline constexpr std::string_view kMemoryErrorCaption = "MEMORY ERROR!";

// Opening a file failed for a reason no other box has told.
inline constexpr std::string_view kReadErrorMessage = "There was an error reading the file!!";

inline constexpr std::string_view kDepthMessage = "The file is not in a 24 bit or 8 bit mode";
inline constexpr std::string_view kCompressedMessage = "TAMR does not support compressed format of bitmap";
inline constexpr std::string_view kMemoryLowMessage = "Memory is low";

// Refusals of headers the image cannot hold.
inline constexpr std::string_view kPictureSizeMessage = "The width and height of the image must be 1 to 65535 pixels";
inline constexpr std::string_view kTooLargeMessage = "The image is too large to be held in memory";
inline constexpr std::string_view kHeaderIncompleteMessage = "The file ends inside its bitmap header";
inline constexpr std::string_view kHeaderUnknownMessage = "The bitmap header is of an unknown kind";
// A large picture of which the file holds only a small part.
inline constexpr std::string_view kPictureMissingMessage = "The file ends long before the end of its picture";

// Every failure of the image model is an error box with an OK button.
inline void ShowImageError(Prompter& prompter, std::string_view text, std::string_view caption = kErrorCaption)
{
    prompter.ShowError(std::string(text), std::string(caption));
}

} // namespace tamr
