#pragma once
// Compare > Target: the quality factor for a target size or PSNR, searched
// as `tamr-cli compress --target-size/--target-psnr` searches it, on a
// private copy of the document's picture file off the user-interface thread.

#include <QDialog>
#include <filesystem>
#include <optional>

#include "codec/CodecSettings.h"
#include "document/TargetQuality.h"
#include "gui/CompareSides.h"
#include "gui/JobRunner.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tamr::qt {

class TargetDialog : public QDialog {
    Q_OBJECT

public:
    // `opening`: the limits and the reader policy the picture file is opened with.
    TargetDialog(std::filesystem::path picture, const CodecSettings& settings, QWidget* parent = nullptr,
                 PictureOpening opening = {});

    // The target the fields hold; SetTarget fills them in.
    QualityTarget Target() const;
    void SetTarget(const QualityTarget& target);
    // Starts the search (as the Search button).
    void Search();
    QString StatusText() const;
    // A search is in hand.
    bool Working() const { return runner_.Busy(); }

signals:
    // The search ended and its outcome is shown, whatever it was.
    void Searched();
    // The search found `quality`: the document is to be compressed at it.
    void QualityChosen(int quality);

private:
    struct Outcome {
        bool opened = false;
        std::optional<int> quality;
    };
    void Found(Outcome outcome);

    std::filesystem::path picture_;
    CodecSettings settings_;
    PictureOpening opening_;
    QRadioButton* bySize_;
    QRadioButton* byPsnr_;
    QSpinBox* size_;
    QDoubleSpinBox* psnr_;
    QPushButton* search_;
    QLabel* status_;
    JobRunner runner_;
};

} // namespace tamr::qt
