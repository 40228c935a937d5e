#pragma once
// The global options every command takes beside the limits: what it says on
// standard error beside its errors (--quiet and --progress), and how far it
// goes to read a picture (--any-variant).

#include <unistd.h>

namespace tamr {

enum class ProgressMode { Auto, Always, Never };

struct ConsoleOptions {
    // Only errors on standard error: no notices, no choices, no progress bar.
    bool quiet = false;
    ProgressMode progress = ProgressMode::Auto;
    // Variants the program's own readers refuse are read by the general readers.
    bool anyVariant = false;

    // Auto: when standard error is a terminal.
    bool ShowsProgress() const
    {
        if (quiet || progress == ProgressMode::Never)
            return false;
        return progress == ProgressMode::Always || isatty(STDERR_FILENO) == 1;
    }
};

} // namespace tamr
