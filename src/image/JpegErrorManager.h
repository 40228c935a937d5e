#pragma once
// The decoder's error manager: libjpeg's standard one, whose fatal-error exit
// prints the message on stderr and returns to the reader's jump point instead
// of ending the program. Warnings about damaged data are printed (the first
// one) and decoding goes on, as the library's own tools do.

#include <csetjmp>
#include <type_traits>

#include "image/JpegLibrary.h"

namespace tamr {

// Plain data with the standard manager first, so the decoder's pointer to its
// error manager is also a pointer to this.
struct JpegErrorManager {
    jpeg_error_mgr standard{};
    std::jmp_buf jumpPoint{};
    jpeg_progress_mgr progress{};
    int scanLimit = 0;
};

static_assert(std::is_standard_layout_v<JpegErrorManager>);
static_assert(std::is_trivially_destructible_v<JpegErrorManager>);

// Sets up manager and returns the pointer for the decompressor's err field.
// A fatal error longjmps to manager.jumpPoint with the value 1.
jpeg_error_mgr* UseErrorManager(JpegErrorManager& manager);

// Makes a file with more than scanLimit scans fail as a fatal error does.
// Damaged files can repeat a scan any number of times, and the decoder reads
// each one over the whole picture again; this keeps the work bounded.
void LimitScans(jpeg_decompress_struct& decompressor, JpegErrorManager& manager, int scanLimit);

} // namespace tamr
