#pragma once
// The codecs' names as the desktop program shows them.

#include <QString>

#include "document/RateDistortionSweep.h"

namespace tamr::qt {

// "tamr", "JPEG", "JPEG 2000", "WebP".
QString CodecLabel(SweepCodec codec);

} // namespace tamr::qt
