#pragma once
// Forward wavelet levels computed a few rows at a time, for an encoder that
// never holds the whole float plane: the rows come from a source as they
// are needed and the coefficients leave through a sink a row pair at a time.
// Every coefficient is the one ForwardLevel gives for the same region, bit for
// bit: the same expressions, evaluated in the same order.

#include <functional>
#include <span>
#include <vector>

namespace tamr {

// Writes row y (0 <= y < rows) of the region into `row` (cols samples); false
// stops the level. Rows are asked for in order, each once.
using ForwardRowSource = std::function<bool(int y, std::span<float> row)>;
// Receives output row k (0 <= k < rows / 2) in order: `low` is the LL row k
// followed by the H row k, `high` the V row k followed by the D row k. The
// spans are scratch of the level's: the sink may change them.
using ForwardRowSink = std::function<void(int k, std::span<float> low, std::span<float> high)>;

// The level as a producer of its output rows, one pair each call, so that a
// coarser level can ask for this one's low-pass rows as it needs them.
class ForwardLevelRows {
public:
    ForwardLevelRows(int rows, int cols, ForwardRowSource source);
    // False when a side is odd or below 4 (as ForwardLevel).
    bool Valid() const;
    // Makes the next output row pair (rows / 2 of them) and hands it to
    // `sink`; false when the source fails.
    [[nodiscard]] bool Next(const ForwardRowSink& sink);

private:
    float* Row(int y);
    [[nodiscard]] bool LoadThrough(int last);

    int rows_;
    int cols_;
    ForwardRowSource source_;
    std::vector<float> ring_; // the input rows the next pair reads
    std::vector<float> rowBuffer_;
    std::vector<float> low_;
    std::vector<float> eta_;
    std::vector<float> etaNext_;
    int loaded_ = 0;
    int next_ = 0;
    bool etaReady_ = false; // eta_ holds eta_k, computed at step k - 1
};

// False when a side is odd or below 4 (as ForwardLevel) or the source fails.
[[nodiscard]] bool ForwardLevelByRows(int rows, int cols, const ForwardRowSource& source, const ForwardRowSink& sink);

// Receives output row y of forward level `level` (0 the first), as
// ForwardRowSink does; the LL part of a level that feeds the next is passed
// on before the sink sees it.
using ForwardLevelsSink = std::function<void(int level, int y, std::span<float> low, std::span<float> high)>;

// The first `depth` (1 or 2) forward levels chained a few rows at a time:
// the second level asks the first for its low-pass rows as it needs them.
[[nodiscard]] bool ForwardLevelsByRows(int rows, int cols, int depth, const ForwardRowSource& source,
                                       const ForwardLevelsSink& sink);

} // namespace tamr
