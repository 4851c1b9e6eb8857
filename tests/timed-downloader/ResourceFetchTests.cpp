#include "tests/fixtures/FaultServer.h"
#include "tests/timed-downloader/PendrillTestSupport.h"
#include "timed-downloader/document/ResourceFetch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ResourceFetch, WholeBodyOverHttpAndFileAddressesFollowingRedirects)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    const FetchResult direct = FetchWholeResource(site.url(QStringLiteral("/cam.jpg")), {});
    EXPECT_EQ(direct.status, kNoErr);
    EXPECT_EQ(direct.responseCode, 200);
    EXPECT_EQ(direct.data, PictureBytes());

    const FetchResult moved = FetchWholeResource(site.url(QStringLiteral("/moved")), {});
    EXPECT_EQ(moved.status, kNoErr);
    EXPECT_EQ(moved.data, PictureBytes());

    const FetchResult local = FetchWholeResource(QStringLiteral("file://") + site.root() + QStringLiteral("/page.html"), {});
    EXPECT_EQ(local.status, kNoErr);
    EXPECT_TRUE(local.data.startsWith("<html>"));
}

TEST(ResourceFetch, OnlyASuccessfulAnswerIsData)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    const FetchResult missing = FetchWholeResource(site.url(QStringLiteral("/gone.jpg")), {});
    EXPECT_EQ(missing.status, kResponseErr);
    EXPECT_EQ(missing.responseCode, 404);
    EXPECT_TRUE(missing.data.isEmpty());

    EXPECT_NE(FetchWholeResource(QStringLiteral("not an address"), {}).status, kNoErr);
    EXPECT_NE(FetchWholeResource(QStringLiteral("file:///nonexistent/x.jpg"), {}).status, kNoErr);
    // Other schemes are refused rather than tried.
    EXPECT_EQ(FetchWholeResource(QStringLiteral("dict://127.0.0.1/x"), {}).status, kUnsupportedErr);
}

TEST(ResourceFetch, StalledAndEndlessResourcesAreBounded)
{
    FaultServer stalled([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
        connection.pause(20000);
    });
    FetchLimits limits;
    limits.timeout = 700ms;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(FetchWholeResource(QString::fromLatin1(stalled.url("/")), limits).status, kTimeoutErr);
    EXPECT_LT(clock.elapsed(), 5000);

    FaultServer endless([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const QByteArray block(64 * 1024, 'x');
        while (connection.pause(1))
            connection.send(block);
    });
    limits.timeout = 20s;
    limits.maximumBytes = 1 << 20;
    const FetchResult capped = FetchWholeResource(QString::fromLatin1(endless.url("/")), limits);
    EXPECT_EQ(capped.status, kSizeErr);
    EXPECT_TRUE(capped.data.isEmpty());

    // A declared length over the cap is refused before the body comes.
    FaultServer declared(AnswerEveryRequest("HTTP/1.1 200 OK\r\nContent-Length: 99999999\r\n\r\n"));
    EXPECT_EQ(FetchWholeResource(QString::fromLatin1(declared.url("/")), limits).status, kSizeErr);
}

TEST(ResourceFetch, LimitsFollowTheInterval)
{
    EXPECT_EQ(FetchLimitsForInterval(5).timeout, 60s);
    EXPECT_EQ(FetchLimitsForInterval(45).timeout, 90s);
    EXPECT_EQ(FetchLimitsForInterval(-4).timeout, 60s);
    EXPECT_EQ(FetchLimitsForInterval(5).maximumBytes, int64_t(256) << 20);
}
