// The argument builder and the interpretation of wget's output into delegate messages.
#include "platform/LocalizedString.h"
#include "site-downloader/wget/WgetEngineHelper.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "tests/fixtures/FakeWget.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct SavedFile {
    QString path;
    std::optional<QString> source;
    bool operator==(const SavedFile &) const = default;
};

class RecordingDelegate final : public WgetEngineHelperDelegate
{
public:
    void wgetStatus(WgetEngineHelper *, const QString &text) override { statuses << text; }
    void wgetVerboseLog(WgetEngineHelper *, const QString &text) override { log << text; }
    void wgetFileDownloadProgress(uint32_t percent, uint64_t total) override { progress.push_back({percent, total}); }
    void wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &source) override
    {
        saved.push_back({path, source});
    }
    void wgetFinished(WgetEngineHelper *helper, int32_t error) override
    {
        results.push_back(error);
        if (onFinished)
            onFinished(helper);
    }

    QStringList statuses;
    QStringList log;
    std::vector<std::pair<uint32_t, uint64_t>> progress;
    std::vector<SavedFile> saved;
    std::vector<int32_t> results;
    std::function<void(WgetEngineHelper *)> onFinished;
};

std::shared_ptr<WgetEnginePreferences> optionsFor(const QString &address)
{
    auto options = std::make_shared<WgetEnginePreferences>();
    options->setBaseURL(address);
    options->setOutputDirectory(QStringLiteral("/tmp/out"), false);
    return options;
}

// The child's arguments, without the executable path and the program name.
QStringList childArguments(WgetEngineHelper &helper)
{
    QStringList result;
    const auto &arguments = helper.arguments();
    for (size_t index = 2; index < arguments.size(); ++index)
        result << QString::fromUtf8(arguments[index]);
    return result;
}

} // namespace

TEST(WgetEngineHelperArguments, DefaultOptions)
{
    WgetEngineHelper helper;
    auto options = std::make_shared<WgetEnginePreferences>();
    options->setBaseURL(QStringLiteral("http://example.org/"));
    helper.setPreferences(options);
    ASSERT_EQ(helper.setupArguments(), kNoErr);
    ASSERT_GE(helper.arguments().size(), 2u);
    EXPECT_TRUE(QFileInfo(QString::fromUtf8(helper.arguments()[0])).isExecutable());
    EXPECT_EQ(helper.arguments()[1], "wget");
    const QString folder = QDir::homePath() + QStringLiteral("/Desktop/") + LocalizedString("kDownloadFolderBaseNameKey");
    EXPECT_EQ(childArguments(helper), (QStringList{"--progress=dot", "-e robots=off", "-r", "-l5", "-k", "-p", "-N",
                                                   "-P" + folder, "--", "http://example.org/"}));
}

