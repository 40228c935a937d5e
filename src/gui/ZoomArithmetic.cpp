#include "gui/ZoomArithmetic.h"

#include <cctype>

namespace tamr::qt {

namespace {

// The decimal number at the start of the text, as atoi reads it (no sign is
// ever offered by the dialogs); large values saturate instead of overflowing.
int LeadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    int value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > 100000)
            break;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

ZoomPoint AnchoredScroll(const ZoomAnchor& anchor, int z)
{
    return {anchor.click.x * (z - 1) + anchor.scroll.x * z, anchor.click.y * (z - 1) + anchor.scroll.y * z};
}

int ZoomInNumber(std::string_view text)
{
    return LeadingNumber(text);
}

int ZoomOutNumber(std::string_view text)
{
    return text.size() <= 2 ? 0 : LeadingNumber(text.substr(2));
}

int ScrollableExtent(int size)
{
    // Pictures of any width can be scrolled to their far side: a camera
    // photo is wider than 5000 pixels.
    return size < 0 ? 0 : size;
}

void ZoomState::ApplyZoomIn(std::string_view text)
{
    if (text == "none") {
        zoomInFactor = 1;
        zoomedIn = false;
        zoomActive = false;
        return;
    }
    const int n = ZoomInNumber(text);
    zoomedOut = false;
    if (n != 0)
        zoomInFactor = n;
    zoomActive = true;
    zoomedIn = true;
}

void ZoomState::ApplyZoomOut(std::string_view text)
{
    if (text == "none") {
        zoomOutFactor = 1;
        zoomedOut = false;
        zoomActive = false;
        return;
    }
    const int n = ZoomOutNumber(text);
    zoomedIn = false;
    if (n != 0)
        zoomOutFactor = n;
    zoomActive = true;
    zoomedOut = true;
}

void ZoomState::NoZoom()
{
    zoomActive = false;
    zoomedIn = false;
    zoomedOut = false;
    zoomInFactor = 1;
    zoomOutFactor = 1;
}

ZoomSize ZoomState::DisplaySize(int width, int height) const
{
    if (!zoomActive)
        return {width, height};
    if (zoomedIn)
        return {width * zoomInFactor, height * zoomInFactor};
    if (zoomedOut)
        return {width / zoomOutFactor, height / zoomOutFactor};
    return {width, height};
}

} // namespace tamr::qt
