#include "platform/LocalizedString.h"
#include "tests/fixtures/FaultServer.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/timed-downloader/PendrillTestSupport.h"
#include "timed-downloader/document/TimedDownloadJob.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kFastTick = 30ms;

class RecordingJobDelegate final : public TimedDownloadJobDelegate
{
public:
    void timedDownloadStatusChanged(TimedDownloadJob *, const QString &status) override { events << QStringLiteral("status:") + status; }
    void timedDownloadFetchStarted(TimedDownloadJob *) override
    {
        events << QStringLiteral("fetch");
        ++fetches;
    }
    void timedDownloadCopySaved(TimedDownloadJob *, const SavedCopy &copy) override { saved.push_back(copy); }

    QStringList events;
    int fetches = 0;
    std::vector<SavedCopy> saved;
};

JobSettings settingsFor(const QString &url, const QString &folder, const QString &interval = QStringLiteral("5"),
                        const QString &baseName = {}, const QString &zeros = QStringLiteral("0"))
{
    return JobSettings{url, interval, baseName, zeros, folder};
}

// Answers one request after `delay`, with a picture.
FaultServer::Script lateAnswer(int delay)
{
    return [delay](FaultConnection &connection) {
        connection.readRequest();
        if (!connection.pause(delay))
            return;
        const QByteArray body = PictureBytes();
        connection.send("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " + QByteArray::number(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
    };
}

bool waitForQuietThreads() { return ProcessProbe::runEventLoopUntil([] { return FileDownloadThread::runningCount() == 0; }); }

} // namespace

TEST(TimedDownloadJob, FetchesAtStartThenEveryIntervalWithTheCountdownFromTheThirdTick)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir folder;
    TimedDownloadJob job;
    RecordingJobDelegate delegate;
    job.setDelegate(&delegate);
    job.setTickInterval(kFastTick);
    job.start(settingsFor(site.url(QStringLiteral("/live/../cam.jpg")), folder.path()));
    EXPECT_TRUE(job.isActive());
    EXPECT_EQ(delegate.fetches, 1);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return delegate.fetches == 3 && job.downloadCount() == 3; }));
    job.stop();
    ASSERT_TRUE(waitForQuietThreads());

    // Between two fetches: the result, then "2" and "1" from the third tick on, then the next fetch.
    const QString two = QStringLiteral("status:") + LocalizedString("kNextDownloadMessage").arg(2);
    const QString one = QStringLiteral("status:") + LocalizedString("kNextDownloadMessage").arg(1);
    const qsizetype second = delegate.events.indexOf(QStringLiteral("fetch"), 1);
    ASSERT_GT(second, 0);
    const QStringList between = delegate.events.mid(1, second - 1);
    EXPECT_EQ(between.count(two), 1) << qPrintable(between.join(QLatin1Char('|')));
    EXPECT_EQ(between.count(one), 1);
    EXPECT_LT(between.indexOf(two), between.indexOf(one));
    EXPECT_FALSE(between.join(QLatin1Char('|')).contains(LocalizedString("kNextDownloadMessage").arg(3)));
    EXPECT_EQ(delegate.events.last(), QStringLiteral("status:") + LocalizedString("kStoppedMessage"));

    EXPECT_EQ(VisibleFiles(folder.path()), QStringList({"cam1.jpg", "cam2.jpg", "cam3.jpg"}));
    ASSERT_EQ(delegate.saved.size(), 3u);
    EXPECT_EQ(delegate.saved.back().name, "cam3.jpg");
    EXPECT_EQ(delegate.saved.back().sizeText, LocalizedString("kSizeTitle").arg(0));
    EXPECT_FALSE(delegate.saved.back().picture.isNull());
    EXPECT_EQ(job.lastFilePath(), folder.filePath(QStringLiteral("cam3.jpg")));
}

TEST(TimedDownloadJob, BaseNamePaddingAndAnIntervalThatReadsAsZero)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir folder;
    QFile::copy(site.root() + QStringLiteral("/shot.png"), folder.filePath(QStringLiteral("shot001.png")));
    TimedDownloadJob job;
    job.setTickInterval(kFastTick);
    job.start(settingsFor(site.url(QStringLiteral("/shot.png")), folder.path(), QStringLiteral("often"),
                          QStringLiteral("shot"), QStringLiteral("3")));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return job.downloadCount() >= 3; }));
    job.stop();
    ASSERT_TRUE(waitForQuietThreads());
    const QStringList files = VisibleFiles(folder.path());
    ASSERT_GE(files.size(), 4);
    EXPECT_EQ(files.mid(0, 4), QStringList({"shot001.png", "shot002.png", "shot003.png", "shot004.png"}));
}

