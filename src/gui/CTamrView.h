#pragma once
// The image view: draws the document's image unscaled, magnified or reduced
// 2 to 16 times, through the index image on a 256-colour screen, and hosts
// the commands that change the image or the codec settings.

#include <QAbstractScrollArea>
#include <QEvent>
#include <QImage>
#include <functional>
#include <optional>

#include "document/TamrDoc.h"
#include "gui/ViewEnvironment.h"
#include "gui/ZoomArithmetic.h"
#include "image/PictureMetrics.h"

class QPainter;
class QPrinter;

namespace tamr::qt {

// Posted to a view after its image's pixels changed in place.
inline const QEvent::Type kImageChangedEvent = static_cast<QEvent::Type>(QEvent::User + 1);

class CTamrView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT

public:
    // Joins the document's views; creation decides whether this is a palette screen.
    CTamrView(ViewEnvironment& environment, CTamrDoc& document, QWidget* parent = nullptr);
    ~CTamrView() override;

    CTamrDoc& Document() const { return document_; }

    // DocumentView
    void OnUpdate() override;
    void ShowLevel(const CDibImage& levelImage) override;
    void OnInitialUpdate() { OnUpdate(); }

    // Commands. Compress codes on another thread while the windows go on
    // painting; it returns once the result is shown, taking no input meanwhile.
    void OnCompress();
    void OnEasySetup();
    void OnMasterSetup();
    void OnIncrementalDisplay();
    void OnDithering();
    void OnCustomPalette();
    void OnFixedPalette();
    void OnSharpen();
    void OnFilters();
    void OnZoomIn();
    void OnZoomOut();
    void OnNoZoom();
    // The zoom dialogs' OK with the chosen entry.
    void ZoomInTo(const QString& text);
    void ZoomOutTo(const QString& text);
    // Zoom by the View menu's additions, through the same zoom modes: the
    // largest whole factor that fits, unscaled, and one factor up or down about
    // a viewport point (its centre when none).
    void FitToWindow();
    // Runs `adopt`, which makes the document take a result, showing
    // `picture` (the result as this view would make it, made elsewhere)
    // instead of making it again when it fits.
    bool AdoptWithPicture(QImage picture, const std::function<bool()>& adopt);
    void ActualSize(std::optional<QPoint> about = {});
    void StepZoom(int direction, std::optional<QPoint> about = {});
    // Asks for a rebuild of the index image and a repaint, as filters do.
    void PostImageChanged();

    // One image pixel per 0.01 inch from the top-left of the printable area.
    void Print(QPrinter& printer) const;

    bool PaletteDevice() const { return paletteDevice_; }
    const ZoomState& Zoom() const { return zoom_; }
    bool ClickPending() const { return clickPending_; }
    ZoomPoint ClickPoint() const { return clickPoint_; }
    ZoomPoint ScrollPosition() const;
    // Room for the whole picture, unscaled.
    QSize sizeHint() const override;
    ZoomSize ScrollTotal() const { return scrollTotal_; }
    void ScrollTo(ZoomPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

signals:
    // The document changed (its title and state too, not only its picture).
    void Updated();
    // A command that held the document in an edit session (Filters, Sharpen
    // Image, Compress) has ended.
    void EditSessionEnded();
    // Compress took a result, measured against the original where it was coded.
    void ResultMeasured(const tamr::PictureMetrics& metrics);
    // A level decoded by a Compress in hand, made on the coding thread; the
    // full size it is stretched over.
    void LevelDecoded(const QImage& level, QSize full);
    // The image's pixels were changed in place (Filters, Sharpen Image).
    void PixelsChanged();
    // The pixel inspector's text for the pointer's place; empty off the picture.
    void Inspected(const QString& text);

private:
    // Compress through a job on another thread; false when it failed.
    bool CompressInBackground();
    void ShowLevelPicture(QImage level, ZoomSize full);
    void SetScrollSizes(ZoomSize total);
    void UpdateScrollBars();
    void RebuildPicture();
    // Scroll sizes and position for the zoom, the picture left as it is: a
    // zoom step changes no pixel, and rebuilding a large picture stalls.
    void UpdateLayout();
    void OnImageChanged();
    int ScreenDepth() const;
    bool ChooseZoom(bool zoomIn, QString* text);
    void DrawPicture(QPainter& painter, const QRect& exposed) const;
    const QImage& PictureToShow() const;
    // Shown scale: n when magnified n times, 1/n when reduced, 1 when unscaled.
    double ShownScale() const;
    void ApplyFactor(int factor, std::optional<QPoint> about);

    ViewEnvironment& environment_;
    CTamrDoc& document_;
    bool paletteDevice_ = false;
    bool clickPending_ = false;
    ZoomState zoom_;
    ZoomPoint clickPoint_;
    ZoomSize scrollTotal_;
    // What is drawn: the working image, or on a palette screen the index
    // image of a colour image; rebuilt whenever the image changed.
    QImage picture_;
    // The picture in the colours of the current palette, made when first drawn.
    mutable QImage mappedPicture_;
    mutable ImagePalette mappedFor_{};
    // The level last shown by incremental display, stretched over the full
    // size until the next update.
    QImage levelPicture_;
    ZoomSize levelSize_;
    // The decoded picture, made on the coding thread, for the update that takes the result.
    QImage preparedPicture_;
    // Dragging with the left button held moves the picture: where the press
    // was, and the scroll position then.
    bool panning_ = false;
    QPoint panFrom_;
    ZoomPoint panScroll_;
};

} // namespace tamr::qt
