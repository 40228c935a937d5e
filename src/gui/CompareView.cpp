#include "gui/CompareView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "document/TamrDoc.h"
#include "gui/CompareZoom.h"
#include "gui/PictureImage.h"

namespace tamr::qt {

namespace {

constexpr int kDividerGrip = 5;
// The scaled copies below 100 %: original, decoded, amplified difference, heat map.
enum ScaledSlot : std::size_t { kOriginalSlot, kDecodedSlot, kAmplifiedSlot, kHeatSlot };

QImage AsRgb(const QImage& picture)
{
    return picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB888);
}

// The heat map's scale: the colours from no difference to the largest one.
QPixmap HeatScalePicture(int largest)
{
    constexpr int kWidth = 128;
    constexpr int kHeight = 12;
    QImage scale(kWidth, kHeight, QImage::Format_RGB888);
    for (int x = 0; x < kWidth; ++x) {
        const QColor colour = HeatColour(largest * x / (kWidth - 1), largest);
        for (int y = 0; y < kHeight; ++y)
            scale.setPixelColor(x, y, colour);
    }
    return QPixmap::fromImage(scale);
}

} // namespace

std::uint64_t PictureFingerprint(const CTamrDoc& document)
{
    const CDibImage* image = document.Image();
    if (image == nullptr)
        return 0;
    // FNV-1a over the sizes and about 4096 bytes of each buffer.
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::uint64_t value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    mix(image->Width());
    mix(image->Height());
    for (const auto bytes : {image->Pixels(), image->ReferencePixels()}) {
        mix(bytes.size());
        const std::size_t step = std::max<std::size_t>(1, bytes.size() / 4096);
        for (std::size_t i = 0; i < bytes.size(); i += step)
            mix(bytes[i]);
    }
    return hash;
}

CompareView::CompareView(CTamrDoc& document, QWidget* parent) : CompareView(document, Habits{}, parent) {}

CompareView::CompareView(CTamrDoc& document, const Habits& habits, QWidget* parent)
    : QWidget(parent), document_(&document), mode_(habits.mode),
      amplification_(std::clamp(habits.amplification, 1, kLargestAmplification)), openingScale_(habits.scale),
      modes_(new QComboBox(this)), amplifier_(new QSpinBox(this)), heatScale_(new QLabel(this)),
      heatRange_(new QLabel(this)), zoomText_(new QLabel(this)), horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::StrongFocus);
    modes_->addItems({tr("Side by side"), tr("Split"), tr("Difference"), tr("Heat map")});
    modes_->setObjectName(QStringLiteral("compareMode"));
    modes_->setFocusPolicy(Qt::NoFocus);
    amplifier_->setRange(1, kLargestAmplification);
    amplifier_->setValue(amplification_);
    amplifier_->setPrefix(QStringLiteral("× "));
    amplifier_->setObjectName(QStringLiteral("amplification"));
    heatScale_->setObjectName(QStringLiteral("heatScale"));
    heatRange_->setObjectName(QStringLiteral("heatRange"));
    zoomText_->setObjectName(QStringLiteral("compareZoom"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(modes_);
    controls->addWidget(amplifier_);
    controls->addWidget(heatScale_);
    controls->addWidget(heatRange_);
    controls->addStretch(1);
    controls->addWidget(zoomText_);

    auto* paneRow = new QHBoxLayout;
    paneRow->setSpacing(2);
    for (int index = 0; index < 2; ++index) {
        panes_[static_cast<std::size_t>(index)] = new ComparePane(*this, index);
        paneRow->addWidget(panes_[static_cast<std::size_t>(index)], 1);
    }
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    grid->addLayout(paneRow, 0, 0);
    grid->addWidget(vertical_, 0, 1);
    grid->addWidget(horizontal_, 1, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(controls);
    layout->addLayout(grid, 1);

    connect(modes_, &QComboBox::activated, this, [this](int index) { SetMode(static_cast<CompareMode>(index)); });
    connect(amplifier_, &QSpinBox::valueChanged, this, [this](int factor) { SetAmplification(factor); });
    for (QScrollBar* bar : {horizontal_, vertical_})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            for (ComparePane* pane : panes_)
                pane->update();
        });
    TakePictures();
    CentreDivider();
    UpdateControls();
}

