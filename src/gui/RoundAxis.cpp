#include "gui/RoundAxis.h"

#include <QValueAxis>

#include "document/RoundTicks.h"

namespace tamr::qt {

void SetRoundTicks(QValueAxis& axis, double low, double high)
{
    const RoundAxis ticks = RoundTicks(low, high);
    axis.setRange(ticks.low, ticks.high);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(ticks.low);
    axis.setTickInterval(ticks.step);
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
}

} // namespace tamr::qt
