// Many small files from a loopback nginx, one after another, four ways in the same run on the
// same list, alternating the order each round:
//   tool    what the batch downloader does per address: a new InternetFileDownload (no
//           connection reuse) with the tools' time-out, its body saved by the tools' own
//           SaveDownloadedFile, the next address started from inside the completion;
//   reuse   one HTTP engine with persistent connections, each body saved the same way;
//   curl    one curl process given the whole list with -K (sequential, reusing connections);
//   wget    one wget process given the list with -i.
//
//   small_files_bench [--files N] [--size BYTES] [--rounds N] [--folder DIR]
//
// DIR (a fresh folder is made inside it) holds the downloaded copies; a tmpfs such as /dev/shm
// takes the disk out of the comparison. The last line of standard output is one JSON object; the
// exit status is 0 when every side got every file whole with one request each and the reuse side
// kept its connection, 1 when not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "site-downloader/http/CFHTTPEngine.h"
#include "site-downloader/http/InternetFileDownload.h"
#include "site-downloader/tools/DownloadToolFiles.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

// nginx's own count of the connections it accepted and the requests it served.
const char kCounterPath[] = "/served-counters";

int usage()
{
    std::fprintf(stderr, "usage: small_files_bench [--files N] [--size BYTES] [--rounds N] [--folder DIR]\n");
    return 2;
}

QString servedName(int index)
{
    return QStringLiteral("file%1.bin").arg(index, 5, 10, QLatin1Char('0'));
}

double ownCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct SideRun {
    double seconds = -1;   // negative: the side failed
    double cpuSeconds = 0; // the client's processor time: this process, or the peer's child
    int saved = 0;         // bodies our paths wrote whole; the peers write their own
};

// What the batch downloader does with its list: each completion saves the body, then starts the
// next address at once, the new download replacing the finished one inside its own completion.
class ToolPathRun final : public InternetFileDownloadDelegate
{
public:
    ToolPathRun(const QList<QByteArray> &addresses, QString folder) : _addresses(addresses), _folder(std::move(folder)) {}

    SideRun run()
    {
        SideRun result;
        const double cpuBefore = ownCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        startNextDownload();
        if (_failed || QCoreApplication::exec() != 0)
            return result;
        result.seconds = clock.nsecsElapsed() / 1e9;
        result.cpuSeconds = ownCpuSeconds() - cpuBefore;
        result.saved = _saved;
        return result;
    }

    void internetFileDownloadComplete(InternetFileDownload *, Status status,
                                      const std::shared_ptr<InternetFileDownloadResponse> &response) override
    {
        if (IsSuccessfulDownload(status, response) && SaveDownloadedFile(*response, _folder, nullptr) == kNoErr)
            ++_saved;
        ++_current;
        startNextDownload();
    }

private:
    void startNextDownload()
    {
        if (_current >= _addresses.size()) {
            QCoreApplication::exit(0);
            return;
        }
        auto download = std::make_unique<InternetFileDownload>(QString::fromUtf8(_addresses.at(_current)), this, nullptr);
        download->setTimeout(kDownloadToolTimeoutSeconds);
        if (download->start() != kNoErr) {
            _failed = true;
            QCoreApplication::exit(1);
            return;
        }
        _download = std::move(download);
    }

    const QList<QByteArray> &_addresses;
    const QString _folder;
    std::unique_ptr<InternetFileDownload> _download;
    qsizetype _current = 0;
    int _saved = 0;
    bool _failed = false;
};

// One engine for the whole list, asked to keep its connection; the next request is sent from the
// event loop, since a send discards the request whose completion is being delivered.
class ReusePathRun final
{
public:
    ReusePathRun(const QList<QByteArray> &addresses, QString folder) : _addresses(addresses), _folder(std::move(folder)) {}

    SideRun run()
    {
        SideRun result;
        if (CFHTTPEngineCreate(&_engine) != kNoErr)
            return result;
        const double cpuBefore = ownCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        sendNext();
        const int exitCode = _failed ? 1 : QCoreApplication::exec();
        const double seconds = clock.nsecsElapsed() / 1e9;
        result.cpuSeconds = ownCpuSeconds() - cpuBefore;
        CFHTTPEngineRelease(_engine);
        _engine = nullptr;
        if (exitCode == 0)
            result.seconds = seconds;
        result.saved = _saved;
        return result;
    }

private:
    static void completion(CFHTTPEngine *engine, int32_t event, Status status, void *refCon)
    {
        if (event == kCFHTTPEngineEventComplete)
            static_cast<ReusePathRun *>(refCon)->finished(engine, status);
    }

    void finished(CFHTTPEngine *engine, Status status)
    {
        InternetFileDownloadResponse response;
        response._originalURL = QString::fromUtf8(_addresses.at(_current));
        if (status == kNoErr && engine->response.headers && engine->response.headers->statusCode == 200)
            response._data = engine->response.data.value_or(QByteArray());
        if (response._data && SaveDownloadedFile(response, _folder, nullptr) == kNoErr)
            ++_saved;
        ++_current;
        QTimer::singleShot(0, [this] { sendNext(); });
    }