TEST(TimedDownloadJob, FailuresAreReportedAndNeverCountedOrSaved)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir folder;
    TimedDownloadJob job;
    RecordingJobDelegate delegate;
    job.setDelegate(&delegate);
    job.setTickInterval(kFastTick);

    // A 404 page is not the next numbered file; the job keeps trying.
    job.start(settingsFor(site.url(QStringLiteral("/gone.jpg")), folder.path(), QStringLiteral("1")));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return delegate.fetches >= 2 && !job.isAnimating(); }));
    EXPECT_EQ(job.status(), LocalizedString("kDownloadFailedMessage"));
    EXPECT_TRUE(job.isActive());
    job.stop();
    ASSERT_TRUE(waitForQuietThreads());
    EXPECT_TRUE(VisibleFiles(folder.path()).isEmpty());

    // A copy that cannot be written is a failure too.
    const QString blocker = folder.filePath(QStringLiteral("blocker"));
    QFile(blocker).open(QIODevice::WriteOnly);
    job.start(settingsFor(site.url(QStringLiteral("/cam.jpg")), blocker, QStringLiteral("100")));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !job.isAnimating(); }));
    EXPECT_EQ(job.status(), LocalizedString("kDownloadFailedMessage"));
    EXPECT_EQ(job.downloadCount(), 0u);
    EXPECT_TRUE(job.lastFilePath().isEmpty());
    EXPECT_TRUE(delegate.saved.empty());
    job.stop();
}

TEST(TimedDownloadJob, CopyThatIsNotAPictureIsKeptButNotShownOrCounted)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir folder;
    TimedDownloadJob job;
    RecordingJobDelegate delegate;
    job.setDelegate(&delegate);
    job.setTickInterval(kFastTick);
    job.start(settingsFor(site.url(QStringLiteral("/page.html")), folder.path(), QStringLiteral("100")));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !VisibleFiles(folder.path()).isEmpty(); }));
    ASSERT_TRUE(waitForQuietThreads());
    QCoreApplication::processEvents();
    EXPECT_EQ(VisibleFiles(folder.path()), QStringList({"page1.html"}));
    EXPECT_EQ(job.downloadCount(), 0u);
    EXPECT_TRUE(delegate.saved.empty());
    EXPECT_TRUE(job.isAnimating());
    EXPECT_EQ(job.status(), LocalizedString("kRetrievingURLMessage"));
    EXPECT_EQ(job.lastFilePath(), folder.filePath(QStringLiteral("page1.html")));
    job.stop();
}

TEST(TimedDownloadJob, LateResultsOfAStoppedRunAreDropped)
{
    FaultServer slow(lateAnswer(400));
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir oldFolder;
    QTemporaryDir newFolder;
    TimedDownloadJob job;
    job.setTickInterval(kFastTick);

    job.start(settingsFor(QString::fromLatin1(slow.url("/old.png")), oldFolder.path(), QStringLiteral("100")));
    job.stop();
    // Started again at once, with other settings: the old run's late picture must not land here.
    job.start(settingsFor(site.url(QStringLiteral("/cam.jpg")), newFolder.path(), QStringLiteral("100")));
    ASSERT_TRUE(waitForQuietThreads());
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return job.downloadCount() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(slow.connectionCount(), 1);
    EXPECT_EQ(VisibleFiles(newFolder.path()), QStringList({"cam1.jpg"}));
    EXPECT_TRUE(VisibleFiles(oldFolder.path()).isEmpty());

    job.start(settingsFor(QString::fromLatin1(slow.url("/old.png")), oldFolder.path(), QStringLiteral("100")));
    job.stop();
    ASSERT_TRUE(waitForQuietThreads());
    QCoreApplication::processEvents();
    EXPECT_EQ(job.status(), LocalizedString("kStoppedMessage"));
    EXPECT_TRUE(VisibleFiles(oldFolder.path()).isEmpty());
    EXPECT_EQ(job.downloadCount(), 1u);
}

TEST(TimedDownloadJob, JobDestroyedWithAFetchInFlightIsNotCalledBack)
{
    FaultServer slow(lateAnswer(300));
    QTemporaryDir folder;
    RecordingJobDelegate delegate;
    auto job = std::make_unique<TimedDownloadJob>();
    job->setDelegate(&delegate);
    job->start(settingsFor(QString::fromLatin1(slow.url("/x.png")), folder.path()));
    ASSERT_EQ(FileDownloadThread::runningCount(), 1);
    job.reset();
    ASSERT_TRUE(waitForQuietThreads());
    QCoreApplication::processEvents();
    EXPECT_TRUE(delegate.saved.empty());
    EXPECT_TRUE(VisibleFiles(folder.path()).isEmpty());
}

TEST(TimedDownloadJob, TimeTextUsesATwelveHourClockWithItsMarker)
{
    struct tm afternoon = {};
    afternoon.tm_year = 126;
    afternoon.tm_mon = 11;
    afternoon.tm_mday = 6;
    afternoon.tm_hour = 21;
    afternoon.tm_min = 20;
    afternoon.tm_sec = 50;
    afternoon.tm_isdst = -1;
    EXPECT_EQ(DownloadTimeText(mktime(&afternoon)), "12/06/2026 09:20:50 PM");
}
