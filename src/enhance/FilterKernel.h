#pragma once
// The numbers a filter is run with: nine multipliers and a divisor for the
// convolution and fill filters, and the texts they are typed in as.

#include <array>
#include <cstdint>
#include <string_view>

namespace tamr {

inline constexpr std::int32_t kKernelLimit = 255;
inline constexpr std::int32_t kMinIntensity = 1;
inline constexpr std::int32_t kMaxIntensity = 9;

// k0, k1, k2 weigh the pixels at x - 1, x, x + 1 of the row stored before the
// current one (the row below it on the screen, rows being bottom-up); k3, k4,
// k5 the current row; k6, k7, k8 the row stored after it.
struct FilterKernel {
    std::array<std::int32_t, 9> k{};
    std::int32_t divisor = 1;

    bool operator==(const FilterKernel&) const = default;
};

// Every multiplier and the divisor clamped to -255 ... 255, then a divisor of
// 0 made 1, so that a typed number can never divide by zero.
FilterKernel PrepareKernel(const FilterKernel& kernel);

// The Despeckle rank: below 1 is 1, above 9 is 9.
std::int32_t ClampIntensity(std::int32_t intensity);

// A signed decimal number read from the start of an edit text: leading white
// space and one sign allowed, reading stops at the first other character, and
// a text without digits ("X", empty) is 0. Numbers beyond the 32-bit range
// saturate instead of overflowing.
std::int32_t ParseEditNumber(std::string_view text);

} // namespace tamr
