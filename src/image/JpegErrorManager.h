#pragma once
// The decoder's error manager: libjpeg's standard one, whose fatal-error exit
// prints the message on stderr and returns to the reader's jump point instead
// of ending the program.

#include <csetjmp>
#include <type_traits>

#include "image/JpegLibrary.h"

namespace tamr {

// Plain data with the standard manager first, so the decoder's pointer to its
// error manager is also a pointer to this.
struct JpegErrorManager {
    jpeg_error_mgr standard{};
    std::jmp_buf jumpPoint{};
    void (*standardEmit)(j_common_ptr, int) = nullptr;
    long warningLimit = 0;
};

static_assert(std::is_standard_layout_v<JpegErrorManager>);
static_assert(std::is_trivially_destructible_v<JpegErrorManager>);

// Sets up manager and returns the pointer for the decompressor's err field.
// A fatal error longjmps to manager.jumpPoint with the value 1. Corrupt data
// makes the decoder warn and carry on; more than warningLimit warnings are
// taken as fatal, because every damaged scan is otherwise decoded in full again.
jpeg_error_mgr* UseErrorManager(JpegErrorManager& manager, long warningLimit);

} // namespace tamr
