#pragma once
// tamr's result beside another codec's at the same file size: JPEG and WebP
// at the quality whose size comes closest to the COD file's, JPEG 2000 at
// that size; both pictures with their figures. The peer is coded on a thread
// of its own.

#include <QImage>
#include <QWidget>

#include "document/EqualSizePeer.h"
#include "gui/BackgroundJob.h"

class QLabel;

namespace tamr {
class CTamrDoc;
}

namespace tamr::qt {

class EqualSizeWindow : public QWidget {
    Q_OBJECT

public:
    // The document must hold a compressed picture (Codec and reference pixels).
    EqualSizeWindow(const CTamrDoc& document, SweepCodec peer, QWidget* parent = nullptr);

    // Waits for the peer's coding (for tests).
    void FinishWork() { job_.Finish(); }
    std::size_t TamrBytes() const { return tamrBytes_; }
    // Empty until the peer has been coded.
    const std::optional<EqualSizeMatch>& Match() const { return match_; }
    QString TamrFigures() const;
    QString PeerFigures() const;

private:
    struct Outcome {
        EqualSizeMatch match;
        PictureMetrics tamr;
    };
    void Show(Outcome outcome);

    std::size_t tamrBytes_ = 0;
    int width_ = 0;
    int height_ = 0;
    int rowPad_ = 0;
    int bytesPerPixel_ = 0;
    double pixels_ = 0;
    std::optional<EqualSizeMatch> match_;
    QLabel* tamrPicture_;
    QLabel* peerPicture_;
    QLabel* tamrFigures_;
    QLabel* peerFigures_;
    BackgroundJob<std::shared_ptr<Outcome>> job_;
};

} // namespace tamr::qt
