#pragma once
// The application: owns the settings, the prompter, the documents and the
// main window; opens and closes documents the way a document/view framework
// does, and carries out and enables every command.

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "codec/CodecSettings.h"
#include "document/RateDistortionSweep.h"
#include "document/TamrDoc.h"
#include "evaluate/Evaluation.h"
#include "gui/CommandBindings.h"
#include "gui/PrompterSlot.h"
#include "gui/QtPrompter.h"
#include "gui/RecentFileList.h"
#include "gui/ViewEnvironment.h"
#include "gui/WorkbenchSettings.h"
#include "image/DisplaySettings.h"

class QPrinter;

namespace tamr::qt {

class CChildFrame;
class CCompareFrame;
class CompareView;
class RateDistortionWindow;
class EvaluateWindow;
class TargetDialog;
class CMainFrame;
class CTamrView;
class HelpWindow;
class ModalHelpKey;

class CTamrApp : public QObject {
    Q_OBJECT

public:
    struct Options {
        // 8 makes every view a palette screen; 0 asks the screen.
        int forcedScreenDepth = 0;
        // The INI file of the recent-file list; empty means tamr.ini in the user's configuration folder.
        QString iniPath;
        // The decode limit in million colour pixels; 0 keeps the default.
        std::uint64_t maxMegapixels = 0;
    };

    explicit CTamrApp(Options options);
    ~CTamrApp() override;

    // Creates and shows the empty main window. Files named on the command line
    // are opened afterwards with OpenDroppedFiles, like files dropped on it.
    bool InitInstance();

    static QString ApplicationTitle() { return QStringLiteral("tamr"); }
    static QString DefaultIniPath();
    // The Open dialog's filters, and the one it starts with.
    static QStringList OpenDialogFilters();
    static QString OpenDialogDefaultFilter();

    CMainFrame& MainFrame() const { return *mainFrame_; }
    CodecSettings& Settings() { return settings_; }
    DisplaySettings& Display() { return display_; }
    SharedViewState& SharedState() { return sharedState_; }
    RecentFileList& RecentFiles() { return recentFiles_; }
    const WorkbenchSettings& Workbench() const { return workbench_; }
    // Keeps the main window's place and layout for the next start.
    void SaveWindowLayout() const;
    // Made when first needed: finding printers can take a while.
    QPrinter& Printer();
    HelpWindow* Help() const { return helpWindow_.get(); }
    std::filesystem::path& CurrentDirectory() { return documentEnvironment_.currentDirectory; }

    // Every question goes to this prompter from now on (the desktop's own by default).
    void InstallPrompter(Prompter& prompter) { prompterSlot_.Install(prompter); }
    void RestoreDesktopPrompter() { prompterSlot_.Install(desktopPrompter_); }
    // What the Open dialog gave: the file (empty on Cancel) and the entry it was chosen under.
    struct OpenChoice {
        OpenChoice() = default;
        OpenChoice(QString path, QString filter = {}) : path(std::move(path)), filter(std::move(filter)) {}
        QString path;
        QString filter;
    };
    // Replaces the Open dialog.
    void SetOpenFileChooser(std::function<OpenChoice()> chooser) { chooseOpenFile_ = std::move(chooser); }
    // Options > Open Any Variant: whether files of variants tamr's own readers
    // refuse open through the general readers; kept in the INI file.
    bool OpensAnyVariant() const { return documentEnvironment_.readPolicy.anyVariant; }
    void SetOpenAnyVariant(bool on);
    // Replaces the zoom dialogs of every view.
    void SetZoomChooser(std::function<bool(QWidget*, bool, QString*)> chooser);

    // Documents.
    const std::vector<std::unique_ptr<CTamrDoc>>& Documents() const { return documents_; }
    CTamrView* ActiveView() const;
    CTamrDoc* ActiveDocument() const;
    // Opens a file by its content; a document already open for the path is
    // activated instead. Null when the open failed (no window is left).
    CTamrDoc* OpenDocumentFile(const QString& path);
    // The Open dialog's choice: extension check, then a lower-case title;
    // `anyVariant` when chosen under "All pictures".
    CTamrDoc* OpenChosenFile(const QString& path, bool anyVariant = false);
    void OpenDroppedFiles(const QStringList& paths);
    // "Save changes to %1?" for a modified document; false when the user cancels
    // or the save fails.
    bool SaveModified(CTamrDoc& document);
    // Asks about every modified document; false as soon as one answer keeps it open.
    bool SaveAllModified();
    // Closes every window of the document without asking.
    void CloseDocumentWindows(CTamrDoc& document);
    void CloseAllDocuments();

