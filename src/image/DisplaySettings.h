#pragma once
// The display options that decide how an image is prepared for drawing. Owned
// by whoever hosts the views; the image reads them when it converts.

namespace tamr {

struct DisplaySettings {
    bool paletteDisplay = false; // the screen has 8 bits per pixel: keep an index image for drawing
    bool ditherEnabled = false;  // quantise to 256 colours with error diffusion
    bool fixedPalette = false;   // quantise to the fixed colour table instead of a custom palette
    bool customPalette = false;  // "Custom" was chosen last: only its menu check mark reads it
};

} // namespace tamr
