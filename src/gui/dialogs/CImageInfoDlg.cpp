#include "gui/dialogs/CImageInfoDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "gui/dialogs/DialogControls.h"
#include "gui/dialogs/HelpPageDialog.h"
#include "gui/dialogs/ValueFieldGroup.h"

namespace tamr::qt {

CImageInfoDlg::CImageInfoDlg(const ImageInformationTexts& texts, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Image Information"));
    UseDialogFrame(*this);

    QGroupBox* properties =
        MakeValueFieldGroup(QStringLiteral("Image Properties "), QStringLiteral("groupImageProperties"),
                            {
                                {101, "File  Name :", texts.fileName},
                                {1004, "Original Dimensions :", texts.originalDimensions},
                                {103, "Display Dimensions :", texts.displayDimensions},
                            },
                            this);
    QGroupBox* ratios =
        MakeValueFieldGroup(QStringLiteral("Compression Ratios "), QStringLiteral("groupCompressionRatios"),
                            {
                                {1021, "Compression Ratios :", texts.compressionRatio},
                                {1007, "Compressed Image Size :", texts.compressedSize},
                                {1006, "Original Image Size :", texts.originalSize},
                            },
                            this);
    QGroupBox* times = MakeValueFieldGroup(QStringLiteral("Time Statistics"), QStringLiteral("groupTimeStatistics"),
                                           {
                                               {106, "Overall :", texts.overallTime},
                                               {1019, "Compression Time :", texts.compressionTime},
                                               {1020, "Decompression Time :", texts.decompressionTime},
                                           },
                                           this);
    QGroupBox* quality = MakeValueFieldGroup(QStringLiteral("Image Quarity "), QStringLiteral("groupImageQuality"),
                                             {
                                                 {1015, "PSNR :", texts.psnr},
                                                 {1016, "Max Pixel Difference :", texts.largestDifference},
                                             },
                                             this);

    QPushButton* ok = MakeButton(QStringLiteral("OK"), 1, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // "HELP" shows what the figures mean.
    QPushButton* help = MakeButton(QStringLiteral("HELP"), kHelpId, this);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpPage(QStringLiteral("statistics.html"), this); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(properties, 0, 0);
    layout->addWidget(times, 0, 1);
    layout->addWidget(ratios, 1, 0);
    layout->addWidget(quality, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(help);
    layout->addLayout(buttons, 2, 0, 1, 2);

    resize(DialogUnitsToPixels(*this, 339, 190));
}

} // namespace tamr::qt
