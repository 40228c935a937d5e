#include "gui/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "gui/CChildFrame.h"
#include "gui/CCompareFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CTamrApp.h"
#include "gui/CompareView.h"
#include "gui/KeyLockIndicators.h"
#include "gui/SvgArt.h"

namespace tamr::qt {

namespace {

const QString kMainTitle = QStringLiteral("TAMR");
const QString kIdleMessage = QStringLiteral("For Help, press F1");
const QString kHelpModeMessage = QStringLiteral("Select an object on which to get Help");

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QList<QKeySequence> KeysOf(std::string_view keys)
{
    QList<QKeySequence> sequences;
    for (const QString& key : ToQString(keys).split(QStringLiteral(", "), Qt::SkipEmptyParts))
        sequences << QKeySequence::fromString(key, QKeySequence::PortableText);
    return sequences;
}

} // namespace

CMainFrame::CMainFrame(CTamrApp& app, QWidget* parent) : QMainWindow(parent), app_(app), mdiArea_(new QMdiArea(this))
{
    setWindowTitle(kMainTitle);
    setWindowIcon(SvgIcon(QStringLiteral(":/res/icons/tamr.svg")));
    setCentralWidget(mdiArea_);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAcceptDrops(true);
    // Room for a picture or two until the user decides otherwise.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 4 / 5);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    CreateActions();
    for (const MenuItem& popup : MenuWithoutDocument())
        bareMenus_.push_back(BuildMenu(popup));
    for (const MenuItem& popup : MenuWithDocument())
        documentMenus_.push_back(BuildMenu(popup));
    CreateToolBar();
    CreateStatusBar();
    figuresPanel_ = new CFiguresPanel(app_.Settings(), this);
    addDockWidget(Qt::RightDockWidgetArea, figuresPanel_);
    figuresPanel_->hide();
    connect(figuresPanel_, &CFiguresPanel::Compressed, this, &CMainFrame::UpdateCommandUI);

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { UpdateCommandUI(); });
    UpdateCommandUI();
}

CMainFrame::~CMainFrame()
{
    // Taking the windows down activates and hides subwindows; nothing is updated any more.
    disconnect(mdiArea_, nullptr, this, nullptr);
}

QAction* CMainFrame::Action(int id) const
{
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::CreateActions()
{
    for (const CommandInfo& command : Commands()) {
        auto* action = new QAction(this);
        action->setText(command.menuText.empty() ? ToQString(ToolTipText(command)) : ToQString(command.menuText));
        action->setStatusTip(ToQString(StatusText(command)));
        action->setToolTip(ToQString(ToolTipText(command)));
        action->setShortcuts(KeysOf(command.keys));
        action->setCheckable(command.checkable);
        action->setData(command.id);
        if (!command.toolBarPicture.empty())
            action->setIcon(SvgIcon(ToQString(command.toolBarPicture)));
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { app_.OnCommand(id); });
        // Keys work whichever menu is shown.
        addAction(action);
        actions_.emplace(id, action);
    }
    for (const PeerCommand& command : EqualSizeCommands()) {
        auto* action = new QAction(QString::fromStdString(command.menuText), this);
        const std::string_view prompt = command.prompt;
        action->setStatusTip(ToQString(prompt.substr(0, prompt.find('\n'))));
        action->setToolTip(ToQString(prompt.substr(prompt.find('\n') + 1)));
        action->setData(command.id);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { app_.OnCommand(id); });
        actions_.emplace(id, action);
    }
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        const int id = ID_FILE_MRU_FILE1 + i;
        action->setData(id);
        action->setStatusTip(QStringLiteral("Open this document"));
        connect(action, &QAction::triggered, this, [this, id] { app_.OnCommand(id); });
        recentFileActions_[static_cast<std::size_t>(i)] = action;
        actions_.emplace(id, action);
    }
}

QMenu* CMainFrame::BuildMenu(const MenuItem& popup)
{
    auto* menu = new QMenu(ToQString(popup.text), this);
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    for (const MenuItem& item : popup.items) {
        switch (item.kind) {
        case MenuItem::Kind::Command:
            menu->addAction(Action(item.id));
            break;
        case MenuItem::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Kind::Popup:
            menu->addMenu(BuildMenu(item));
            break;
        case MenuItem::Kind::RecentFiles:
            for (QAction* action : recentFileActions_)
                menu->addAction(action);
            break;
        case MenuItem::Kind::EqualSizePeers:
            for (const PeerCommand& command : EqualSizeCommands())
                menu->addAction(Action(command.id));
            break;
        case MenuItem::Kind::WindowList:
            windowMenu_ = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowList);
            break;
        }
    }
    return menu;
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(tr("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    for (const int id : ToolBarLayout()) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(Action(id));
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::CreateStatusBar()
{
    messagePane_ = new QLabel(kIdleMessage, this);
    messagePane_->setObjectName(QStringLiteral("messagePane"));
    statusBar()->addWidget(messagePane_, 1);
    inspectorPane_ = new QLabel(this);
    inspectorPane_->setObjectName(QStringLiteral("pixelInspector"));
    inspectorPane_->hide();
    statusBar()->addWidget(inspectorPane_);
    indicators_ = new KeyLockIndicators(this);
    statusBar()->addPermanentWidget(indicators_);
}

void CMainFrame::ShowHelpModePrompt(bool on)
{
    if (on)
        statusBar()->showMessage(kHelpModeMessage);
    else
        statusBar()->clearMessage();
}

void CMainFrame::ToggleFullScreen()
{
    if (isFullScreen()) {
        if (maximizedBeforeFullScreen_)
            showMaximized();
        else
            showNormal();
    } else {
        maximizedBeforeFullScreen_ = isMaximized();
        showFullScreen();
    }
    UpdateCommandUI();
}

CChildFrame* CMainFrame::ActiveFrame() const
{
    if (const CCompareFrame* compare = ActiveCompareFrame()) {
        for (CChildFrame* frame : Frames()) {
            if (&frame->Document() == compare->View().Document())
                return frame;
        }
        return nullptr;
    }
    auto* frame = qobject_cast<CChildFrame*>(mdiArea_->currentSubWindow());
    return frame != nullptr && frame->IsOpen() ? frame : nullptr;
}

CCompareFrame* CMainFrame::ActiveCompareFrame() const
{
    auto* frame = qobject_cast<CCompareFrame*>(mdiArea_->currentSubWindow());
    return frame != nullptr && frame->isVisible() ? frame : nullptr;
}

std::vector<CCompareFrame*> CMainFrame::CompareFrames() const
{
    std::vector<CCompareFrame*> frames;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* frame = qobject_cast<CCompareFrame*>(window))
            frames.push_back(frame);
    }
    return frames;
}