CompareView::~CompareView() = default;

void CompareView::Detach()
{
    document_ = nullptr;
}

void CompareView::Follow(bool edited)
{
    if (document_ != nullptr && (edited || PictureFingerprint(*document_) != fingerprint_))
        TakePictures();
}

void CompareView::TakePictures()
{
    const CDibImage* image = document_ != nullptr ? document_->Image() : nullptr;
    fingerprint_ = document_ != nullptr ? PictureFingerprint(*document_) : 0;
    original_ = image != nullptr ? AsRgb(ReferencePicture(*image)) : QImage();
    decoded_ = image != nullptr ? AsRgb(WorkingPicture(*image)) : QImage();
    scaled_.fill(QImage());
    difference_ = {};
    StartDifference();
    UpdateScrollBars();
    for (ComparePane* pane : panes_)
        pane->update();
}

void CompareView::StartDifference()
{
    // The pictures are shared, not copied: the thread only reads them.
    differenceRunner_.Start([original = original_, decoded = decoded_,
                             factor = amplification_] { return MakeDifferencePictures(original, decoded, factor); },
                            [this](DifferencePictures made) {
                                difference_ = std::move(made);
                                scaled_[kAmplifiedSlot] = scaled_[kHeatSlot] = QImage();
                                UpdateControls();
                                for (ComparePane* pane : panes_)
                                    pane->update();
                                emit DifferenceMade();
                            });
}

void CompareView::SetMode(CompareMode mode)
{
    const bool splitting = mode == CompareMode::Split && mode_ != CompareMode::Split;
    mode_ = mode;
    if (splitting)
        CentreDivider();
    emit HabitsChanged();
    UpdateControls();
    UpdateScrollBars();
    for (ComparePane* pane : panes_)
        pane->update();
}

void CompareView::SetAmplification(int factor)
{
    factor = std::clamp(factor, 1, kLargestAmplification);
    if (factor == amplification_)
        return;
    amplification_ = factor;
    amplifier_->setValue(factor);
    StartDifference();
    emit HabitsChanged();
}

void CompareView::UpdateControls()
{
    modes_->setCurrentIndex(static_cast<int>(mode_));
    amplifier_->setVisible(mode_ == CompareMode::Difference);
    heatScale_->setVisible(mode_ == CompareMode::HeatMap);
    heatRange_->setVisible(mode_ == CompareMode::HeatMap);
    if (mode_ == CompareMode::HeatMap) {
        heatScale_->setPixmap(HeatScalePicture(difference_.largest));
        heatRange_->setText(tr("0 to %1").arg(difference_.largest));
    }
    panes_[1]->setVisible(mode_ == CompareMode::SideBySide);
    zoomText_->setText(QStringLiteral("%1 %").arg(std::lround(scale_ * 100)));
}

double CompareView::DevicePixelRatio() const
{
    return panes_[0]->devicePixelRatioF();
}

QPoint CompareView::ScrollPosition() const
{
    return {horizontal_->value(), vertical_->value()};
}

void CompareView::ScrollTo(QPoint position)
{
    horizontal_->setValue(position.x());
    vertical_->setValue(position.y());
}

void CompareView::UpdateScrollBars()
{
    // Content and page in logical pixels of the first pane.
    const double logicalScale = scale_ / DevicePixelRatio();
    const QSize content(static_cast<int>(std::ceil(original_.width() * logicalScale)),
                        static_cast<int>(std::ceil(original_.height() * logicalScale)));
    const QSize page = panes_[0]->size();
    horizontal_->setRange(0, std::max(0, content.width() - page.width()));
    horizontal_->setPageStep(std::max(1, page.width()));
    horizontal_->setSingleStep(std::max(1, page.width() / 10));
    vertical_->setRange(0, std::max(0, content.height() - page.height()));
    vertical_->setPageStep(std::max(1, page.height()));
    vertical_->setSingleStep(std::max(1, page.height() / 10));
}

