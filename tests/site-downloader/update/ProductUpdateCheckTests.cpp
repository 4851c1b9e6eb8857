// The update check against a real nginx serving both reply formats, and the parsing of replies.
#include "site-downloader/update/NumVersion.h"
#include "site-downloader/update/ProductUpdateCheck.h"
#include "tests/fixtures/LoopbackPorts.h"
#include "tests/fixtures/NginxServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QByteArray kPropertyListReply = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>kProductUpdate_VersionKey</key><string>1.5.1</string>
  <key>kProductUpdate_DownloadURLKey</key><string>https://example.org/get</string>
  <key>kProductUpdate_InfoURLKey</key><string>https://example.org/news</string>
  <key>kProductUpdate_DetailInfoArrayKey</key><array><string>Faster</string><string>Größer</string></array>
  <key>SomethingElse</key><integer>3</integer>
</dict>
</plist>
)";

std::shared_ptr<ProductUpdateCheckResponse> parseText(const QByteArray &body, const char *applicationVersion)
{
    ProductUpdateCheck check(QStringLiteral("http://127.0.0.1/version.txt"), nullptr, nullptr);
    check.setApplicationVersionString(QString::fromLatin1(applicationVersion));
    return check.getResponseObjectFromBodyContent(body);
}

struct RecordingDelegate final : ProductUpdateCheckDelegate {
    void productUpdateCheckComplete(ProductUpdateCheck *, Status s, const std::shared_ptr<ProductUpdateCheckResponse> &r) override
    {
        ++completions;
        status = s;
        response = r;
    }
    int completions = 0;
    Status status = 1;
    std::shared_ptr<ProductUpdateCheckResponse> response;
};

void waitFor(const RecordingDelegate &delegate)
{
    QDeadlineTimer deadline(15000);
    while (delegate.completions == 0 && !deadline.hasExpired())
        QTest::qWait(10);
}

class UpdateService : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(_root.isValid());
        write("version.plist", kPropertyListReply);
        write("notaplist.plist", "Version: 9.0\nDownload URL: https://example.org/nine\n");
        write("version.txt", "Version: 1.5.1\nDownload URL: https://example.org/get\nInfo URL: https://example.org/news\n"
                             "Further Info: Faster\nGrößer\nand more");
        _server = std::make_unique<NginxServer>(_root.path());
        QString problem;
        ASSERT_TRUE(_server->start(&problem)) << problem.toStdString();
    }

    void write(const char *name, const QByteArray &body)
    {
        QFile file(QDir(_root.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
    }

    RecordingDelegate check(const QString &path, const char *applicationVersion, int *beeps = nullptr)
    {
        RecordingDelegate delegate;
        ProductUpdateCheck check(_server->url(path), &delegate, nullptr);
        check.setApplicationVersionString(QString::fromLatin1(applicationVersion));
        if (beeps)
            check.setBeep([beeps] { ++*beeps; });
        EXPECT_EQ(check.start(), kNoErr);
        EXPECT_TRUE(check.running());
        waitFor(delegate);
        EXPECT_FALSE(check.running());
        return delegate;
    }

    QTemporaryDir _root;
    std::unique_ptr<NginxServer> _server;
};

} // namespace

TEST(ProductUpdateCheckResponse, TextReplyFieldsAndPrefixes)
{
    auto response = parseText("Version: 1.5.1\nDownload URL: http://a/\nInfo URL: http://b/\nFurther Info: one\ntwo\nthree", "1.5");
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->isNewVersionAvailable());
    EXPECT_EQ(response->getVersionString(), QStringLiteral("1.5.1"));
    EXPECT_EQ(response->getDownloadURLString(), QStringLiteral("http://a/"));
    EXPECT_EQ(response->getInfoURLString(), QStringLiteral("http://b/"));
    EXPECT_EQ(response->getDetailString(), QStringLiteral("one\ntwo\nthree"));

    // Only a version line: the flag comes from it, the rest stays unset.
    response = parseText("Version: 2.0", "1.5");
    EXPECT_TRUE(response->isNewVersionAvailable());
    EXPECT_FALSE(response->getDownloadURLString());
    EXPECT_FALSE(response->getDetailString());

    // A prefix counts only at the start of its line; elsewhere the line is taken whole.
    response = parseText("2.0\nget it at Download URL: http://x/", "1.5");
    EXPECT_EQ(response->getVersionString(), QStringLiteral("2.0"));
    EXPECT_EQ(response->getDownloadURLString(), QStringLiteral("get it at Download URL: http://x/"));
    EXPECT_TRUE(response->isNewVersionAvailable());

    // The body is UTF-8.
    response = parseText("Version: 1.0\nDownload URL: x\nInfo URL: y\nFurther Info: Größer", "1.5");
    EXPECT_EQ(response->getDetailString(), QStringLiteral("Größer"));

    // Nothing at all, or a version that does not read, announces nothing.
    EXPECT_FALSE(parseText("", "1.5")->isNewVersionAvailable());
    EXPECT_FALSE(parseText("Version: 1.16", "0.1")->isNewVersionAvailable());
    EXPECT_FALSE(parseText("Version: soon", "0.1")->isNewVersionAvailable());
}

