#pragma once
// Work done on a thread of its own while the user-interface thread goes on;
// the result comes back on the user-interface thread. One piece of work runs
// at a time: a new request while one runs waits, replacing any request that
// was waiting, and the running one's result is then dropped as out of date.

#include <QTimer>
#include <chrono>
#include <functional>
#include <future>
#include <optional>

namespace tamr::qt {

template <typename Result> class BackgroundJob {
public:
    using Work = std::function<Result()>;
    using Done = std::function<void(Result)>;

    explicit BackgroundJob(Done done) : done_(std::move(done))
    {
        timer_.setInterval(std::chrono::milliseconds(10));
        timer_.callOnTimeout([this] { Poll(); });
    }
    // The thread is waited for: it reads what its owner holds.
    ~BackgroundJob()
    {
        if (future_.valid())
            future_.wait();
    }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void Start(Work work)
    {
        if (future_.valid()) {
            waiting_ = std::move(work);
            return;
        }
        future_ = std::async(std::launch::async, std::move(work));
        timer_.start();
    }

    bool Busy() const { return future_.valid() || waiting_.has_value(); }

    // Blocks until the newest request's result has been handed over (for tests).
    void Finish()
    {
        while (future_.valid()) {
            future_.wait();
            Poll();
        }
    }

private:
    void Poll()
    {
        if (!future_.valid() || future_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        Result result = future_.get();
        if (waiting_) {
            future_ = std::async(std::launch::async, std::move(*waiting_));
            waiting_.reset();
            return;
        }
        timer_.stop();
        done_(std::move(result));
    }

    Done done_;
    QTimer timer_;
    std::future<Result> future_;
    std::optional<Work> waiting_;
};

} // namespace tamr::qt
