// Many files moved at random between ten bins, some on another file system, with names made to
// collide on purpose: afterwards every file exists exactly once, with its own bytes, and nothing
// that was already in a bin has been replaced.
#include "site-downloader/media/sortbins/FileSortBin.h"
#include "tests/platform/moves/ScratchFiles.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QHash>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <memory>

namespace {

// 10,000 files, which take a few seconds even under the sanitizers; VELLICOR_SOAK_FILES sets
// another count for a longer run.
int fileCount()
{
    if (const char *count = std::getenv("VELLICOR_SOAK_FILES"); count && std::atoi(count) > 0)
        return std::atoi(count);
    return 10000;
}

QByteArray checksum(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

struct TrackedFile {
    QString path;
    QByteArray sum;
};

// Follows each file through the bins by what the bin reports.
struct FollowingDelegate final : FileSortBinDelegate {
    void fileLocationChanged(FileSortBin *, const QString &originalPath, const QString &newPath) override
    {
        lastOriginal = originalPath;
        lastNew = newPath;
        ++reports;
    }
    QString lastOriginal;
    QString lastNew;
    int reports = 0;
};

TEST(SortBinSoak, EveryFileEndsUpExactlyOnceWithItsOwnBytes)
{
    const quint32 seed = 20261207;
    std::printf("sort bin soak: seed %u, %d files\n", seed, fileCount());
    QRandomGenerator random(seed);

    ScratchFolder here;
    std::unique_ptr<ScratchFolder> there;
    if (otherFileSystemAvailable())
        there = std::make_unique<ScratchFolder>("/dev/shm");
    else
        std::printf("sort bin soak: /dev/shm shares the disk, all bins on one file system\n");

    FollowingDelegate delegate;
    std::vector<std::unique_ptr<FileSortBin>> bins;
    for (int index = 0; index < 10; ++index) {
        const ScratchFolder &base = (there && index % 3 == 2) ? *there : here;
        auto bin = std::make_unique<FileSortBin>(QString());
        bin->setNewDropPath(base.folder(QStringLiteral("bin %1").arg(index)));
        bin->setDelegate(&delegate);
        bins.push_back(std::move(bin));
    }

    // Few distinct names, so that moves keep meeting names already taken.
    const QString source = here.folder("downloads");
    std::vector<TrackedFile> files;
    const int count = fileCount();
    for (int index = 0; index < count; ++index) {
        QByteArray bytes(static_cast<qsizetype>(random.bounded(64 * 1024 + 1)), '\0');
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        const QString folder = source + QStringLiteral("/%1").arg(index);
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/pic%1.jpg").arg(random.bounded(20));
        ASSERT_TRUE(writeFile(path, bytes));
        files.push_back({path, checksum(bytes)});
    }

    // Every file goes into a bin once, then half of them again into another one; a few times a
    // stranger's file takes the name just before the move.
    std::vector<TrackedFile> strangers;
    const int moves = count + count / 2;
    for (int step = 0; step < moves; ++step) {
        TrackedFile &file = files[step < count ? step : random.bounded(count)];
        FileSortBin &bin = *bins[random.bounded(10)];
        if (random.bounded(20) == 0) {
            const QString squatted = bin.fullDropPath() + '/' + QFileInfo(file.path).fileName();
            if (!QFileInfo::exists(squatted)) {
                const QByteArray bytes = "stranger " + QByteArray::number(step);
                ASSERT_TRUE(writeFile(squatted, bytes));
                strangers.push_back({squatted, checksum(bytes)});
            }
        }
        const int reportsBefore = delegate.reports;
        ASSERT_EQ(bin.movePathsToDropPath({file.path}), 1) << file.path.toStdString();
        ASSERT_EQ(delegate.reports, reportsBefore + 1);
        ASSERT_EQ(delegate.lastOriginal, file.path);
        file.path = delegate.lastNew;
    }

    // Now every file in the bins is one we know, found where the bin said, with its bytes.
    QHash<QString, QByteArray> expected;
    for (const TrackedFile &file : files)
        ASSERT_FALSE(std::exchange(expected[file.path], file.sum).size()) << "two files at " << file.path.toStdString();
    for (const TrackedFile &file : strangers)
        ASSERT_FALSE(std::exchange(expected[file.path], file.sum).size()) << "replaced " << file.path.toStdString();
    qsizetype found = 0;
    for (const auto &bin : bins) {
        QDirIterator listing(bin->fullDropPath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (listing.hasNext()) {
            const QString path = listing.next();
            ++found;
            const auto sum = expected.constFind(path);
            ASSERT_NE(sum, expected.constEnd()) << "unexpected " << path.toStdString();
            EXPECT_EQ(checksum(contentsOf(path)), *sum) << path.toStdString();
        }
    }
    EXPECT_EQ(found, expected.size());
    EXPECT_EQ(QDirIterator(source, QDir::Files, QDirIterator::Subdirectories).hasNext(), false);
    bins.clear();
}

} // namespace
