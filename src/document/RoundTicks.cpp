#include "document/RoundTicks.h"

#include <algorithm>
#include <cmath>

namespace tamr {

RoundAxis RoundTicks(double low, double high)
{
    if (!(high > low)) {
        const double pad = std::max(std::abs(low) * 0.05, 0.01);
        low -= pad;
        high += pad;
    }
    const double rough = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    RoundAxis axis;
    axis.step = step;
    axis.low = std::floor(low / step) * step;
    axis.high = std::ceil(high / step) * step;
    axis.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step))));
    return axis;
}

} // namespace tamr
