// Pendrill's clock and its naming. The clock: a job fetching a loopback resource every second for
// N intervals, measured against the planned times (start + k seconds): the spread of the actual
// fetch starts, and whether the error grows over the run. The naming: choosing the next numbered
// name in a folder that already holds 10,000 numbered files, against a plain scan that asks
// whether each full path exists.
#include "bench/BenchRuns.h"
#include "tests/fixtures/NginxServer.h"
#include "timed-downloader/document/NumberedFiles.h"
#include "timed-downloader/document/TimedDownloadJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>

using Clock = std::chrono::steady_clock;

namespace {

class FetchStartRecorder final : public TimedDownloadJobDelegate
{
public:
    void timedDownloadFetchStarted(TimedDownloadJob *) override { starts.push_back(Clock::now()); }
    std::vector<Clock::time_point> starts;
};

struct ClockFigures {
    int fetches = 0;
    double meanLateMs = 0;
    double spreadMs = 0;     // latest minus earliest deviation from the plan
    double worstLateMs = 0;
    double firstHalfMeanMs = 0;
    double secondHalfMeanMs = 0;
};

ClockFigures measureClock(int intervals, const QString &url, const QString &folder)
{
    TimedDownloadJob job;
    FetchStartRecorder recorder;
    job.setDelegate(&recorder);
    const Clock::time_point planStart = Clock::now();
    job.start(JobSettings{url, QStringLiteral("1"), QStringLiteral("frame"), QStringLiteral("5"), folder});
    while (int(recorder.starts.size()) <= intervals)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    job.stop();
    FileDownloadThread::abandonAll(std::chrono::seconds(10));

    std::vector<double> lateness;
    for (int k = 0; k <= intervals; ++k) {
        const auto planned = planStart + std::chrono::seconds(k);
        lateness.push_back(std::chrono::duration<double, std::milli>(recorder.starts[k] - planned).count());
    }
    ClockFigures figures;
    figures.fetches = int(lateness.size());
    // The first fetch runs at Start itself; the clock's own figures begin with the first tick.
    const std::vector<double> ticks(lateness.begin() + 1, lateness.end());
    figures.meanLateMs = std::accumulate(ticks.begin(), ticks.end(), 0.0) / double(ticks.size());
    const auto [earliest, latest] = std::minmax_element(ticks.begin(), ticks.end());
    figures.spreadMs = *latest - *earliest;
    figures.worstLateMs = *std::max_element(ticks.begin(), ticks.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    const size_t half = ticks.size() / 2;
    figures.firstHalfMeanMs = std::accumulate(ticks.begin(), ticks.begin() + half, 0.0) / double(std::max<size_t>(half, 1));
    figures.secondHalfMeanMs =
        std::accumulate(ticks.begin() + half, ticks.end(), 0.0) / double(std::max<size_t>(ticks.size() - half, 1));
    return figures;
}

// The peer: the first counter whose full path does not exist, asked path by path.
QString plainScan(const QString &folder, const QString &fileName, int digits)
{
    for (uint64_t counter = 1;; ++counter) {
        const QString path = folder + QLatin1Char('/') + NumberedFileName(fileName, counter, digits);
        if (!QFileInfo::exists(path))
            return path;
    }
}

template <typename Work> double bestMilliseconds(int rounds, Work work)
{
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int intervals = 60;
    int existing = 10000;
    int rounds = 5;
    const QStringList arguments = QCoreApplication::arguments();
    for (int index = 1; index < arguments.size(); ++index) {
        if (arguments[index] == QLatin1String("--files") && index + 1 < arguments.size())
            existing = arguments[++index].toInt();
        else if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt();
        else
            intervals = std::max(2, arguments[index].toInt());
    }

    QTemporaryDir work;
    const QString root = work.filePath(QStringLiteral("site"));
    QDir().mkpath(root);
    {
        QFile picture(root + QStringLiteral("/frame.jpg"));
        picture.open(QIODevice::WriteOnly);
        picture.write(QByteArray(20000, 'j'));
    }
    NginxServer server(root);
    QString problem;
    if (!server.start(&problem)) {
        std::fprintf(stderr, "nginx did not start: %s\n", qPrintable(problem));
        return 1;
    }
    const ClockFigures clock = measureClock(intervals, server.url(QStringLiteral("/frame.jpg")), work.filePath(QStringLiteral("frames")));
    const int saved = int(QDir(work.filePath(QStringLiteral("frames"))).entryList(QDir::Files).size());

    const QString folder = work.filePath(QStringLiteral("numbered"));
    QDir().mkpath(folder);
    for (int counter = 1; counter <= existing; ++counter)
        QFile(folder + QLatin1Char('/') + NumberedFileName(QStringLiteral("cam.jpg"), counter, 5)).open(QIODevice::WriteOnly);
    const QString expected = folder + QLatin1Char('/') + NumberedFileName(QStringLiteral("cam.jpg"), existing + 1, 5);
    QString chosen;
    const double scanMs = bestMilliseconds(rounds, [&] { chosen = NextNumberedFilePath(folder, QStringLiteral("cam.jpg"), 5); });
    QString peerChosen;
    const double peerMs = bestMilliseconds(rounds, [&] { peerChosen = plainScan(folder, QStringLiteral("cam.jpg"), 5); });
    QString written;
    const double writeMs = bestMilliseconds(rounds, [&] {
        WriteNumberedFile(folder, QStringLiteral("cam.jpg"), 5, QByteArray(20000, 'j'), &written);
        QFile::remove(written);
    });
    if (chosen != expected || peerChosen != expected || written != expected) {
        std::fprintf(stderr, "wrong name: %s / %s / %s\n", qPrintable(chosen), qPrintable(peerChosen), qPrintable(written));
        return 1;
    }

    QJsonObject figures{
        {"intervals", intervals},
        {"fetches", clock.fetches},
        {"copies_saved", saved},
        {"tick_mean_late_ms", clock.meanLateMs},
        {"tick_spread_ms", clock.spreadMs},
        {"tick_worst_late_ms", clock.worstLateMs},
        {"first_half_mean_late_ms", clock.firstHalfMeanMs},
        {"second_half_mean_late_ms", clock.secondHalfMeanMs},
        {"drift_ms_per_interval", (clock.secondHalfMeanMs - clock.firstHalfMeanMs) / std::max(1.0, intervals / 2.0)},
        {"existing_files", existing},
        {"next_name_ms", scanMs},
        {"plain_scan_ms", peerMs},
        {"plain_scan_over_next_name", peerMs / std::max(scanMs, 1e-6)},
        {"write_numbered_copy_ms", writeMs},
    };
    PrintFigures(figures);
    return 0;
}
