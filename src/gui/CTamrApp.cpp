#include "gui/CTamrApp.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "document/DocumentMessages.h"
#include "gui/CChildFrame.h"
#include "gui/CCompareFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CMainFrame.h"
#include "gui/CTamrView.h"
#include "gui/CompareView.h"
#include "gui/EvaluateWindow.h"
#include "gui/FileDialogFilter.h"
#include "gui/HelpWindow.h"
#include "gui/ModalHelpKey.h"
#include "gui/OpenDialogFilter.h"
#include "gui/RateDistortionWindow.h"
#include "gui/SvgArt.h"
#include "gui/TargetDialog.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/ViewDialogs.h"

namespace tamr::qt {

namespace {

// The document type's own filter, for saving a document whose file is gone.
constexpr std::string_view kDocumentFilter = "Corvane  (*.cod)|*.COD|All Files (*.*)|*.*||";

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

QString ToQString(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// The name a document's file is known by, for finding it among the open ones.
QString CanonicalName(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

CTamrApp::CTamrApp(Options options)
    : options_(std::move(options)), documentEnvironment_{settings_, display_, prompterSlot_},
      desktopPrompter_(ApplicationTitle(), documentEnvironment_.currentDirectory), prompterSlot_(desktopPrompter_),
      viewEnvironment_{settings_, display_, prompterSlot_, sharedState_, options_.forcedScreenDepth, {}},
      recentFiles_(options_.iniPath.isEmpty() ? DefaultIniPath() : options_.iniPath, kRecentFileCount),
      workbench_(recentFiles_.IniPath())
{
    if (options_.maxMegapixels > 0)
        documentEnvironment_.limits.maxDecodedBytes = Limits::DecodedBytesFor(options_.maxMegapixels);
    documentEnvironment_.readPolicy.anyVariant = workbench_.OpenAnyVariant();
    RegisterCommands();
}

CTamrApp::~CTamrApp()
{
    // Windows (and with them the views) go before the documents they show.
    if (helpMode_)
        LeaveHelpMode();
    SaveWindowLayout();
    modalHelpKey_.reset();
    mainFrame_.reset();
    helpWindow_.reset();
    documents_.clear();
}

QStringList CTamrApp::OpenDialogFilters()
{
    return QtNameFilters(OpenDialogFilterText());
}

QString CTamrApp::OpenDialogDefaultFilter()
{
    return OpenDialogFilters().value(AllPicturesFilterIndex());
}

void CTamrApp::SetOpenAnyVariant(bool on)
{
    documentEnvironment_.readPolicy.anyVariant = on;
    workbench_.SetOpenAnyVariant(on);
}

QString CTamrApp::DefaultIniPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tamr.ini");
}

bool CTamrApp::InitInstance()
{
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    // The slider's result is shown by the document's view in the picture made with it.
    mainFrame_->FiguresPanel()->SetAdopter(
        [this](CTamrDoc& document, QImage picture, const std::function<bool()>& adopt) {
            CChildFrame* frame = FrameOf(&document);
            return frame != nullptr ? frame->View().AdoptWithPicture(std::move(picture), adopt) : adopt();
        });
    // Where and how the main window was left last time, panel and tool bar included.
    if (const QByteArray geometry = workbench_.WindowGeometry(); !geometry.isEmpty())
        mainFrame_->restoreGeometry(geometry);
    if (const QByteArray layout = workbench_.WindowLayout(); !layout.isEmpty())
        mainFrame_->restoreState(layout);
    modalHelpKey_ = std::make_unique<ModalHelpKey>([this](const QString& page) { ShowHelp(page); });
    mainFrame_->show();
    mainFrame_->UpdateCommandUI();
    return true;
}

void CTamrApp::SaveWindowLayout() const
{
    if (mainFrame_)
        workbench_.SetWindow(mainFrame_->saveGeometry(), mainFrame_->saveState());
}

void CTamrApp::SetZoomChooser(std::function<bool(QWidget*, bool, QString*)> chooser)
{
    viewEnvironment_.chooseZoom = std::move(chooser);
}

QPrinter& CTamrApp::Printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

CTamrView* CTamrApp::ActiveView() const
{
    if (!mainFrame_)
        return nullptr;
    CChildFrame* frame = mainFrame_->ActiveFrame();
    return frame != nullptr ? &frame->View() : nullptr;
}

CTamrDoc* CTamrApp::ActiveDocument() const
{
    CTamrView* view = ActiveView();
    return view != nullptr ? &view->Document() : nullptr;
}

CChildFrame* CTamrApp::CreateFrame(CTamrDoc& document)
{
    // The view looks at the screen when it is made, before its document loads
    // an image: a palette screen makes images keep an index image.
    auto* view = new CTamrView(viewEnvironment_, document);
    auto* frame = new CChildFrame(*view, [this](CChildFrame& closing) { return CanCloseFrame(closing); });
    connect(frame, &QObject::destroyed, this, [this] { OnFrameDestroyed(); });
    // Captions and command states follow the document at once, also while a
    // dialog that compresses ("Test") is still open.
    connect(
        view, &CTamrView::Updated, this,
        [this] {
            FollowCompareWindows();
            AfterCommand();
        },
        Qt::QueuedConnection);
    connect(view, &CTamrView::PixelsChanged, this, [this] { FollowCompareWindows(true); });
    // A result of the figures panel's slider that waited for a dialog is taken or dropped.
    connect(view, &CTamrView::EditSessionEnded, this, [this] {
        if (mainFrame_)
            mainFrame_->FiguresPanel()->TakeWaitingResult();
    });
    // Compress measured its result: the figures panel shows it without copying the pictures.
    connect(view, &CTamrView::ResultMeasured, this, [this, view](const PictureMetrics& metrics) {
        if (mainFrame_)
            mainFrame_->FiguresPanel()->TakeMeasured(view->Document(), metrics);
    });
    connect(view, &CTamrView::Inspected, this, [this](const QString& text) {
        if (mainFrame_)
            mainFrame_->ShowInspection(text);
    });
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] {
        if (mainFrame_)
            mainFrame_->UpdateTitles();
    });
    mainFrame_->MdiArea()->addSubWindow(frame);
    return frame;
}

void CTamrApp::ShowFrame(CChildFrame& frame)
{
    frame.MarkShown();
    frame.setWindowIcon(SvgIcon(QStringLiteral(":/res/icons/application-x-tamr-cod.svg")));
    frame.show();
    // Big enough for the picture, as far as the area allows.
    const QRect area = mainFrame_->MdiArea()->viewport()->rect();
    const QSize wanted = frame.sizeHint();
    const QPoint at = frame.pos();
    const int minimum = 160;
    frame.resize(
        std::clamp(wanted.width(), std::min(minimum, area.width()), std::max(minimum, area.width() - at.x())),
        std::clamp(wanted.height(), std::min(minimum, area.height()), std::max(minimum, area.height() - at.y())));
    mainFrame_->MdiArea()->setActiveSubWindow(&frame);
    frame.View().OnInitialUpdate();
    frame.View().setFocus();
    mainFrame_->UpdateCommandUI();
}

void CTamrApp::OnFrameDestroyed()
{
    ReleaseDocumentsWithoutViews();
    if (mainFrame_)
        mainFrame_->UpdateCommandUI();
}

void CTamrApp::ReleaseDocumentsWithoutViews()
{
    const auto unviewed = [](const std::unique_ptr<CTamrDoc>& document) { return document->Views().empty(); };
    for (CCompareFrame* compare : mainFrame_ ? mainFrame_->CompareFrames() : std::vector<CCompareFrame*>{}) {
        // A compare window goes with the last image window of its document.
        CTamrDoc* document = compare->View().Document();
        if (document != nullptr && document->Views().empty()) {
            compare->View().Detach();
            compare->close();
        }
    }
    for (RateDistortionWindow* chart :
         mainFrame_ ? mainFrame_->findChildren<RateDistortionWindow*>() : QList<RateDistortionWindow*>{}) {
        // Its points stay for reading and export; clicks no longer compress.
        if (chart->Document() != nullptr && chart->Document()->Views().empty())
            chart->Detach();
    }
    for (const auto& document : documents_) {
        if (unviewed(document) && mainFrame_)
            mainFrame_->FiguresPanel()->Forget(*document);
        // The palette in use for drawing goes with its document.
        if (unviewed(document) && sharedState_.currentPalette == document->Palette())
            sharedState_.currentPalette = nullptr;
    }
    documents_.erase(std::remove_if(documents_.begin(), documents_.end(), unviewed), documents_.end());
}

CCompareFrame* CTamrApp::OpenCompareWindow()
{
    CTamrDoc* document = ActiveDocument();
    return document != nullptr ? OpenCompareWindow(*document) : nullptr;
}

CCompareFrame* CTamrApp::OpenCompareWindow(CTamrDoc& document)
{
    if (!mainFrame_ || document.Image() == nullptr || document.Image()->ReferencePixels().empty())
        return nullptr;
    auto* view = new CompareView(document, workbench_.CompareHabits());
    auto* frame = new CCompareFrame(*view);
    // The next compare window starts as this one was left.
    connect(view, &CompareView::HabitsChanged, this,
            [this, view] { workbench_.SetCompareHabits(view->CurrentHabits()); });
    connect(view, &CompareView::Inspected, mainFrame_.get(), &CMainFrame::ShowInspection);
    connect(frame, &QObject::destroyed, this, [this] {
        if (mainFrame_) {
            mainFrame_->ShowInspection({});
            mainFrame_->UpdateCommandUI();
        }
    });
    mainFrame_->MdiArea()->addSubWindow(frame);
    frame->setWindowIcon(SvgIcon(QStringLiteral(":/res/icons/application-x-tamr-cod.svg")));
    const QRect area = mainFrame_->MdiArea()->viewport()->rect();
    frame->resize(std::max(320, area.width() * 4 / 5), std::max(240, area.height() * 4 / 5));
    frame->show();
    // Wholly inside the area, wherever the area placed it.
    frame->move(std::clamp(frame->x(), 0, std::max(0, area.width() - frame->width())),
                std::clamp(frame->y(), 0, std::max(0, area.height() - frame->height())));
    mainFrame_->MdiArea()->setActiveSubWindow(frame);
    view->setFocus();
    mainFrame_->UpdateCommandUI();
    return frame;
}

bool CTamrApp::CanChartRateDistortion() const
{
    // The sweep codes the picture file: one tamr opens as a picture, not a COD file.
    const CTamrDoc* document = ActiveDocument();
    return document != nullptr && document->Image() != nullptr && document->Image()->HasPixels() &&
           document->SourceType() != FileType::Cod && !document->PathName().empty();
}

RateDistortionWindow* CTamrApp::OpenRateDistortionWindow(const SweepRequest& request)
{
    if (!CanChartRateDistortion())
        return nullptr;
    // The sweep opens the picture file as the document was opened.
    SweepRequest opened = request;
    opened.limits = documentEnvironment_.limits;
    opened.readPolicy = ActiveDocument()->ReopenPolicy();
    auto* window = new RateDistortionWindow(*ActiveDocument(), opened, mainFrame_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ChooseAnchor(workbench_.RateDistortionAnchor().toStdString());
    connect(window, &RateDistortionWindow::AnchorChosen, this,
            [this](const QString& name) { workbench_.SetRateDistortionAnchor(name); });
    connect(window, &RateDistortionWindow::QualityChosen, this,
            [this, window](int quality) { CompressDocumentAt(window->Document(), quality); });
    connect(window, &RateDistortionWindow::PointsChosen, this, [this, window](SidePoint first, SidePoint second) {
        if (window->Document() == nullptr)
            return;
        if (CCompareFrame* compare = OpenCompareWindow(*window->Document())) {
            compare->View().ShowPoint(0, std::move(first));
            compare->View().ShowPoint(1, std::move(second));
        }
    });
    connect(window, &RateDistortionWindow::PointToCompare, this, [this, window](SidePoint point) {
        if (window->Document() == nullptr)
            return;
        if (CCompareFrame* compare = OpenCompareWindow(*window->Document())) {
            compare->View().ShowSource(0, SideSource::Original);
            compare->View().ShowPoint(1, std::move(point));
        }
    });
    window->show();
    return window;
}

void CTamrApp::CompressDocumentWith(const CTamrDoc* document, const CodecSettings& chosen)
{
    // The settings record takes what Master Setup edits (levels, vectors,
    // discard and sample levels) and the thresholds of all three components;
    // the threads and the display stay the user's.
    settings_.totalLevels = chosen.totalLevels;
    settings_.components = chosen.components;
    settings_.qualityFactor = chosen.qualityFactor;
    if (CChildFrame* frame = ActivateFrameOf(document))
        frame->View().OnCompress();
}

void CTamrApp::CompressDocumentAt(const CTamrDoc* document, int quality)
{
    // The document's own window comes to the front, then the figures panel
    // compresses as its slider does.
    CChildFrame* frame = ActivateFrameOf(document);
    if (frame == nullptr)
        return;
    mainFrame_->FiguresPanel()->ShowDocument(&frame->View().Document());
    mainFrame_->FiguresPanel()->CompressAt(quality);
}

CChildFrame* CTamrApp::FrameOf(const CTamrDoc* document) const
{
    if (document == nullptr || !mainFrame_)
        return nullptr;
    for (QMdiSubWindow* sub : mainFrame_->MdiArea()->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(sub); frame != nullptr && &frame->View().Document() == document)
            return frame;
    return nullptr;
}

CChildFrame* CTamrApp::ActivateFrameOf(const CTamrDoc* document)
{
    CChildFrame* frame = FrameOf(document);
    if (frame != nullptr)
        mainFrame_->MdiArea()->setActiveSubWindow(frame);
    return frame;
}

EvaluateWindow* CTamrApp::OpenEvaluateWindow(EvaluationRequest request)
{
    if (request.codecs.empty())
        return nullptr;
    request.limits = documentEnvironment_.limits;
    request.readPolicy = documentEnvironment_.readPolicy;
    // The anchor last chosen here or in a Rate-Distortion window, when this evaluation has it.
    const auto measured = [&request](const PeerCodec* codec) {
        return std::find(request.codecs.begin(), request.codecs.end(), codec) != request.codecs.end();
    };
    const PeerCodec* anchor = FindCodec(workbench_.RateDistortionAnchor().toStdString());
    if (!measured(anchor))
        anchor = FindCodec(EvaluateWindow::kDefaultAnchor);
    if (!measured(anchor))
        anchor = request.codecs.front();
    auto* window = new EvaluateWindow(std::move(request), std::string(anchor->name), mainFrame_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &EvaluateWindow::AnchorChosen, this,
            [this](const QString& name) { workbench_.SetRateDistortionAnchor(name); });
    connect(window, &EvaluateWindow::PictureChosen, this, [this](const QString& path) {
        if (OpenDocumentFile(path) != nullptr)
            OpenRateDistortionWindow(RateDistortionWindow::DefaultRequest());
    });
    window->show();
    return window;
}

void CTamrApp::AskEvaluateFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(mainFrame_.get(), tr("Evaluate Folder"));
    if (folder.isEmpty())
        return;
    const QString kept = workbench_.EvaluationResults();
    const QString results = QFileDialog::getExistingDirectory(
        mainFrame_.get(), tr("Results Folder (each point is kept there)"), kept.isEmpty() ? folder : kept);
    if (results.isEmpty())
        return;
    workbench_.SetEvaluationResults(results);
    EvaluationRequest request = EvaluateWindow::DefaultRequest(folder.toStdString(), results.toStdString());
    if (request.pictures.empty()) {
        QMessageBox::information(mainFrame_.get(), tr("Evaluate Folder"),
                                 tr("%1 holds no picture tamr opens.").arg(folder));
        return;
    }
    OpenEvaluateWindow(std::move(request));
}

TargetDialog* CTamrApp::OpenTargetDialog()
{
    if (!CanChartRateDistortion())
        return nullptr;
    const CTamrDoc* document = ActiveDocument();
    auto* dialog = new TargetDialog(document->PathName(), settings_, mainFrame_.get(),
                                    PictureOpening{documentEnvironment_.limits, document->ReopenPolicy()});
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &TargetDialog::QualityChosen, this,
            [this, document](int quality) { CompressDocumentAt(document, quality); });
    connect(dialog, &TargetDialog::SettingsChosen, this,
            [this, document](const CodecSettings& chosen) { CompressDocumentWith(document, chosen); });
    dialog->show();
    return dialog;
}

