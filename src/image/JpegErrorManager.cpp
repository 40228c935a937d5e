#include "image/JpegErrorManager.h"

#include <cstdio>

namespace tamr {
namespace {

JpegErrorManager& ManagerOf(j_common_ptr decoder)
{
    return *reinterpret_cast<JpegErrorManager*>(decoder->err);
}

[[noreturn]] void ExitToReader(j_common_ptr decoder)
{
    (*decoder->err->output_message)(decoder);
    std::longjmp(ManagerOf(decoder).jumpPoint, 1);
}

// Called before the decoder takes in more input: between scans among others.
void CheckScanCount(j_common_ptr decoder)
{
    if (decoder->is_decompressor == 0)
        return;
    const JpegErrorManager& manager = ManagerOf(decoder);
    if (reinterpret_cast<j_decompress_ptr>(decoder)->input_scan_number > manager.scanLimit) {
        std::fprintf(stderr, "JPEG file has more than %d scans\n", manager.scanLimit);
        std::longjmp(ManagerOf(decoder).jumpPoint, 1);
    }
}

} // namespace

jpeg_error_mgr* UseErrorManager(JpegErrorManager& manager)
{
    jpeg_std_error(&manager.standard);
    manager.standard.error_exit = ExitToReader;
    return &manager.standard;
}

void LimitScans(jpeg_decompress_struct& decompressor, JpegErrorManager& manager, int scanLimit)
{
    manager.scanLimit = scanLimit;
    manager.progress.progress_monitor = CheckScanCount;
    decompressor.progress = &manager.progress;
}

} // namespace tamr