void CompareView::SetScale(double scale, std::optional<QPointF> about)
{
    scale = std::clamp(scale, kSmallestCompareScale, kLargestCompareScale);
    const QPointF point = about.value_or(QPointF(panes_[0]->width() / 2.0, panes_[0]->height() / 2.0));
    const QPointF scroll = ScrollAfterZoom(ScrollPosition(), point, scale_, scale, DevicePixelRatio());
    scale_ = scale;
    fitted_ = false;
    UpdateScrollBars();
    ScrollTo(QPoint(static_cast<int>(std::lround(scroll.x())), static_cast<int>(std::lround(scroll.y()))));
    UpdateControls();
    for (ComparePane* pane : panes_)
        pane->update();
    emit HabitsChanged();
}

void CompareView::StepZoom(int steps, std::optional<QPointF> about)
{
    double scale = scale_;
    for (int i = 0; i < std::abs(steps); ++i)
        scale = steps > 0 ? NextZoomStep(scale) : PreviousZoomStep(scale);
    SetScale(scale, about);
}

void CompareView::FitToWindow()
{
    const QSize viewport = panes_[0]->size() * DevicePixelRatio();
    SetScale(FitScale(original_.size(), viewport));
    ScrollTo({0, 0});
    fitted_ = true;
    emit HabitsChanged();
}

void CompareView::ActualSize(std::optional<QPointF> about)
{
    SetScale(1, about);
}

double CompareView::DividerFraction() const
{
    const ComparePane& pane = *panes_[0];
    const double x = dividerX_ * scale_ / pane.devicePixelRatioF() - ScrollPosition().x();
    return x / std::max(1, pane.width());
}

void CompareView::CentreDivider()
{
    dividerX_ = original_.width() / 2.0;
    panes_[0]->update();
}

void CompareView::SetDividerFraction(double fraction)
{
    const ComparePane& pane = *panes_[0];
    const double x = std::clamp(fraction, 0.0, 1.0) * pane.width();
    dividerX_ = PicturePoint(pane, QPointF(x, 0)).x();
    panes_[0]->update();
}

QRectF CompareView::VisiblePictureRect(int pane) const
{
    const ComparePane* shown = panes_[static_cast<std::size_t>(pane)];
    if (!shown->isVisible() || original_.isNull())
        return {};
    const QPointF topLeft = PicturePoint(*shown, QPointF(0, 0));
    const QPointF bottomRight = PicturePoint(*shown, QPointF(shown->width(), shown->height()));
    return QRectF(topLeft, bottomRight).intersected(QRectF(original_.rect()));
}

QPointF CompareView::PicturePoint(const ComparePane& pane, QPointF at) const
{
    return (QPointF(ScrollPosition()) + at) * pane.devicePixelRatioF() / scale_;
}

CompareView::Shown CompareView::PictureOf(int pane, bool leftOfDivider)
{
    const auto slot = [this](const QImage& picture, ScaledSlot index) {
        return Shown{&picture, &scaled_[index], &scaledFor_[index]};
    };
    const Shown original = slot(original_, kOriginalSlot);
    if (flipped_)
        return original;
    switch (mode_) {
    case CompareMode::SideBySide:
        return pane == 0 ? original : slot(decoded_, kDecodedSlot);
    case CompareMode::Split:
        return leftOfDivider ? original : slot(decoded_, kDecodedSlot);
    case CompareMode::Difference:
        return slot(difference_.amplified, kAmplifiedSlot);
    case CompareMode::HeatMap:
        return slot(difference_.heatMap, kHeatSlot);
    }
    return original;
}

QStringList CompareView::PaneLabels(int index) const
{
    if (flipped_)
        return {tr("Original (Space held)")};
    switch (mode_) {
    case CompareMode::SideBySide:
        return {index == 0 ? tr("Original") : tr("Decoded")};
    case CompareMode::Split:
        return {tr("Original"), tr("Decoded")};
    case CompareMode::Difference:
        return {tr("Difference × %1").arg(amplification_)};
    case CompareMode::HeatMap:
        return {tr("Heat map")};
    }
    return {};
}

