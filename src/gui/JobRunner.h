#pragma once
// Work done on a thread of its own while the user-interface thread goes on,
// by Qt's worker-object pattern: a worker object living on the runner's
// thread runs one piece of work at a time and sends back, by a queued
// signal, its result wrapped in what is to be done with it on the
// user-interface thread.
//
// A request made while one runs waits, replacing any request already
// waiting; the running one is told to stop through its abort flag and its
// result is dropped as out of date. Work must own what it reads (copies or
// shared pointers): the runner waits for it only when it is destroyed.

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace tamr::qt {

// Set when the work's result is no longer wanted; work that can stop early reads it.
using AbortFlag = std::atomic<bool>;

// Lives on the runner's thread and runs what it is given there.
class JobWorker : public QObject {
    Q_OBJECT

public:
    // What the user-interface thread does with a result.
    using Delivery = std::function<void()>;
    using Work = std::function<Delivery()>;

    void Run(std::uint64_t ticket, const Work& work) { emit Done(ticket, work()); }

signals:
    void Done(std::uint64_t ticket, const Delivery& delivery);
};

class JobRunner : public QObject {
    Q_OBJECT

public:
    explicit JobRunner(QObject* parent = nullptr);
    // Stops the work in hand (abort flag) and waits for it.
    ~JobRunner() override;
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // `work` runs on the runner's thread, called with the abort flag when it
    // takes one; `done` gets its result on the user-interface thread, unless
    // a newer request came meanwhile.
    template <typename Work, typename Done> void Start(Work work, Done done)
    {
        auto abort = std::make_shared<AbortFlag>(false);
        Enqueue(
            [work = std::move(work), done = std::move(done), abort]() mutable -> JobWorker::Delivery {
                using Result = decltype(Call(work, *abort));
                if constexpr (std::is_void_v<Result>) {
                    Call(work, *abort);
                    return [done]() mutable { done(); };
                } else {
                    auto result = std::make_shared<Result>(Call(work, *abort));
                    return [done, result]() mutable { done(std::move(*result)); };
                }
            },
            abort);
    }

    // Work running or waiting.
    bool Busy() const { return running_ || waiting_.has_value(); }
    // Drops the waiting work and tells the running one to stop: no result is delivered.
    void Cancel();
    // For an owner that closes: cancels, and when work is still in hand the
    // application keeps the runner (named `name`) until it has ended unseen,
    // so that closing does not wait for it.
    void CancelAndOutliveOwner(const QString& name);

signals:
    // A result has been handed to its `done` (dropped ones are not).
    void Delivered();
    // Nothing runs or waits any more.
    void Idle();
    // Internal: hands work to the worker.
    void RunRequested(std::uint64_t ticket, const tamr::qt::JobWorker::Work& work);

private:
    struct Request {
        JobWorker::Work work;
        std::shared_ptr<AbortFlag> abort;
    };

    template <typename Work> static auto Call(Work& work, const AbortFlag& abort)
    {
        if constexpr (std::is_invocable_v<Work&, const AbortFlag&>)
            return work(abort);
        else
            return work();
    }

    void Enqueue(JobWorker::Work work, std::shared_ptr<AbortFlag> abort);
    void Launch(Request request);
    void OnDone(std::uint64_t ticket, const JobWorker::Delivery& delivery);

    QThread thread_;
    JobWorker* worker_;
    std::uint64_t ticket_ = 0;
    bool running_ = false;
    std::shared_ptr<AbortFlag> runningAbort_;
    std::optional<Request> waiting_;
};

} // namespace tamr::qt