bool CTamrApp::CanCompareAtEqualSize() const
{
    const CTamrDoc* document = ActiveDocument();
    return document != nullptr && CompareView::CanCodeAtEqualSize(*document);
}

CCompareFrame* CTamrApp::OpenEqualSizeCompare(const PeerCodec& peer)
{
    if (!CanCompareAtEqualSize())
        return nullptr;
    CCompareFrame* compare = OpenCompareWindow();
    if (compare != nullptr) {
        compare->View().ShowSource(0, SideSource::Decoded);
        compare->View().ShowSource(1, SideSource::PeerAtEqualSize, &peer);
    }
    return compare;
}

CompareView* CTamrApp::ActiveCompareView() const
{
    CCompareFrame* frame = mainFrame_ ? mainFrame_->ActiveCompareFrame() : nullptr;
    return frame != nullptr ? &frame->View() : nullptr;
}

void CTamrApp::FollowCompareWindows(bool edited)
{
    if (!mainFrame_)
        return;
    for (CCompareFrame* compare : mainFrame_->CompareFrames())
        compare->View().Follow(edited);
}

void CTamrApp::ZoomActive(const std::function<void(CompareView&)>& compare, const std::function<void(CTamrView&)>& view)
{
    if (CompareView* comparing = ActiveCompareView())
        compare(*comparing);
    else if (CTamrView* active = ActiveView())
        view(*active);
}