TEST(WgetEngineHelperArguments, EachOptionInItsPlace)
{
    struct Case {
        const char *name;
        std::function<void(WgetEnginePreferences &)> set;
        QStringList expected;     // after "--progress=dot", "-e robots=off"
        QStringList afterFolder;  // after "-P/tmp/out", before "--" and the address
    };
    const std::vector<Case> cases = {
        {"nothing", [](auto &o) { o._recursive = o._relinkForOfflineBrowsing = o._getAllFilesRequiredToViewHTMLPage = false; o._fileHandlingType = 1; }, {}},
        {"delay", [](auto &o) { o._delayBetweenRetrievals = true; o._delayLengthInSeconds = 7; }, {"-w7"}},
        {"flat", [](auto &o) { o._recreateFolderHierarchyOnLocalDisk = false; }, {"-nd"}},
        {"unlimited depth", [](auto &o) { o._recursive = true; o._recursionLevelMax = 0; }, {"-r"}},
        {"keep original", [](auto &o) { o._relinkForOfflineBrowsing = true; o._relinkForOfflineBrowsingKeepOriginalPage = true; }, {"-k", "-K"}},
        {"no -K without -k", [](auto &o) { o._relinkForOfflineBrowsingKeepOriginalPage = true; }, {}},
        {"relative and foreign", [](auto &o) { o._followRelativeLinksOnly = o._allowRecursionToForeignHosts = true; }, {"-L", "-H"}},
        {"lists", [](auto &o) {
             o._allowOnlySomeDomains = o._skipSomeDomains = o._skipFilesWithSomeExtensions = o._skipSomeDirectories = true;
             o._skipSomeHTMLTags = o._onlyAllowFilesWithSomeExtensions = o._onlyAllowSomeDirectories = true;
             o.setAllowedDomainList(QStringLiteral("a.org,b.org")); o.setSkippedDomainList(QStringLiteral("c.org"));
             o.setSkippedExtensionList(QStringLiteral("gif,jpg")); o.setSkippedDirectoriesList(QStringLiteral("/x"));
             o.setSkippedHTMLTagsList(QStringLiteral("img")); o.setAcceptedExtensionList(QStringLiteral("html"));
             o.setAcceptedDirectoriesList(QStringLiteral("/y"));
         }, {"-Da.org,b.org", "--exclude-domains=c.org", "-Rgif,jpg", "-X/x", "--ignore-tags=img", "-Ahtml", "-I/y"}},
        {"enabled empty lists", [](auto &o) {
             o._skipSomeDomains = o._skipFilesWithSomeExtensions = true; o.setSkippedDomainList(QString());
         }, {}},
        {"empty accepted tags", [](auto &o) { o._onlyAllowSomeHTMLTags = true; }, {"--follow-tags="}},
        {"no parent", [](auto &o) { o._dontAscendIntoParentDirectories = true; }, {"-np"}},
        {"no clobber", [](auto &o) { o._fileHandlingType = 0; }, {"-nc"}},
        {"newer only", [](auto &o) { o._fileHandlingType = 2; }, {"-N"}},
        {"unknown handling", [](auto &o) { o._fileHandlingType = 9; }, {}},
        {"ftp", [](auto &o) { o._followFTPLinks = o._keepFileListingFiles = o._usePassiveFTPTransferMode = o._getSymLinks = true; },
         {}, {"--follow-ftp", "--no-remove-listing", "--passive-ftp", "--retr-symlinks"}},
    };
    for (const Case &testCase : cases) {
        WgetEngineHelper helper;
        auto options = optionsFor(QStringLiteral("http://example.org/"));
        options->_recursive = options->_relinkForOfflineBrowsing = options->_getAllFilesRequiredToViewHTMLPage = false;
        options->_fileHandlingType = 1;
        testCase.set(*options);
        helper.setPreferences(options);
        ASSERT_EQ(helper.setupArguments(), kNoErr) << testCase.name;
        const QStringList expected = QStringList{"--progress=dot", "-e robots=off"} + testCase.expected +
                                     QStringList{"-P/tmp/out"} + testCase.afterFolder +
                                     QStringList{"--", "http://example.org/"};
        EXPECT_EQ(childArguments(helper), expected) << testCase.name;
    }
}

TEST(WgetEngineHelperArguments, AddressesAreNeverOptions)
{
    for (const QString &address : {QStringLiteral("--output-file=/etc/x"), QString()}) {
        WgetEngineHelper helper;
        helper.setPreferences(optionsFor(address));
        ASSERT_EQ(helper.setupArguments(), kNoErr);
        const QStringList arguments = childArguments(helper);
        EXPECT_EQ(arguments.mid(arguments.size() - 2), (QStringList{"--", address}));
    }
}

TEST(WgetEngineHelperArguments, RefusalsBeforeAnythingStarts)
{
    WgetEngineHelper helper;
    EXPECT_EQ(helper.start(), kParamErr);
    auto options = std::make_shared<WgetEnginePreferences>();
    helper.setPreferences(options);
    EXPECT_EQ(helper.start(), kParamErr); // no address
    options->setBaseURL(QStringLiteral("http://example.org/"));
    {
        FakeWget fake(QStringLiteral("exit 0"));
        QFile::remove(fake.executablePath());
        EXPECT_EQ(helper.start(), kNotFoundErr);
    }
}

