#include "capi/ErrorReport.h"

#include <algorithm>

namespace tamr::capi {

tamr_status Report(tamr_error* error, tamr_status status, std::string_view message)
{
    if (error != nullptr) {
        error->status = status;
        const std::size_t length = std::min(message.size(), sizeof error->message - 1);
        // An empty message may have no data at all: copy_n copies nothing then.
        std::copy_n(message.data(), length, error->message);
        error->message[length] = '\0';
    }
    return status;
}

tamr_status Succeed(tamr_error* error)
{
    return Report(error, TAMR_OK, {});
}

tamr_status StatusOf(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Truncated:
    case FailureKind::Corrupt:
        return TAMR_CORRUPT;
    case FailureKind::TooLarge:
        return TAMR_TOO_LARGE;
    case FailureKind::OutOfMemory:
        return TAMR_OUT_OF_MEMORY;
    case FailureKind::Unsupported:
        return TAMR_UNSUPPORTED;
    }
    return TAMR_FAILED;
}

} // namespace tamr::capi