    void sendNext()
    {
        if (_current >= _addresses.size()) {
            QCoreApplication::exit(0);
            return;
        }
        if (CFHTTPEngineSendRequest(_engine, _addresses.at(_current), "GET", nullptr, nullptr,
                                    kCFHTTPEngineFlagPersistentConnection, kDownloadToolTimeoutSeconds, completion,
                                    this, nullptr)
            != kNoErr) {
            _failed = true;
            QCoreApplication::exit(1);
        }
    }

    const QList<QByteArray> &_addresses;
    const QString _folder;
    CFHTTPEngine *_engine = nullptr;
    qsizetype _current = 0;
    int _saved = 0;
    bool _failed = false;
};

SideRun runPeer(const std::vector<QByteArray> &arguments)
{
    const ChildRun child = RunDrainedChild(arguments, 2000);
    SideRun result;
    if (child.exitStatus != 0) {
        std::fprintf(stderr, "%s ended with status %d: %s\n", arguments.at(1).constData(), child.exitStatus,
                     child.output.constData());
        return result;
    }
    result.seconds = child.seconds;
    result.cpuSeconds = child.cpuSeconds;
    return result;
}

struct ServedCounters {
    qint64 connections = -1;
    qint64 requests = -1;
};

// Read outside the timed runs, by a curl of its own: the answer counts that curl's connection
// and request too.
ServedCounters readServedCounters(const NginxServer &server)
{
    const ChildRun child = RunDrainedChild(
        {"/usr/bin/curl", "curl", "-s", server.url(QLatin1String(kCounterPath)).toUtf8()}, 4000);
    // "Active connections: 1 \nserver accepts handled requests\n 7 7 9 \nReading: ..."
    const QList<QByteArray> lines = child.output.split('\n');
    ServedCounters counters;
    if (child.exitStatus != 0 || lines.size() < 3)
        return counters;
    const QList<QByteArray> figures = lines.at(2).simplified().split(' ');
    if (figures.size() == 3) {
        counters.connections = figures.at(0).toLongLong();
        counters.requests = figures.at(2).toLongLong();
    }
    return counters;
}

