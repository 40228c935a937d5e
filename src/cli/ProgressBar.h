#pragma once
// A one-line progress bar on the terminal for the commands that run many jobs.

#include <cstdio>
#include <mutex>
#include <string>

namespace tamr {

// Redraws a one-line bar on standard error when `shown` (--progress).
class ProgressBar {
public:
    ProgressBar(std::size_t total, bool shown) : total_(total), shown_(shown) { Draw(0); }

    void Advance()
    {
        const std::lock_guard lock(mutex_);
        Draw(++done_);
        if (done_ == total_ && shown_)
            std::fputc('\n', stderr);
    }

private:
    void Draw(std::size_t done) const
    {
        if (!shown_ || total_ == 0)
            return;
        constexpr std::size_t kWidth = 30;
        const std::size_t filled = done * kWidth / total_;
        std::fprintf(stderr, "\r[%s%s] %zu/%zu", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), done, total_);
        std::fflush(stderr);
    }

    std::mutex mutex_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
};

} // namespace tamr
