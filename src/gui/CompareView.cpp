#include "gui/CompareView.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "document/TamrDoc.h"
#include "gui/CodecLabel.h"
#include "gui/CompareZoom.h"
#include "gui/PictureImage.h"
#include "image/Butteraugli.h"

namespace tamr::qt {

namespace {

constexpr int kDividerGrip = 5;
// The scaled copies below 100 %: first and second side, amplified difference, heat map, original.
enum ScaledSlot : std::size_t { kOriginalSlot, kDecodedSlot, kAmplifiedSlot, kHeatSlot, kReferenceSlot };

// What the side lists hold besides the peers: the document's pictures, and
// the entry that names a chart point or file on the side.
enum ChoiceCode : int { kChooseOriginal = 0, kChooseDecoded = 1, kChooseOther = -1, kFirstPeer = 100 };

// The local files of a drop: one or two.
QStringList DroppedFiles(const QMimeData& mime)
{
    QStringList files;
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files.size() == 1 || files.size() == 2 ? files : QStringList{};
}

// Both pictures as the measures read them: blue, green, red rows.
PictureMetrics MeasurePair(const QImage& first, const QImage& second)
{
    const QImage a = first.convertToFormat(QImage::Format_BGR888);
    const QImage b = second.convertToFormat(QImage::Format_BGR888);
    const auto view = [](const QImage& picture) {
        return ConstPixelView{std::span(picture.constBits(), static_cast<std::size_t>(picture.sizeInBytes())),
                              picture.width(), picture.height(),
                              static_cast<int>(picture.bytesPerLine()) - 3 * picture.width()};
    };
    return MeasurePictures(view(a), view(b), 3, 1);
}

// What the heat map can show, in the order of its list.
struct HeatChoice {
    MapKind kind;
    const char* text;
};
constexpr HeatChoice kHeatChoices[] = {
    {MapKind::Absolute, "Absolute difference"},
    {MapKind::Ssim, "Local SSIM"},
    {MapKind::Butteraugli, "Butteraugli distance"},
};

bool CanShow(MapKind kind)
{
    return kind != MapKind::Butteraugli || ButteraugliAvailable();
}

// The heat map's legend: the strip of colours from 0 to `top`, with the
// value of each of its five colours under it (no values before the map is made).
QPixmap HeatLegend(std::optional<double> top, const QFont& font, const QColor& ink, double devicePixelRatio)
{
    constexpr int kStrip = 160;
    constexpr int kStripHeight = 10;
    constexpr int kStops = 4;
    const QFontMetrics metrics(font);
    const auto number = [top](int stop) { return top ? QString::number(*top * stop / kStops, 'g', 3) : QString(); };
    const int side = metrics.horizontalAdvance(number(kStops)) / 2 + 2;
    const QSize size(kStrip + 2 * side, kStripHeight + metrics.height() + 1);
    QPixmap legend(size * devicePixelRatio);
    legend.setDevicePixelRatio(devicePixelRatio);
    legend.fill(Qt::transparent);
    QPainter painter(&legend);
    for (int x = 0; x < kStrip; ++x) {
        const auto rgb = HeatRgb(static_cast<double>(x) / (kStrip - 1), 1.0);
        painter.fillRect(side + x, 0, 1, kStripHeight, QColor(rgb[0], rgb[1], rgb[2]));
    }
    painter.setFont(font);
    painter.setPen(ink);
    for (int stop = 0; stop <= kStops; ++stop) {
        const int x = side + (kStrip - 1) * stop / kStops;
        const QString text = number(stop);
        painter.drawText(QRect(x - side * 2, kStripHeight + 1, side * 4, metrics.height()), Qt::AlignHCenter, text);
    }
    return legend;
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
      heatKind_(CanShow(habits.heatMap) ? habits.heatMap : MapKind::Absolute), mapRunner_(new JobRunner(this)),
      scaleRunner_(new JobRunner(this)),
      heatKinds_(new QComboBox(this)), choosers_{new QComboBox(this), new QComboBox(this)}, figures_(new QLabel(this)),
      modes_(new QComboBox(this)), amplifier_(new QSpinBox(this)), heatScale_(new QLabel(this)),
      heatRange_(new QLabel(this)), zoomText_(new QLabel(this)), horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    sides_[0].name = tr("Original");
    sides_[1].source = SideSource::Decoded;
    sides_[1].name = tr("Decoded");
    choosers_[0]->setObjectName(QStringLiteral("firstSide"));
    choosers_[1]->setObjectName(QStringLiteral("secondSide"));
    for (QComboBox* chooser : choosers_) {
        chooser->setFocusPolicy(Qt::NoFocus);
        chooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    figures_->setObjectName(QStringLiteral("pairFigures"));
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FillChoosers();
    modes_->addItems({tr("Side by side"), tr("Split"), tr("Difference"), tr("Heat map")});
    modes_->setObjectName(QStringLiteral("compareMode"));
    modes_->setFocusPolicy(Qt::NoFocus);
    amplifier_->setRange(1, kLargestAmplification);
    amplifier_->setValue(amplification_);
    amplifier_->setPrefix(QStringLiteral("× "));
    amplifier_->setObjectName(QStringLiteral("amplification"));
    heatKinds_->setObjectName(QStringLiteral("heatMapKind"));
    heatKinds_->setFocusPolicy(Qt::NoFocus);
    for (const HeatChoice& choice : kHeatChoices) {
        heatKinds_->addItem(tr(choice.text), static_cast<int>(choice.kind));
        if (CanShow(choice.kind))
            continue;
        // Listed, but not to be chosen, and the tool tip says why.
        auto* model = qobject_cast<QStandardItemModel*>(heatKinds_->model());
        if (QStandardItem* item = model != nullptr ? model->item(heatKinds_->count() - 1) : nullptr) {
            item->setEnabled(false);
            item->setToolTip(tr("Butteraugli is %1").arg(QString::fromUtf8(kButteraugliUnavailable)));
        }
    }
    heatScale_->setObjectName(QStringLiteral("heatScale"));
    heatRange_->setObjectName(QStringLiteral("heatRange"));
    zoomText_->setObjectName(QStringLiteral("compareZoom"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(choosers_[0]);
    controls->addWidget(new QLabel(tr("against"), this));
    controls->addWidget(choosers_[1]);
    controls->addWidget(modes_);
    controls->addWidget(amplifier_);
    controls->addWidget(heatKinds_);
    controls->addStretch(1);
    controls->addWidget(zoomText_);
    // The heat map's legend has a line of its own, wide enough for its values.
    auto* legend = new QHBoxLayout;
    legend->addWidget(heatScale_);
    legend->addWidget(heatRange_);
    legend->addStretch(1);

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
    layout->addLayout(legend);
    layout->addLayout(grid, 1);
    layout->addWidget(figures_);

    for (int side = 0; side < 2; ++side)
        connect(choosers_[static_cast<std::size_t>(side)], &QComboBox::activated, this,
                [this, side](int index) { Choose(side, index); });
    connect(modes_, &QComboBox::activated, this, [this](int index) { SetMode(static_cast<CompareMode>(index)); });
    connect(amplifier_, &QSpinBox::valueChanged, this, [this](int factor) { SetAmplification(factor); });
    connect(heatKinds_, &QComboBox::activated, this,
            [this](int index) { SetHeatMapKind(static_cast<MapKind>(heatKinds_->itemData(index).toInt())); });
    for (QScrollBar* bar : {horizontal_, vertical_})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            for (ComparePane* pane : panes_)
                pane->update();
        });
    TakePictures();
    UpdateControls();
}

CompareView::~CompareView()
{
    mapRunner_->CancelAndOutliveOwner(QStringLiteral("endingHeatMap"));
    scaleRunner_->CancelAndOutliveOwner(QStringLiteral("endingScaling"));
}

void CompareView::Detach()
{
    document_ = nullptr;
}

void CompareView::Follow(bool edited)
{
    if (document_ != nullptr && (edited || PictureFingerprint(*document_) != fingerprint_))
        TakePictures();
}

bool CompareView::CanCodeAtEqualSize(const CTamrDoc& document)
{
    const CDibImage* image = document.Image();
    // Compressed in this session: the title has become NAME.cod, the original is still held.
    return document.Codec() != nullptr && image != nullptr && document.TitleExtension() == ".cod" &&
           image->HasPixels() && !image->ReferencePixels().empty() && image->BytesPerPixel() != 0;
}

void CompareView::TakePictures()
{
    const CDibImage* image = document_ != nullptr ? document_->Image() : nullptr;
    fingerprint_ = document_ != nullptr ? PictureFingerprint(*document_) : 0;
    if (image == nullptr || !image->HasPixels()) {
        picturesRunner_.Cancel();
        TakeDocumentPictures({});
        return;
    }
    // A large picture takes longer to turn into pictures than a frame may:
    // its pixels go to the runner's thread shared, and the sides wait for them.
    document_->SharePicture();
    auto shared = std::make_shared<const CDibImage>(*image);
    picturesRunner_.Start(
        [shared] {
            return DocumentPictures{RgbReferencePicture(*shared), RgbWorkingPicture(*shared)};
        },
        [this](DocumentPictures made) { TakeDocumentPictures(std::move(made)); });
}

void CompareView::TakeDocumentPictures(DocumentPictures made)
{
    reference_ = std::move(made.reference);
    decoded_ = std::move(made.decoded);
    TakeSide(0);
    TakeSide(1);
    UpdateChoosers();
}

void CompareView::TakeSide(int index)
{
    CompareSide& side = sides_[static_cast<std::size_t>(index)];
    switch (side.source) {
    case SideSource::Original:
    case SideSource::Decoded: {
        const bool original = side.source == SideSource::Original;
        CompareSide taken;
        taken.source = side.source;
        taken.name = original ? tr("Original") : tr("Decoded");
        taken.picture = original ? reference_ : decoded_;
        if (!original && document_ != nullptr && document_->Codec() != nullptr &&
            document_->TitleExtension() == ".cod") {
            taken.codec = &TamrCodec();
            taken.name = CodecLabel(TamrCodec());
            taken.bytes = document_->Codec()->WriteHeader().size();
            const double pixels = static_cast<double>(taken.picture.width()) * taken.picture.height();
            taken.bitsPerPixel = pixels > 0 ? 8.0 * static_cast<double>(taken.bytes) / pixels : 0;
        }
        // Whatever was being made for this side is out of date.
        sideRunners_[static_cast<std::size_t>(index)].Cancel();
        SetSide(index, std::move(taken));
        return;
    }
    case SideSource::PeerAtEqualSize:
        if (side.codec != nullptr)
            ShowSource(index, SideSource::PeerAtEqualSize, side.codec);
        return;
    case SideSource::ChartPoint:
    case SideSource::File:
        return;
    }
}

void CompareView::SetSide(int index, CompareSide shown)
{
    sides_[static_cast<std::size_t>(index)] = std::move(shown);
    scaled_[index == 0 ? kOriginalSlot : kDecodedSlot] = QImage();
    if (reference_.isNull() || document_ == nullptr)
        scaled_[kReferenceSlot] = QImage();
    difference_ = {};
    pairMetrics_.reset();
    scaled_[kAmplifiedSlot] = scaled_[kHeatSlot] = QImage();
    heatMade_.reset();
    heatAsked_.reset();
    mapRunner_->Cancel();
    differenceRunner_.Cancel();
    // Both sides often change at once: one difference and one map for the two.
    if (!pairScheduled_) {
        pairScheduled_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pairScheduled_ = false;
                StartDifference();
                StartHeatMap();
                UpdateControls();
            },
            Qt::QueuedConnection);
    }
    UpdateChoosers();
    UpdateControls();
    UpdateScrollBars();
    ApplyOpeningView();
    for (ComparePane* pane : panes_)
        pane->update();
    emit SideShown(index);
}

void CompareView::ShowSource(int side, SideSource source, const PeerCodec* peer)
{
    const auto index = static_cast<std::size_t>(side);
    if (source == SideSource::Original || source == SideSource::Decoded) {
        sides_[index].source = source;
        TakeSide(side);
        return;
    }
    if (source != SideSource::PeerAtEqualSize || peer == nullptr)
        return;
    CompareSide waiting;
    waiting.source = source;
    waiting.codec = peer;
    waiting.name = CodecLabel(*peer);
    if (document_ == nullptr || !CanCodeAtEqualSize(*document_)) {
        waiting.failure = tr("Compress the picture first: the peer is coded at the size of tamr's file");
        SetSide(side, std::move(waiting));
        return;
    }
    const std::size_t targetBytes = document_->Codec()->WriteHeader().size();
    const OriginalSource original = TakeOriginal();
    SetSide(side, std::move(waiting));
    sideRunners_[index].Start(
        [original, peer, targetBytes] { return CodePeerSide(original.Rows(), *peer, targetBytes); },
        [this, side](CompareSide made) { SetSide(side, std::move(made)); });
}

void CompareView::ShowPoint(int side, SidePoint point)
{
    const CDibImage* image = document_ != nullptr ? document_->Image() : nullptr;
    if (point.codec == nullptr || image == nullptr || image->ReferencePixels().empty())
        return;
    CompareSide waiting;
    waiting.source = SideSource::ChartPoint;
    waiting.codec = point.codec;
    waiting.name = CodecLabel(*point.codec);
    const OriginalSource original = TakeOriginal();
    SetSide(side, std::move(waiting));
    sideRunners_[static_cast<std::size_t>(side)].Start(
        [original, point = std::move(point)] { return DecodePointSide(original.Rows(), point); },
        [this, side](CompareSide made) { SetSide(side, std::move(made)); });
}

void CompareView::ShowFiles(const std::filesystem::path& first, const std::filesystem::path& second)
{
    LoadSide(0, first);
    LoadSide(1, second);
}

// Files dropped beside the document open as the document's environment opens files.
PictureOpening CompareView::Opening() const
{
    if (document_ == nullptr)
        return {};
    return {document_->Environment().limits, document_->Environment().readPolicy};
}

void CompareView::LoadSide(int side, const std::filesystem::path& file)
{
    CompareSide waiting;
    waiting.source = SideSource::File;
    waiting.name = QString::fromStdString(file.filename().string());
    SetSide(side, std::move(waiting));
    sideRunners_[static_cast<std::size_t>(side)].Start(
        [file, opening = Opening()] { return LoadFileSide(file, opening); },
        [this, side](CompareSide made) { SetSide(side, std::move(made)); });
}

CompareView::OriginalSource CompareView::TakeOriginal() const
{
    document_->SharePicture();
    return {std::make_shared<const CDibImage>(*document_->Image())};
}

SideOriginal CompareView::OriginalSource::Rows() const
{
    const auto pixels = image->ReferencePixels();
    return {std::make_shared<const std::vector<std::uint8_t>>(pixels.begin(), pixels.end()), image->Width(),
            image->Height(), image->RowPad(), image->BytesPerPixel()};
}

bool CompareView::Working() const
{
    return picturesRunner_.Busy() || sideRunners_[0].Busy() || sideRunners_[1].Busy() || differenceRunner_.Busy() ||
           mapRunner_->Busy() || scaleRunner_->Busy() || pairScheduled_;
}

QString CompareView::PairFigures() const
{
    return figures_->text();
}

void CompareView::FillChoosers()
{
    for (QComboBox* chooser : choosers_) {
        chooser->clear();
        chooser->addItem(tr("Original"), kChooseOriginal);
        chooser->addItem(tr("Decoded"), kChooseDecoded);
        const std::vector<const PeerCodec*> peers = AvailablePeers();
        for (std::size_t i = 0; i < peers.size(); ++i)
            chooser->addItem(tr("%1 at equal size").arg(CodecLabel(*peers[i])), kFirstPeer + static_cast<int>(i));
    }
}

void CompareView::UpdateChoosers()
{
    const bool peersPossible = document_ != nullptr && CanCodeAtEqualSize(*document_);
    const std::vector<const PeerCodec*> peers = AvailablePeers();
    for (std::size_t side = 0; side < 2; ++side) {
        QComboBox& chooser = *choosers_[side];
        const CompareSide& shown = sides_[side];
        // The entry of a chart point or file on this side, or none.
        const int other = chooser.findData(kChooseOther);
        const bool elsewhere = shown.source == SideSource::ChartPoint || shown.source == SideSource::File;
        if (elsewhere) {
            const QString text = shown.quality >= 0 ? tr("%1 q %2").arg(shown.name).arg(shown.quality) : shown.name;
            if (other < 0)
                chooser.addItem(text, kChooseOther);
            else
                chooser.setItemText(other, text);
        } else if (other >= 0) {
            chooser.removeItem(other);
        }
        if (auto* model = qobject_cast<QStandardItemModel*>(chooser.model()))
            for (std::size_t i = 0; i < peers.size(); ++i)
                if (QStandardItem* item = model->item(chooser.findData(kFirstPeer + static_cast<int>(i))))
                    item->setEnabled(peersPossible);
        int wanted = kChooseOriginal;
        if (elsewhere)
            wanted = kChooseOther;
        else if (shown.source == SideSource::Decoded)
            wanted = kChooseDecoded;
        else if (shown.source == SideSource::PeerAtEqualSize)
            wanted = kFirstPeer + static_cast<int>(std::find(peers.begin(), peers.end(), shown.codec) - peers.begin());
        chooser.setCurrentIndex(chooser.findData(wanted));
    }
}

void CompareView::Choose(int side, int index)
{
    const int code = choosers_[static_cast<std::size_t>(side)]->itemData(index).toInt();
    const std::vector<const PeerCodec*> peers = AvailablePeers();
    if (code == kChooseOriginal || code == kChooseDecoded)
        ShowSource(side, code == kChooseOriginal ? SideSource::Original : SideSource::Decoded);
    else if (code >= kFirstPeer && static_cast<std::size_t>(code - kFirstPeer) < peers.size())
        ShowSource(side, SideSource::PeerAtEqualSize, peers[static_cast<std::size_t>(code - kFirstPeer)]);
}

QSize CompareView::PictureSize() const
{
    for (const QImage* picture : {&sides_[0].picture, &sides_[1].picture, &reference_})
        if (!picture->isNull())
            return picture->size();
    return {};
}

void CompareView::StartDifference()
{
    struct Made {
        DifferencePictures pictures;
        std::optional<PictureMetrics> metrics;
    };
    // The pictures are shared, not copied: the thread only reads them.
    differenceRunner_.Start(
        [first = sides_[0].picture, second = sides_[1].picture, factor = amplification_] {
            Made made;
            made.pictures = MakeDifferencePictures(first, second, factor);
            if (!made.pictures.amplified.isNull())
                made.metrics = MeasurePair(first, second);
            return made;
        },
        [this](Made made) {
            difference_ = std::move(made.pictures);
            pairMetrics_ = made.metrics;
            scaled_[kAmplifiedSlot] = scaled_[kHeatSlot] = QImage();
            UpdateControls();
            for (ComparePane* pane : panes_)
                pane->update();
            emit DifferenceMade();
        });
}

void CompareView::StartHeatMap()
{
    if (mode_ != CompareMode::HeatMap || heatKind_ == MapKind::Absolute ||
        (heatMade_ && heatMade_->kind == heatKind_) || heatAsked_ == heatKind_)
        return;
    const QImage& first = sides_[0].picture;
    const QImage& second = sides_[1].picture;
    if (first.isNull() || second.isNull())
        return;
    heatAsked_ = heatKind_;
    // The pictures are shared, not copied: the thread only reads them.
    mapRunner_->Start([first, second, kind = heatKind_] { return MakeHeatMap(kind, first, second); },
                      [this, kind = heatKind_](std::optional<HeatMapPicture> map) {
                          heatAsked_.reset();
                          heatMade_ = MadeHeatMap{kind, map.value_or(HeatMapPicture{}), !map.has_value()};
                          scaled_[kHeatSlot] = QImage();
                          UpdateControls();
                          for (ComparePane* pane : panes_)
                              pane->update();
                          emit HeatMapMade();
                      });
}

void CompareView::SetHeatMapKind(MapKind kind)
{
    if (!CanShow(kind) || kind == heatKind_)
        return;
    heatKind_ = kind;
    // What was being made for the kind before is of no use now.
    mapRunner_->Cancel();
    heatAsked_.reset();
    heatMade_.reset();
    scaled_[kHeatSlot] = QImage();
    StartHeatMap();
    emit HabitsChanged();
    UpdateControls();
    for (ComparePane* pane : panes_)
        pane->update();
}

const QImage& CompareView::ShownHeatMap() const
{
    static const QImage kNone;
    if (heatKind_ == MapKind::Absolute)
        return difference_.heatMap;
    return heatMade_ && heatMade_->kind == heatKind_ ? heatMade_->map.picture : kNone;
}

std::optional<double> CompareView::ShownHeatMapTop() const
{
    if (ShownHeatMap().isNull())
        return std::nullopt;
    return heatKind_ == MapKind::Absolute ? std::max(difference_.largest, 1) : heatMade_->map.top;
}

void CompareView::SetMode(CompareMode mode)
{
    const bool splitting = mode == CompareMode::Split && mode_ != CompareMode::Split;
    mode_ = mode;
    if (splitting)
        CentreDivider();
    StartHeatMap();
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
    const bool heat = mode_ == CompareMode::HeatMap;
    heatKinds_->setVisible(heat);
    heatScale_->setVisible(heat);
    heatRange_->setVisible(heat);
    heatKinds_->setCurrentIndex(heatKinds_->findData(static_cast<int>(heatKind_)));
    if (heat) {
        heatScale_->setPixmap(HeatLegend(ShownHeatMapTop(), heatScale_->font(),
                                         heatScale_->palette().color(QPalette::WindowText), devicePixelRatioF()));
        const QString quantity = QString::fromUtf8(MapQuantity(heatKind_));
        if (heatKind_ != MapKind::Absolute && (mapRunner_->Busy() || pairScheduled_))
            heatRange_->setText(tr("%1 (being measured)").arg(quantity));
        else if (heatKind_ != MapKind::Absolute && heatMade_ && heatMade_->failed)
            heatRange_->setText(tr("%1: cannot be measured on these pictures").arg(quantity));
        else
            heatRange_->setText(quantity);
    }
    const QImage& first = sides_[0].picture;
    const QImage& second = sides_[1].picture;
    if (pairMetrics_) {
        const PictureMetrics& metrics = *pairMetrics_;
        figures_->setText(tr("%1 against %2: PSNR %3 dB, PSNR-Y %4 dB, SSIM %5, largest difference %6")
                              .arg(sides_[1].name, sides_[0].name)
                              .arg(metrics.psnr, 0, 'f', 2)
                              .arg(metrics.psnrY, 0, 'f', 2)
                              .arg(metrics.ssim ? QString::number(*metrics.ssim, 'f', 4) : tr("n/a"))
                              .arg(metrics.largestDifference));
    } else if (!first.isNull() && !second.isNull() && first.size() != second.size()) {
        figures_->setText(tr("The pictures differ in size: %1 x %2 and %3 x %4")
                              .arg(first.width())
                              .arg(first.height())
                              .arg(second.width())
                              .arg(second.height()));
    } else {
        figures_->clear();
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
    const QSize picture = PictureSize();
    const QSize content(static_cast<int>(std::ceil(picture.width() * logicalScale)),
                        static_cast<int>(std::ceil(picture.height() * logicalScale)));
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
    // A zoom chosen before the pictures came is not undone by the opening fit.
    openingApplied_ = true;
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
    SetScale(FitScale(PictureSize(), viewport));
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
    dividerX_ = PictureSize().width() / 2.0;
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
    if (!shown->isVisible() || PictureSize().isEmpty())
        return {};
    const QPointF topLeft = PicturePoint(*shown, QPointF(0, 0));
    const QPointF bottomRight = PicturePoint(*shown, QPointF(shown->width(), shown->height()));
    return QRectF(topLeft, bottomRight).intersected(QRectF(QRect(QPoint(0, 0), PictureSize())));
}

QPointF CompareView::PicturePoint(const ComparePane& pane, QPointF at) const
{
    return (QPointF(ScrollPosition()) + at) * pane.devicePixelRatioF() / scale_;
}

CompareView::Shown CompareView::PictureOf(int pane, bool leftOfDivider)
{
    const auto slot = [this](const QImage& picture, ScaledSlot index) {
        return Shown{&picture, &scaled_[index], &scaledFor_[index], index};
    };
    const Shown original = slot(sides_[0].picture, kOriginalSlot);
    if (flipped_)
        return reference_.isNull() ? original : slot(reference_, kReferenceSlot);
    switch (mode_) {
    case CompareMode::SideBySide:
        return pane == 0 ? original : slot(sides_[1].picture, kDecodedSlot);
    case CompareMode::Split:
        return leftOfDivider ? original : slot(sides_[1].picture, kDecodedSlot);
    case CompareMode::Difference:
        return slot(difference_.amplified, kAmplifiedSlot);
    case CompareMode::HeatMap:
        return slot(ShownHeatMap(), kHeatSlot);
    }
    return original;
}

QStringList CompareView::PaneLabels(int index) const
{
    if (flipped_)
        return {reference_.isNull() ? tr("%1 (Space held)").arg(sides_[0].name) : tr("Original (Space held)")};
    switch (mode_) {
    case CompareMode::SideBySide:
        return {SideLabel(sides_[static_cast<std::size_t>(index)])};
    case CompareMode::Split:
        return {SideLabel(sides_[0]), SideLabel(sides_[1])};
    case CompareMode::Difference:
        return {tr("Difference × %1").arg(amplification_)};
    case CompareMode::HeatMap:
        return {heatKind_ == MapKind::Absolute ? tr("Heat map")
                                               : tr("Heat map of %1").arg(QString::fromUtf8(MapQuantity(heatKind_)))};
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
    const bool reducedReady = scale_ < 1 && !shown.scaled->isNull() && *shown.scaledFor == scale_;
    if (scale_ < 1 && !reducedReady)
        RequestScaled(shown.slot, picture);
    if (!reducedReady) {
        // Nearest neighbour, and only the picture pixels under the area (below
        // 100 % only until the area-averaged copy is made).
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
        const QImage& scaled = *shown.scaled;
        const QRectF source((area.left() + scroll.x()) * devicePixelRatio, (area.top() + scroll.y()) * devicePixelRatio,
                            area.width() * devicePixelRatio, area.height() * devicePixelRatio);
        painter.drawImage(QRectF(area), scaled, source);
    }
    painter.restore();
}

void CompareView::RequestScaled(std::size_t slot, const QImage& picture)
{
    if (scaleRunner_->Busy())
        return;
    const QSize size(std::max(1, static_cast<int>(std::lround(picture.width() * scale_))),
                     std::max(1, static_cast<int>(std::lround(picture.height() * scale_))));
    // The picture is shared, not copied: the thread only reads it.
    scaleRunner_->Start(
        [picture, size] { return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); },
        [this, slot, key = picture.cacheKey(), scale = scale_](QImage scaled) {
            // Out of date: the paint this asks for requests the copy again.
            if (SlotPicture(slot).cacheKey() == key && scale == scale_) {
                scaled_[slot] = std::move(scaled);
                scaledFor_[slot] = scale;
            }
            for (ComparePane* pane : panes_)
                pane->update();
        });
}

const QImage& CompareView::SlotPicture(std::size_t slot) const
{
    switch (slot) {
    case kOriginalSlot:
        return sides_[0].picture;
    case kDecodedSlot:
        return sides_[1].picture;
    case kAmplifiedSlot:
        return difference_.amplified;
    case kHeatSlot:
        return ShownHeatMap();
    default:
        return reference_;
    }
}

void CompareView::Inspect(const ComparePane& pane, QPoint at)
{
    const QPointF point = PicturePoint(pane, QPointF(at) + QPointF(0.5, 0.5) / pane.devicePixelRatioF());
    const QPoint pixel(static_cast<int>(std::floor(point.x())), static_cast<int>(std::floor(point.y())));
    emit Inspected(InspectorText(sides_[0].picture, sides_[1].picture, pixel));
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

void CompareView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CompareView::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(*event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // One file goes beside the first side's picture.
    if (files.size() == 1)
        LoadSide(1, files[0].toStdString());
    else
        ShowFiles(files[0].toStdString(), files[1].toStdString());
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
    shownOnce_ = true;
    ApplyOpeningView();
}

void CompareView::ApplyOpeningView()
{
    const bool picture = !PictureSize().isEmpty();
    if (picture && !dividerPlaced_) {
        dividerPlaced_ = true;
        CentreDivider();
    }
    // Opens at the zoom it was left at last time, or showing the whole picture.
    if (openingApplied_ || !shownOnce_ || (!openingScale_ && !picture))
        return;
    openingApplied_ = true;
    if (openingScale_)
        SetScale(*openingScale_, QPointF(0, 0));
    else
        FitToWindow();
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
