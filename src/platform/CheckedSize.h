#pragma once
// Sizes computed from values a file declares. Every product and sum is
// checked, so an overflow reads as "too large" instead of wrapping round to
// a small block that later writes would run past.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace tamr {

class CheckedSize {
public:
    // Implicit, so that `CheckedSize(width) * height * 3 + offset` reads as the formula.
    constexpr CheckedSize(std::uint64_t value) : value_(value) {} // NOLINT(google-explicit-constructor)

    constexpr CheckedSize operator*(CheckedSize other) const
    {
        CheckedSize product(value_ * other.value_);
        product.overflowed_ = overflowed_ || other.overflowed_ ||
                              (other.value_ != 0 && value_ > std::numeric_limits<std::uint64_t>::max() / other.value_);
        return product;
    }
    constexpr CheckedSize operator+(CheckedSize other) const
    {
        CheckedSize sum(value_ + other.value_);
        sum.overflowed_ =
            overflowed_ || other.overflowed_ || value_ > std::numeric_limits<std::uint64_t>::max() - other.value_;
        return sum;
    }

    // The size when nothing overflowed and it is at most `limit`.
    constexpr std::optional<std::size_t> Within(std::uint64_t limit) const
    {
        if (overflowed_ || value_ > limit || value_ > std::numeric_limits<std::size_t>::max())
            return std::nullopt;
        return static_cast<std::size_t>(value_);
    }
    // True when the size overflowed or is larger than `limit`.
    constexpr bool Exceeds(std::uint64_t limit) const { return !Within(limit); }

private:
    std::uint64_t value_;
    bool overflowed_ = false;
};

} // namespace tamr
