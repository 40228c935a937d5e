#include "gui/dialogs/CImageStatsDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "gui/dialogs/DialogControls.h"
#include "gui/dialogs/ValueFieldGroup.h"

namespace tamr::qt {

CImageStatsDlg::CImageStatsDlg(const ImageStatisticsTexts& texts, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Image Statistics"));
    UseDialogFrame(*this);

    QGroupBox* compression = MakeValueFieldGroup(QStringLiteral("Compression"), QStringLiteral("groupCompression"),
                                                 {
                                                     {1005, "Compression Time :", texts.compressionTime},
                                                 },
                                                 this);
    QGroupBox* decompression =
        MakeValueFieldGroup(QStringLiteral("Decompression"), QStringLiteral("groupDecompression"),
                            {
                                {1010, "Decompression Time :", texts.decompressionTime},
                                {113, "Entropy Decode :", texts.entropyDecode},
                                {112, "Color Transformation :", texts.colourTransformation},
                                {111, "Wavelet Trans. :", texts.waveletTransform},
                                {110, "Color Quantization :", texts.colourQuantisation},
                            },
                            this);
    QGroupBox* general = MakeValueFieldGroup(QStringLiteral("General"), QStringLiteral("groupGeneral"),
                                             {
                                                 {1004, "Original Dimensions :", texts.originalDimensions},
                                                 {1021, "Compression Ratios :", texts.compressionRatio},
                                                 {1007, "Compressed Image Size :", texts.compressedSize},
                                                 {1006, "Original Image Size :", texts.originalSize},
                                             },
                                             this);
    QGroupBox* quality = MakeValueFieldGroup(QStringLiteral("Image Quarity "), QStringLiteral("groupImageQuality"),
                                             {
                                                 {1017, "MSE :", texts.meanSquaredError},
                                                 {1015, "PSNR :", texts.psnr},
                                                 {1016, "Max Pixel Difference :", texts.largestDifference},
                                             },
                                             this);
    QGroupBox* distribution =
        MakeValueFieldGroup(QStringLiteral("Data Distriution"), QStringLiteral("groupDataDistribution"),
                            {
                                {1008, "Non zero elements :", texts.nonZeroBefore},
                                {1009, "Non zeros after quant. :", texts.nonZeroAfter},
                            },
                            this);

    QPushButton* ok = MakeButton(QStringLiteral("OK"), 1, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(general, 0, 0);
    layout->addWidget(quality, 0, 1);
    layout->addWidget(compression, 1, 0);
    layout->addWidget(distribution, 1, 1);
    layout->addWidget(decompression, 2, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons, 2, 1, Qt::AlignBottom);

    resize(DialogUnitsToPixels(*this, 388, 210));
}

} // namespace tamr::qt