CTamrDoc* CTamrApp::FindDocument(const QString& path) const
{
    const QString wanted = CanonicalName(path);
    for (const auto& document : documents_) {
        if (!document->PathName().empty() && CanonicalName(ToQString(document->PathName())) == wanted)
            return document.get();
    }
    return nullptr;
}

void CTamrApp::ActivateDocument(CTamrDoc& document)
{
    for (CChildFrame* frame : mainFrame_->Frames()) {
        if (&frame->Document() == &document) {
            mainFrame_->MdiArea()->setActiveSubWindow(frame);
            frame->View().setFocus();
            return;
        }
    }
}

CTamrDoc* CTamrApp::OpenDocumentFile(const QString& path)
{
    return OpenDocument(path, path);
}

CTamrDoc* CTamrApp::OpenDocument(const QString& path, const QString& nameForType, bool anyVariant)
{
    if (path.isEmpty() || !mainFrame_)
        return nullptr;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (CTamrDoc* open = FindDocument(absolute)) {
        ActivateDocument(*open);
        return open;
    }
    auto document = std::make_unique<CTamrDoc>(documentEnvironment_);
    // The frame stays hidden while the file loads and goes away if it fails.
    std::unique_ptr<CChildFrame> frame(CreateFrame(*document));
    const QString typeName = nameForType == path ? absolute : QFileInfo(nameForType).absoluteFilePath();
    // This one file may go to the general readers whatever the preference says.
    const ReadPolicy preferred = documentEnvironment_.readPolicy;
    documentEnvironment_.readPolicy.anyVariant = preferred.anyVariant || anyVariant;
    const Status read = document->OnOpenDocument(ToPath(absolute), typeName.toStdString());
    documentEnvironment_.readPolicy = preferred;
    if (!read) {
        // The reader has said it cannot open the picture; say which limit refused it.
        if (read.IsOverDecodeLimit())
            prompterSlot_.ShowMessage({QFileInfo(absolute).fileName().toStdString() + ' ' +
                                           DecodeLimitText(documentEnvironment_.limits) + " when starting tamr",
                                       "", MessageIcon::Information, MessageButtons::Ok});
        return nullptr;
    }
    CTamrDoc& opened = *document;
    documents_.push_back(std::move(document));
    recentFiles_.Add(absolute);
    ShowFrame(*frame.release());
    return &opened;
}

