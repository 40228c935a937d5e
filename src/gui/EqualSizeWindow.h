#pragma once
// tamr's result beside another codec's at the same file size, as the peer's
// registry row aims at a size; or a peer's point of the rate-distortion chart beside the tamr
// point of the closest size, both decoded from the files the sweep kept. Both pictures with their figures, read-only.
// The peer is coded or decoded on a thread of its own.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "document/EqualSizePeer.h"
#include "gui/JobRunner.h"

class QLabel;

namespace tamr {
class CTamrDoc;
}

namespace tamr::qt {

class EqualSizeWindow : public QWidget {
    Q_OBJECT

public:
    // The document must hold a compressed picture (Codec and reference pixels).
    EqualSizeWindow(const CTamrDoc& document, const PeerCodec& peer, QWidget* parent = nullptr);
    // A point of the rate-distortion chart: its codec, quality and whole file.
    struct ChartPoint {
        const PeerCodec* codec = &TamrCodec();
        int quality = 0;
        std::vector<std::uint8_t> coded;
    };
    // A peer's point beside a tamr point, each decoded from its file with its
    // own codec; the document gives only the original they are measured against.
    EqualSizeWindow(const CTamrDoc& document, ChartPoint tamr, ChartPoint peer, QWidget* parent = nullptr);

    // The document holds a result of Compress made in this session, with its original.
    static bool CanShow(const CTamrDoc& document);
    // The document holds an original picture to measure chart points against.
    static bool CanShowPoints(const CTamrDoc& document);

    // The peer is still being coded or decoded.
    bool Working() const { return runner_.Busy(); }
    std::size_t TamrBytes() const { return tamrBytes_; }
    // Empty until the peer has been coded.
    const std::optional<EqualSizeMatch>& Match() const { return match_; }
    // The tamr point's decoding, beside a chart's peer point; empty otherwise.
    const std::optional<EqualSizeMatch>& TamrMatch() const { return tamrMatch_; }
    QString TamrHeading() const;
    QString TamrFigures() const;
    QString PeerFigures() const;
    // "JPEG q 62 - 16,802 bytes" once the peer is there; the codec before.
    QString PeerHeading() const;

signals:
    // The peer's picture and both figures are shown.
    void Shown();

private:
    // The peer's picture, made off the user-interface thread.
    using MakePeer = std::function<EqualSizeMatch(ConstPixelView original, int bytesPerPixel, std::size_t tamrBytes)>;
    EqualSizeWindow(const CTamrDoc& document, const PeerCodec& peer, const QString& title, MakePeer makePeer,
                    std::optional<ChartPoint> tamrPoint, QWidget* parent);

    struct Outcome {
        EqualSizeMatch match;
        PictureMetrics tamr;
        std::optional<EqualSizeMatch> tamrPoint;
    };
    void Show(Outcome outcome);

    std::size_t tamrBytes_ = 0;
    int width_ = 0;
    int height_ = 0;
    int rowPad_ = 0;
    int bytesPerPixel_ = 0;
    double pixels_ = 0;
    std::optional<EqualSizeMatch> match_;
    std::optional<EqualSizeMatch> tamrMatch_;
    QLabel* tamrHeading_;
    QLabel* peerHeading_;
    QLabel* tamrPicture_;
    QLabel* peerPicture_;
    QLabel* tamrFigures_;
    QLabel* peerFigures_;
    JobRunner runner_;
};

} // namespace tamr::qt
