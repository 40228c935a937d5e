#include "gui/CodecLabel.h"

namespace tamr::qt {

QString CodecLabel(const PeerCodec& codec)
{
    return QString::fromUtf8(codec.label.data(), static_cast<qsizetype>(codec.label.size()));
}

QColor CodecColour(const PeerCodec& codec)
{
    return QColor(QString::fromLatin1(codec.colour.data(), static_cast<qsizetype>(codec.colour.size())));
}

} // namespace tamr::qt