TEST(ProductUpdateCheckResponse, NewerEqualAndOlder)
{
    const struct {
        const char *reply;
        const char *application;
        bool newer;
    } cases[] = {
        {"1.5.1", "1.5", true}, {"1.5", "1.5", false},   {"1.4.9", "1.5", false},
        {"2.0", "2.0b3", true}, {"2.0b9", "2.0", false}, {"1.10", "1.9", true},
        {"1.0", "garbage", true}, // an unreadable own version counts as 0
    };
    for (const auto &each : cases)
        EXPECT_EQ(parseText(QByteArray("Version: ") + each.reply, each.application)->isNewVersionAvailable(), each.newer)
            << each.reply << " against " << each.application;
}

TEST(ProductUpdateCheckResponse, BuildVersionIsTheProgramsOwn)
{
    uint32_t ignored = 0;
    const QByteArray own = ApplicationVersionString().toLatin1();
    EXPECT_FALSE(own.isEmpty());
    // Unless the build's version reads, no reply could ever be compared with it properly.
    EXPECT_EQ(TextToNumVersion(own.constData(), own.size(), &ignored), kNoErr) << own.constData();
}

TEST(ProductUpdateCheckResponse, OnlyWebAddressesMayBeOpened)
{
    EXPECT_TRUE(IsOpenableUpdateURL("https://example.org/get"));
    EXPECT_TRUE(IsOpenableUpdateURL("HTTP://example.org/"));
    for (const char *refused : {"file:///etc/passwd", "javascript:alert(1)", "ftp://example.org/", "smb://host/share",
                                "/usr/bin/xterm", "", "http://", "mailto:a@b"})
        EXPECT_FALSE(IsOpenableUpdateURL(QString::fromLatin1(refused))) << refused;
}

TEST_F(UpdateService, PropertyListReply)
{
    RecordingDelegate delegate = check("/version.plist", "1.5");
    EXPECT_EQ(delegate.completions, 1);
    EXPECT_EQ(delegate.status, kNoErr);
    ASSERT_TRUE(delegate.response);
    EXPECT_TRUE(delegate.response->isNewVersionAvailable());
    EXPECT_EQ(delegate.response->getVersionString(), QStringLiteral("1.5.1"));
    EXPECT_EQ(delegate.response->getDownloadURLString(), QStringLiteral("https://example.org/get"));
    EXPECT_EQ(delegate.response->getInfoURLString(), QStringLiteral("https://example.org/news"));
    EXPECT_EQ(delegate.response->getDetailString(), QStringLiteral("Faster\nGrößer\n"));

    EXPECT_FALSE(check("/version.plist", "1.5.1").response->isNewVersionAvailable());
    EXPECT_FALSE(check("/version.plist", "1.6").response->isNewVersionAvailable());
}

TEST_F(UpdateService, TextReplyAndAPropertyListAddressThatIsText)
{
    RecordingDelegate delegate = check("/version.txt", "1.5");
    ASSERT_TRUE(delegate.response);
    EXPECT_TRUE(delegate.response->isNewVersionAvailable());
    EXPECT_EQ(delegate.response->getDetailString(), QStringLiteral("Faster\nGrößer\nand more"));

    delegate = check("/notaplist.plist", "1.5");
    ASSERT_TRUE(delegate.response);
    EXPECT_EQ(delegate.response->getVersionString(), QStringLiteral("9.0"));
    EXPECT_EQ(delegate.response->getDownloadURLString(), QStringLiteral("https://example.org/nine"));
    EXPECT_TRUE(delegate.response->isNewVersionAvailable());
}

TEST_F(UpdateService, FailuresReportTheirStatusWithoutAReply)
{
    int beeps = 0;
    RecordingDelegate missing = check("/gone.txt", "1.0", &beeps);
    EXPECT_EQ(missing.status, 404);
    EXPECT_FALSE(missing.response);
    EXPECT_EQ(beeps, 0); // an answer came, so nothing to beep about

    // Nobody listens: no answer at all. A check with a beep beeps, one without stays silent.
    const int closedPort = LoopbackPorts::pickFreePort();
    for (const bool withBeep : {true, false}) {
        beeps = 0;
        RecordingDelegate delegate;
        ProductUpdateCheck offline(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(closedPort), &delegate, nullptr);
        if (withBeep)
            offline.setBeep([&beeps] { ++beeps; });
        ASSERT_EQ(offline.start(), kNoErr);
        waitFor(delegate);
        EXPECT_NE(delegate.status, kNoErr);
        EXPECT_FALSE(delegate.response);
        EXPECT_EQ(beeps, withBeep ? 1 : 0);
    }

    // An address that cannot be sent is refused at the start and never completes.
    RecordingDelegate refused;
    ProductUpdateCheck bad(QStringLiteral("file:///etc/hostname"), &refused, nullptr);
    EXPECT_NE(bad.start(), kNoErr);
    EXPECT_FALSE(bad.running());
    QTest::qWait(50);
    EXPECT_EQ(refused.completions, 0);
}

TEST_F(UpdateService, ARunningCheckThatIsDestroyedEndsOnce)
{
    RecordingDelegate delegate;
    {
        ProductUpdateCheck check(_server->url("/version.txt"), &delegate, nullptr);
        ASSERT_EQ(check.start(), kNoErr);
        EXPECT_EQ(check.start(), kStateErr); // started once
    }
    EXPECT_EQ(delegate.completions, 1);
    EXPECT_EQ(delegate.status, kEndingErr);
    QTest::qWait(100);
    EXPECT_EQ(delegate.completions, 1);
}
