#include "site-downloader/http/InternetFileDownload.h"
#include "site-downloader/http/ProgressBarIndicator.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/FaultServer.h"
#include "tests/site-downloader/http/HttpTestSupport.h"

#include <QProgressBar>
#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

struct IndicatorCalls final : InternetFileDownloadProgressIndicator {
    void startAnimation() override { ++starts; }
    void stopAnimation() override { ++stops; }
    void showProgress(int64_t value, int64_t maximum) override { shown.emplace_back(value, maximum); }
    int starts = 0;
    int stops = 0;
    std::vector<std::pair<int64_t, int64_t>> shown;
};

struct RecordingDelegate final : InternetFileDownloadDelegate {
    void internetFileDownloadProgress(InternetFileDownload *, int64_t soFar, int64_t total) override
    {
        progress.emplace_back(soFar, total);
    }
    void internetFileDownloadComplete(InternetFileDownload *download, Status result,
                                      const std::shared_ptr<InternetFileDownloadResponse> &answer) override
    {
        ++completions;
        status = result;
        response = answer;
        busyDuringCompletion = download->isBusy();
        if (deleteInCompletion)
            delete download;
    }
    std::vector<std::pair<int64_t, int64_t>> progress;
    int completions = 0;
    Status status = 1;
    std::shared_ptr<InternetFileDownloadResponse> response;
    bool busyDuringCompletion = false;
    bool deleteInCompletion = false;
};

void waitForCompletion(const RecordingDelegate &delegate)
{
    ProcessProbe::runEventLoopUntil([&] { return delegate.completions > 0; }, 20000);
    ProcessProbe::runEventLoopUntil([] { return false; }, 100);
}

class DownloadAgainstNginx : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(site.start()); }
    TestSite site;
    RecordingDelegate delegate;
    IndicatorCalls indicator;
};

TEST_F(DownloadAgainstNginx, AFileArrivesWithItsStatusLine)
{
    InternetFileDownload download(site.server().url(QStringLiteral("/file.bin")), &delegate, &indicator);
    ASSERT_EQ(download.start(), kNoErr);
    EXPECT_TRUE(download.isBusy());
    waitForCompletion(delegate);
    EXPECT_EQ(delegate.completions, 1);
    EXPECT_EQ(delegate.status, kNoErr);
    EXPECT_TRUE(delegate.busyDuringCompletion);
    EXPECT_FALSE(download.isBusy());
    EXPECT_EQ(delegate.response->_data, site.fileBody());
    EXPECT_EQ(delegate.response->_responseLineStringRef, QStringLiteral("HTTP/1.1 200 OK"));
    EXPECT_EQ(delegate.response->_originalURL, site.server().url(QStringLiteral("/file.bin")));
    ASSERT_FALSE(delegate.progress.empty());
    EXPECT_EQ(delegate.progress.back().second, site.fileBody().size());
    EXPECT_EQ(indicator.starts, 1);
    EXPECT_EQ(indicator.stops, 1);
    EXPECT_EQ(indicator.shown.size(), delegate.progress.size());
}

TEST_F(DownloadAgainstNginx, HttpFailuresAndEmptyAnswers)
{
    InternetFileDownload missing(site.server().url(QStringLiteral("/missing")), &delegate, nullptr);
    ASSERT_EQ(missing.start(), kNoErr);
    waitForCompletion(delegate);
    EXPECT_EQ(delegate.status, 404);
    EXPECT_FALSE(delegate.response->_data);
    EXPECT_EQ(delegate.response->_responseLineStringRef, QStringLiteral("HTTP/1.1 404 Not Found"));

    RecordingDelegate emptyDelegate;
    InternetFileDownload empty(site.server().url(QStringLiteral("/empty.txt")), &emptyDelegate, nullptr);
    ASSERT_EQ(empty.start(), kNoErr);
    waitForCompletion(emptyDelegate);
    EXPECT_EQ(emptyDelegate.status, kNoErr);
    ASSERT_TRUE(emptyDelegate.response->_data);
    EXPECT_TRUE(emptyDelegate.response->_data->isEmpty());
}

