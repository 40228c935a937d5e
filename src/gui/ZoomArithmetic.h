#pragma once
// The zoom modes of a view and the scroll arithmetic that keeps a clicked
// point in place while magnifying. Plain values, so that the rules can be
// checked without a window.

#include <string_view>

namespace tamr::qt {

struct ZoomPoint {
    int x = 0;
    int y = 0;

    bool operator==(const ZoomPoint&) const = default;
};

struct ZoomSize {
    int width = 0;
    int height = 0;

    bool operator==(const ZoomSize&) const = default;
};

// Shared by all views of the program: the click and scroll position saved
// when a view was first magnified after a click.
struct ZoomAnchor {
    bool free = true;
    ZoomPoint click;
    ZoomPoint scroll;
};

// click * (z - 1) + scroll * z, per coordinate: the scroll position that keeps
// the image point clicked while unscaled under the same client position.
ZoomPoint AnchoredScroll(const ZoomAnchor& anchor, int z);

// The number a zoom-in entry starts with ("4:1" gives 4), and the number after
// the first two characters of a zoom-out entry ("1:8" gives 8); 0 when none.
int ZoomInNumber(std::string_view text);
int ZoomOutNumber(std::string_view text);

// Sizes below 0 get no scroll range; every other size its full range.
int ScrollableExtent(int size);

// The zoom fields of one view.
struct ZoomState {
    int zoomInFactor = 1;
    int zoomOutFactor = 1;
    bool zoomedOut = false;
    bool zoomedIn = false;
    bool zoomActive = false;

    // The zoom dialogs' OK with their chosen text ("none", "2:1".. / "none", "1:2"..).
    void ApplyZoomIn(std::string_view text);
    void ApplyZoomOut(std::string_view text);
    void NoZoom();

    // The size an image of width x height is shown at.
    ZoomSize DisplaySize(int width, int height) const;
};

} // namespace tamr::qt
