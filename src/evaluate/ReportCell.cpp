#include "evaluate/ReportCell.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace tamr {

std::string ReportCell(const char* format, double value)
{
    if (!std::isfinite(value))
        return "n/a";
    std::array<char, 48> text{};
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

} // namespace tamr
