#pragma once
// The compare window's view: two pictures side by side, split by a draggable
// divider, or their difference amplified or as a heat map, with the figures
// of the second against the first. Each side is chosen from a list: the
// document's original (reference) or decoded (working) picture, or a peer's
// coding of the original at tamr's file size; a chart point or two dropped
// picture files may take the sides too. Space held shows the original in
// place of both. All panes share one zoom and scroll position.

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "gui/ComparePictures.h"
#include "gui/CompareSides.h"
#include "gui/JobRunner.h"
#include "image/PictureMetrics.h"

class QComboBox;
class QLabel;
class QScrollBar;
class QSpinBox;

namespace tamr {
class CDibImage;
class CTamrDoc;
} // namespace tamr

namespace tamr::qt {

enum class CompareMode { SideBySide, Split, Difference, HeatMap };

class ComparePane;

class CompareView : public QWidget {
    Q_OBJECT

public:
    // How a compare window starts: mode, amplification, zoom (fitted when
    // none) and what the heat map shows.
    struct Habits {
        CompareMode mode = CompareMode::SideBySide;
        int amplification = 8;
        std::optional<double> scale;
        MapKind heatMap = MapKind::Absolute;
    };
    explicit CompareView(CTamrDoc& document, QWidget* parent = nullptr);
    CompareView(CTamrDoc& document, const Habits& habits, QWidget* parent = nullptr);
    Habits CurrentHabits() const
    {
        return {mode_, amplification_, fitted_ ? std::nullopt : std::optional(scale_), heatKind_};
    }
    ~CompareView() override;
    CompareView(const CompareView&) = delete;
    CompareView& operator=(const CompareView&) = delete;

    // Null once the document has gone.
    CTamrDoc* Document() const { return document_; }
    void Detach();
    // Takes the document's pictures again when they changed since the last
    // time, or always after an edit in place (`edited`).
    void Follow(bool edited = false);

    CompareMode Mode() const { return mode_; }
    void SetMode(CompareMode mode);
    int Amplification() const { return amplification_; }
    void SetAmplification(int factor);
    // What the heat map shows: the absolute difference (made with the
    // difference pictures), or local SSIM or the Butteraugli distance, made
    // on a thread of their own when the heat map is shown. A Butteraugli map
    // only where the build measures Butteraugli.
    MapKind HeatMapKind() const { return heatKind_; }
    void SetHeatMapKind(MapKind kind);
    // The heat map as drawn now (null while its map is being made or when it
    // cannot be made of these pictures), and the value drawn white (none without a map).
    const QImage& ShownHeatMap() const;
    std::optional<double> ShownHeatMapTop() const;

    // Device pixels per picture pixel.
    double Scale() const { return scale_; }
    // Zooms about a point of the first pane (logical pixels); the pane's centre when none.
    void SetScale(double scale, std::optional<QPointF> about = {});
    void StepZoom(int steps, std::optional<QPointF> about = {});
    void FitToWindow();
    // 100 % about a point of the first pane, as SetScale.
    void ActualSize(std::optional<QPointF> about = {});
    // Shown fitted to the window: zoom changes end it.
    bool Fitted() const { return fitted_; }
    QPoint ScrollPosition() const;
    void ScrollTo(QPoint position);

    // The part of the picture a pane shows, in picture pixels; empty for a hidden pane.
    QRectF VisiblePictureRect(int pane) const;
    ComparePane* Pane(int index) const { return panes_[static_cast<std::size_t>(index)]; }
    bool Flipped() const { return flipped_; }
    // The split divider, as a fraction of the pane's width (outside 0 … 1
    // when the picture point it stays on is scrolled out of sight).
    double DividerFraction() const;
    void SetDividerFraction(double fraction);
    // What pane `index` says it shows ("Original", "Decoded" ...), in drawing
    // order: left to right; while Space is held, the badge that says so.
    QStringList PaneLabels(int index) const;
    // The first and second side's pictures.
    const QImage& Original() const { return sides_[0].picture; }
    const QImage& Decoded() const { return sides_[1].picture; }
    const DifferencePictures& Difference() const { return difference_; }

    const CompareSide& Side(int index) const { return sides_[static_cast<std::size_t>(index)]; }
    // The document's original or decoded picture on a side, or `peer`'s
    // coding of the original at the size of tamr's file (coded in the background).
    void ShowSource(int side, SideSource source, const PeerCodec* peer = nullptr);
    // A chart point's picture on a side, decoded in the background.
    void ShowPoint(int side, SidePoint point);
    // Two picture files, one on each side, opened in the background.
    void ShowFiles(const std::filesystem::path& first, const std::filesystem::path& second);
    // A side's picture or the difference is being made.
    bool Working() const;
    // The second side against the first: "PSNR 31.20 dB, PSNR-Y ..."; empty until measured.
    QString PairFigures() const;
    // The document holds a result of Compress made in this session, with
    // its original: peers can be coded at its size.
    static bool CanCodeAtEqualSize(const CTamrDoc& document);

signals:
    // The difference pictures and figures of the current pair are there.
    void DifferenceMade();
    // A local SSIM or Butteraugli heat map of the current pair is there.
    void HeatMapMade();
    // A side's picture (or why there is none) is there.
    void SideShown(int side);
    // The mode, amplification or zoom changed: what a next compare window starts with.
    void HabitsChanged();
    // The pixel inspector's text for the pointer's place; empty when it left the picture.
    void Inspected(const QString& text);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class ComparePane;
    // What a pane draws: the picture and the scaled copy kept for drawing below 100 %.
    struct Shown {
        const QImage* picture = nullptr;
        QImage* scaled = nullptr;
        double* scaledFor = nullptr;
        std::size_t slot = 0;
    };

