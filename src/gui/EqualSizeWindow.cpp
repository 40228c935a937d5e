#include "gui/EqualSizeWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
#include <memory>
#include <vector>

#include "document/TamrDoc.h"
#include "gui/CodecLabel.h"
#include "gui/PictureImage.h"

namespace tamr::qt {

namespace {

QString MetricsText(const PictureMetrics& metrics)
{
    return QObject::tr("PSNR %1 dB, PSNR-Y %2 dB, SSIM %3")
        .arg(metrics.psnr, 0, 'f', 2)
        .arg(metrics.psnrY, 0, 'f', 2)
        .arg(metrics.ssim ? QString::number(*metrics.ssim, 'f', 4) : QObject::tr("n/a"));
}

QScrollArea* Scrolled(QLabel* picture)
{
    auto* area = new QScrollArea;
    area->setWidget(picture);
    area->setWidgetResizable(false);
    return area;
}

} // namespace

EqualSizeWindow::EqualSizeWindow(const CTamrDoc& document, const PeerCodec& peer, QWidget* parent)
    : EqualSizeWindow(
          document, peer,
          tr("%1 against %2 at equal size").arg(QString::fromStdString(document.Title()), CodecLabel(peer)),
          [&peer](ConstPixelView original, int bytesPerPixel, std::size_t tamrBytes) {
              return MatchPeerSize(original, bytesPerPixel, peer, tamrBytes);
          },
          std::nullopt, parent)
{
}

EqualSizeWindow::EqualSizeWindow(const CTamrDoc& document, ChartPoint tamr, ChartPoint peer, QWidget* parent)
    : EqualSizeWindow(
          document, *peer.codec,
          tr("%1 against %2").arg(QString::fromStdString(document.Title()), CodecLabel(*peer.codec)),
          [peer = std::move(peer)](ConstPixelView original, int bytesPerPixel, std::size_t) {
              return DecodeSweepPoint(original, bytesPerPixel, *peer.codec, peer.quality, peer.coded);
          },
          std::move(tamr), parent)
{
}

bool EqualSizeWindow::CanShowPoints(const CTamrDoc& document)
{
    const CDibImage* image = document.Image();
    return image != nullptr && !image->ReferencePixels().empty() && image->BytesPerPixel() != 0;
}

bool EqualSizeWindow::CanShow(const CTamrDoc& document)
{
    const CDibImage* image = document.Image();
    // Compressed in this session: the title has become NAME.cod, the original is still held.
    return document.Codec() != nullptr && image != nullptr && document.TitleExtension() == ".cod" &&
           image->HasPixels() && !image->ReferencePixels().empty() && image->BytesPerPixel() != 0;
}

EqualSizeWindow::EqualSizeWindow(const CTamrDoc& document, const PeerCodec& peer, const QString& title,
                                 MakePeer makePeer, std::optional<ChartPoint> tamrPoint, QWidget* parent)
    : QWidget(parent, Qt::Window), tamrHeading_(new QLabel(QStringLiteral("tamr"), this)),
      peerHeading_(new QLabel(CodecLabel(peer), this)), tamrPicture_(new QLabel), peerPicture_(new QLabel),
      tamrFigures_(new QLabel(this)), peerFigures_(new QLabel(this))
{
    setObjectName(QStringLiteral("equalSizeWindow"));
    setWindowTitle(title);
    const CDibImage& image = *document.Image();
    tamrBytes_ = tamrPoint ? tamrPoint->coded.size() : document.Codec()->WriteHeader().size();
    width_ = image.Width();
    height_ = image.Height();
    rowPad_ = image.RowPad();
    bytesPerPixel_ = image.BytesPerPixel();
    pixels_ = static_cast<double>(image.Width()) * image.Height();
    if (tamrPoint) {
        tamrHeading_->setText(tr("tamr q %1 - %2 bytes")
                                  .arg(tamrPoint->quality)
                                  .arg(QLocale(QLocale::English).toString(qulonglong{tamrBytes_})));
    } else {
        tamrPicture_->setPixmap(QPixmap::fromImage(WorkingPicture(image)));
        tamrPicture_->adjustSize();
    }
    peerFigures_->setText(tr("Coding with %1...").arg(CodecLabel(peer)));
    for (QLabel* figures : {tamrFigures_, peerFigures_})
        figures->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QGridLayout(this);
    layout->addWidget(tamrHeading_, 0, 0);
    layout->addWidget(peerHeading_, 0, 1);
    layout->addWidget(Scrolled(tamrPicture_), 1, 0);
    layout->addWidget(Scrolled(peerPicture_), 1, 1);
    layout->addWidget(tamrFigures_, 2, 0);
    layout->addWidget(peerFigures_, 2, 1);
    layout->setRowStretch(1, 1);
    resize(900, 560);

    // The pixels are copied: the document may change while the peer codes.
    struct Input {
        std::vector<std::uint8_t> original;
        std::vector<std::uint8_t> decoded;
        int width, height, rowPad, bytesPerPixel;
    };
    auto input = std::make_shared<Input>(
        Input{{image.ReferencePixels().begin(), image.ReferencePixels().end()},
              tamrPoint ? std::vector<std::uint8_t>{}
                        : std::vector<std::uint8_t>(image.Pixels().begin(), image.Pixels().end()),
              image.Width(),
              image.Height(),
              image.RowPad(),
              image.BytesPerPixel()});
    runner_.Start(
        [input, makePeer = std::move(makePeer), tamrBytes = tamrBytes_, tamrPoint = std::move(tamrPoint)] {
            const ConstPixelView original{input->original, input->width, input->height, input->rowPad};
            auto outcome = std::make_shared<Outcome>();
            outcome->match = makePeer(original, input->bytesPerPixel, tamrBytes);
            if (tamrPoint) {
                outcome->tamrPoint =
                    DecodeSweepPoint(original, input->bytesPerPixel, TamrCodec(), tamrPoint->quality, tamrPoint->coded);
                outcome->tamr = outcome->tamrPoint->metrics;
            } else {
                const ConstPixelView decoded{input->decoded, input->width, input->height, input->rowPad};
                outcome->tamr = MeasurePictures(original, decoded, input->bytesPerPixel);
            }
            return outcome;
        },
        [this](const std::shared_ptr<Outcome>& outcome) {
            Show(std::move(*outcome));
            emit Shown();
        });
    tamrFigures_->setText(tr("%1 bytes, %2 bits per pixel").arg(tamrBytes_).arg(8.0 * tamrBytes_ / pixels_, 0, 'f', 3));
}

void EqualSizeWindow::Show(Outcome outcome)
{
    const PeerPicture* tamrPoint = outcome.tamrPoint ? &outcome.tamrPoint->picture : nullptr;
    if (tamrPoint != nullptr && tamrPoint->Failed()) {
        tamrFigures_->setText(QString::fromStdString(tamrPoint->failure));
    } else {
        if (tamrPoint != nullptr) {
            tamrPicture_->setPixmap(
                QPixmap::fromImage(PixelsPicture(tamrPoint->decoded, width_, height_, rowPad_, bytesPerPixel_)));
            tamrPicture_->adjustSize();
        }
        tamrFigures_->setText(tr("%1 bytes, %2 bits per pixel\n%3")
                                  .arg(tamrBytes_)
                                  .arg(8.0 * tamrBytes_ / pixels_, 0, 'f', 3)
                                  .arg(MetricsText(outcome.tamr)));
    }
    tamrMatch_ = std::move(outcome.tamrPoint);
    const EqualSizeMatch& match = outcome.match;
    if (match.picture.Failed()) {
        peerFigures_->setText(QString::fromStdString(match.picture.failure));
    } else {
        const QString quality = match.quality >= 0 ? tr("quality %1: ").arg(match.quality) : QString();
        peerPicture_->setPixmap(
            QPixmap::fromImage(PixelsPicture(match.picture.decoded, width_, height_, rowPad_, bytesPerPixel_)));
        peerPicture_->adjustSize();
        peerHeading_->setText(tr("%1%2 - %3 bytes")
                                  .arg(CodecLabel(*match.codec))
                                  .arg(match.quality >= 0 ? tr(" q %1").arg(match.quality) : QString())
                                  .arg(QLocale(QLocale::English).toString(qulonglong{match.picture.coded.size()})));
        peerFigures_->setText(tr("%1%2 bytes, %3 bits per pixel\n%4")
                                  .arg(quality)
                                  .arg(match.picture.coded.size())
                                  .arg(8.0 * static_cast<double>(match.picture.coded.size()) / pixels_, 0, 'f', 3)
                                  .arg(MetricsText(match.metrics)));
    }
    match_ = std::move(outcome.match);
}

QString EqualSizeWindow::TamrFigures() const
{
    return tamrFigures_->text();
}

QString EqualSizeWindow::TamrHeading() const
{
    return tamrHeading_->text();
}

QString EqualSizeWindow::PeerHeading() const
{
    return peerHeading_->text();
}

QString EqualSizeWindow::PeerFigures() const
{
    return peerFigures_->text();
}

} // namespace tamr::qt
