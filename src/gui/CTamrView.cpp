#include "gui/CTamrView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "document/DocumentMessages.h"
#include "gui/CFiguresPanel.h"
#include "gui/ComparePictures.h"
#include "gui/ImagePrinting.h"
#include "gui/InputHold.h"
#include "gui/JobRunner.h"
#include "gui/PictureImage.h"
#include "gui/dialogs/ViewDialogs.h"
#include "gui/dialogs/ZoomDialogs.h"
#include "image/IndexImageRefresh.h"

namespace tamr::qt {

namespace {

constexpr int kPaletteScreenDepth = 8;

// The wait cursor and the mouse held by the view while a command runs.
class BusyGuard {
public:
    explicit BusyGuard(QWidget& widget) : widget_(widget), grabbed_(widget.isVisible())
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (grabbed_)
            widget_.grabMouse();
    }
    ~BusyGuard()
    {
        QApplication::restoreOverrideCursor();
        if (grabbed_ && QWidget::mouseGrabber() == &widget_)
            widget_.releaseMouse();
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    QWidget& widget_;
    bool grabbed_;
};

} // namespace

CTamrView::CTamrView(ViewEnvironment& environment, CTamrDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), environment_(environment), document_(document)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);

    // Every new view looks at the screen again: a 256-colour screen turns
    // palette display and dithering on.
    DisplaySettings& display = environment_.display;
    paletteDevice_ = false;
    display.paletteDisplay = false;
    if (ScreenDepth() == kPaletteScreenDepth) {
        paletteDevice_ = true;
        display.paletteDisplay = true;
        display.ditherEnabled = true;
    }
    document_.AddView(*this);
    connect(
        this, &CTamrView::LevelDecoded, this,
        [this](const QImage& level, QSize full) {
            ShowLevelPicture(level, {full.width(), full.height()});
        },
        Qt::QueuedConnection);
}

CTamrView::~CTamrView()
{
    document_.RemoveView(*this);
}

int CTamrView::ScreenDepth() const
{
    if (environment_.forcedScreenDepth > 0)
        return environment_.forcedScreenDepth;
    const QScreen* shownOn = screen();
    return shownOn != nullptr ? shownOn->depth() : 0;
}

void CTamrView::RebuildPicture()
{
    picture_ = QImage();
    mappedPicture_ = QImage();
    const QImage prepared = std::exchange(preparedPicture_, QImage());
    const CDibImage* image = document_.Image();
    if (image == nullptr || !image->HasPixels())
        return;
    const bool drawIndexImage = paletteDevice_ && image->IsColour() == 1;
    // Made on the coding thread for the result being taken, when it is the kind this view draws.
    if (!prepared.isNull() && prepared.size() == QSize(image->Width(), image->Height()) &&
        (!drawIndexImage || prepared.format() == QImage::Format_Indexed8)) {
        picture_ = prepared;
        return;
    }
    picture_ = drawIndexImage ? IndexPicture(*image) : WorkingPicture(*image);
}

const QImage& CTamrView::PictureToShow() const
{
    // A palette screen shows an indexed picture in the colours of the
    // palette realized for the focused document.
    const ImagePalette* palette = environment_.shared.currentPalette;
    if (!paletteDevice_ || palette == nullptr || picture_.format() != QImage::Format_Indexed8)
        return picture_;
    if (mappedPicture_.isNull() || mappedFor_ != *palette) {
        mappedPicture_ = picture_.copy();
        MapToPalette(mappedPicture_, *palette);
        mappedFor_ = *palette;
    }
    return mappedPicture_;
}

void CTamrView::OnUpdate()
{
    levelPicture_ = QImage();
    RebuildPicture();
    UpdateLayout();
}

