#pragma once
// The first forward wavelet level computed a few rows at a time, for an encoder
// that never holds the whole float plane: the rows come from a source as they
// are needed and the coefficients leave through a sink a row pair at a time.
// Every coefficient is the one ForwardLevel gives for the same region, bit for
// bit: the same expressions, evaluated in the same order.

#include <functional>
#include <span>

namespace tamr {

// Writes row y (0 <= y < rows) of the region into `row` (cols samples); false
// stops the level. Rows are asked for in order, each once.
using ForwardRowSource = std::function<bool(int y, std::span<float> row)>;
// Receives output row k (0 <= k < rows / 2) in order: `low` is the LL row k
// followed by the H row k, `high` the V row k followed by the D row k. The
// spans are scratch of the level's: the sink may change them.
using ForwardRowSink = std::function<void(int k, std::span<float> low, std::span<float> high)>;

// False when a side is odd or below 4 (as ForwardLevel) or the source fails.
[[nodiscard]] bool ForwardLevelByRows(int rows, int cols, const ForwardRowSource& source, const ForwardRowSink& sink);

} // namespace tamr
