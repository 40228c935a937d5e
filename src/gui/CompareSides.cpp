#include "gui/CompareSides.h"

#include <QLocale>
#include <QObject>
#include <system_error>

#include "document/EqualSizePeer.h"
#include "document/TamrDoc.h"
#include "gui/CodecLabel.h"
#include "gui/PictureImage.h"
#include "gui/QuietPrompter.h"

namespace tamr::qt {

namespace {

void SetSize(CompareSide& side, std::size_t bytes)
{
    side.bytes = bytes;
    const double pixels = static_cast<double>(side.picture.width()) * side.picture.height();
    side.bitsPerPixel = pixels > 0 ? 8.0 * static_cast<double>(bytes) / pixels : 0;
}

CompareSide FromMatch(const SideOriginal& original, SideSource source, const EqualSizeMatch& match)
{
    CompareSide side;
    side.source = source;
    side.codec = match.codec;
    side.name = CodecLabel(*match.codec);
    side.quality = match.quality;
    if (match.picture.Failed()) {
        side.failure = QString::fromStdString(match.picture.failure);
        return side;
    }
    side.picture =
        PixelsPicture(match.picture.decoded, original.width, original.height, original.rowPad, original.bytesPerPixel)
            .convertToFormat(QImage::Format_RGB888);
    SetSize(side, match.picture.coded.size());
    return side;
}

ConstPixelView View(const SideOriginal& original)
{
    return {*original.rows, original.width, original.height, original.rowPad};
}

} // namespace

QString SideLabel(const CompareSide& side)
{
    if (!side.failure.isEmpty())
        return QObject::tr("%1: %2").arg(side.name, side.failure);
    if (side.picture.isNull())
        return side.source == SideSource::Original || side.source == SideSource::Decoded
                   ? QObject::tr("%1...").arg(side.name)
                   : QObject::tr("Coding with %1...").arg(side.name);
    QString label = side.name;
    if (side.quality >= 0)
        label += QObject::tr(" q %1").arg(side.quality);
    if (side.bytes > 0)
        label += QObject::tr(" - %1 bytes, %2 bpp")
                     .arg(QLocale(QLocale::English).toString(qulonglong{side.bytes}))
                     .arg(side.bitsPerPixel, 0, 'f', 3);
    return label;
}

CompareSide CodePeerSide(const SideOriginal& original, const PeerCodec& peer, std::size_t targetBytes)
{
    return FromMatch(original, SideSource::PeerAtEqualSize,
                     MatchPeerSize(View(original), original.bytesPerPixel, peer, targetBytes));
}

CompareSide DecodePointSide(const SideOriginal& original, const SidePoint& point)
{
    return FromMatch(
        original, SideSource::ChartPoint,
        DecodeSweepPoint(View(original), original.bytesPerPixel, *point.codec, point.quality, point.coded));
}

CompareSide LoadFileSide(const std::filesystem::path& path, const PictureOpening& opening)
{
    CompareSide side;
    side.source = SideSource::File;
    side.name = QString::fromStdString(path.filename().string());
    CodecSettings settings;
    DisplaySettings display;
    QuietPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    environment.limits = opening.limits;
    environment.readPolicy = opening.policy;
    CTamrDoc document(environment);
    if (!document.OnOpenDocument(path) || document.Image() == nullptr || !document.Image()->HasPixels()) {
        side.failure = QObject::tr("tamr cannot open it as a picture");
        return side;
    }
    side.picture = RgbWorkingPicture(*document.Image());
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    SetSize(side, error ? 0 : static_cast<std::size_t>(bytes));
    return side;
}

} // namespace tamr::qt
