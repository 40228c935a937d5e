#pragma once
// The fuzzers look for faults, not patience: a few hundred bytes may declare
// millions of pixels, which load correctly but slowly, so every target reads
// with a much smaller record than the program's. The largest picture of the
// seed corpus fits.

#include <cstdint>

#include "platform/Limits.h"

inline tamr::Limits FuzzLimits()
{
    tamr::Limits limits;
    limits.maxPixels = std::uint64_t{1} << 22;
    limits.maxPlaneSamples = std::uint64_t{1} << 20;
    limits.maxDecodedBytes = std::uint64_t{3} << 22;
    return limits;
}