    // The document's original and decoded pictures, made on their runner's
    // thread from its pixels, shared with it rather than copied.
    void TakePictures();
    struct DocumentPictures {
        QImage reference;
        QImage decoded;
    };
    void TakeDocumentPictures(DocumentPictures made);
    // The document's picture for a side of that source; peers coded anew.
    void TakeSide(int side);
    void SetSide(int side, CompareSide shown);
    // The document's original for coding or decoding a side on the runner's
    // thread: its pixels shared, and made into rows there.
    struct OriginalSource {
        std::shared_ptr<const CDibImage> image;
        SideOriginal Rows() const;
    };
    OriginalSource TakeOriginal() const;
    // A picture file on a side, opened in the background.
    void LoadSide(int side, const std::filesystem::path& file);
    void FillChoosers();
    void UpdateChoosers();
    void Choose(int side, int index);
    QSize PictureSize() const;
    void StartDifference();
    // Makes the heat map of the chosen kind when it is shown and not made yet.
    void StartHeatMap();
    void UpdateScrollBars();
    void UpdateControls();
    void PaintPane(const ComparePane& pane, QPainter& painter, const QRect& exposed);
    void DrawPicture(QPainter& painter, Shown shown, const QRect& area, double devicePixelRatio);
    // The area-averaged copy of a slot's picture at the current scale, made
    // on the scaling runner (one at a time: the paint after it asks for the next).
    void RequestScaled(std::size_t slot, const QImage& picture);
    const QImage& SlotPicture(std::size_t slot) const;
    Shown PictureOf(int pane, bool leftOfDivider);
    void Inspect(const ComparePane& pane, QPoint at);
    QPointF PicturePoint(const ComparePane& pane, QPointF at) const;
    double DevicePixelRatio() const;
    void Wheel(const ComparePane& pane, QWheelEvent& event);
    void DrawLabels(const ComparePane& pane, QPainter& painter);
    // The divider over the picture's centre, as far as the pane shows it.
    void CentreDivider();
    // The zoom the window opens with, once it is shown (to fit, once it has a
    // picture), and the divider over the first picture's centre.
    void ApplyOpeningView();

    PictureOpening Opening() const;
    CTamrDoc* document_;
    std::uint64_t fingerprint_ = 0;
    CompareMode mode_ = CompareMode::SideBySide;
    int amplification_ = 8;
    double scale_ = 1;
    // The split divider stays on a picture column: its x in picture pixels.
    double dividerX_ = 0;
    bool flipped_ = false;
    bool fitted_ = false;
    bool shownOnce_ = false;
    bool openingApplied_ = false;
    bool dividerPlaced_ = false;
    // The scale to open with instead of fitting the window (a remembered zoom).
    std::optional<double> openingScale_;
    std::array<CompareSide, 2> sides_;
    // What Space shows: the document's original, or the first side without one.
    QImage reference_;
    // The document's decoded picture, as last taken.
    QImage decoded_;
    JobRunner picturesRunner_;
    DifferencePictures difference_;
    std::optional<PictureMetrics> pairMetrics_;
    std::array<QImage, 5> scaled_;
    std::array<double, 5> scaledFor_{};
    std::array<JobRunner, 2> sideRunners_;
    JobRunner differenceRunner_;
    MapKind heatKind_ = MapKind::Absolute;
    // The local SSIM or Butteraugli heat map of the current pair, or none
    // (`failed` when it cannot be made of these pictures).
    struct MadeHeatMap {
        MapKind kind = MapKind::Absolute;
        HeatMapPicture map;
        bool failed = false;
    };
    std::optional<MadeHeatMap> heatMade_;
    // The kind being made, and whether the start of the difference and the
    // map waits for both sides to be taken.
    std::optional<MapKind> heatAsked_;
    bool pairScheduled_ = false;
    // A map may take seconds: a window closed meanwhile hands its runner to
    // the application instead of waiting for it.
    JobRunner* mapRunner_;
    // Reducing a large picture smoothly takes longer than a paint may: it is
    // done here, and the window closes without waiting for it.
    JobRunner* scaleRunner_;
    QComboBox* heatKinds_;
    std::array<QComboBox*, 2> choosers_{};
    QLabel* figures_;
    QComboBox* modes_;
    QSpinBox* amplifier_;
    QLabel* heatScale_;
    QLabel* heatRange_;
    QLabel* zoomText_;
    std::array<ComparePane*, 2> panes_{};
    QScrollBar* horizontal_;
    QScrollBar* vertical_;
};

// One pane of the compare view; the view draws it and handles its mouse.
class ComparePane : public QWidget {
public:
    ComparePane(CompareView& view, int index);
    int Index() const { return index_; }
    bool DraggingDivider() const { return dragging_; }
    bool Panning() const { return panning_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CompareView& view_;
    int index_;
    bool dragging_ = false;
    // Dragging the picture: where the press was and the scroll position then.
    bool panning_ = false;
    QPointF panFrom_;
    QPoint panScroll_;
};

// A fingerprint of a document's pictures that changes when their pixels do:
// sizes, buffers and an even sample of the bytes.
std::uint64_t PictureFingerprint(const CTamrDoc& document);

} // namespace tamr::qt