CTamrDoc* CTamrApp::OpenChosenFile(const QString& path, bool anyVariant)
{
    // Names from the Open dialog are taken in lower case.
    const QString lowered = path.toLower();
    const QString extension = QFileInfo(lowered).suffix();
    if (!extension.isEmpty() && !OpenDialogExtensions().contains(extension)) {
        prompterSlot_.ShowError("This file type is not supported!!", "");
        return nullptr;
    }
    const bool alreadyOpen = FindDocument(path) != nullptr;
    CTamrDoc* document = OpenDocument(path, lowered, anyVariant);
    if (document != nullptr && !alreadyOpen) {
        document->SetTitle(QFileInfo(lowered).fileName().toStdString());
        mainFrame_->UpdateCommandUI();
    }
    return document;
}

void CTamrApp::OpenDroppedFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        OpenDocumentFile(path);
}

void CTamrApp::OnFileOpen()
{
    OpenChoice chosen;
    if (chooseOpenFile_) {
        chosen = chooseOpenFile_();
    } else {
        const ModalInterruption interruption;
        QFileDialog dialog(nullptr, tr("Open"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(OpenDialogFilters());
        dialog.selectNameFilter(OpenDialogDefaultFilter());
        dialog.setDirectory(ToQString(CurrentDirectory()));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = {dialog.selectedFiles().front(), dialog.selectedNameFilter()};
    }
    if (chosen.path.isEmpty())
        return;
    CurrentDirectory() = ToPath(QFileInfo(chosen.path).absolutePath());
    OpenChosenFile(chosen.path, chosen.filter == OpenDialogDefaultFilter());
}

void CTamrApp::OnFileNew()
{
    auto document = std::make_unique<CTamrDoc>(documentEnvironment_);
    std::unique_ptr<CChildFrame> frame(CreateFrame(*document));
    if (!document->OnNewDocument())
        return;
    // New documents are named after the document type and numbered.
    document->SetTitle("Tamr" + std::to_string(++untitledCount_));
    documents_.push_back(std::move(document));
    ShowFrame(*frame.release());
}

bool CTamrApp::SaveModified(CTamrDoc& document)
{
    if (!document.IsModified())
        return true;
    const std::string title = document.Title().empty() ? "Untitled" : document.Title();
    const MessageAnswer answer = prompterSlot_.ShowMessage(
        {"Save changes to " + title + "?", "", MessageIcon::Warning, MessageButtons::YesNoCancel});
    if (answer == MessageAnswer::No)
        return true;
    if (answer != MessageAnswer::Yes)
        return false;
    std::filesystem::path path = document.PathName();
    const QFileInfo source(ToQString(path));
    if (path.empty() || !source.exists() || !source.isWritable()) {
        // The file is gone or read-only: ask for a name first.
        const auto chosen = prompterSlot_.AskSaveFile({std::string(kDocumentFilter), "COD", title});
        if (!chosen)
            return false;
        path = chosen->path;
    }
    return document.OnSaveDocument(path);
}

bool CTamrApp::SaveAllModified()
{
    for (const auto& document : documents_) {
        if (!SaveModified(*document))
            return false;
    }
    return true;
}

bool CTamrApp::CanCloseFrame(CChildFrame& frame)
{
    if (closingWithoutAsking_)
        return true;
    CTamrDoc& document = frame.Document();
    const auto frames = mainFrame_->Frames();
    const auto windows = std::count_if(frames.begin(), frames.end(),
                                       [&document](CChildFrame* other) { return &other->Document() == &document; });
    return windows > 1 || SaveModified(document);
}

void CTamrApp::CloseDocumentWindows(CTamrDoc& document)
{
    closingWithoutAsking_ = true;
    for (CChildFrame* frame : mainFrame_->Frames()) {
        if (&frame->Document() == &document)
            frame->close();
    }
    closingWithoutAsking_ = false;
    mainFrame_->UpdateCommandUI();
}

void CTamrApp::CloseAllDocuments()
{
    closingWithoutAsking_ = true;
    for (CChildFrame* frame : mainFrame_->Frames())
        frame->close();
    closingWithoutAsking_ = false;
    if (helpWindow_)
        helpWindow_->close();
}

void CTamrApp::OnFileClose()
{
    CTamrDoc* document = ActiveDocument();
    if (document != nullptr && SaveModified(*document))
        CloseDocumentWindows(*document);
}

void CTamrApp::OnOpenRecentFile(int index)
{
    const QStringList& files = recentFiles_.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    // An entry that no longer opens leaves the list.
    if (OpenDocumentFile(path) == nullptr) {
        const auto stale = recentFiles_.Files().indexOf(path);
        if (stale >= 0)
            recentFiles_.Remove(static_cast<int>(stale));
    }
}

void CTamrApp::OnFilePrint()
{
    CTamrView* view = ActiveView();
    if (view == nullptr)
        return;
    const ModalInterruption interruption;
    // The job is named after the document, and so is the PDF file the dialog proposes.
    Printer().setDocName(QString::fromStdString(view->Document().Title()));
    QPrintDialog dialog(&Printer(), mainFrame_.get());
    if (dialog.exec() == QDialog::Accepted)
        view->Print(Printer());
}

void CTamrApp::OnFilePrintPreview()
{
    CTamrView* view = ActiveView();
    if (view == nullptr)
        return;
    const ModalInterruption interruption;
    Printer().setDocName(QString::fromStdString(view->Document().Title()));
    QPrintPreviewDialog preview(&Printer(), mainFrame_.get());
    connect(&preview, &QPrintPreviewDialog::paintRequested, view, [view](QPrinter* printer) { view->Print(*printer); });
    preview.exec();
}

void CTamrApp::OnFilePrintSetup()
{
    const ModalInterruption interruption;
    QPageSetupDialog dialog(&Printer(), mainFrame_.get());
    dialog.exec();
}

void CTamrApp::OnWindowNew()
{
    CTamrDoc* document = ActiveDocument();
    if (document == nullptr)
        return;
    ShowFrame(*CreateFrame(*document));
}

void CTamrApp::OnWindowArrange()
{
    // Minimized windows in a row along the bottom of the area.
    const QRect area = mainFrame_->MdiArea()->viewport()->rect();
    int x = 0;
    for (CChildFrame* frame : mainFrame_->Frames()) {
        if (!frame->isMinimized())
            continue;
        const QSize size = frame->size();
        if (x > 0 && x + size.width() > area.width())
            x = 0;
        frame->move(x, area.height() - size.height());
        x += size.width();
    }
}

void CTamrApp::OnAppAbout()
{
    const ModalInterruption interruption;
    CAboutDlg about(mainFrame_.get());
    about.exec();
}

void CTamrApp::ShowHelpFinder()
{
    ShowHelp({});
}

void CTamrApp::ShowHelp(const QString& page)
{
    if (!helpWindow_)
        helpWindow_ = std::make_unique<HelpWindow>();
    // Over a modal dialog the help must be modal too, or the dialog would
    // keep it from being read; otherwise it stays beside the main window.
    const QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality =
        modal != nullptr && modal != helpWindow_.get() ? Qt::ApplicationModal : Qt::NonModal;
    if (helpWindow_->windowModality() != modality) {
        helpWindow_->hide();
        helpWindow_->setWindowModality(modality);
    }
    helpWindow_->ShowFinder();
    if (!page.isEmpty())
        helpWindow_->ShowPage(page);
}

void CTamrApp::EnterHelpMode()
{
    if (helpMode_)
        return;
    helpMode_ = true;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    mainFrame_->ShowHelpModePrompt(true);
}

void CTamrApp::LeaveHelpMode()
{
    if (!helpMode_)
        return;
    helpMode_ = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (mainFrame_)
        mainFrame_->ShowHelpModePrompt(false);
}

bool CTamrApp::eventFilter(QObject* watched, QEvent* event)
{
    if (helpMode_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // Whatever was clicked, help opens at its contents.
            LeaveHelpMode();
            ShowHelpFinder();
            return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                LeaveHelpMode();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CTamrApp::OnCommand(int id)
{
    if (mainFrame_ && commands_.RunIfEnabled(id))
        AfterCommand();
}

void CTamrApp::AfterCommand()
{
    if (mainFrame_)
        mainFrame_->UpdateCommandUI();
}

} // namespace tamr::qt
