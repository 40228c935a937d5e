#include "gui/JobRunner.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <cerrno>

namespace tamr::qt {

namespace {

// How much lower than the thread that made it a runner's thread runs.
constexpr int kBackgroundNiceness = 5;
constexpr int kLowestPriority = 19;

// Linux keeps a nice value per thread: this lowers the calling thread's
// only, and the threads it starts inherit it.
void LowerThisThreadsPriority()
{
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        (void)setpriority(PRIO_PROCESS, 0, std::min(current + kBackgroundNiceness, kLowestPriority));
}

} // namespace

JobRunner::JobRunner(QObject* parent)
    : QObject(parent), worker_(new JobWorker) // NOLINT(cppcoreguidelines-owning-memory)
{
    worker_->moveToThread(&thread_);
    // The worker goes with its thread's end.
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(this, &JobRunner::RunRequested, worker_, &JobWorker::Run, Qt::QueuedConnection);
    connect(worker_, &JobWorker::Done, this, &JobRunner::OnDone, Qt::QueuedConnection);
    // On processors kept busy by the work (and the coder's own threads), the
    // user-interface thread and the display server still answer at once.
    connect(&thread_, &QThread::started, worker_, &LowerThisThreadsPriority, Qt::DirectConnection);
    thread_.setObjectName(QStringLiteral("tamr job runner"));
    thread_.start();
}

JobRunner::~JobRunner()
{
    waiting_.reset();
    if (runningAbort_)
        *runningAbort_ = true;
    thread_.quit();
    thread_.wait();
}

void JobRunner::Cancel()
{
    waiting_.reset();
    if (runningAbort_)
        *runningAbort_ = true;
}

void JobRunner::CancelAndOutliveOwner(const QString& name)
{
    Cancel();
    if (!Busy() || QCoreApplication::instance() == nullptr)
        return;
    setParent(QCoreApplication::instance());
    setObjectName(name);
    connect(this, &JobRunner::Idle, this, &QObject::deleteLater);
}

void JobRunner::Enqueue(JobWorker::Work work, std::shared_ptr<AbortFlag> abort)
{
    Request request{std::move(work), std::move(abort)};
    if (running_) {
        // The running work is out of date: it may stop, and its result is dropped.
        *runningAbort_ = true;
        waiting_ = std::move(request);
        return;
    }
    Launch(std::move(request));
}

void JobRunner::Launch(Request request)
{
    running_ = true;
    runningAbort_ = std::move(request.abort);
    emit RunRequested(++ticket_, request.work);
}

void JobRunner::OnDone(std::uint64_t ticket, const JobWorker::Delivery& delivery)
{
    if (ticket != ticket_)
        return;
    running_ = false;
    const bool outOfDate = *runningAbort_;
    runningAbort_.reset();
    if (waiting_) {
        Request next = std::move(*waiting_);
        waiting_.reset();
        Launch(std::move(next));
        return;
    }
    if (!outOfDate && delivery) {
        // Taking the result may close the window that owns this runner.
        const QPointer<JobRunner> alive(this);
        delivery();
        if (alive.isNull())
            return;
        emit Delivered();
    }
    if (!Busy())
        emit Idle();
}

} // namespace tamr::qt
