#include "document/CsvText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tamr {

std::string CsvNumber(double value)
{
    if (!std::isfinite(value))
        return "";
    std::array<char, 40> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return {text.data(), end};
}

std::string CsvQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace tamr
