#pragma once
// Texts shared by the windows that measure in the background and chart the result.

#include <QString>

namespace tamr::qt {

// How a background measurement ended.
QString JobDoneText();
QString JobStoppedText();
// The horizontal axis of a rate-distortion chart.
QString RateAxisTitle();

} // namespace tamr::qt