    // Commands by identifier: lookups in the bindings that RegisterCommands makes.
    void OnCommand(int id);
    CommandState QueryCommand(int id) const { return commands_.StateOf(id); }

    // A compare window for the active document, shown and active; null when
    // the document has no original picture (COD data).
    CCompareFrame* OpenCompareWindow();
    // The same for a document that need not be the active one.
    CCompareFrame* OpenCompareWindow(CTamrDoc& document);
    CompareView* ActiveCompareView() const;
    // The rate-distortion window of the active document's picture file, shown
    // and running; null when the document has no picture file of its own.
    RateDistortionWindow* OpenRateDistortionWindow(const SweepRequest& request);
    bool CanChartRateDistortion() const;
    // The evaluation of the request's pictures against JPEG (the first codec
    // when JPEG is not among them), shown and running; the pictures open as
    // this program opens them.
    EvaluateWindow* OpenEvaluateWindow(EvaluationRequest request);
    // Asks for the folder of pictures and the results folder, then opens the evaluation.
    void AskEvaluateFolder();
    // A compare window of tamr's result beside `peer`'s coding at the same
    // size, shown; null without a compressed picture.
    CCompareFrame* OpenEqualSizeCompare(const PeerCodec& peer);
    bool CanCompareAtEqualSize() const;
    // The target search for the active document's picture file, shown.
    TargetDialog* OpenTargetDialog();

    // Whether a child frame may close now: the last window of a modified document asks first.
    bool CanCloseFrame(CChildFrame& frame);

    // Shift+F1: the next click anywhere asks for help.
    bool InHelpMode() const { return helpMode_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every command's action and state, in one place (CTamrAppCommands.cpp).
    void RegisterCommands();
    CChildFrame* CreateFrame(CTamrDoc& document);
    CTamrDoc* OpenDocument(const QString& path, const QString& nameForType, bool anyVariant = false);
    // Shows a new frame at a size that fits its picture, active.
    void ShowFrame(CChildFrame& frame);
    void OnFrameDestroyed();
    void ReleaseDocumentsWithoutViews();
    // The picture window of a document (null for none, or a document no longer open),
    // and the same brought to the front.
    CChildFrame* FrameOf(const CTamrDoc* document) const;
    CChildFrame* ActivateFrameOf(const CTamrDoc* document);
    // Compresses a document still open at `quality` as the figures panel's slider does.
    void CompressDocumentAt(const CTamrDoc* document, int quality);
    // Takes settings the optimising encoder chose into the settings record and compresses the document with them.
    void CompressDocumentWith(const CTamrDoc* document, const CodecSettings& chosen);
    // Compare windows take their document's pictures again after a change
    // (always after an edit in place).
    void FollowCompareWindows(bool edited = false);
    // Zoom commands go to the active compare window, else to the active view.
    void ZoomActive(const std::function<void(CompareView&)>& compare, const std::function<void(CTamrView&)>& view);
    void OnFileOpen();
    void OnFileNew();
    void OnFileClose();
    void OnOpenRecentFile(int index);
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnWindowNew();
    void OnWindowArrange();
    void OnAppAbout();
    void ShowHelpFinder();
    // The help window at `page` (its contents when empty), modal over a modal dialog.
    void ShowHelp(const QString& page);
    void EnterHelpMode();
    void LeaveHelpMode();
    CTamrDoc* FindDocument(const QString& path) const;
    void ActivateDocument(CTamrDoc& document);
    void AfterCommand();

    Options options_;
    CodecSettings settings_;
    DisplaySettings display_;
    SharedViewState sharedState_;
    DocumentEnvironment documentEnvironment_;
    QtPrompter desktopPrompter_;
    PrompterSlot prompterSlot_;
    ViewEnvironment viewEnvironment_;
    RecentFileList recentFiles_;
    WorkbenchSettings workbench_;
    std::function<OpenChoice()> chooseOpenFile_;
    CommandBindings commands_;
    int untitledCount_ = 0;
    bool closingWithoutAsking_ = false;
    bool helpMode_ = false;
    std::unique_ptr<QPrinter> printer_;
    // Documents go after their windows: the main window is destroyed first.
    std::vector<std::unique_ptr<CTamrDoc>> documents_;
    std::unique_ptr<HelpWindow> helpWindow_;
    std::unique_ptr<ModalHelpKey> modalHelpKey_;
    std::unique_ptr<CMainFrame> mainFrame_;
};

} // namespace tamr::qt
