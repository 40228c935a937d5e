// Every command of the program bound to its action and its state. Adding a
// command is a row in the command table and one Bind here.

#include <QCursor>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

#include "gui/CFiguresPanel.h"
#include "gui/CMainFrame.h"
#include "gui/CTamrApp.h"
#include "gui/CTamrView.h"
#include "gui/CompareView.h"
#include "gui/RateDistortionWindow.h"
#include "gui/dialogs/ViewDialogs.h"
#include "image/Butteraugli.h"

namespace tamr::qt {

void CTamrApp::RegisterCommands()
{
    const auto always = [] { return CommandState{true}; };
    const auto withDocument = [this] { return CommandState{ActiveDocument() != nullptr}; };
    // These change the pixels: a new, empty document has none.
    const auto withPixels = [this] {
        const CTamrDoc* document = ActiveDocument();
        return CommandState{document != nullptr && document->Image() != nullptr && document->Image()->HasPixels()};
    };
    const auto checkedWithDocument = [this](const bool& flag) {
        return [this, setting = &flag] { return CommandState{ActiveDocument() != nullptr, *setting}; };
    };
    // Runs a command of the active view; its state has made sure there is one.
    const auto onView = [this](void (CTamrView::*command)()) {
        return [this, command] { (ActiveView()->*command)(); };
    };

    // File.
    commands_.Bind(ID_FILE_OPEN, always, [this] { OnFileOpen(); });
    commands_.Bind(
        ID_FILE_NEW, [this] { return CommandState{ActiveDocument() == nullptr}; }, [this] { OnFileNew(); });
    commands_.Bind(ID_FILE_CLOSE, withDocument, [this] { OnFileClose(); });
    commands_.Bind(
        ID_FILE_SAVE,
        [this] {
            const CTamrDoc* document = ActiveDocument();
            return CommandState{document != nullptr && document->OnUpdateFileSave()};
        },
        [this] { ActiveDocument()->OnFileSave(); });
    commands_.Bind(
        ID_FILE_SAVE_AS,
        [this] {
            const CTamrDoc* document = ActiveDocument();
            return CommandState{document != nullptr && document->OnUpdateFileSaveAs()};
        },
        [this] { ActiveDocument()->OnFileSaveAs(); });
    commands_.Bind(ID_FILE_PRINT, withDocument, [this] { OnFilePrint(); });
    commands_.Bind(ID_FILE_PRINT_PREVIEW, withDocument, [this] { OnFilePrintPreview(); });
    commands_.Bind(ID_FILE_PRINT_SETUP, always, [this] { OnFilePrintSetup(); });
    commands_.Bind(ID_FILE_COMPRESS, withDocument, onView(&CTamrView::OnCompress));
    commands_.Bind(ID_FILE_PROPERTIES, withDocument, [this] { RunImageInformation(ActiveView(), *ActiveDocument()); });
    commands_.Bind(ID_FILE_STATISTICS, withDocument, [this] { RunImageStatistics(ActiveView(), *ActiveDocument()); });
    for (int index = 0; index < kRecentFileCount; ++index) {
        commands_.Bind(
            ID_FILE_MRU_FILE1 + index, [this, index] { return CommandState{index < recentFiles_.Files().size()}; },
            [this, index] { OnOpenRecentFile(index); });
    }
    commands_.Bind(ID_APP_EXIT, always, [this] { mainFrame_->close(); });

    // View.
    commands_.Bind(
        ID_VIEW_TOOLBAR,
        [this] {
            return CommandState{true, mainFrame_ && mainFrame_->ToolBar()->isVisibleTo(mainFrame_.get())};
        },
        [this] { mainFrame_->ToolBar()->setVisible(!mainFrame_->ToolBar()->isVisibleTo(mainFrame_.get())); });
    commands_.Bind(
        ID_VIEW_STATUS_BAR,
        [this] {
            return CommandState{true, mainFrame_ && mainFrame_->statusBar()->isVisibleTo(mainFrame_.get())};
        },
        [this] { mainFrame_->statusBar()->setVisible(!mainFrame_->statusBar()->isVisibleTo(mainFrame_.get())); });
    commands_.Bind(ID_VIEW_NO_ZOOM, withDocument, onView(&CTamrView::OnNoZoom));
    commands_.Bind(ID_VIEW_ZOOM_IN, withDocument, onView(&CTamrView::OnZoomIn));
    commands_.Bind(ID_VIEW_ZOOM_OUT, withDocument, onView(&CTamrView::OnZoomOut));

    // The zoom additions act on the active compare window, else on the active view.
    const auto pointerIn = [](QWidget& widget) -> std::optional<QPointF> {
        const QPoint at = widget.mapFromGlobal(QCursor::pos());
        return widget.rect().contains(at) ? std::optional<QPointF>(at) : std::nullopt;
    };
    commands_.Bind(ID_VIEW_FIT_WINDOW, withPixels, [this] {
        ZoomActive([](CompareView& compare) { compare.FitToWindow(); }, [](CTamrView& view) { view.FitToWindow(); });
    });
    commands_.Bind(ID_VIEW_ACTUAL_SIZE, withPixels, [this, pointerIn] {
        ZoomActive([&](CompareView& compare) { compare.ActualSize(pointerIn(*compare.Pane(0))); },
                   [&](CTamrView& view) {
                       const auto at = pointerIn(*view.viewport());
                       view.ActualSize(at ? std::optional<QPoint>(at->toPoint()) : std::nullopt);
                   });
    });
    for (const auto& [id, direction] : {std::pair{ID_VIEW_ZOOM_STEP_IN, 1}, std::pair{ID_VIEW_ZOOM_STEP_OUT, -1}}) {
        commands_.Bind(id, withPixels, [this, pointerIn, direction] {
            ZoomActive([&](CompareView& compare) { compare.StepZoom(direction, pointerIn(*compare.Pane(0))); },
                       [&](CTamrView& view) {
                           const auto at = pointerIn(*view.viewport());
                           view.StepZoom(direction, at ? std::optional<QPoint>(at->toPoint()) : std::nullopt);
                       });
        });
    }

    commands_.Bind(
        ID_VIEW_FIGURES,
        [this] {
            return CommandState{true, mainFrame_ && mainFrame_->FiguresPanel()->isVisibleTo(mainFrame_.get())};
        },
        [this] { mainFrame_->FiguresPanel()->setVisible(!mainFrame_->FiguresPanel()->isVisibleTo(mainFrame_.get())); });

    commands_.Bind(
        ID_VIEW_FULL_SCREEN,
        [this] {
            return CommandState{true, mainFrame_ && mainFrame_->isFullScreen()};
        },
        [this] { mainFrame_->ToggleFullScreen(); });

    // Compare.
    // A picture made from COD data has no original to compare with.
    commands_.Bind(
        ID_COMPARE_WINDOW,
        [this] {
            const CTamrDoc* document = ActiveDocument();
            return CommandState{document != nullptr && document->Image() != nullptr &&
                                !document->Image()->ReferencePixels().empty()};
        },
        [this] { OpenCompareWindow(); });
    commands_.Bind(
        ID_COMPARE_RATE_DISTORTION, [this] { return CommandState{CanChartRateDistortion()}; },
        [this] { OpenRateDistortionWindow(RateDistortionWindow::DefaultRequest()); });
    for (const PeerCommand& command : EqualSizeCommands())
        commands_.Bind(
            command.id, [this] { return CommandState{CanCompareAtEqualSize()}; },
            [this, peer = command.codec] { OpenEqualSizeCompare(*peer); });
    commands_.Bind(
        ID_COMPARE_EVALUATE, [] { return CommandState{true}; }, [this] { AskEvaluateFolder(); });
    commands_.Bind(
        ID_COMPARE_TARGET, [this] { return CommandState{CanChartRateDistortion()}; }, [this] { OpenTargetDialog(); });
    for (const auto& [id, mode] :
         {std::pair{ID_COMPARE_SIDE_BY_SIDE, CompareMode::SideBySide}, std::pair{ID_COMPARE_SPLIT, CompareMode::Split},
          std::pair{ID_COMPARE_DIFFERENCE, CompareMode::Difference},
          std::pair{ID_COMPARE_HEAT_MAP, CompareMode::HeatMap}}) {
        commands_.Bind(
            id,
            [this, mode] {
                const CompareView* compare = ActiveCompareView();
                return CommandState{compare != nullptr, compare != nullptr && compare->Mode() == mode};
            },
            [this, mode] { ActiveCompareView()->SetMode(mode); });
    }
    // What the heat map shows; choosing one shows the heat map.
    for (const auto& [id, kind] :
         {std::pair{ID_COMPARE_HEAT_ABSOLUTE, MapKind::Absolute}, std::pair{ID_COMPARE_HEAT_SSIM, MapKind::Ssim},
          std::pair{ID_COMPARE_HEAT_BUTTERAUGLI, MapKind::Butteraugli}}) {
        commands_.Bind(
            id,
            [this, kind] {
                const CompareView* compare = ActiveCompareView();
                return CommandState{compare != nullptr && (kind != MapKind::Butteraugli || ButteraugliAvailable()),
                                    compare != nullptr && compare->HeatMapKind() == kind};
            },
            [this, kind] {
                CompareView* compare = ActiveCompareView();
                compare->SetHeatMapKind(kind);
                compare->SetMode(CompareMode::HeatMap);
            });
    }

    // Options.
    commands_.Bind(ID_OPTIONS_EASY_SETUP, withDocument, onView(&CTamrView::OnEasySetup));
    commands_.Bind(ID_OPTIONS_MASTER_SETUP, withDocument, onView(&CTamrView::OnMasterSetup));
    commands_.Bind(ID_OPTIONS_DITHERING, checkedWithDocument(display_.ditherEnabled), onView(&CTamrView::OnDithering));
    commands_.Bind(ID_PALETTE_FIXED, checkedWithDocument(display_.fixedPalette), onView(&CTamrView::OnFixedPalette));
    commands_.Bind(ID_PALETTE_CUSTOM, checkedWithDocument(display_.customPalette), onView(&CTamrView::OnCustomPalette));
    commands_.Bind(ID_OPTIONS_INCREMENTAL, checkedWithDocument(settings_.incrementalDisplay),
                   onView(&CTamrView::OnIncrementalDisplay));
    commands_.Bind(ID_OPTIONS_SHARPEN, withPixels, onView(&CTamrView::OnSharpen));
    commands_.Bind(ID_OPTIONS_FILTERS, withPixels, onView(&CTamrView::OnFilters));
    commands_.Bind(
        ID_OPTIONS_ANY_VARIANT,
        [this] {
            return CommandState{true, OpensAnyVariant()};
        },
        [this] { SetOpenAnyVariant(!OpensAnyVariant()); });

    // Window.
    commands_.Bind(ID_WINDOW_NEW, withDocument, [this] { OnWindowNew(); });
    commands_.Bind(ID_WINDOW_CASCADE, withDocument, [this] { mainFrame_->MdiArea()->cascadeSubWindows(); });
    commands_.Bind(ID_WINDOW_TILE_HORZ, withDocument, [this] { mainFrame_->MdiArea()->tileSubWindows(); });
    commands_.Bind(ID_WINDOW_ARRANGE, withDocument, [this] { OnWindowArrange(); });

    // Help.
    commands_.Bind(ID_APP_ABOUT, always, [this] { OnAppAbout(); });
    commands_.Bind(ID_HELP_FINDER, always, [this] { ShowHelpFinder(); });
    commands_.Bind(ID_HELP, always, [this] { ShowHelpFinder(); });
    commands_.Bind(ID_CONTEXT_HELP, always, [this] { EnterHelpMode(); });

    // Undo, Cut, Copy, Paste and the pane switches have nothing to act on: not
    // bound, so disabled.
}

} // namespace tamr::qt
