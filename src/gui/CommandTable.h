#pragma once
// Every command of the desktop program as data: identifier, menu text, keys,
// tool bar picture and prompt; and the two menu bars built from them.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "peers/PeerCodecs.h"

namespace tamr::qt {

// The command identifiers; the numbers are the program's own and appear in
// the recent-file range below.
enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_LAST = 57631,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_FILE_COMPRESS = 32771,
    ID_OPTIONS_EASY_SETUP = 32772,
    ID_OPTIONS_MASTER_SETUP = 32773,
    ID_OPTIONS_DITHERING = 32777,
    ID_PALETTE_CUSTOM = 32784,
    ID_FILE_PROPERTIES = 32785,
    ID_OPTIONS_INCREMENTAL = 32786,
    ID_PALETTE_FIXED = 32787,
    ID_FILE_STATISTICS = 32788,
    ID_OPTIONS_SHARPEN = 32789,
    ID_VIEW_ZOOM_IN = 32792,
    ID_VIEW_ZOOM_OUT = 32793,
    ID_VIEW_NO_ZOOM = 32794,
    ID_OPTIONS_FILTERS = 32795,
    // The workbench's additions: zoom steps, the figures panel and the compare window.
    ID_VIEW_FIT_WINDOW = 33001,
    ID_VIEW_ACTUAL_SIZE = 33002,
    ID_VIEW_ZOOM_STEP_IN = 33003,
    ID_VIEW_ZOOM_STEP_OUT = 33004,
    ID_VIEW_FIGURES = 33005,
    ID_VIEW_FULL_SCREEN = 33006,
    ID_COMPARE_WINDOW = 33010,
    ID_COMPARE_SIDE_BY_SIDE = 33011,
    ID_COMPARE_SPLIT = 33012,
    ID_COMPARE_DIFFERENCE = 33013,
    ID_COMPARE_HEAT_MAP = 33014,
    ID_COMPARE_HEAT_ABSOLUTE = 33015,
    ID_COMPARE_HEAT_SSIM = 33016,
    ID_COMPARE_HEAT_BUTTERAUGLI = 33017,
    ID_COMPARE_RATE_DISTORTION = 33020,
    ID_COMPARE_TARGET = 33024,
    ID_COMPARE_EVALUATE = 33025,
    ID_OPTIONS_ANY_VARIANT = 33030,
    // "Against CODEC at Equal Size": the first plus the codec's row in the registry.
    ID_COMPARE_EQUAL_SIZE_FIRST = 33040,
    ID_COMPARE_EQUAL_SIZE_LAST = 33079,
};

// The recent-file list shows at most this many entries (ID_FILE_MRU_FILE1 onwards).
inline constexpr int kRecentFileCount = 6;

struct CommandInfo {
    int id;
    std::string_view menuText;       // "&Open...\tCtrl+O"; empty for commands reached by keys only
    std::string_view keys;           // key sequences separated by ", " in portable text form
    std::string_view toolBarPicture; // resource path of its tool bar button; empty when it has none
    std::string_view prompt;         // status bar text, then "\n" and the tool tip; may be empty
    bool checkable;                  // shows a check mark
};

std::span<const CommandInfo> Commands();
// Null for an unknown identifier.
const CommandInfo* FindCommand(int id);

// The part of a prompt shown in the status bar, and the tool tip after the line feed.
std::string_view StatusText(const CommandInfo& command);
std::string_view ToolTipText(const CommandInfo& command);

// A command made from a row of the codec registry, with its texts.
struct PeerCommand {
    int id;
    const PeerCodec* codec;
    std::string menuText; // "Against &JPEG at Equal Size"
    std::string prompt;   // as CommandInfo's
};

// "Against CODEC at Equal Size", one a peer available in this build, in the registry's order.
std::vector<PeerCommand> EqualSizeCommands();
// That command of a peer; 0 for tamr's own row and a row left out of the build.
int EqualSizeCommandId(const PeerCodec& codec);

// The tool bar, left to right; 0 is a separator.
std::span<const int> ToolBarLayout();

// One line of a menu. RecentFiles stands for the recent-file entries, WindowList
// for the list of open windows that the frame keeps at the end of its Window
// menu, EqualSizePeers for the EqualSizeCommands.
struct MenuItem {
    enum class Kind { Command, Separator, Popup, RecentFiles, WindowList, EqualSizePeers };
    Kind kind;
    int id = 0;                      // Command
    std::string_view text;           // Popup
    std::span<const MenuItem> items; // Popup
};

// A menu bar: its top-level popups.
std::span<const MenuItem> MenuWithoutDocument(); // menu 128
std::span<const MenuItem> MenuWithDocument();    // menu 129

} // namespace tamr::qt
