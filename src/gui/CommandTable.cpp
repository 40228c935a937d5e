#include "gui/CommandTable.h"

#include <algorithm>
#include <array>

namespace tamr::qt {

namespace {

constexpr CommandInfo kCommands[] = {
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Ctrl+O", ":/res/icons/open.svg", "Open an existing document\nOpen", false},
    {ID_FILE_CLOSE, "&Close", "", "", "Close the active document\nClose", false},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Ctrl+S", ":/res/icons/save.svg", "Save the active document\nSave", false},
    {ID_FILE_SAVE_AS, "Save &As...", "", "", "Save the active document with a new name\nSave As", false},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", "Ctrl+P", ":/res/icons/print.svg", "Print the active document\nPrint", false},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "", "", "Display full pages\nPrint Preview", false},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", "", "", "Change the printer and printing options\nPrint Setup", false},
    {ID_FILE_COMPRESS, "Co&mpress", "", ":/res/icons/compress.svg", "Compress the image with current setup\nCompress",
     false},
    {ID_FILE_PROPERTIES, "Properties", "", ":/res/icons/properties.svg",
     "Display compression/decompression information\nProperties", false},
    {ID_FILE_STATISTICS, "Statistics", "", ":/res/icons/statistics.svg", "Display statistics\nStatistics", false},
    {ID_APP_EXIT, "E&xit", "", "", "Quit the application; prompts to save documents\nExit", false},
    {ID_VIEW_TOOLBAR, "&Toolbar", "", "", "Show or hide the toolbar\nToggle ToolBar", true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "", "", "Show or hide the status bar\nToggle StatusBar", true},
    {ID_VIEW_NO_ZOOM, "No Zoom", "", "", "", false},
    {ID_VIEW_ZOOM_IN, "Zoom in", "", "", "Zoom active window\nZoom in", false},
    {ID_VIEW_ZOOM_OUT, "Zoom out", "", "", "Zoom active window\nZoom out", false},
    {ID_OPTIONS_EASY_SETUP, "&Easy Setup", "", "", "Set up quality factor for compression", false},
    {ID_OPTIONS_MASTER_SETUP, "&Master Setup", "", "", "More accurate settings for compression", false},
    {ID_OPTIONS_DITHERING, "&FS_Dithering", "", "", "Do dithering when image is quantized to 256 colors", true},
    {ID_PALETTE_FIXED, "&Fixed", "", "", "", true},
    {ID_PALETTE_CUSTOM, "Custom", "", "",
     "Use customized color palette. It may take more time than using system color palette.", true},
    {ID_OPTIONS_INCREMENTAL, "&Incremental Display", "", "", "", true},
    {ID_OPTIONS_SHARPEN, "&Sharpen Image", "", "", "", false},
    {ID_OPTIONS_FILTERS, "Filters", "", "", "", false},
    {ID_OPTIONS_ANY_VARIANT, "Open Any &Variant", "", "",
     "Open variants tamr's own readers refuse through the general readers\nOpen Any Variant", true},
    {ID_WINDOW_NEW, "&New Window", "", "", "Open another window for the active document\nNew Window", false},
    {ID_WINDOW_CASCADE, "&Cascade", "", "", "Arrange windows so they overlap\nCascade Windows", false},
    {ID_WINDOW_TILE_HORZ, "&Tile", "", "", "Arrange windows as non-overlapping tiles\nTile Windows", false},
    {ID_WINDOW_ARRANGE, "&Arrange Icons", "", "", "Arrange icons at the bottom of the window\nArrange Icons", false},
    {ID_HELP_FINDER, "&Help Topics", "", ":/res/icons/help.svg", "List Help topics\nHelp Topics", false},
    {ID_APP_ABOUT, "&About tamr...", "", ":/res/icons/about-button.svg",
     "Display program information, version number and copyright\nAbout", false},
    {ID_VIEW_FIT_WINDOW, "Fit to &Window\tCtrl+9", "Ctrl+9", "", "Show the whole picture in the window\nFit to Window",
     false},
    {ID_VIEW_ACTUAL_SIZE, "&Actual Size\tCtrl+0", "Ctrl+0", "", "Show one picture pixel per screen pixel\nActual Size",
     false},
    {ID_VIEW_ZOOM_STEP_IN, "Zoom In &Step\tCtrl++", "Ctrl++, Ctrl+=", "",
     "Magnify one step about the mouse pointer\nZoom In Step", false},
    {ID_VIEW_ZOOM_STEP_OUT, "Zoom Out S&tep\tCtrl+-", "Ctrl+-", "",
     "Reduce one step about the mouse pointer\nZoom Out Step", false},
    {ID_VIEW_FIGURES, "&Figures Panel", "", "",
     "Show or hide the panel of figures and the quality slider\nFigures Panel", true},
    {ID_VIEW_FULL_SCREEN, "F&ull Screen\tF11", "F11", "", "Show the main window on the whole screen\nFull Screen",
     true},
    {ID_COMPARE_WINDOW, "&Compare Window", "", "",
     "Open a window comparing the original picture with the compressed one\nCompare Window", false},
    {ID_COMPARE_SIDE_BY_SIDE, "&Side by Side\tCtrl+1", "Ctrl+1", "",
     "Show the original and the compressed picture side by side\nSide by Side", true},
    {ID_COMPARE_SPLIT, "S&plit\tCtrl+2", "Ctrl+2", "",
     "Show the original left and the compressed picture right of a divider\nSplit", true},
    {ID_COMPARE_DIFFERENCE, "&Difference\tCtrl+3", "Ctrl+3", "",
     "Show the difference between the pictures, amplified\nDifference", true},
    {ID_COMPARE_HEAT_MAP, "&Heat Map\tCtrl+4", "Ctrl+4", "",
     "Show the difference between the pictures as a heat map\nHeat Map", true},
    {ID_COMPARE_HEAT_ABSOLUTE, "&Absolute Difference\tCtrl+5", "Ctrl+5", "",
     "Show the largest channel difference of each pixel as a heat map\nAbsolute Difference", true},
    {ID_COMPARE_HEAT_SSIM, "&Local SSIM\tCtrl+6", "Ctrl+6", "",
     "Show 1 - SSIM of the window about each pixel as a heat map\nLocal SSIM", true},
    {ID_COMPARE_HEAT_BUTTERAUGLI, "&Butteraugli Distance\tCtrl+7", "Ctrl+7", "",
     "Show the Butteraugli distance of each pixel as a heat map (needs a build with libjxl)\nButteraugli Distance",
     true},
    {ID_COMPARE_RATE_DISTORTION, "&Rate–Distortion...", "", "",
     "Chart quality against size for tamr and the other codecs\nRate–Distortion", false},
    {ID_COMPARE_TARGET, "&Target...", "", "", "Compress at the quality factor that meets a target size or PSNR\nTarget",
     false},
    {ID_COMPARE_EVALUATE, "E&valuate Folder...", "", "",
     "Give each codec's BD-rate against JPEG over every picture of a folder\nEvaluate Folder", false},
    {ID_FILE_NEW, "", "Ctrl+N", "", "Create a new document\nNew", false},
    {ID_HELP, "", "F1", "", "Display help for current task or command\nHelp", false},
    {ID_CONTEXT_HELP, "", "Shift+F1", "", "Display help for clicked on buttons, menus and windows\nHelp", false},
    {ID_EDIT_UNDO, "", "Ctrl+Z, Alt+Backspace", "", "Undo the last action\nUndo", false},
    {ID_EDIT_CUT, "", "Ctrl+X, Shift+Del", "", "Cut the selection and put it on the Clipboard\nCut", false},
    {ID_EDIT_COPY, "", "Ctrl+C, Ctrl+Ins", "", "Copy the selection and put it on the Clipboard\nCopy", false},
    {ID_EDIT_PASTE, "", "Ctrl+V, Shift+Ins", "", "Insert Clipboard contents\nPaste", false},
    {ID_NEXT_PANE, "", "F6", "", "Switch to the next window pane\nNext Pane", false},
    {ID_PREV_PANE, "", "Shift+F6", "", "Switch back to the previous window pane\nPrevious Pane", false},
};

constexpr std::array<int, 9> kToolBar = {ID_FILE_OPEN,       ID_FILE_SAVE,       ID_FILE_COMPRESS,
                                         ID_FILE_STATISTICS, ID_FILE_PROPERTIES, 0,
                                         ID_FILE_PRINT,      ID_APP_ABOUT,       ID_HELP_FINDER};

using K = MenuItem::Kind;

constexpr MenuItem Command(int id)
{
    return {K::Command, id, {}, {}};
}
constexpr MenuItem kSeparator{K::Separator, 0, {}, {}};
constexpr MenuItem kRecentFiles{K::RecentFiles, 0, {}, {}};
constexpr MenuItem kWindowList{K::WindowList, 0, {}, {}};

// Menu 128: no document open.
constexpr MenuItem kFileBare[] = {Command(ID_FILE_OPEN), Command(ID_FILE_PRINT_SETUP), kRecentFiles,
                                  Command(ID_APP_EXIT)};
constexpr MenuItem kViewBare[] = {Command(ID_VIEW_TOOLBAR), Command(ID_VIEW_STATUS_BAR)};
constexpr MenuItem kHelpBare[] = {Command(ID_HELP_FINDER), Command(ID_APP_ABOUT)};
constexpr MenuItem kMenuBare[] = {
    {K::Popup, 0, "&File", kFileBare}, {K::Popup, 0, "&View", kViewBare}, {K::Popup, 0, "&Help", kHelpBare}};

// Menu 129: a document active.
constexpr MenuItem kFile[] = {Command(ID_FILE_OPEN),
                              Command(ID_FILE_CLOSE),
                              Command(ID_FILE_SAVE),
                              Command(ID_FILE_SAVE_AS),
                              kSeparator,
                              Command(ID_FILE_PRINT),
                              Command(ID_FILE_PRINT_PREVIEW),
                              Command(ID_FILE_PRINT_SETUP),
                              kSeparator,
                              Command(ID_FILE_COMPRESS),
                              Command(ID_FILE_PROPERTIES),
                              Command(ID_FILE_STATISTICS),
                              kSeparator,
                              kRecentFiles,
                              kSeparator,
                              Command(ID_APP_EXIT)};
constexpr MenuItem kView[] = {
    Command(ID_VIEW_TOOLBAR),       Command(ID_VIEW_STATUS_BAR),  Command(ID_VIEW_NO_ZOOM),
    Command(ID_VIEW_ZOOM_IN),       Command(ID_VIEW_ZOOM_OUT),    kSeparator,
    Command(ID_VIEW_FIT_WINDOW),    Command(ID_VIEW_ACTUAL_SIZE), Command(ID_VIEW_ZOOM_STEP_IN),
    Command(ID_VIEW_ZOOM_STEP_OUT), Command(ID_VIEW_FIGURES),     Command(ID_VIEW_FULL_SCREEN)};
constexpr MenuItem kPalette[] = {Command(ID_PALETTE_FIXED), Command(ID_PALETTE_CUSTOM)};
constexpr MenuItem kOptions[] = {Command(ID_OPTIONS_EASY_SETUP),  Command(ID_OPTIONS_MASTER_SETUP),
                                 Command(ID_OPTIONS_DITHERING),   {K::Popup, 0, "Color &Palette", kPalette},
                                 Command(ID_OPTIONS_INCREMENTAL), Command(ID_OPTIONS_SHARPEN),
                                 Command(ID_OPTIONS_FILTERS),     kSeparator,
                                 Command(ID_OPTIONS_ANY_VARIANT)};
constexpr MenuItem kHeatMapShows[] = {Command(ID_COMPARE_HEAT_ABSOLUTE), Command(ID_COMPARE_HEAT_SSIM),
                                      Command(ID_COMPARE_HEAT_BUTTERAUGLI)};
constexpr MenuItem kCompare[] = {Command(ID_COMPARE_WINDOW),
                                 kSeparator,
                                 Command(ID_COMPARE_SIDE_BY_SIDE),
                                 Command(ID_COMPARE_SPLIT),
                                 Command(ID_COMPARE_DIFFERENCE),
                                 Command(ID_COMPARE_HEAT_MAP),
                                 {K::Popup, 0, "Heat Map S&hows", kHeatMapShows},
                                 kSeparator,
                                 Command(ID_COMPARE_RATE_DISTORTION),
                                 {K::EqualSizePeers, 0, {}, {}},
                                 Command(ID_COMPARE_TARGET),
                                 Command(ID_COMPARE_EVALUATE)};
constexpr MenuItem kWindow[] = {Command(ID_WINDOW_NEW), Command(ID_WINDOW_CASCADE), Command(ID_WINDOW_TILE_HORZ),
                                Command(ID_WINDOW_ARRANGE), kWindowList};
constexpr MenuItem kHelp[] = {Command(ID_HELP_FINDER), kSeparator, Command(ID_APP_ABOUT)};
constexpr MenuItem kMenuDocument[] = {{K::Popup, 0, "&File", kFile},       {K::Popup, 0, "&View", kView},
                                      {K::Popup, 0, "&Options", kOptions}, {K::Popup, 0, "&Compare", kCompare},
                                      {K::Popup, 0, "&Window", kWindow},   {K::Popup, 0, "&Help", kHelp}};

} // namespace

