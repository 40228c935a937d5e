// The desktop's background-job runner.

#include <sys/resource.h>

#include <QtTest>
#include <cerrno>
#include <optional>

#include "gui/JobRunner.h"

using tamr::qt::JobRunner;

namespace {

int ThisThreadsNiceValue()
{
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

} // namespace

class JobRunnerTest : public QObject {
    Q_OBJECT

private slots:
    // Work runs at a lower priority than the thread that asked for it, so
    // that busy processors still answer the user first.
    void WorkRunsBelowTheUserInterfaceThread()
    {
        const int mine = ThisThreadsNiceValue();
        if (mine >= 19)
            QSKIP("this thread already runs at the lowest priority");
        JobRunner runner;
        std::optional<int> theirs;
        runner.Start([] { return ThisThreadsNiceValue(); }, [&theirs](int nice) { theirs = nice; });
        QTRY_VERIFY_WITH_TIMEOUT(theirs.has_value(), 20000);
        QVERIFY2(*theirs > mine, qPrintable(QStringLiteral("%1 against %2").arg(*theirs).arg(mine)));
        QCOMPARE(ThisThreadsNiceValue(), mine);
    }
};

QTEST_MAIN(JobRunnerTest)
#include "job_runner_test.moc"