TEST(WgetEngineHelperCredentials, PasswordTravelsInAPrivateStartupFile)
{
    WgetEngineHelper helper;
    auto options = optionsFor(QStringLiteral("http://example.org/"));
    options->_useAuthentication = true;
    options->setUsername(QStringLiteral("someone"));
    options->setPassword(QStringLiteral("s3cr#t=x"));
    helper.setPreferences(options);
    ASSERT_EQ(helper.setupArguments(), kNoErr);
    const QStringList arguments = childArguments(helper);
    EXPECT_FALSE(arguments.join(QLatin1Char(' ')).contains(QStringLiteral("s3cr#t")));
    const QStringList config = arguments.filter(QStringLiteral("--config="));
    ASSERT_EQ(config.size(), 1);
    QFile file(config.front().mid(9));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther), 0);
    const QByteArray contents = file.readAll();
    EXPECT_TRUE(contents.endsWith("http_user = someone\nhttp_password = s3cr#t=x\n"));
    helper.stop();
    EXPECT_FALSE(QFile::exists(file.fileName()));
}

TEST(WgetEngineHelperCredentials, UnsendableCredentialsAreRefused)
{
    for (const QString &password : {QStringLiteral("line\nbreak"), QStringLiteral("cr\r"), QStringLiteral(" lead"),
                                    QStringLiteral("trail ")}) {
        WgetEngineHelper helper;
        auto options = optionsFor(QStringLiteral("http://example.org/"));
        options->_useAuthentication = true;
        options->setUsername(QStringLiteral("someone"));
        options->setPassword(password);
        helper.setPreferences(options);
        EXPECT_FALSE(helper.problemWithPreferences().isEmpty());
        EXPECT_EQ(helper.start(), kParamErr);
    }
    // Out of the accepted lengths, credentials are silently left out, as before.
    WgetEngineHelper helper;
    auto options = optionsFor(QStringLiteral("http://example.org/"));
    options->_useAuthentication = true;
    options->setUsername(QString(256, QLatin1Char('u')));
    options->setPassword(QStringLiteral("p"));
    helper.setPreferences(options);
    ASSERT_EQ(helper.setupArguments(), kNoErr);
    EXPECT_TRUE(childArguments(helper).filter(QStringLiteral("--config")).isEmpty());
}

namespace {

// A real wget 1.21 transcript of a small recursive run, with lines added for the corner cases.
const QByteArray kTranscript =
    "--2026-12-06 21:20:50--  http://127.0.0.1:45703/\n"
    "Connecting to 127.0.0.1:45703... connected.\n"
    "HTTP request sent, awaiting response... 200 OK\n"
    "Length: 191 [text/html]\n"
    "Saving to: \xE2\x80\x98/tmp/dl/127.0.0.1:45703/index.html\xE2\x80\x99\n"
    "\n"
    "     0K                                                       100% 28.3M=0s\n"
    "\n"
    "2026-12-06 21:20:50 (28.3 MB/s) - \xE2\x80\x98/tmp/dl/127.0.0.1:45703/index.html\xE2\x80\x99 saved [191/191]\n"
    "\n"
    "--2026-12-06 21:20:50--  http://127.0.0.1:45703/big.bin\n"
    "Reusing existing connection to 127.0.0.1:45703.\n"
    "HTTP request sent, awaiting response... 200 OK\n"
    "Length: 5,368,709,120 (5.0G) [application/octet-stream]\n"
    "     0K .......... .......... .......... .......... ..........  5%  140M 0s\n"
    "    50K .......... .......... .......... .......... .......... 45%  140M 0s\n"
    "2026-12-06 21:20:51 (31.7 MB/s) - \xE2\x80\x98/tmp/dl/127.0.0.1:45703/big.bin\xE2\x80\x99 saved [5368709120/5368709120]\n"
    "2026-12-06 21:20:51 (31.7 MB/s) - \xE2\x80\x98/tmp/dl/127.0.0.1:45703/again.bin\xE2\x80\x99 saved [1/1]\n"
    "--2026-12-06 21:20:51--  http://127.0.0.1:45703/caf\xC3\xA9\xFF.html\n"
    "2026-12-06 21:20:51 (31.7 MB/s) - \xE2\x80\x98/tmp/dl/bad\xFF.html\xE2\x80\x99 saved [1/1]\n"
    "FINISHED --2026-12-06 21:20:51--\n"
    "Total wall clock time: 0.004s\n"
    "Downloaded: 3 files, 5.0G in 1s (14.0 MB/s)\n";

} // namespace