std::span<const CommandInfo> Commands()
{
    return kCommands;
}

const CommandInfo* FindCommand(int id)
{
    const auto* found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [id](const CommandInfo& command) { return command.id == id; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::string_view StatusText(const CommandInfo& command)
{
    return command.prompt.substr(0, command.prompt.find('\n'));
}

std::string_view ToolTipText(const CommandInfo& command)
{
    const auto lineFeed = command.prompt.find('\n');
    return lineFeed == std::string_view::npos ? std::string_view() : command.prompt.substr(lineFeed + 1);
}

std::vector<PeerCommand> EqualSizeCommands()
{
    std::vector<PeerCommand> commands;
    for (const PeerCodec* peer : AvailablePeers()) {
        const std::string label(peer->label);
        const auto at = std::min(label.find(peer->mnemonic), label.size());
        const std::string marked = label.substr(0, at) + '&' + label.substr(at);
        const std::string how =
            peer->aim == SizeAim::Quality ? "at the quality of the closest size" : "at the same size";
        commands.push_back(
            {EqualSizeCommandId(*peer), peer, "Against " + marked + " at Equal Size",
             "Show tamr's result beside " + label + "'s " + how + "\nAgainst " + label + " at Equal Size"});
    }
    return commands;
}

int EqualSizeCommandId(const PeerCodec& codec)
{
    if (codec.aim == SizeAim::Reference || !codec.available)
        return 0;
    int id = ID_COMPARE_EQUAL_SIZE_FIRST;
    for (const PeerCodec& row : AllCodecs()) {
        if (&row == &codec)
            return id <= ID_COMPARE_EQUAL_SIZE_LAST ? id : 0;
        ++id;
    }
    return 0;
}

std::span<const int> ToolBarLayout()
{
    return kToolBar;
}

std::span<const MenuItem> MenuWithoutDocument()
{
    return kMenuBare;
}

std::span<const MenuItem> MenuWithDocument()
{
    return kMenuDocument;
}

} // namespace tamr::qt
