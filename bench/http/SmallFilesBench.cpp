// Many small files from a loopback nginx, one after another, four ways in the same run on the
// same list, alternating the order each round:
//   tool    what the download tools do per address: a new InternetFileDownload (no connection
//           reuse), its body saved under a free name with an exclusive create;
//   reuse   one HTTP engine with persistent connections, each body saved the same way;
//   curl    one curl process given the whole list with -K (sequential, reusing connections);
//   wget    one wget process given the list with -i.
//
//   small_files_bench [--files N] [--size BYTES] [--rounds N]
//
// The last line of standard output is one JSON object; the exit status is 0 when every side got
// every file whole, 1 when one did not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "platform/UniqueFileName.h"
#include "site-downloader/http/CFHTTPEngine.h"
#include "site-downloader/http/InternetFileDownload.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: small_files_bench [--files N] [--size BYTES] [--rounds N]\n");
    return 2;
}

QString servedName(int index)
{
    return QStringLiteral("file%1.bin").arg(index, 5, 10, QLatin1Char('0'));
}

// Every address of the list fetched by one of our two paths; `fetch` starts the address with
// the given index and calls `done` with the body (or nothing) when it has finished.
class SequentialRun
{
public:
    using Done = std::function<void(const std::optional<QByteArray> &body)>;
    using Fetch = std::function<void(int index, Done done)>;

    SequentialRun(const QList<QByteArray> &addresses, QString folder) : _addresses(addresses), _folder(std::move(folder)) {}

    // Seconds for the whole list; `saved` counts the bodies written whole.
    double run(const Fetch &fetch)
    {
        QElapsedTimer clock;
        clock.start();
        _fetch = fetch;
        next(0);
        QCoreApplication::exec();
        return clock.nsecsElapsed() / 1e9;
    }
    int saved = 0;

private:
    void next(int index)
    {
        if (index >= _addresses.size()) {
            QCoreApplication::exit(0);
            return;
        }
        _fetch(index, [this, index](const std::optional<QByteArray> &body) {
            if (body && WriteUniqueFileInDirectory(servedName(index), _folder, *body, nullptr) == kNoErr)
                ++saved;
            // The next request starts from the event loop, not from inside the completion.
            QTimer::singleShot(0, [this, index] { next(index + 1); });
        });
    }

    const QList<QByteArray> &_addresses;
    const QString _folder;
    Fetch _fetch;
};

struct DownloadCompletion final : InternetFileDownloadDelegate {
    void internetFileDownloadComplete(InternetFileDownload *, Status status,
                                      const std::shared_ptr<InternetFileDownloadResponse> &response) override
    {
        done(status == kNoErr && response && response->_data ? response->_data : std::nullopt);
    }
    SequentialRun::Done done;
};

double runThroughDownloads(const QList<QByteArray> &addresses, const QString &folder, int *saved)
{
    SequentialRun run(addresses, folder);
    DownloadCompletion completion;
    std::unique_ptr<InternetFileDownload> download;
    const double seconds = run.run([&](int index, SequentialRun::Done done) {
        completion.done = std::move(done);
        // As the tools do: the previous download goes, a new one is made for the next address.
        download = std::make_unique<InternetFileDownload>(QString::fromUtf8(addresses.at(index)), &completion, nullptr);
        download->setTimeout(8.0f);
        if (download->start() != kNoErr)
            completion.done(std::nullopt);
    });
    *saved = run.saved;
    return seconds;
}

void engineCompletion(CFHTTPEngine *engine, int32_t event, Status status, void *doneContext)
{
    if (event != kCFHTTPEngineEventComplete)
        return;
    auto *done = static_cast<SequentialRun::Done *>(doneContext);
    const bool whole = status == kNoErr && engine->response.headers && engine->response.data;
    (*done)(whole ? engine->response.data : std::nullopt);
}

double runThroughOneEngine(const QList<QByteArray> &addresses, const QString &folder, int *saved)
{
    CFHTTPEngine *engine = nullptr;
    if (CFHTTPEngineCreate(&engine) != kNoErr)
        return -1;
    SequentialRun run(addresses, folder);
    SequentialRun::Done current;
    const double seconds = run.run([&](int index, SequentialRun::Done done) {
        current = std::move(done);
        if (CFHTTPEngineSendRequest(engine, addresses.at(index), "GET", nullptr, nullptr,
                                    kCFHTTPEngineFlagPersistentConnection, 8, engineCompletion, &current, nullptr)
            != kNoErr)
            current(std::nullopt);
    });
    CFHTTPEngineRelease(engine);
    *saved = run.saved;
    return seconds;
}

