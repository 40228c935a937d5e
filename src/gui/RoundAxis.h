#pragma once
// Round ticks on a chart's value axis (1, 2 or 5 times a power of ten, the
// ends on ticks), as the SVG plot has them.

class QValueAxis;

namespace tamr::qt {

void SetRoundTicks(QValueAxis& axis, double low, double high);

} // namespace tamr::qt
