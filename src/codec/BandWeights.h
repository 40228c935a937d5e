#pragma once
// What an error in each coded band costs in the picture: the energy an error
// of one unit in a band's coefficient leaves in the samples after the inverse
// transform, measured by inverting a single coefficient. Bands of equal
// weighted step then trade rate for squared error at the same slope.

#include <array>
#include <optional>

#include "codec/CodecSettings.h"

namespace tamr {

// Per vector entry (3·k + b for level k, 3·levels the low-pass band): the
// squared-error gain of the inverse transform of `levels` levels. Nothing
// when the levels are outside 1..6.
std::optional<std::array<double, kSettingsVectorLength>> SynthesisEnergy(int levels);

} // namespace tamr
