#include "enhance/FilterKernel.h"

#include <algorithm>
#include <limits>

namespace tamr {

FilterKernel PrepareKernel(const FilterKernel& kernel)
{
    FilterKernel prepared;
    for (std::size_t i = 0; i < kernel.k.size(); ++i) {
        prepared.k[i] = std::clamp(kernel.k[i], -kKernelLimit, kKernelLimit);
    }
    prepared.divisor = std::clamp(kernel.divisor, -kKernelLimit, kKernelLimit);
    if (prepared.divisor == 0) {
        prepared.divisor = 1;
    }
    return prepared;
}

std::int32_t ClampIntensity(std::int32_t intensity)
{
    return std::clamp(intensity, kMinIntensity, kMaxIntensity);
}

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::int32_t ParseEditNumber(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && IsWhiteSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulated as a magnitude in 64 bits and capped just past the 32-bit
    // range, so any number of digits is read without overflow.
    constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (at < text.size() && IsDigit(text[at])) {
        magnitude = std::min(cap, magnitude * 10 + (text[at] - '0'));
        ++at;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace tamr