void CTamrView::UpdateLayout()
{
    int width = 0;
    int height = 0;
    if (const CDibImage* image = document_.Image()) {
        width = ScrollableExtent(image->Info().header.biWidth);
        height = ScrollableExtent(image->Info().header.biHeight);
    }
    ZoomAnchor& anchor = environment_.shared.zoomAnchor;
    if (!zoom_.zoomActive) {
        SetScrollSizes({width, height});
        if (!anchor.free) {
            anchor.free = true;
            ScrollTo(AnchoredScroll(anchor, zoom_.zoomInFactor));
        }
    } else if (zoom_.zoomedIn) {
        const int z = zoom_.zoomInFactor;
        SetScrollSizes({width * z, height * z});
        const ZoomPoint current = ScrollPosition();
        if (clickPending_) {
            if (anchor.free) {
                anchor.scroll = current;
                anchor.click = clickPoint_;
                anchor.free = false;
            }
            ScrollTo(AnchoredScroll(anchor, z));
        }
    } else if (zoom_.zoomedOut) {
        SetScrollSizes({width / zoom_.zoomOutFactor, height / zoom_.zoomOutFactor});
    } else {
        SetScrollSizes({width, height});
    }
    viewport()->update();
    emit Updated();
}

void CTamrView::ShowLevel(const CDibImage& levelImage)
{
    const bool indexed = environment_.display.paletteDisplay && levelImage.IsColour() == 1;
    QImage level = indexed ? IndexPicture(levelImage) : WorkingPicture(levelImage);
    if (level.isNull())
        return;
    // The level covers the whole picture, whatever its own size.
    ZoomSize full{levelImage.Width(), levelImage.Height()};
    if (const WaveletCodec* codec = document_.Codec(); codec != nullptr && codec->Width() > 0)
        full = {codec->Width(), codec->Height()};
    ShowLevelPicture(std::move(level), full);
    // Drawn now: decoding goes on as soon as this returns.
    viewport()->repaint();
}

void CTamrView::ShowLevelPicture(QImage level, ZoomSize full)
{
    levelPicture_ = std::move(level);
    levelSize_ = full;
    if (QWidget* frame = parentWidget(); frame != nullptr && !frame->isVisible())
        frame->show();
    viewport()->update();
}

QSize CTamrView::sizeHint() const
{
    const CDibImage* image = document_.Image();
    if (image == nullptr || !image->HasPixels())
        return {320, 240};
    const int border = 2 * frameWidth();
    return {image->Width() + border, image->Height() + border};
}

ZoomPoint CTamrView::ScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CTamrView::ScrollTo(ZoomPoint position)
{
    horizontalScrollBar()->setValue(position.x);
    verticalScrollBar()->setValue(position.y);
}

void CTamrView::SetScrollSizes(ZoomSize total)
{
    scrollTotal_ = total;
    UpdateScrollBars();
}

void CTamrView::UpdateScrollBars()
{
    const QSize page = viewport()->size();
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    horizontal->setRange(0, std::max(0, scrollTotal_.width - page.width()));
    horizontal->setPageStep(page.width());
    horizontal->setSingleStep(std::max(1, scrollTotal_.width / 100));
    vertical->setRange(0, std::max(0, scrollTotal_.height - page.height()));
    vertical->setPageStep(page.height());
    vertical->setSingleStep(std::max(1, scrollTotal_.height / 100));
}

void CTamrView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CTamrView::DrawPicture(QPainter& painter, const QRect& exposed) const
{
    const QImage& shown = PictureToShow();
    if (shown.isNull())
        return;
    const int width = shown.width();
    const int height = shown.height();
    const ZoomSize size = zoom_.DisplaySize(width, height);
    if (size.width <= 0 || size.height <= 0)
        return;
    if (!zoom_.zoomActive) {
        painter.drawImage(0, 0, shown);
        return;
    }
    if (zoom_.zoomedIn) {
        // Only the source pixels under the exposed area are stretched.
        const int z = zoom_.zoomInFactor;
        const int left = std::clamp(exposed.left() / z, 0, width);
        const int top = std::clamp(exposed.top() / z, 0, height);
        const int right = std::clamp(exposed.right() / z + 1, 0, width);
        const int bottom = std::clamp(exposed.bottom() / z + 1, 0, height);
        if (right > left && bottom > top)
            painter.drawImage(QRect(left * z, top * z, (right - left) * z, (bottom - top) * z), shown,
                              QRect(left, top, right - left, bottom - top));
        return;
    }
    painter.drawImage(QRect(0, 0, size.width, size.height), shown);
}

