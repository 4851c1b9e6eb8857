// AddErrorLogEntry from other threads: every entry arrives, in each thread's order, and a main
// thread that is not running its loop never deadlocks a worker.
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<EventLogWindowController> makeLog()
{
    return EventLogWindowController::eventLogWithName(QStringLiteral("Thread Log"), 0);
}

// Starts a worker that logs `message` once, and says when the call has returned.
std::thread logOnce(EventLogWindowController *log, const QString &message, std::promise<void> &returned)
{
    return std::thread([log, message, &returned] {
        AddErrorLogEntry(log, message);
        returned.set_value();
    });
}

} // namespace

TEST(EventLogThreads, EntriesOfManyWorkersAllArriveInTheirOrder)
{
    constexpr int kWorkers = 4;
    constexpr int kEntriesPerWorker = 2500;
    auto log = makeLog();
    std::atomic<int> finishedWorkers{0};
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&log, &finishedWorkers, worker] {
            for (int entry = 0; entry < kEntriesPerWorker; ++entry)
                AddErrorLogEntry(log.get(), QStringLiteral("worker %1 entry %2").arg(worker).arg(entry));
            ++finishedWorkers;
        });
    }
    const bool finished = ProcessProbe::runEventLoopUntil([&] { return finishedWorkers == kWorkers; }, 120000);
    // Each call returned only after its entry was in the log, so nothing may still be on its way.
    const uint32_t countWhenReturned = log->errorCount();
    for (std::thread &worker : workers)
        worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(countWhenReturned, uint32_t(kWorkers * kEntriesPerWorker));

    std::vector<int> nextEntry(kWorkers, 0);
    const QRegularExpression pattern(QStringLiteral("^worker (\\d) entry (\\d+)$"));
    const QStringList lines = log->logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kWorkers * kEntriesPerWorker);
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        const int worker = match.captured(1).toInt();
        ASSERT_EQ(match.captured(2).toInt(), nextEntry[worker]) << "worker " << worker << " out of order";
        ++nextEntry[worker];
    }
}

TEST(EventLogThreads, WorkerThatTheMainThreadJoinsGoesOnAndItsEntryArrivesLater)
{
    auto log = makeLog();
    std::promise<void> returned;
    std::future<void> returnedFuture = returned.get_future();
    const auto started = Clock::now();
    std::thread worker = logOnce(log.get(), QStringLiteral("logged while joined"), returned);

    // The main thread waits for the worker without running its loop, as a join does.
    const bool workerReturned = returnedFuture.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    const auto waited = Clock::now() - started;
    if (!workerReturned) {
        // A deadlock: let the loop free the worker so the test program can still end.
        ProcessProbe::runEventLoopUntil([&] { return returnedFuture.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    }
    worker.join();
    ASSERT_TRUE(workerReturned);
    EXPECT_LT(waited, std::chrono::milliseconds(kEventLogHandOffWaitMilliseconds) + std::chrono::seconds(5));

    EXPECT_EQ(log->errorCount(), 0u) << "the main thread has not run its loop yet";
    EXPECT_TRUE(ProcessProbe::runEventLoopUntil([&] { return log->errorCount() == 1; }));
    EXPECT_EQ(log->logText(), QStringLiteral("logged while joined\n"));
}

TEST(EventLogThreads, LateEntryForALogThatIsGoneIsDropped)
{
    auto log = makeLog();
    std::promise<void> returned;
    std::thread worker = logOnce(log.get(), QStringLiteral("too late"), returned);
    worker.join();
    log.reset();
    // Under the sanitizers a use of the deleted log would stop the test here.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

TEST(EventLogThreads, WorkerWithoutALogReachesTheGlobalLogVerbatim)
{
    // Created on the main thread first: a worker never makes the window.
    EventLogWindowController *global = GetGlobalEventLog();
    ASSERT_NE(global, nullptr);
    const uint32_t errorsBefore = global->errorCount();
    const QString message = QStringLiteral("Cannot fetch http://example.org/%n%s%d%x?q=100%25");

    std::atomic<bool> sawNoGlobalLog{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        sawNoGlobalLog = GetGlobalEventLog() == nullptr;
        AddErrorLogEntry(nullptr, message);
        done = true;
    });
    const bool finished = ProcessProbe::runEventLoopUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(sawNoGlobalLog);
    EXPECT_EQ(global->errorCount(), errorsBefore + 1);
    EXPECT_TRUE(global->logText().endsWith(message + QLatin1Char('\n')));
}