TEST_F(DownloadAgainstNginx, AuthenticationIsTriedOnce)
{
    InternetFileDownload granted(site.server().url(QStringLiteral("/private/secret.txt")), &delegate, nullptr);
    granted.setAuthentication(true, QStringLiteral("user"), QStringLiteral("secret"));
    ASSERT_EQ(granted.start(), kNoErr);
    waitForCompletion(delegate);
    EXPECT_EQ(delegate.status, kNoErr);

    RecordingDelegate refusedDelegate;
    InternetFileDownload refused(site.server().url(QStringLiteral("/private/secret.txt")), &refusedDelegate, nullptr);
    refused.setAuthentication(true, QStringLiteral("user"), QStringLiteral("wrong"));
    ASSERT_EQ(refused.start(), kNoErr);
    waitForCompletion(refusedDelegate);
    EXPECT_EQ(refusedDelegate.status, 401);
    EXPECT_FALSE(refusedDelegate.response->_data);
}

TEST_F(DownloadAgainstNginx, ADelegateMayDeleteTheDownloadInItsCompletion)
{
    delegate.deleteInCompletion = true;
    auto *download = new InternetFileDownload(site.server().url(QStringLiteral("/file.bin")), &delegate, &indicator);
    ASSERT_EQ(download->start(), kNoErr);
    waitForCompletion(delegate);
    EXPECT_EQ(delegate.completions, 1);
    EXPECT_EQ(delegate.status, kNoErr);
}

TEST(Download, StopCompletesAtOnceAndOnlyOnce)
{
    FaultServer stalling([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
        connection.pause(5000);
    });
    RecordingDelegate delegate;
    IndicatorCalls indicator;
    InternetFileDownload download(QString::fromLatin1(stalling.url()), &delegate, &indicator);
    ASSERT_EQ(download.start(), kNoErr);
    ProcessProbe::runEventLoopUntil([&] { return !delegate.progress.empty(); });
    download.stop();
    EXPECT_EQ(delegate.completions, 1);
    EXPECT_EQ(delegate.status, kCanceledErr);
    EXPECT_FALSE(download.isBusy());
    download.stop();
    ProcessProbe::runEventLoopUntil([] { return false; }, 100);
    EXPECT_EQ(delegate.completions, 1);
}

TEST(Download, AnUnknownLengthShowsABusyIndicator)
{
    FaultServer server([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nfirst");
        connection.pause(400);
        connection.send("second");
    });
    RecordingDelegate delegate;
    IndicatorCalls indicator;
    InternetFileDownload download(QString::fromLatin1(server.url()), &delegate, &indicator);
    ASSERT_EQ(download.start(), kNoErr);
    waitForCompletion(delegate);
    EXPECT_EQ(delegate.response->_data, QByteArray("firstsecond"));
    ASSERT_FALSE(delegate.progress.empty());
    for (const auto &[soFar, total] : delegate.progress)
        EXPECT_EQ(total, -1);

    QProgressBar bar;
    ProgressBarIndicator barIndicator(&bar);
    barIndicator.showProgress(5, -1);
    EXPECT_EQ(bar.maximum(), 0);
    // Six gibibytes do not fit the bar's int: both ends scale together.
    const int64_t sixGiB = int64_t{6} << 30;
    barIndicator.showProgress(sixGiB / 2, sixGiB);
    EXPECT_GT(bar.maximum(), 1 << 20);
    EXPECT_NEAR(double(bar.value()) / bar.maximum(), 0.5, 0.001);
}

TEST(Download, DestroyingARunningDownloadSaysNothing)
{
    FaultServer stalling([](FaultConnection &connection) {
        connection.readRequest();
        connection.pause(5000);
    });
    RecordingDelegate delegate;
    auto download = std::make_unique<InternetFileDownload>(QString::fromLatin1(stalling.url()), &delegate, nullptr);
    ASSERT_EQ(download->start(), kNoErr);
    ProcessProbe::runEventLoopUntil([&] { return stalling.connectionCount() > 0; });
    download.reset();
    ProcessProbe::runEventLoopUntil([] { return false; }, 100);
    EXPECT_EQ(delegate.completions, 0);
}

TEST(Download, ABadAddressFailsTheStartWithoutACompletion)
{
    RecordingDelegate delegate;
    InternetFileDownload download(QStringLiteral("no address at all"), &delegate, nullptr);
    EXPECT_EQ(download.start(), kFormatErr);
    EXPECT_FALSE(download.isBusy());
    ProcessProbe::runEventLoopUntil([] { return false; }, 50);
    EXPECT_EQ(delegate.completions, 0);
}

} // namespace