void CompareView::DrawLabels(const ComparePane& pane, QPainter& painter)
{
    const QStringList labels = PaneLabels(pane.Index());
    const QFontMetrics metrics = painter.fontMetrics();
    const int margin = 4;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QRect text = metrics.boundingRect(labels[i]).adjusted(-margin, -margin / 2, margin, margin / 2);
        // The first at the left, a second at the right; the Space badge in the middle, bright.
        QPoint at(margin, margin);
        if (flipped_)
            at.setX((pane.width() - text.width()) / 2);
        else if (i == 1)
            at.setX(pane.width() - text.width() - margin);
        const QRect box(at, text.size());
        painter.fillRect(box, flipped_ ? QColor(255, 200, 0, 230) : QColor(0, 0, 0, 160));
        painter.setPen(flipped_ ? Qt::black : Qt::white);
        painter.drawText(box, Qt::AlignCenter, labels[i]);
    }
}

void CompareView::PaintPane(const ComparePane& pane, QPainter& painter, const QRect& exposed)
{
    painter.fillRect(exposed, palette().color(QPalette::Dark));
    const double ratio = pane.devicePixelRatioF();
    if (mode_ != CompareMode::Split) {
        DrawPicture(painter, PictureOf(pane.Index(), true), exposed, ratio);
        DrawLabels(pane, painter);
        return;
    }
    const int dividerX = std::clamp(static_cast<int>(std::lround(DividerFraction() * pane.width())), 0, pane.width());
    const QRect left = exposed.intersected(QRect(0, 0, dividerX, pane.height()));
    const QRect right = exposed.intersected(QRect(dividerX, 0, pane.width() - dividerX, pane.height()));
    if (!left.isEmpty())
        DrawPicture(painter, PictureOf(0, true), left, ratio);
    if (!right.isEmpty())
        DrawPicture(painter, PictureOf(0, false), right, ratio);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(dividerX, 0, dividerX, pane.height());
    DrawLabels(pane, painter);
}

void CompareView::DrawPicture(QPainter& painter, Shown shown, const QRect& area, double devicePixelRatio)
{
    const QImage& picture = *shown.picture;
    if (picture.isNull())
        return;
    painter.save();
    painter.setClipRect(area);
    const QPointF scroll(ScrollPosition());
    const double logicalScale = scale_ / devicePixelRatio;
    if (scale_ >= 1) {
        // Nearest neighbour, and only the picture pixels under the area.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QRectF wanted = QRectF(QPointF(area.topLeft()) + scroll, QSizeF(area.size())).adjusted(0, 0, 1, 1);
        const int left = std::clamp(static_cast<int>(std::floor(wanted.left() / logicalScale)), 0, picture.width());
        const int top = std::clamp(static_cast<int>(std::floor(wanted.top() / logicalScale)), 0, picture.height());
        const int right = std::clamp(static_cast<int>(std::ceil(wanted.right() / logicalScale)), 0, picture.width());
        const int bottom = std::clamp(static_cast<int>(std::ceil(wanted.bottom() / logicalScale)), 0, picture.height());
        if (right > left && bottom > top) {
            const QRectF target(left * logicalScale - scroll.x(), top * logicalScale - scroll.y(),
                                (right - left) * logicalScale, (bottom - top) * logicalScale);
            painter.drawImage(target, picture, QRectF(left, top, right - left, bottom - top));
        }
    } else {
        // Area-averaged: a copy of the whole picture at this scale, made once
        // per scale and picture, then only its visible part is drawn.
        if (shown.scaled->isNull() || *shown.scaledFor != scale_) {
            const QSize size(std::max(1, static_cast<int>(std::lround(picture.width() * scale_))),
                             std::max(1, static_cast<int>(std::lround(picture.height() * scale_))));
            *shown.scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            *shown.scaledFor = scale_;
        }
        const QImage& scaled = *shown.scaled;
        const QRectF source((area.left() + scroll.x()) * devicePixelRatio, (area.top() + scroll.y()) * devicePixelRatio,
                            area.width() * devicePixelRatio, area.height() * devicePixelRatio);
        painter.drawImage(QRectF(area), scaled, source);
    }
    painter.restore();
}

