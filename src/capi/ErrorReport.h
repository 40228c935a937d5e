#pragma once
// How the C interface reports: a status, and its message in the caller's
// tamr_error; no exception leaves the library.

#include <new>
#include <string_view>

#include "platform/Failure.h"
#include "tamr/tamr.h"

namespace tamr::capi {

// Fills `error` (when given) and returns the status.
tamr_status Report(tamr_error* error, tamr_status status, std::string_view message);
tamr_status Succeed(tamr_error* error);

// The status of a failure of the core.
tamr_status StatusOf(FailureKind kind);

// Runs `body`, which returns a tamr_status; an exception becomes a status.
template <typename Body> tamr_status Guarded(tamr_error* error, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Report(error, TAMR_OUT_OF_MEMORY, tamr_status_text(TAMR_OUT_OF_MEMORY));
    } catch (...) {
        return Report(error, TAMR_FAILED, tamr_status_text(TAMR_FAILED));
    }
}

} // namespace tamr::capi
