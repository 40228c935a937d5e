#include "image/JpegErrorManager.h"

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

// Warnings (level -1) are counted by the standard handler, which prints the first.
void EmitMessage(j_common_ptr decoder, int level)
{
    JpegErrorManager& manager = ManagerOf(decoder);
    (*manager.standardEmit)(decoder, level);
    if (level < 0 && decoder->err->num_warnings > manager.warningLimit)
        ExitToReader(decoder);
}

} // namespace

jpeg_error_mgr* UseErrorManager(JpegErrorManager& manager, long warningLimit)
{
    jpeg_std_error(&manager.standard);
    manager.standardEmit = manager.standard.emit_message;
    manager.warningLimit = warningLimit;
    manager.standard.error_exit = ExitToReader;
    manager.standard.emit_message = EmitMessage;
    return &manager.standard;
}

} // namespace tamr