void CTamrView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const ZoomPoint scroll = ScrollPosition();
    painter.translate(-scroll.x, -scroll.y);
    DrawPicture(painter, event->rect().translated(scroll.x, scroll.y));
    if (!levelPicture_.isNull()) {
        // Incremental display draws at the window's origin, not scrolled.
        painter.resetTransform();
        painter.drawImage(QRect(0, 0, levelSize_.width, levelSize_.height), levelPicture_);
    }
}

void CTamrView::mousePressEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The mouse stays with this view until the button is released.
    clickPending_ = true;
    const QPoint point = event->position().toPoint();
    clickPoint_ = {point.x(), point.y()};
    panning_ = true;
    panFrom_ = point;
    panScroll_ = ScrollPosition();
}

void CTamrView::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && panning_) {
        panning_ = false;
        viewport()->unsetCursor();
    }
}

void CTamrView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    const ImagePalette* palette = document_.Palette();
    const bool paletteChanged = environment_.shared.currentPalette != palette;
    environment_.shared.currentPalette = palette;
    document_.UpdateAllViews();
    if (paletteChanged && paletteDevice_) {
        // Every view on the screen is shown through the new palette.
        for (CTamrView* view : window()->findChildren<CTamrView*>())
            view->viewport()->update();
    }
}

