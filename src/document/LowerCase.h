#pragma once
// Names and titles are compared without regard to case.

#include <algorithm>
#include <cctype>
#include <string>

namespace tamr {

inline std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace tamr
