#include "gui/CodecLabel.h"

namespace tamr::qt {

QString CodecLabel(SweepCodec codec)
{
    switch (codec) {
    case SweepCodec::Tamr:
        return QStringLiteral("tamr");
    case SweepCodec::Jpeg:
        return QStringLiteral("JPEG");
    case SweepCodec::Jpeg2000:
        return QStringLiteral("JPEG 2000");
    case SweepCodec::Webp:
        return QStringLiteral("WebP");
    }
    return {};
}

} // namespace tamr::qt
