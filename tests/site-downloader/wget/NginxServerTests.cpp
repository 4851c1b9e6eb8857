#include "tests/fixtures/NginxServer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

namespace {

struct WgetResult {
    int exitCode = -1;
    QByteArray body;
    QByteArray messages;
};

// The system's wget, as the engine's peer: the fixture must serve what real wget expects.
WgetResult fetch(const QStringList &arguments)
{
    QProcess wget;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE"));
    wget.setProcessEnvironment(environment);
    wget.start(QStringLiteral("/usr/bin/wget"), arguments);
    WgetResult result;
    if (!wget.waitForFinished(30000)) {
        wget.kill();
        wget.waitForFinished();
        return result;
    }
    result.exitCode = wget.exitStatus() == QProcess::NormalExit ? wget.exitCode() : -1;
    result.body = wget.readAllStandardOutput();
    result.messages = wget.readAllStandardError();
    return result;
}

WgetResult fetchBody(const QString &url)
{
    return fetch({QStringLiteral("-q"), QStringLiteral("-O"), QStringLiteral("-"), url});
}

class NginxServerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(_root.isValid());
        _pageCount = 5;
        ASSERT_EQ(GeneratedSite::write(_root.path(), _pageCount), _pageCount + 2);
    }

    QTemporaryDir _root;
    int _pageCount = 0;
};

TEST_F(NginxServerTest, ServesTheGeneratedSiteWithItsContentTypes)
{
    NginxServer server(_root.path());
    QString problem;
    ASSERT_TRUE(server.start(&problem)) << problem.toStdString();
    EXPECT_GT(server.port(), 0);
    EXPECT_EQ(server.url(QStringLiteral("/a.html")), QStringLiteral("http://127.0.0.1:%1/a.html").arg(server.port()));

    const WgetResult index = fetchBody(server.url());
    ASSERT_EQ(index.exitCode, 0) << index.messages.toStdString();
    for (int page = 1; page <= _pageCount; ++page)
        EXPECT_TRUE(index.body.contains("href=\"page" + QByteArray::number(page) + ".html\"")) << page;
    EXPECT_TRUE(index.body.contains("picture.png"));

    const WgetResult page = fetchBody(server.url(QStringLiteral("/page2.html")));
    ASSERT_EQ(page.exitCode, 0);
    EXPECT_TRUE(page.body.contains("page3.html"));
    EXPECT_TRUE(page.body.contains("page4.html"));
    EXPECT_TRUE(page.body.contains("picture.png"));

    // wget's Length line carries the type, which decides whether it looks for links.
    const WgetResult picture = fetch({QStringLiteral("-O"), QStringLiteral("-"), server.url(QStringLiteral("/picture.png"))});
    ASSERT_EQ(picture.exitCode, 0);
    EXPECT_TRUE(picture.messages.contains("[image/png]")) << picture.messages.toStdString();
    EXPECT_FALSE(QImage::fromData(picture.body).isNull());
    const WgetResult html = fetch({QStringLiteral("-O"), QStringLiteral("-"), server.url(QStringLiteral("/page1.html"))});
    EXPECT_TRUE(html.messages.contains("[text/html]")) << html.messages.toStdString();

    const WgetResult missing = fetchBody(server.url(QStringLiteral("/nothing.html")));
    EXPECT_EQ(missing.exitCode, 8);
}

TEST_F(NginxServerTest, KeepsConnectionsAlive)
{
    NginxServer server(_root.path());
    ASSERT_TRUE(server.start());
    const WgetResult result = fetch({QStringLiteral("-O"), QStringLiteral("/dev/null"),
                                     server.url(QStringLiteral("/page1.html")), server.url(QStringLiteral("/page2.html"))});
    ASSERT_EQ(result.exitCode, 0) << result.messages.toStdString();
    EXPECT_TRUE(result.messages.contains("Reusing existing connection to 127.0.0.1:")) << result.messages.toStdString();
}

TEST_F(NginxServerTest, RedirectsThroughExtraServerConfig)
{
    NginxServer server(_root.path(), QStringLiteral("location = /old { return 302 /page1.html; }"));
    ASSERT_TRUE(server.start());

    const WgetResult followed = fetch({QStringLiteral("-O"), QStringLiteral("-"), server.url(QStringLiteral("/old"))});
    ASSERT_EQ(followed.exitCode, 0) << followed.messages.toStdString();
    EXPECT_TRUE(followed.body.contains("<h1>Page 1</h1>"));
    EXPECT_TRUE(followed.messages.contains("302 Moved Temporarily"));
    EXPECT_TRUE(followed.messages.contains("Location: " + server.url(QStringLiteral("/page1.html")).toUtf8() + " [following]"))
        << followed.messages.toStdString();
}

TEST_F(NginxServerTest, RefusesABrokenConfigurationWithNginxsReason)
{
    NginxServer server(_root.path(), QStringLiteral("no_such_directive on;"));
    QString problem;
    EXPECT_FALSE(server.start(&problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("no_such_directive"))) << problem.toStdString();
    EXPECT_EQ(server.pid(), -1);
}

TEST_F(NginxServerTest, RunsSideBySideAndLeavesNothingBehind)
{
    pid_t firstPid = -1;
    pid_t secondPid = -1;
    QString firstPrefix;
    {
        NginxServer first(_root.path());
        NginxServer second(_root.path());
        ASSERT_TRUE(first.start());
        ASSERT_TRUE(second.start());
        EXPECT_NE(first.port(), second.port());
        firstPid = first.pid();
        secondPid = second.pid();
        firstPrefix = first.prefix();
        EXPECT_TRUE(QFileInfo(firstPrefix + QStringLiteral("/nginx.conf")).isFile());
        EXPECT_TRUE(firstPrefix.startsWith(QDir::tempPath()));
        EXPECT_NE(first.prefix(), second.prefix());
        EXPECT_EQ(fetchBody(first.url()).exitCode, 0);
        EXPECT_EQ(fetchBody(second.url()).exitCode, 0);

        second.stop();
        EXPECT_EQ(second.pid(), -1);
        EXPECT_NE(fetchBody(second.url()).exitCode, 0);
        EXPECT_EQ(fetchBody(first.url()).exitCode, 0);
    }
    ASSERT_GT(firstPid, 0);
    ASSERT_GT(secondPid, 0);
    // Reaped, not merely killed: a zombie would still answer kill(pid, 0).
    errno = 0;
    EXPECT_EQ(::kill(firstPid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    errno = 0;
    EXPECT_EQ(::kill(secondPid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(QFileInfo::exists(firstPrefix));
}

} // namespace
