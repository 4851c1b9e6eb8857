// Filling the media viewer's file listing from a folder of many files: the listing's add (walk
// on its worker, rows appended on the main thread, until the listing says it is done) against
// `find DIR -type f` into a drained pipe on the same tree, in alternating rounds, warm cache.
#include "bench/BenchRuns.h"
#include "site-downloader/media/viewer/FileListingTableView.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

struct ListingRun {
    double seconds = 0;
    double cpuSeconds = 0;
    int rows = 0;
};

ListingRun fillListing(const QString &folder)
{
    FileListingTableView listing;
    listing.setAcceptsFolders(true, true);
    QEventLoop loop;
    QObject::connect(&listing, &FileListingTableView::folderWalkFinished, &loop, &QEventLoop::quit);
    const double cpuBefore = ProcessCpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    listing.addPathsArray({folder});
    if (listing.isWalkingFolders())
        loop.exec();
    ListingRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpuSeconds = ProcessCpuSeconds(RUSAGE_SELF) - cpuBefore;
    run.rows = listing.itemCount();
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrepareBenchApplication();
    const QStringList arguments = application.arguments().mid(1);
    int rounds = 3;
    int folders = 1000;
    int filesPerFolder = 100;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        if (argument == "--rounds" && index + 1 < arguments.size())
            rounds = std::max(1, arguments[++index].toInt());
        else if (argument == "--folders" && index + 1 < arguments.size())
            folders = std::max(1, arguments[++index].toInt());
        else if (argument == "--files-per-folder" && index + 1 < arguments.size())
            filesPerFolder = std::max(0, arguments[++index].toInt());
        else {
            std::fprintf(stderr, "usage: media_listing_bench [--rounds N] [--folders N] [--files-per-folder N]\n");
            return 2;
        }
    }

    QTemporaryDir generated;
    if (!generated.isValid())
        return 2;
    const QString folder = generated.path() + "/tree";
    QDir().mkpath(folder);
    std::fprintf(stderr, "generating %d folders of %d files\n", folders, filesPerFolder);
    WriteEmptyFileTree(folder, folders, filesPerFolder);
    const QByteArray folderBytes = QFile::encodeName(folder);
    const std::vector<QByteArray> find = {"/usr/bin/find", "find", folderBytes, "-type", "f"};

    // Warms the cache.
    RunDrainedChild(find);
    fillListing(folder);

    double bestFind = 1e9, bestListing = 1e9, bestFindCpu = 1e9, bestListingCpu = 1e9;
    int rows = 0;
    uint64_t findBytes = 0;
    QJsonArray findRuns, listingRuns;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun peer = RunDrainedChild(find);
        const ListingRun listing = fillListing(folder);
        if (peer.exitStatus != 0) {
            std::fprintf(stderr, "find exit status %d\n", peer.exitStatus);
            return 2;
        }
        rows = listing.rows;
        findBytes = peer.outputBytes;
        bestFind = std::min(bestFind, peer.seconds);
        bestFindCpu = std::min(bestFindCpu, peer.cpuSeconds);
        bestListing = std::min(bestListing, listing.seconds);
        bestListingCpu = std::min(bestListingCpu, listing.cpuSeconds);
        findRuns.append(peer.seconds);
        listingRuns.append(listing.seconds);
        std::fprintf(stderr, "round %d: find %.4f s, listing %.4f s (%d rows)\n", round + 1, peer.seconds,
                     listing.seconds, listing.rows);
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const bool complete = rows == folders * filesPerFolder;
    PrintFigures(QJsonObject{
        {"files", folders * filesPerFolder},
        {"listing_rows", rows},
        {"all_listed", complete},
        {"find_output_bytes", qint64(findBytes)},
        {"listing_seconds", bestListing},
        {"find_seconds", bestFind},
        {"ratio_to_find", bestListing / bestFind},
        {"listing_cpu_seconds", bestListingCpu},
        {"find_cpu_seconds", bestFindCpu},
        {"cpu_ratio_to_find", bestListingCpu / bestFindCpu},
        {"peak_rss_kib", qint64(usage.ru_maxrss)},
        {"listing_runs", listingRuns},
        {"find_runs", findRuns},
    });
    return complete ? 0 : 1;
}
