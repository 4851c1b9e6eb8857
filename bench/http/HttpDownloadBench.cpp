// One large file (sparse, from a loopback nginx) fetched into memory through the HTTP engine on
// the event loop, against `curl -s -o /dev/null` on the same address in the same run, alternating
// the two. Also the engine's peak memory over the body size: the body is held in memory by
// design, so the figure to watch is how far the peak goes beyond it.
//
//   http_download_bench [--size BYTES] [--rounds N]
//
// The last line of standard output is one JSON object; the exit status is 0 when every run got
// the whole file, 1 when one did not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "site-downloader/http/CFHTTPEngine.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/mman.h>
#include <sys/resource.h>

namespace {

constexpr qint64 kDefaultSize = qint64(1) << 30;

int usage()
{
    std::fprintf(stderr, "usage: http_download_bench [--size BYTES] [--rounds N]\n");
    return 2;
}

qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

struct EngineFetch {
    double seconds = 0;
    Status status = 1;
    qint64 bytes = 0;
    int progressEvents = 0;
};

void countEvent(CFHTTPEngine *engine, int32_t event, Status status, void *fetchPointer)
{
    auto *fetch = static_cast<EngineFetch *>(fetchPointer);
    if (event == kCFHTTPEngineEventProgress) {
        ++fetch->progressEvents;
        return;
    }
    fetch->status = status;
    fetch->bytes = engine->response.data ? engine->response.data->size() : -1;
    QCoreApplication::exit(0);
}

// As the downloads use it: asynchronous, progress reported, the body kept until the release.
EngineFetch fetchThroughEngine(const QByteArray &url)
{
    EngineFetch fetch;
    CFHTTPEngine *engine = nullptr;
    if (CFHTTPEngineCreate(&engine) != kNoErr)
        return fetch;
    QElapsedTimer clock;
    clock.start();
    fetch.status = CFHTTPEngineSendRequest(engine, url, "GET", nullptr, nullptr, kCFHTTPEngineFlagReportProgress,
                                           60, countEvent, &fetch, nullptr);
    if (fetch.status == kNoErr) {
        fetch.status = 1;
        QCoreApplication::exec();
    }
    fetch.seconds = clock.nsecsElapsed() / 1e9;
    CFHTTPEngineRelease(engine);
    return fetch;
}

// What the body alone costs: the kernel hands out and clears the pages of a fresh gigabyte,
// which curl writing to /dev/null never needs. Same huge-page advice as the engine.
double secondsToFillFreshMemory(qint64 size)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray buffer;
    buffer.reserve(size);
    const auto begin = reinterpret_cast<uintptr_t>(buffer.data());
    constexpr uintptr_t kHugePageSize = uintptr_t{2} << 20;
    const uintptr_t alignedBegin = (begin + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const uintptr_t alignedEnd = (begin + uintptr_t(size)) & ~(kHugePageSize - 1);
    if (alignedEnd > alignedBegin)
        ::madvise(reinterpret_cast<void *>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
    const QByteArray piece(100 * 1024, '\0');
    while (buffer.size() + piece.size() <= size)
        buffer.append(piece);
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    qint64 size = kDefaultSize;
    int rounds = 3;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        bool ok = false;
        if (arguments[index] == QLatin1String("--size") && index + 1 < arguments.size())
            size = arguments[++index].toLongLong(&ok);
        else if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        if (!ok || size < 0 || rounds < 1)
            return usage();
    }

    QTemporaryDir scratch;
    QFile served(scratch.filePath(QStringLiteral("big.bin")));
    if (!scratch.isValid() || !served.open(QIODevice::WriteOnly) || !served.resize(size))
        return 2;
    served.close();
    NginxServer server(scratch.path());
    QString problem;
    if (!server.start(&problem)) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(problem));
        return 2;
    }
    const QByteArray url = server.url(QStringLiteral("/big.bin")).toUtf8();

    const qint64 baselineBytes = peakResidentBytes();
    double bestEngine = 1e100;
    double bestCurl = 1e100;
    QJsonArray engineRuns;
    QJsonArray curlRuns;
    bool complete = true;
    int progressEvents = 0;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun curl = RunDrainedChild({"/usr/bin/curl", "curl", "-s", "-o", "/dev/null", url});
        complete &= curl.exitStatus == 0;
        bestCurl = std::min(bestCurl, curl.seconds);
        curlRuns.append(curl.seconds);

        const EngineFetch engine = fetchThroughEngine(url);
        complete &= engine.status == kNoErr && engine.bytes == size;
        bestEngine = std::min(bestEngine, engine.seconds);
        engineRuns.append(engine.seconds);
        progressEvents = engine.progressEvents;
        std::fprintf(stderr, "round %d: curl %.3f s, engine %.3f s (status %d)\n", round + 1, curl.seconds,
                     engine.seconds, engine.status);
    }
    const qint64 peakBytes = peakResidentBytes();
    double freshMemorySeconds = 1e100;
    for (int round = 0; round < rounds; ++round)
        freshMemorySeconds = std::min(freshMemorySeconds, secondsToFillFreshMemory(size));

    QJsonObject figures;
    figures[QStringLiteral("bytes")] = size;
    figures[QStringLiteral("ratio")] = bestEngine / bestCurl;
    figures[QStringLiteral("engine_seconds")] = bestEngine;
    figures[QStringLiteral("curl_seconds")] = bestCurl;
    figures[QStringLiteral("engine_runs")] = engineRuns;
    figures[QStringLiteral("curl_runs")] = curlRuns;
    figures[QStringLiteral("fresh_memory_seconds")] = freshMemorySeconds;
    // The engine's time without the cost of holding the body, over curl's.
    figures[QStringLiteral("ratio_without_body_memory")] = (bestEngine - freshMemorySeconds) / bestCurl;
    figures[QStringLiteral("engine_mib_per_second")] = size / bestEngine / (1 << 20);
    figures[QStringLiteral("progress_events")] = progressEvents;
    figures[QStringLiteral("baseline_rss_bytes")] = baselineBytes;
    figures[QStringLiteral("peak_rss_bytes")] = peakBytes;
    // 1.0 would be the body alone; the goal is at most 1.1.
    figures[QStringLiteral("peak_over_body")] = size > 0 ? double(peakBytes - baselineBytes) / double(size) : 0.0;
    figures[QStringLiteral("complete")] = complete;
    PrintFigures(figures);
    return complete ? 0 : 1;
}
