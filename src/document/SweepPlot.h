#pragma once
// The sweep drawn as an SVG picture: PSNR against bits per pixel and, beside
// it, SSIM against bits per pixel; one line per codec, axes with ticks, a
// legend and the picture's name and size in the title.

#include <string>

#include "document/RateDistortionSweep.h"

namespace tamr {

std::string SweepSvg(const SweepResult& result, const std::string& pictureName);

} // namespace tamr