TEST(WgetEngineHelperInterpretation, TranscriptBecomesDelegateMessages)
{
    FakeWget fake(QStringLiteral("cat \"%1\" >&2").arg(WriteTranscript(QDir::tempPath(), kTranscript)));
    RecordingDelegate delegate;
    WgetEngineHelper helper;
    helper.setDelegate(&delegate);
    helper.setPreferences(optionsFor(QStringLiteral("http://127.0.0.1:45703/")));
    ASSERT_EQ(helper.start(), kNoErr);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !delegate.results.empty(); }));

    EXPECT_EQ(delegate.results, std::vector<int32_t>{kNoErr});
    const QString waiting = LocalizedString("kWaitingForMessageKey");
    EXPECT_EQ(delegate.statuses,
              (QStringList{LocalizedString("kStartedMessageKey"), LocalizedString("kConnectedMessageKey"),
                           QString(waiting).replace("%@", "http://127.0.0.1:45703/big.bin")}));
    EXPECT_EQ(delegate.saved, (std::vector<SavedFile>{
                                  {"/tmp/dl/127.0.0.1:45703/index.html", QString("http://127.0.0.1:45703/")},
                                  {"/tmp/dl/127.0.0.1:45703/big.bin", QString("http://127.0.0.1:45703/big.bin")},
                                  {"/tmp/dl/127.0.0.1:45703/again.bin", std::nullopt},
                              }));
    EXPECT_EQ(delegate.progress, (std::vector<std::pair<uint32_t, uint64_t>>{
                                     {100, 191}, {5, 5368709120u}, {45, 5368709120u}}));

    // Three pieces per valid line: time stamp, line, line feed. The two invalid lines give none.
    const int lineCount = static_cast<int>(kTranscript.count('\n')) - 2;
    ASSERT_EQ(delegate.log.size(), 3 * lineCount);
    EXPECT_TRUE(QRegularExpression(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}\] $)").match(delegate.log[0]).hasMatch());
    EXPECT_EQ(delegate.log[1], "--2026-12-06 21:20:50--  http://127.0.0.1:45703/");
    EXPECT_EQ(delegate.log[2], "\n");
}

TEST(WgetEngineHelperLifecycle, StopFromInsideFinishedAndDestroyFromInsideFinished)
{
    FakeWget fake(QStringLiteral("echo line >&2; sleep 60"));
    {
        RecordingDelegate delegate;
        WgetEngineHelper helper;
        delegate.onFinished = [](WgetEngineHelper *finished) { finished->stop(); };
        helper.setDelegate(&delegate);
        helper.setPreferences(optionsFor(QStringLiteral("http://example.org/")));
        ASSERT_EQ(helper.start(), kNoErr);
        helper.stop();
        EXPECT_EQ(delegate.results, std::vector<int32_t>{kEndingErr});
        helper.stop();
        EXPECT_EQ(delegate.results.size(), 1u);
    }
    {
        RecordingDelegate delegate;
        auto *helper = new WgetEngineHelper;
        delegate.onFinished = [](WgetEngineHelper *finished) { delete finished; };
        helper->setDelegate(&delegate);
        helper->setPreferences(optionsFor(QStringLiteral("http://example.org/")));
        ASSERT_EQ(helper->start(), kNoErr);
        helper->stop();
        EXPECT_EQ(delegate.results, std::vector<int32_t>{kEndingErr});
    }
    EXPECT_EQ(ProcessProbe::childProcessCount(), 0);
}

TEST(WgetEngineHelperLifecycle, AStartThatFailsAfterInitStillFinishes)
{
    FakeWget fake(QStringLiteral("exit 0"));
    RecordingDelegate delegate;
    WgetEngineHelper helper;
    helper.setDelegate(&delegate);
    helper.setPreferences(optionsFor(QStringLiteral("http://example.org/")));
    // One ordinary start and stop first: the sanitizers' checks of dynamic types need a
    // descriptor the first time they meet a type, and there will be none below.
    ASSERT_EQ(helper.start(), kNoErr);
    helper.stop();
    delegate.results.clear();
    // With no descriptor left, the socket pair cannot be made.
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(ProcessProbe::openDescriptorCount() + 8);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> filler;
    for (int descriptor; (descriptor = open("/dev/null", O_RDONLY | O_CLOEXEC)) != -1;)
        filler.push_back(descriptor);
    const Status result = helper.start();
    for (int descriptor : filler)
        close(descriptor);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result, EMFILE);
    EXPECT_EQ(delegate.results, std::vector<int32_t>{kEndingErr});
}
