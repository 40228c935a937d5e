#pragma once
// Compare > Target: the quality factor for a target size or PSNR, searched
// as `tamr-cli compress --target-size/--target-psnr` searches it, on a
// private copy of the document's picture file off the user-interface thread;
// or, with "Search the best settings", the settings the optimising encoder
// finds for the target, as `compress --optimise` finds them, with its
// progress shown and Cancel to stop it.

#include <QDialog>
#include <filesystem>
#include <optional>

#include "codec/CodecSettings.h"
#include "codec/SettingsSearch.h"
#include "document/TargetQuality.h"
#include "gui/CompareSides.h"
#include "gui/JobRunner.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
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
    // Stops the search in hand: nothing is chosen, the document stays as it was.
    void Cancel();
    QString StatusText() const;
    // A search is in hand.
    bool Working() const { return runner_.Busy(); }

signals:
    // The search ended and its outcome is shown, whatever it was.
    void Searched();
    // The search found `quality`: the document is to be compressed at it.
    void QualityChosen(int quality);
    // The settings search found `settings`: they are to be taken and the document compressed with them.
    void SettingsChosen(const tamr::CodecSettings& settings);

private:
    struct Outcome {
        bool opened = false;
        std::optional<int> quality;
        std::optional<SearchOutcome> searched; // with "Search the best settings"
    };
    void Found(Outcome outcome);
    void ShowProgress(int done, int most);

    std::filesystem::path picture_;
    CodecSettings settings_;
    PictureOpening opening_;
    QRadioButton* bySize_;
    QRadioButton* byPsnr_;
    QSpinBox* size_;
    QDoubleSpinBox* psnr_;
    QCheckBox* bestSettings_;
    QPushButton* search_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* status_;
    JobRunner runner_;
};

} // namespace tamr::qt
