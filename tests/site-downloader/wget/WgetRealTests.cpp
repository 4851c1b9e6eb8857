// The helper driving the real wget against a loopback nginx.
#include "site-downloader/wget/WgetEngineHelper.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "tests/fixtures/NginxServer.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RunRecorder final : public WgetEngineHelperDelegate
{
public:
    void wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &source) override
    {
        saved.push_back({path, source});
    }
    void wgetVerboseLog(WgetEngineHelper *, const QString &text) override { log += text; }
    void wgetFinished(WgetEngineHelper *, int32_t error) override { result = error; }

    std::vector<std::pair<QString, std::optional<QString>>> saved;
    QString log;
    std::optional<int32_t> result;
};

class WgetRealTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid() && output.isValid());
        pageCount = GeneratedSite::write(site.path(), 20);
        QDir(site.path()).mkpath(QStringLiteral("private"));
        QFile secret(site.path() + QStringLiteral("/private/index.html"));
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write("<html><body>secret</body></html>\n");
        secret.close();
        QProcess htpasswd;
        htpasswd.start(QStringLiteral("openssl"), {QStringLiteral("passwd"), QStringLiteral("-apr1"), QStringLiteral("pa ss#word")});
        ASSERT_TRUE(htpasswd.waitForFinished());
        QFile passwords(site.path() + QStringLiteral("/../htpasswd-") + QFileInfo(site.path()).fileName());
        ASSERT_TRUE(passwords.open(QIODevice::WriteOnly));
        passwords.write("someone:" + htpasswd.readAllStandardOutput());
        passwords.close();
        server = std::make_unique<NginxServer>(
            site.path(), QStringLiteral("location /private/ { auth_basic \"private\"; auth_basic_user_file %1; }\n"
                                        "location = /moved { return 302 /page1.html; }\n")
                             .arg(QFileInfo(passwords).absoluteFilePath()));
        QString problem;
        ASSERT_TRUE(server->start(&problem)) << problem.toStdString();
    }

    std::shared_ptr<WgetEnginePreferences> options(const QString &path)
    {
        auto preferences = std::make_shared<WgetEnginePreferences>();
        preferences->setBaseURL(server->url(path));
        preferences->setOutputDirectory(output.path(), false);
        return preferences;
    }

    int32_t run(const std::shared_ptr<WgetEnginePreferences> &preferences, RunRecorder &recorder)
    {
        WgetEngineHelper helper;
        helper.setDelegate(&recorder);
        helper.setPreferences(preferences);
        EXPECT_EQ(helper.start(), kNoErr);
        EXPECT_TRUE(ProcessProbe::runEventLoopUntil([&] { return recorder.result.has_value(); }, 60000));
        return recorder.result.value_or(1);
    }

    QTemporaryDir site;
    QTemporaryDir output;
    int pageCount = 0;
    std::unique_ptr<NginxServer> server;
};

} // namespace

TEST_F(WgetRealTest, MirrorReportsEverySavedFileWithItsSource)
{
    RunRecorder recorder;
    EXPECT_EQ(run(options(QStringLiteral("/index.html")), recorder), kNoErr) << recorder.log.toStdString();
    QSet<QString> reported;
    for (const auto &[path, source] : recorder.saved) {
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
        ASSERT_TRUE(source.has_value()) << path.toStdString();
        EXPECT_TRUE(source->startsWith(server->url(QStringLiteral("/")))) << source->toStdString();
        EXPECT_TRUE(path.endsWith(QUrl(*source).path().mid(1))) << path.toStdString();
        reported.insert(path);
    }
    QSet<QString> onDisk;
    for (QDirIterator files(output.path(), QDir::Files, QDirIterator::Subdirectories); files.hasNext();)
        onDisk.insert(files.next());
    EXPECT_EQ(reported, onDisk);
    EXPECT_EQ(onDisk.size(), pageCount);
}