void CMainFrame::ShowInspection(const QString& text)
{
    inspectorPane_->setText(text);
    inspectorPane_->setVisible(!text.isEmpty());
}

std::vector<CChildFrame*> CMainFrame::Frames() const
{
    std::vector<CChildFrame*> frames;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (frame != nullptr && frame->IsOpen())
            frames.push_back(frame);
    }
    return frames;
}

void CMainFrame::ShowMenuBar(bool withDocument)
{
    if (menuBarBuilt_ && withDocument == showsDocumentMenu_)
        return;
    menuBar()->clear();
    for (QMenu* menu : withDocument ? documentMenus_ : bareMenus_)
        menuBar()->addMenu(menu);
    showsDocumentMenu_ = withDocument;
    menuBarBuilt_ = true;
}

void CMainFrame::UpdateCommandUI()
{
    ShowMenuBar(ActiveFrame() != nullptr);
    for (const auto& [id, action] : actions_) {
        const CommandState state = app_.QueryCommand(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
    }
    UpdateRecentFiles();
    UpdateTitles();
    figuresPanel_->ShowDocument(app_.ActiveDocument());
}

void CMainFrame::UpdateRecentFiles()
{
    const RecentFileList& recent = app_.RecentFiles();
    const int count = static_cast<int>(recent.Files().size());
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = recentFileActions_[static_cast<std::size_t>(i)];
        if (i < count) {
            action->setText(recent.MenuText(i));
            action->setVisible(true);
        } else if (i == 0) {
            // An empty list shows its place, grayed.
            action->setText(QStringLiteral("Recent File"));
            action->setVisible(true);
            action->setEnabled(false);
        } else {
            action->setVisible(false);
        }
    }
}

void CMainFrame::UpdateWindowList()
{
    for (QAction* action : windowListActions_) {
        windowMenu_->removeAction(action);
        action->deleteLater();
    }
    windowListActions_.clear();
    // Picture windows and compare windows, in the order they were opened.
    std::vector<QMdiSubWindow*> frames;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        const auto* picture = qobject_cast<CChildFrame*>(window);
        if ((picture != nullptr && picture->IsOpen()) || qobject_cast<CCompareFrame*>(window) != nullptr)
            frames.push_back(window);
    }
    if (frames.empty())
        return;
    windowListActions_.push_back(windowMenu_->addSeparator());
    const QMdiSubWindow* active = mdiArea_->currentSubWindow();
    int number = 1;
    for (QMdiSubWindow* frame : frames) {
        QString title = frame->windowTitle();
        title.replace('&', QStringLiteral("&&"));
        QAction* action = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(title));
        action->setCheckable(true);
        action->setChecked(frame == active);
        action->setStatusTip(tr("Activate this window"));
        connect(action, &QAction::triggered, this, [this, frame] {
            if (mdiArea_->subWindowList().contains(frame))
                mdiArea_->setActiveSubWindow(frame);
        });
        windowListActions_.push_back(action);
    }
}

void CMainFrame::UpdateTitles()
{
    // Captions: the document's title, numbered when it has several windows.
    const std::vector<CChildFrame*> frames = Frames();
    for (CChildFrame* frame : frames) {
        int number = 0;
        int count = 0;
        for (CChildFrame* other : frames) {
            if (&other->Document() != &frame->Document())
                continue;
            ++count;
            if (other == frame)
                number = count;
        }
        frame->UpdateCaption(number, count);
    }
    for (CCompareFrame* compare : CompareFrames())
        compare->UpdateCaption();
    // A maximized child window is named in brackets, as the MDI area names it
    // itself: the two agree, so neither rewrites the other's title.
    QString title = kMainTitle;
    const QMdiSubWindow* current = mdiArea_->currentSubWindow();
    if (current != nullptr && current->isMaximized() && !current->windowTitle().isEmpty())
        title += QStringLiteral(" - [%1]").arg(current->windowTitle());
    else if (const CChildFrame* active = ActiveFrame())
        title += QStringLiteral(" - %1").arg(active->windowTitle());
    if (windowTitle() != title) {
        const QScopedValueRollback writing(writingTitle_, true);
        setWindowTitle(title);
    }
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The MDI area writes the title itself when a child window is maximized
    // or restored: it is put back once as this window writes it, later, and
    // never in answer to this window's own writing.
    if (event->type() == QEvent::WindowTitleChange && !writingTitle_ && !titleCheckQueued_) {
        titleCheckQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                titleCheckQueued_ = false;
                UpdateTitles();
            },
            Qt::QueuedConnection);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!app_.SaveAllModified()) {
        event->ignore();
        return;
    }
    app_.SaveWindowLayout();
    app_.CloseAllDocuments();
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    app_.OpenDroppedFiles(paths);
}

} // namespace tamr::qt
