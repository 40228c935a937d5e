#pragma once
// An axis of a chart with round ticks: steps of 1, 2 or 5 times a power of
// ten, about five of them, the ends on ticks. The SVG plot and the desktop's
// chart both use it.

namespace tamr {

struct RoundAxis {
    double low = 0;
    double high = 1;
    double step = 0.2;
    int decimals = 1; // enough to write every tick exactly
};

// The axis covering `low` to `high` (widened a little when they are equal).
RoundAxis RoundTicks(double low, double high);

} // namespace tamr
