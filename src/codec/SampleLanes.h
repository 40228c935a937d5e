#pragma once
// Eight 16-bit samples in one vector, for the integer loops of the inverse
// transform. The means are computed without leaving 16 bits, exactly as the
// wider integer expressions they replace, and sums wrap as storing a wider
// result into a 16-bit sample does; so a lane gives bit for bit the sample of
// the plain loop. Compilers without vector extensions use the plain loops.

#include <cstdint>
#include <cstring>

#if defined(__GNUC__) || defined(__clang__)
#define TAMR_SAMPLE_LANES 1

// Sixteen bytes: one SSE2 register, the baseline of x86-64 (one NEON register
// elsewhere), so vectors pass between the helpers under every calling
// convention.
namespace tamr::lanes {

inline constexpr int kCount = 8;

// Unsigned lanes, so that sums and differences wrap by definition.
using Samples = std::uint16_t __attribute__((vector_size(16)));
using Signed = std::int16_t __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Samples Load(const std::int16_t* at)
{
    Samples v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void Put(std::int16_t* at, Samples v)
{
    std::memcpy(at, &v, sizeof v);
}

[[gnu::always_inline]] inline Samples Splat(int value)
{
    return Samples{} + static_cast<std::uint16_t>(value);
}

// Arithmetic shift right by one of signed samples.
[[gnu::always_inline]] inline Samples Halve(Samples v)
{
    return reinterpret_cast<Samples>(reinterpret_cast<Signed>(v) >> 1);
}

// (a + b + 1) >> 1 of signed samples: the common bits plus half the differing
// ones, rounded up.
[[gnu::always_inline]] inline Samples RoundedMean(Samples a, Samples b)
{
    return (a | b) - Halve(a ^ b);
}

// (a + b) >> 1 of signed samples.
[[gnu::always_inline]] inline Samples FloorMean(Samples a, Samples b)
{
    return (a & b) + Halve(a ^ b);
}

// The last lane of `before` followed by the first seven of `v`.
[[gnu::always_inline]] inline Samples AfterLastOf(Samples before, Samples v)
{
    return __builtin_shufflevector(before, v, 7, 8, 9, 10, 11, 12, 13, 14);
}

// Stores even[i] at out[2i] and odd[i] at out[2i + 1], 16 samples.
[[gnu::always_inline]] inline void PutInterleaved(std::int16_t* out, Samples even, Samples odd)
{
    Put(out, __builtin_shufflevector(even, odd, 0, 8, 1, 9, 2, 10, 3, 11));
    Put(out + kCount, __builtin_shufflevector(even, odd, 4, 12, 5, 13, 6, 14, 7, 15));
}

} // namespace tamr::lanes

#endif