// How many of the served files `folder` holds byte for byte, under their own names.
int identicalFilesIn(const QString &folder, const QString &site, int fileCount)
{
    int count = 0;
    for (int index = 0; index < fileCount; ++index) {
        QFile copy(QDir(folder).filePath(servedName(index)));
        QFile original(QDir(site).filePath(servedName(index)));
        if (copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly) && copy.readAll() == original.readAll())
            ++count;
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int fileCount = 2000;
    qint64 size = 4096;
    int rounds = 3;
    QString outputParent;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        bool ok = false;
        if (arguments[index] == QLatin1String("--files") && index + 1 < arguments.size())
            fileCount = arguments[++index].toInt(&ok);
        else if (arguments[index] == QLatin1String("--size") && index + 1 < arguments.size())
            size = arguments[++index].toLongLong(&ok);
        else if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        else if (arguments[index] == QLatin1String("--folder") && index + 1 < arguments.size())
            outputParent = arguments[++index], ok = !outputParent.isEmpty();
        if (!ok || fileCount < 1 || size < 1 || rounds < 1)
            return usage();
    }

    QTemporaryDir scratch;
    // The copies go into a folder of their own, so that a tmpfs can hold them alone.
    std::unique_ptr<QTemporaryDir> copies =
        outputParent.isEmpty() ? std::make_unique<QTemporaryDir>()
                               : std::make_unique<QTemporaryDir>(QDir(outputParent).filePath(QStringLiteral("small-files-XXXXXX")));
    if (!scratch.isValid() || !copies->isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(copies->errorString()));
        return 2;
    }
    const QString site = scratch.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    // Random bytes: a body that went under another file's name cannot pass for it.
    QByteArray body(size, '\0');
    for (int index = 0; index < fileCount; ++index) {
        for (qint64 offset = 0; offset < size; ++offset)
            body[offset] = static_cast<char>(QRandomGenerator::global()->generate());
        QFile file(QDir(site).filePath(servedName(index)));
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != size)
            return 2;
    }
    NginxServer server(site, QStringLiteral("        location = %1 { stub_status; }\n").arg(QLatin1String(kCounterPath)));
    QString problem;
    if (!server.start(&problem)) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(problem));
        return 2;
    }
    QList<QByteArray> addresses;
    for (int index = 0; index < fileCount; ++index)
        addresses.append(server.url(QLatin1Char('/') + servedName(index)).toUtf8());

    enum Side { Tool, Reuse, Curl, Wget, SideCount };
    const char *const sideNames[SideCount] = {"tool", "reuse", "curl", "wget"};
    double best[SideCount];
    double bestCpu[SideCount];
    std::fill(std::begin(best), std::end(best), -1.0);
    std::fill(std::begin(bestCpu), std::end(bestCpu), -1.0);
    QJsonArray runs[SideCount];
    QJsonArray connections[SideCount];
    QJsonArray requests[SideCount];
    bool complete = true;
    bool countsAgree = true;

    for (int round = 0; round < rounds; ++round) {
        int order[SideCount] = {Tool, Reuse, Curl, Wget};
        if (round % 2)
            std::reverse(std::begin(order), std::end(order));
        for (int side : order) {
            // Every folder stays until the end: on ext4, creating files right after deleting
            // thousands is slower, and that would land on whichever side runs next.
            const QString folder = copies->filePath(QStringLiteral("%1-%2").arg(sideNames[side]).arg(round));
            QDir().mkpath(folder);
            const ServedCounters before = readServedCounters(server);
            SideRun run;
            if (side == Tool) {
                run = ToolPathRun(addresses, folder).run();
            } else if (side == Reuse) {
                run = ReusePathRun(addresses, folder).run();
            } else if (side == Curl) {
                QFile config(scratch.filePath(QStringLiteral("curl-%1.config").arg(round)));
                if (!config.open(QIODevice::WriteOnly))
                    return 2;
                for (int index = 0; index < fileCount; ++index)
                    config.write("url = \"" + addresses.at(index) + "\"\noutput = \""
                                 + QFile::encodeName(QDir(folder).filePath(servedName(index))) + "\"\n");
                config.close();
                run = runPeer({"/usr/bin/curl", "curl", "-s", "-S", "-f", "-K", QFile::encodeName(config.fileName())});
            } else {
                QFile list(scratch.filePath(QStringLiteral("wget-%1.list").arg(round)));
                if (!list.open(QIODevice::WriteOnly))
                    return 2;
                for (const QByteArray &address : addresses)
                    list.write(address + '\n');
                list.close();
                run = runPeer({"/usr/bin/wget", "wget", "-q", "-i", QFile::encodeName(list.fileName()), "-P",
                               QFile::encodeName(folder)});
            }
            const ServedCounters after = readServedCounters(server);
            const qint64 sideConnections =
                before.connections < 0 || after.connections < 0 ? -1 : after.connections - before.connections - 1;
            const qint64 sideRequests =
                before.requests < 0 || after.requests < 0 ? -1 : after.requests - before.requests - 1;
            const int identical = identicalFilesIn(folder, site, fileCount);
            const bool sideComplete =
                run.seconds > 0 && identical == fileCount && (side >= Curl || run.saved == fileCount);
            complete &= sideComplete;
            // Without nginx's counters (-1) the sides are compared on their files alone. With
            // them, one request per file and no more; and the reuse side, the goal figure's, on
            // one connection (none when it found the last round's still open), else it measured
            // something other than reuse.
            if (sideRequests >= 0 && sideRequests != fileCount)
                countsAgree = false;
            if (side == Reuse && sideConnections > 1)
                countsAgree = false;
            if (run.seconds > 0 && (best[side] < 0 || run.seconds < best[side]))
                best[side] = run.seconds;
            if (run.seconds > 0 && (bestCpu[side] < 0 || run.cpuSeconds < bestCpu[side]))
                bestCpu[side] = run.cpuSeconds;
            runs[side].append(run.seconds);
            connections[side].append(sideConnections);
            requests[side].append(sideRequests);
            std::fprintf(stderr, "round %d: %-5s %.3f s (cpu %.3f s), %d of %d files identical, %lld connections\n",
                         round + 1, sideNames[side], run.seconds, run.cpuSeconds, identical, fileCount,
                         static_cast<long long>(sideConnections));
        }
    }

    QJsonObject figures;
    figures[QStringLiteral("files")] = fileCount;
    figures[QStringLiteral("file_bytes")] = size;
    for (int side = 0; side < SideCount; ++side) {
        figures[QStringLiteral("%1_seconds").arg(sideNames[side])] = best[side];
        figures[QStringLiteral("%1_cpu_seconds").arg(sideNames[side])] = bestCpu[side];
        figures[QStringLiteral("%1_runs").arg(sideNames[side])] = runs[side];
        figures[QStringLiteral("%1_connections").arg(sideNames[side])] = connections[side];
        figures[QStringLiteral("%1_requests").arg(sideNames[side])] = requests[side];
    }
    auto ratio = [&](int side, int peer) { return best[side] > 0 && best[peer] > 0 ? best[side] / best[peer] : -1.0; };
    figures[QStringLiteral("ratio_reuse_to_curl")] = ratio(Reuse, Curl);
    figures[QStringLiteral("ratio_tool_to_curl")] = ratio(Tool, Curl);
    figures[QStringLiteral("ratio_tool_to_wget")] = ratio(Tool, Wget);
    figures[QStringLiteral("ratio_reuse_to_wget")] = ratio(Reuse, Wget);
    figures[QStringLiteral("ratio_reuse_to_curl_cpu")] =
        bestCpu[Reuse] > 0 && bestCpu[Curl] > 0 ? bestCpu[Reuse] / bestCpu[Curl] : -1.0;
    figures[QStringLiteral("complete")] = complete;
    figures[QStringLiteral("counts_agree")] = countsAgree;
    PrintFigures(figures);
    return complete && countsAgree ? 0 : 1;
}