bool CTamrView::event(QEvent* event)
{
    if (event->type() == kImageChangedEvent) {
        OnImageChanged();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void CTamrView::PostImageChanged()
{
    // The event queue takes the event and deletes it once delivered.
    QCoreApplication::postEvent(this, new QEvent(kImageChangedEvent)); // NOLINT(cppcoreguidelines-owning-memory)
}

void CTamrView::OnImageChanged()
{
    CDibImage* image = document_.Image();
    if (paletteDevice_ && image != nullptr && image->IsColour() == 1)
        RebuildIndexImage(*image, environment_.display);
    RebuildPicture();
    viewport()->update();
    emit PixelsChanged();
}

void CTamrView::OnCompress()
{
    BusyGuard busy(*this);
    if (!CompressInBackground())
        environment_.prompter.ShowMessage(CompressErrorBox());
}

bool CTamrView::CompressInBackground()
{
    // A COD document codes nothing: Compress only marks it.
    if (!document_.CodesItsPicture() || document_.Image() == nullptr || !document_.Image()->HasPixels())
        return static_cast<bool>(document_.Compress());
    document_.WarnBeforeCompress();
    // Levels are made into pictures on the coding thread and drawn here as they come.
    const bool paletteDisplay = environment_.display.paletteDisplay;
    CTamrDoc::LevelSink showLevel =
        [this, paletteDisplay,
         full = QSize(document_.Image()->Width(), document_.Image()->Height())](const CDibImage& levelImage) {
            const bool indexed = paletteDisplay && levelImage.IsColour() == 1;
            emit LevelDecoded(indexed ? IndexPicture(levelImage) : WorkingPicture(levelImage), full);
        };
    struct Coded {
        std::optional<CTamrDoc::CompressJob> job;
        QImage picture;
        std::optional<PictureMetrics> metrics;
    };
    auto coded = std::make_shared<Coded>();
    {
        // Nothing else replaces or edits the picture meanwhile, and the user
        // waits as for a command run on this thread: so the coding thread may
        // also copy the picture and make the picture this view will draw.
        const CTamrDoc::EditSession session = document_.OpenEditSession();
        const InputHold hold;
        document_.SharePicture();
        QEventLoop coding;
        JobRunner runner;
        runner.Start(
            [coded, &document = document_, settings = environment_.settings, showLevel, indexed = paletteDevice_] {
                coded->job = document.MakeCompressJob(settings, showLevel);
                if (!coded->job)
                    return;
                CTamrDoc::RunCompressJob(*coded->job);
                const CDibImage& image = *coded->job->image;
                if (coded->job->times && image.HasPixels()) {
                    coded->picture = indexed && image.IsColour() == 1 ? IndexPicture(image) : WorkingPicture(image);
                    // Measured here, so that the figures panel copies nothing to measure it.
                    coded->metrics = MeasureCodedPicture(image);
                }
            },
            [&coding] { coding.quit(); });
        coding.exec();
    }
    bool adopted = false;
    if (coded->job) {
        preparedPicture_ = std::move(coded->picture);
        adopted = document_.AdoptCompressed(std::move(*coded->job), true);
        preparedPicture_ = QImage();
    }
    if (adopted && coded->metrics)
        emit ResultMeasured(*coded->metrics);
    emit EditSessionEnded();
    return adopted;
}

bool CTamrView::AdoptWithPicture(QImage picture, const std::function<bool()>& adopt)
{
    preparedPicture_ = std::move(picture);
    const bool adopted = adopt();
    preparedPicture_ = QImage();
    return adopted;
}

void CTamrView::OnEasySetup()
{
    RunEasySetup(this, environment_.settings, [this] { OnCompress(); });
}

void CTamrView::OnMasterSetup()
{
    RunMasterSetup(this, environment_.settings, environment_.prompter, [this] { OnCompress(); });
}

void CTamrView::OnIncrementalDisplay()
{
    environment_.settings.incrementalDisplay = !environment_.settings.incrementalDisplay;
}

void CTamrView::OnDithering()
{
    environment_.display.ditherEnabled = !environment_.display.ditherEnabled;
}

void CTamrView::OnCustomPalette()
{
    environment_.display.customPalette = true;
    environment_.display.fixedPalette = false;
}

void CTamrView::OnFixedPalette()
{
    environment_.display.fixedPalette = true;
    environment_.display.customPalette = false;
}

void CTamrView::OnSharpen()
{
    {
        CTamrDoc::EditSession session = document_.OpenEditSession();
        RunSharpen(this, document_, environment_.prompter, [this, &session] {
            session.MarkChanged();
            PostImageChanged();
        });
    }
    emit EditSessionEnded();
}

void CTamrView::OnFilters()
{
    {
        CTamrDoc::EditSession session = document_.OpenEditSession();
        RunFilters(this, document_, environment_.prompter, [this, &session] {
            session.MarkChanged();
            PostImageChanged();
        });
    }
    emit EditSessionEnded();
}

bool CTamrView::ChooseZoom(bool zoomIn, QString* text)
{
    if (environment_.chooseZoom)
        return environment_.chooseZoom(this, zoomIn, text);
    std::unique_ptr<CZoomDialog> dialog;
    if (zoomIn)
        dialog = std::make_unique<CZoomInDlg>(this);
    else
        dialog = std::make_unique<CZoomOutDlg>(this);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    *text = dialog->ZoomText();
    return true;
}

void CTamrView::OnZoomIn()
{
    QString text;
    if (ChooseZoom(true, &text))
        ZoomInTo(text);
}

void CTamrView::OnZoomOut()
{
    QString text;
    if (ChooseZoom(false, &text))
        ZoomOutTo(text);
}

void CTamrView::ZoomInTo(const QString& text)
{
    zoom_.ApplyZoomIn(text.toStdString());
    UpdateLayout();
}

void CTamrView::ZoomOutTo(const QString& text)
{
    zoom_.ApplyZoomOut(text.toStdString());
    UpdateLayout();
}

void CTamrView::OnNoZoom()
{
    zoom_.NoZoom();
    clickPending_ = false;
    UpdateLayout();
}

namespace {

// The factors the zoom steps go through: reduced 16 to 2 times (negative),
// unscaled (1), magnified 2 to 16 times.
constexpr int kLargestFactor = 16;

int NextFactor(int factor, int direction)
{
    if (direction > 0)
        return factor == -2 ? 1 : factor == 1 ? 2 : std::min(factor + 1, kLargestFactor);
    return factor == 2 ? 1 : factor == 1 ? -2 : std::max(factor - 1, -kLargestFactor);
}

} // namespace

double CTamrView::ShownScale() const
{
    if (!zoom_.zoomActive)
        return 1;
    if (zoom_.zoomedIn)
        return zoom_.zoomInFactor;
    return zoom_.zoomedOut ? 1.0 / zoom_.zoomOutFactor : 1;
}

void CTamrView::ApplyFactor(int factor, std::optional<QPoint> about)
{
    const QPointF point = about ? QPointF(*about) : QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const ZoomPoint scroll = ScrollPosition();
    const QPointF picturePoint = (QPointF(scroll.x, scroll.y) + point) / ShownScale();
    if (factor > 1)
        ZoomInTo(QStringLiteral("%1:1").arg(factor));
    else if (factor < -1)
        ZoomOutTo(QStringLiteral("1:%1").arg(-factor));
    else
        ZoomInTo(QStringLiteral("none"));
    const QPointF wanted = picturePoint * ShownScale() - point;
    ScrollTo({static_cast<int>(std::lround(wanted.x())), static_cast<int>(std::lround(wanted.y()))});
    viewport()->update();
}

void CTamrView::StepZoom(int direction, std::optional<QPoint> about)
{
    const double scale = ShownScale();
    const int factor = scale >= 1 ? static_cast<int>(scale) : -static_cast<int>(std::lround(1 / scale));
    ApplyFactor(NextFactor(factor, direction), about);
}

void CTamrView::FitToWindow()
{
    const CDibImage* image = document_.Image();
    if (image == nullptr || !image->HasPixels())
        return;
    const QSize room = viewport()->size();
    const auto fits = [&](double scale) {
        return image->Width() * scale <= room.width() && image->Height() * scale <= room.height();
    };
    int factor = 1;
    if (fits(1)) {
        while (factor < kLargestFactor && fits(factor + 1))
            ++factor;
    } else {
        factor = -2;
        while (factor > -kLargestFactor && !fits(-1.0 / factor))
            --factor;
    }
    ApplyFactor(factor, QPoint(0, 0));
    ScrollTo({0, 0});
}

void CTamrView::ActualSize(std::optional<QPoint> about)
{
    ApplyFactor(1, about);
}

void CTamrView::wheelEvent(QWheelEvent* event)
{
    if ((event->modifiers() & Qt::ControlModifier) && event->angleDelta().y() != 0) {
        StepZoom(event->angleDelta().y() > 0 ? 1 : -1, event->position().toPoint());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void CTamrView::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mouseMoveEvent(event);
    if (panning_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint moved = event->position().toPoint() - panFrom_;
        if (!moved.isNull()) {
            viewport()->setCursor(Qt::ClosedHandCursor);
            ScrollTo({panScroll_.x - moved.x(), panScroll_.y - moved.y()});
            viewport()->update();
        }
    }
    const CDibImage* image = document_.Image();
    if (image == nullptr || !image->HasPixels() || !levelPicture_.isNull())
        return;
    const ZoomPoint scroll = ScrollPosition();
    const double scale = ShownScale();
    const int x = static_cast<int>(std::floor((scroll.x + event->position().x()) / scale));
    const int y = static_cast<int>(std::floor((scroll.y + event->position().y()) / scale));
    emit Inspected(InspectorText(*image, QPoint(x, y)));
}

void CTamrView::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    emit Inspected({});
}

void CTamrView::Print(QPrinter& printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    if (const CDibImage* image = document_.Image())
        DrawPrintedImage(painter, *image);
    painter.end();
}

} // namespace tamr::qt
