#pragma once
// The Filters dialog as the user sees it: its texts and control identifiers,
// for the shell that draws it, and the message of the Filters command.

#include <array>
#include <string_view>

#include "enhance/FilterList.h"

namespace tamr {

inline constexpr std::string_view kFiltersTitle = "Filters";
inline constexpr std::string_view kFilterListGroup = "Filter list";
inline constexpr std::string_view kMultipliersGroup = "Multipiers -255 to +255";
inline constexpr std::string_view kDivisorGroup = "Divisor -255 to +255";
inline constexpr std::string_view kIntensityGroup = "Intensity 1-9";
inline constexpr std::string_view kOkButton = "OK";
inline constexpr std::string_view kCancelButton = "Cancel";
inline constexpr std::string_view kDefaultButton = "Default";
inline constexpr std::string_view kApplyButton = "Apply";

inline constexpr int kFiltersTemplateId = 143;
inline constexpr int kFilterListId = 1047;
inline constexpr int kDefaultButtonId = 1049;
inline constexpr int kApplyButtonId = 1050;
// Indexed by FilterEdit: k0 to k8, divisor, intensity.
inline constexpr std::array<int, kFilterEditCount> kFilterEditIds{1043, 1051, 1052, 1053, 1054, 1055,
                                                                  1056, 1057, 1058, 1059, 1060};

// Shown with the stop icon when the copies of the image cannot be made.
inline constexpr std::string_view kFilterMemoryMessage = "Not enough memory to filter image";
inline constexpr std::string_view kFilterMemoryCaption = "Error";

} // namespace tamr
