#pragma once
// What a command says on standard error beside its errors: the global
// --quiet and --progress.

#include <unistd.h>

namespace tamr {

enum class ProgressMode { Auto, Always, Never };

struct ConsoleOptions {
    // Only errors on standard error: no notices, no choices, no progress bar.
    bool quiet = false;
    ProgressMode progress = ProgressMode::Auto;

    // Auto: when standard error is a terminal.
    bool ShowsProgress() const
    {
        if (quiet || progress == ProgressMode::Never)
            return false;
        return progress == ProgressMode::Always || isatty(STDERR_FILENO) == 1;
    }
};

} // namespace tamr