// How many files in `folder` have exactly `size` bytes.
int wholeFilesIn(const QString &folder, qint64 size)
{
    int count = 0;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files))
        count += file.size() == size ? 1 : 0;
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int fileCount = 2000;
    qint64 size = 4096;
    int rounds = 3;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        bool ok = false;
        if (arguments[index] == QLatin1String("--files") && index + 1 < arguments.size())
            fileCount = arguments[++index].toInt(&ok);
        else if (arguments[index] == QLatin1String("--size") && index + 1 < arguments.size())
            size = arguments[++index].toLongLong(&ok);
        else if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        if (!ok || fileCount < 1 || size < 1 || rounds < 1)
            return usage();
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 2;
    const QString site = scratch.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    QByteArray body(size, '\0');
    for (int index = 0; index < fileCount; ++index) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(body.data()), size / 4);
        QFile file(QDir(site).filePath(servedName(index)));
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != size)
            return 2;
    }
    NginxServer server(site);
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
    std::fill(std::begin(best), std::end(best), 1e100);
    QJsonArray runs[SideCount];
    bool complete = true;

    for (int round = 0; round < rounds; ++round) {
        int order[SideCount] = {Tool, Reuse, Curl, Wget};
        if (round % 2)
            std::reverse(std::begin(order), std::end(order));
        for (int side : order) {
            const QString folder = scratch.filePath(QStringLiteral("%1-%2").arg(sideNames[side]).arg(round));
            QDir().mkpath(folder);
            double seconds = -1;
            int saved = 0;
            if (side == Tool) {
                seconds = runThroughDownloads(addresses, folder, &saved);
            } else if (side == Reuse) {
                seconds = runThroughOneEngine(addresses, folder, &saved);
            } else if (side == Curl) {
                QFile config(folder + QStringLiteral(".curlrc"));
                if (!config.open(QIODevice::WriteOnly))
                    return 2;
                for (int index = 0; index < fileCount; ++index)
                    config.write("url = \"" + addresses.at(index) + "\"\noutput = \""
                                 + QFile::encodeName(QDir(folder).filePath(servedName(index))) + "\"\n");
                config.close();
                const ChildRun curl = RunDrainedChild(
                    {"/usr/bin/curl", "curl", "-s", "-K", QFile::encodeName(config.fileName())});
                seconds = curl.exitStatus == 0 ? curl.seconds : -1;
            } else {
                QFile list(folder + QStringLiteral(".list"));
                if (!list.open(QIODevice::WriteOnly))
                    return 2;
                for (const QByteArray &address : addresses)
                    list.write(address + '\n');
                list.close();
                const ChildRun wget = RunDrainedChild({"/usr/bin/wget", "wget", "-q", "-i",
                                                       QFile::encodeName(list.fileName()), "-P",
                                                       QFile::encodeName(folder)});
                seconds = wget.exitStatus == 0 ? wget.seconds : -1;
            }
            const int whole = wholeFilesIn(folder, size);
            const bool sideComplete = seconds > 0 && whole == fileCount && (side >= Curl || saved == fileCount);
            complete &= sideComplete;
            if (seconds > 0)
                best[side] = std::min(best[side], seconds);
            runs[side].append(seconds);
            std::fprintf(stderr, "round %d: %s %.3f s, %d of %d files whole\n", round + 1, sideNames[side], seconds,
                         whole, fileCount);
            QDir(folder).removeRecursively();
        }
    }

    QJsonObject figures;
    figures[QStringLiteral("files")] = fileCount;
    figures[QStringLiteral("file_bytes")] = size;
    for (int side = 0; side < SideCount; ++side) {
        figures[QStringLiteral("%1_seconds").arg(sideNames[side])] = best[side];
        figures[QStringLiteral("%1_runs").arg(sideNames[side])] = runs[side];
    }
    figures[QStringLiteral("ratio_reuse_to_curl")] = best[Reuse] / best[Curl];
    figures[QStringLiteral("ratio_tool_to_curl")] = best[Tool] / best[Curl];
    figures[QStringLiteral("ratio_tool_to_wget")] = best[Tool] / best[Wget];
    figures[QStringLiteral("ratio_reuse_to_wget")] = best[Reuse] / best[Wget];
    figures[QStringLiteral("complete")] = complete;
    PrintFigures(figures);
    return complete ? 0 : 1;
}
