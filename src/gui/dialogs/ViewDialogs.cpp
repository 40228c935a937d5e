#include "gui/dialogs/ViewDialogs.h"

#include "document/DocumentStatistics.h"
#include "document/TamrDoc.h"
#include "gui/dialogs/CFiltersDlg.h"
#include "gui/dialogs/CImageInfoDlg.h"
#include "gui/dialogs/CImageSetupDlg.h"
#include "gui/dialogs/CImageStatsDlg.h"
#include "gui/dialogs/CMasterSetupDlg.h"
#include "gui/dialogs/CSharpenDlg.h"

namespace tamr::qt {

void RunEasySetup(QWidget* parent, CodecSettings& settings, const std::function<void()>& compress)
{
    CImageSetupDlg dialog(settings, compress, parent);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.Session().CopyTo(settings);
    }
}

void RunMasterSetup(QWidget* parent, CodecSettings& settings, Prompter& prompter, const std::function<void()>& compress)
{
    CMasterSetupDlg dialog(settings, prompter, compress, parent);
    if (dialog.exec() == QDialog::Accepted && dialog.AcceptedValues()) {
        ApplyMasterSetup(*dialog.AcceptedValues(), settings);
    }
}

void RunFilters(QWidget* parent, CTamrDoc& document, Prompter& prompter, const std::function<void()>& imageChanged)
{
    RunFiltersCommand(parent, document, prompter, imageChanged, AllocateBlock);
}

void RunSharpen(QWidget* parent, CTamrDoc& document, Prompter& prompter, const std::function<void()>& imageChanged)
{
    CDibImage* image = document.Image();
    if (!image || !image->HasPixels()) {
        return;
    }
    // The view hears of every Apply at once; the notice of the end waits
    // until the document has been marked edited.
    bool finishing = false;
    bool changedOnFinish = false;
    auto notice = [&] {
        if (finishing) {
            changedOnFinish = true;
        } else if (imageChanged) {
            imageChanged();
        }
    };
    std::optional<SharpenSession> session = SharpenSession::Open(*image, prompter, notice);
    if (!session) {
        return;
    }
    SharpenFinished finished;
    {
        CSharpenDlg dialog(*session, parent);
        const SharpenEnding ending = dialog.exec() == QDialog::Accepted ? SharpenEnding::Ok : SharpenEnding::Cancel;
        finishing = true;
        finished = session->Finish(ending);
    }
    document.SetImageEdited(finished.imageEdited != 0);
    if (changedOnFinish && imageChanged) {
        imageChanged();
    }
}

void RunImageInformation(QWidget* parent, const CTamrDoc& document)
{
    CImageInfoDlg dialog(InformationTexts(document), parent);
    dialog.exec();
}

void RunImageStatistics(QWidget* parent, const CTamrDoc& document)
{
    CImageStatsDlg dialog(StatisticsTexts(document), parent);
    dialog.exec();
}

} // namespace tamr::qt