TEST_F(WgetRealTest, EveryArgumentFormIsAcceptedByWget)
{
    const std::vector<std::function<void(WgetEnginePreferences &)>> variants = {
        [](auto &o) { o._delayBetweenRetrievals = true; o._delayLengthInSeconds = 0; },
        [](auto &o) { o._recreateFolderHierarchyOnLocalDisk = false; o._recursionLevelMax = 0; },
        [](auto &o) { o._relinkForOfflineBrowsingKeepOriginalPage = true; o._followRelativeLinksOnly = true; },
        [](auto &o) { o._allowRecursionToForeignHosts = true; o._allowOnlySomeDomains = true; o.setAllowedDomainList(QStringLiteral("127.0.0.1")); },
        [](auto &o) { o._skipSomeDomains = true; o.setSkippedDomainList(QStringLiteral("example.org,example.net")); },
        [](auto &o) { o._skipFilesWithSomeExtensions = true; o.setSkippedExtensionList(QStringLiteral("png,gif")); },
        [](auto &o) { o._skipSomeDirectories = true; o.setSkippedDirectoriesList(QStringLiteral("/private")); },
        [](auto &o) { o._skipSomeHTMLTags = true; o.setSkippedHTMLTagsList(QStringLiteral("img")); },
        [](auto &o) { o._dontAscendIntoParentDirectories = true; o._onlyAllowFilesWithSomeExtensions = true; o.setAcceptedExtensionList(QStringLiteral("html")); },
        [](auto &o) { o._onlyAllowSomeDirectories = true; o.setAcceptedDirectoriesList(QStringLiteral("/")); },
        [](auto &o) { o._onlyAllowSomeHTMLTags = true; o.setAcceptedHTMLTagsList(QStringLiteral("a")); },
        [](auto &o) { o._onlyAllowSomeHTMLTags = true; },
        [](auto &o) { o._fileHandlingType = 0; }, // wget warns that -k overrides -nc, and goes on
        [](auto &o) { o._fileHandlingType = 1; o._relinkForOfflineBrowsing = false; },
        [](auto &o) { o._followFTPLinks = o._keepFileListingFiles = o._usePassiveFTPTransferMode = o._getSymLinks = true; },
        [](auto &o) { o._useAuthentication = true; o.setUsername(QStringLiteral("someone")); o.setPassword(QStringLiteral("pa ss#word")); },
    };
    for (size_t index = 0; index < variants.size(); ++index) {
        auto preferences = options(QStringLiteral("/index.html"));
        preferences->_recursionLevelMax = 1;
        variants[index](*preferences);
        RunRecorder recorder;
        const int32_t result = run(preferences, recorder);
        EXPECT_EQ(result, kNoErr) << "variant " << index << "\n" << recorder.log.toStdString();
        EXPECT_FALSE(recorder.log.contains(QStringLiteral("invalid option")) || recorder.log.contains(QStringLiteral("unrecognized option")));
        QDir(output.path()).removeRecursively();
        QDir().mkpath(output.path());
    }
}

TEST_F(WgetRealTest, ListsRestrictTheDownload)
{
    auto preferences = options(QStringLiteral("/index.html"));
    preferences->_recreateFolderHierarchyOnLocalDisk = false;
    preferences->_onlyAllowFilesWithSomeExtensions = true;
    preferences->setAcceptedExtensionList(QStringLiteral("png"));
    RunRecorder recorder;
    ASSERT_EQ(run(preferences, recorder), kNoErr);
    // Pages are fetched to find links, then removed because they were not asked for.
    EXPECT_EQ(QDir(output.path()).entryList(QDir::Files), QStringList{QStringLiteral("picture.png")});
}

TEST_F(WgetRealTest, CredentialsOpenTheProtectedFolder)
{
    auto preferences = options(QStringLiteral("/private/index.html"));
    preferences->_recursive = false;
    preferences->_useAuthentication = true;
    preferences->setUsername(QStringLiteral("someone"));
    preferences->setPassword(QStringLiteral("pa ss#word"));
    RunRecorder allowed;
    EXPECT_EQ(run(preferences, allowed), kNoErr) << allowed.log.toStdString();
    ASSERT_EQ(allowed.saved.size(), 1u);
    EXPECT_TRUE(QFile::exists(allowed.saved.front().first));

    preferences->setPassword(QStringLiteral("wrong"));
    RunRecorder refused;
    EXPECT_EQ(run(preferences, refused), kAuthenticationErr);
}

TEST_F(WgetRealTest, FailuresNameTheirCause)
{
    auto missing = options(QStringLiteral("/missing.html"));
    missing->_recursive = false;
    RunRecorder notFound;
    EXPECT_EQ(run(missing, notFound), kResponseErr);

    auto redirected = options(QStringLiteral("/moved"));
    redirected->_recursive = false;
    RunRecorder followed;
    EXPECT_EQ(run(redirected, followed), kNoErr);
    ASSERT_EQ(followed.saved.size(), 2u); // the page and its picture
    EXPECT_TRUE(followed.saved.front().second->startsWith(server->url(QStringLiteral("/page1.html"))));

    const QString address = server->url(QStringLiteral("/"));
    server->stop();
    auto refused = options(QStringLiteral("/"));
    refused->setBaseURL(address);
    RunRecorder unreachable;
    EXPECT_EQ(run(refused, unreachable), kConnectionErr);
}
