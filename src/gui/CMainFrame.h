#pragma once
// The main window: menus, tool bar and status bar built from the command
// table, an MDI area with one child frame per open view, and dropped files.

#include <QMainWindow>
#include <array>
#include <map>
#include <vector>

#include "gui/CommandTable.h"

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace tamr::qt {

class CChildFrame;
class CCompareFrame;
class CFiguresPanel;
class CTamrApp;
class KeyLockIndicators;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(CTamrApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* MessagePane() const { return messagePane_; }
    KeyLockIndicators* Indicators() const { return indicators_; }
    // Null for an identifier without an action.
    QAction* Action(int id) const;
    QAction* RecentFileAction(int index) const { return recentFileActions_.at(static_cast<std::size_t>(index)); }

    // The child frame whose commands the menus reach, and all child frames in
    // order. While a compare window is active, the menus reach its document's
    // first image window.
    CChildFrame* ActiveFrame() const;
    // The active compare window, or null.
    CCompareFrame* ActiveCompareFrame() const;
    std::vector<CCompareFrame*> CompareFrames() const;
    // The pixel inspector's pane of the status bar; hidden while empty.
    void ShowInspection(const QString& text);
    QLabel* InspectorPane() const { return inspectorPane_; }
    CFiguresPanel* FiguresPanel() const { return figuresPanel_; }
    std::vector<CChildFrame*> Frames() const;
    // The document menu is shown while a child frame is active.
    bool ShowsDocumentMenu() const { return showsDocumentMenu_; }

    // Enabling and check marks of every command, the menu bar for the state,
    // the recent files and the captions.
    void UpdateCommandUI();
    void UpdateTitles();
    // The status bar's help-mode text, or back to normal.
    void ShowHelpModePrompt(bool on);
    // The whole screen, or back to the window it was (maximized or not).
    void ToggleFullScreen();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    QMenu* BuildMenu(const MenuItem& popup);
    void CreateToolBar();
    void CreateStatusBar();
    void ShowMenuBar(bool withDocument);
    void UpdateRecentFiles();
    void UpdateWindowList();

    CTamrApp& app_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* inspectorPane_ = nullptr;
    CFiguresPanel* figuresPanel_ = nullptr;
    KeyLockIndicators* indicators_ = nullptr;
    std::map<int, QAction*> actions_;
    std::array<QAction*, kRecentFileCount> recentFileActions_{};
    std::vector<QMenu*> bareMenus_;
    std::vector<QMenu*> documentMenus_;
    QMenu* windowMenu_ = nullptr;
    std::vector<QAction*> windowListActions_;
    bool showsDocumentMenu_ = false;
    bool writingTitle_ = false;
    bool maximizedBeforeFullScreen_ = false;
    bool titleCheckQueued_ = false;
    bool menuBarBuilt_ = false;
};

} // namespace tamr::qt
