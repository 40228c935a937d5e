#pragma once
// "Image Statistics": sizes, the quality of the decoded image, the time of
// each decoding stage and the non-zero coefficient counts of a document, as
// texts the document formatted before the dialog opened.

#include <QDialog>

#include "document/DocumentStatistics.h"

namespace tamr::qt {

class CImageStatsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CImageStatsDlg(const ImageStatisticsTexts& texts, QWidget* parent = nullptr);
};

} // namespace tamr::qt
