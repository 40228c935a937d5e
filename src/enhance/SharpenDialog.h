#pragma once
// The "Sharpen image" dialog as the user sees it: its template, controls and
// texts, shared by the session logic and the desktop dialog that shows it.

#include <array>
#include <string_view>

namespace tamr {

inline constexpr int kSharpenDialogTemplate = 136;
inline constexpr std::string_view kSharpenDialogTitle = "Sharpen image";
inline constexpr int kSharpenDialogWidthUnits = 190;
inline constexpr int kSharpenDialogHeightUnits = 95;

// The three rows of the dialog, top to bottom.
enum class SharpenBar { Top, Middle, Bottom };

struct SharpenRowControls {
    int labelId;
    std::string_view label;
    int scrollBarId;
    int percentTextId;
};

inline constexpr std::array<SharpenRowControls, 3> kSharpenRows{{
    {1020, "Red", 1013, 1014},
    {1021, "Green", 1012, 1015},
    {1022, "Blue", 1011, 1016},
}};

// The top label of a gray image.
inline constexpr std::string_view kSharpenGrayLabel = "Gray scale";
// Every percent text before the first scroll.
inline constexpr std::string_view kSharpenInitialPercentText = "50%";

inline constexpr int kSharpenOkId = 1;
inline constexpr std::string_view kSharpenOkText = "OK";
inline constexpr int kSharpenCancelId = 2;
inline constexpr std::string_view kSharpenCancelText = "Cancel";
inline constexpr int kSharpenApplyId = 1024;
inline constexpr std::string_view kSharpenApplyText = "Apply";

// Shown (stop icon) when the copy of the image cannot be made; the dialog is then not shown.
inline constexpr std::string_view kSharpenMemoryMessage = "Not enough memory do sharpen image";
inline constexpr std::string_view kSharpenMemoryCaption = "Error";

} // namespace tamr
