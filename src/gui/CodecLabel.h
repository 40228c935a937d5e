#pragma once
// A registry row's name and colour as the desktop program shows them.

#include <QColor>
#include <QString>

#include "peers/PeerCodecs.h"

namespace tamr::qt {

// "tamr", "JPEG", "JPEG 2000", "WebP", ...
QString CodecLabel(const PeerCodec& codec);
// The codec's line and dots, as in the SVG plot.
QColor CodecColour(const PeerCodec& codec);

} // namespace tamr::qt