void CompareView::Inspect(const ComparePane& pane, QPoint at)
{
    const QPointF point = PicturePoint(pane, QPointF(at) + QPointF(0.5, 0.5) / pane.devicePixelRatioF());
    const QPoint pixel(static_cast<int>(std::floor(point.x())), static_cast<int>(std::floor(point.y())));
    emit Inspected(InspectorText(original_, decoded_, pixel));
}

void CompareView::Wheel(const ComparePane& pane, QWheelEvent& event)
{
    const QPoint degrees = event.angleDelta() / 8;
    if (event.modifiers() & Qt::ControlModifier) {
        if (degrees.y() != 0)
            StepZoom(degrees.y() > 0 ? 1 : -1, event.position());
        event.accept();
        return;
    }
    QScrollBar* bar = (event.modifiers() & Qt::ShiftModifier) || degrees.y() == 0 ? horizontal_ : vertical_;
    const int delta = degrees.y() != 0 ? degrees.y() : degrees.x();
    bar->setValue(bar->value() - delta / 15 * bar->singleStep());
    (void)pane;
    event.accept();
}

void CompareView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat() && !flipped_) {
            flipped_ = true;
            for (ComparePane* pane : panes_)
                pane->update();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CompareView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat() && flipped_) {
            flipped_ = false;
            for (ComparePane* pane : panes_)
                pane->update();
        }
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void CompareView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateScrollBars();
}

void CompareView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Opens showing the whole picture, or at the zoom it was left at last time.
    if (!shownOnce_) {
        shownOnce_ = true;
        if (openingScale_)
            SetScale(*openingScale_, QPointF(0, 0));
        else
            FitToWindow();
        if (mode_ == CompareMode::Split)
            CentreDivider();
    }
}

ComparePane::ComparePane(CompareView& view, int index) : QWidget(&view), view_(view), index_(index)
{
    setMouseTracking(true);
    setMinimumSize(32, 32);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ComparePane::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    view_.PaintPane(*this, painter, event->rect());
}

void ComparePane::mousePressEvent(QMouseEvent* event)
{
    const int dividerX = static_cast<int>(std::lround(view_.DividerFraction() * width()));
    if (event->button() == Qt::LeftButton) {
        // On the divider it moves the divider; anywhere else it drags the picture.
        if (view_.Mode() == CompareMode::Split && std::abs(event->position().x() - dividerX) <= kDividerGrip) {
            dragging_ = true;
        } else {
            panning_ = true;
            panFrom_ = event->position();
            panScroll_ = view_.ScrollPosition();
            setCursor(Qt::ClosedHandCursor);
        }
    }
    view_.setFocus();
}

void ComparePane::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        view_.SetDividerFraction(event->position().x() / std::max(1, width()));
    if (panning_) {
        view_.ScrollTo(panScroll_ - (event->position() - panFrom_).toPoint());
        return;
    }
    const int dividerX = static_cast<int>(std::lround(view_.DividerFraction() * width()));
    const bool nearDivider =
        view_.Mode() == CompareMode::Split && std::abs(event->position().x() - dividerX) <= kDividerGrip;
    setCursor(dragging_ || nearDivider ? Qt::SplitHCursor : Qt::CrossCursor);
    view_.Inspect(*this, event->position().toPoint());
}

void ComparePane::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        if (panning_) {
            panning_ = false;
            setCursor(Qt::CrossCursor);
        }
    }
}

void ComparePane::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    emit view_.Inspected({});
}

void ComparePane::wheelEvent(QWheelEvent* event)
{
    view_.Wheel(*this, *event);
}

} // namespace tamr::qt
