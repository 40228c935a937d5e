#include "codec/VectorText.h"

#include <cstdio>
#include <limits>

namespace tamr {

namespace {

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<std::int16_t> ParseVector(std::string_view text, int count)
{
    std::vector<std::int16_t> entries;
    if (count <= 0) {
        return entries;
    }
    entries.reserve(static_cast<std::size_t>(count));

    constexpr int kLargest = std::numeric_limits<std::int16_t>::max();
    std::size_t pos = 0;
    std::int16_t last = 0;
    while (static_cast<int>(entries.size()) < count) {
        while (pos < text.size() && !IsDecimalDigit(text[pos])) {
            ++pos;
        }
        if (pos < text.size()) {
            int value = 0;
            while (pos < text.size() && IsDecimalDigit(text[pos])) {
                value = value * 10 + (text[pos] - '0');
                if (value > kLargest) {
                    value = kLargest;
                }
                ++pos;
            }
            last = static_cast<std::int16_t>(value);
        }
        entries.push_back(last);
    }
    return entries;
}

std::string FormatVector(std::span<const std::int16_t> entries)
{
    std::string text;
    for (const std::int16_t entry : entries) {
        char field[16];
        std::snprintf(field, sizeof field, "%3d,", static_cast<int>(entry));
        text += field;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

} // namespace tamr
