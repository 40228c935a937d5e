#pragma once
// "Image Information": sizes, ratio and times of a document, as texts the
// document formatted before the dialog opened. Empty texts show empty fields.

#include <QDialog>

#include "document/DocumentStatistics.h"

namespace tamr::qt {

class CImageInfoDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpId = 1018;

    explicit CImageInfoDlg(const ImageInformationTexts& texts, QWidget* parent = nullptr);
};

} // namespace tamr::qt
