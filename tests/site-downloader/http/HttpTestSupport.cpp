#include "tests/site-downloader/http/HttpTestSupport.h"

#include "tests/fixtures/ProcessProbe.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdlib>

void RecordEngineEvent(CFHTTPEngine *engine, int32_t event, Status status, void *outcomePointer)
{
    auto *outcome = static_cast<EngineOutcome *>(outcomePointer);
    if (event == kCFHTTPEngineEventProgress) {
        if (outcome->progressEvents++ == 0)
            outcome->bytesAtFirstProgress = engine->response.data ? engine->response.data->size() : -1;
        if (outcome->stopInProgress)
            CFHTTPEngineStop(engine, kCanceledErr);
        return;
    }
    ++outcome->completions;
    outcome->status = status;
    outcome->headers = engine->response.headers;
    outcome->data = engine->response.data;
    outcome->contentLength = engine->contentLength;
    if (outcome->releaseInCallback)
        CFHTTPEngineRelease(engine);
}

EngineOutcome Fetch(const QByteArray &url, const FetchOptions &options)
{
    EngineOutcome outcome;
    outcome.releaseInCallback = options.releaseInCallback;
    outcome.stopInProgress = options.stopInProgress;
    CFHTTPEngine *engine = nullptr;
    if (CFHTTPEngineCreate(&engine) != kNoErr)
        return outcome;
    if (options.maximumBodySize > 0)
        engine->maximumBodySize = options.maximumBodySize;
    CFHTTPEngineSetAuthentication(engine, options.username, options.password);
    outcome.status = CFHTTPEngineSendRequest(engine, url, "GET", nullptr, nullptr, options.flags, options.timeout,
                                             RecordEngineEvent, &outcome, nullptr);
    if (outcome.status != kNoErr) {
        CFHTTPEngineRelease(engine);
        return outcome;
    }
    ProcessProbe::runEventLoopUntil([&] { return outcome.completions > 0; }, 30000);
    ProcessProbe::runEventLoopUntil([] { return false; }, 100);
    if (!outcome.releaseInCallback || outcome.completions == 0)
        CFHTTPEngineRelease(engine);
    return outcome;
}

ScopedEnvironment::ScopedEnvironment(const char *name, const QByteArray &value) : _name(name)
{
    if (const char *previous = std::getenv(name))
        _previous = previous;
    ::setenv(name, value.constData(), 1);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (_previous)
        ::setenv(_name, _previous->constData(), 1);
    else
        ::unsetenv(_name);
}

namespace {

// Not a pattern: sizes like this catch off-by-one slips in buffering.
QByteArray numberedBytes(int count)
{
    QByteArray bytes;
    bytes.reserve(count);
    for (int i = 0; i < count; ++i)
        bytes.append(static_cast<char>((i * 7 + i / 251) & 0xFF));
    return bytes;
}

} // namespace

TestSite::TestSite() : _fileBody(numberedBytes(300 * 1024 + 17)) {}

bool TestSite::start()
{
    const QDir root(_root.path());
    root.mkpath(QStringLiteral("private"));
    QFile file(root.filePath(QStringLiteral("file.bin")));
    if (!file.open(QIODevice::WriteOnly) || file.write(_fileBody) != _fileBody.size())
        return false;
    file.close();
    QFile(root.filePath(QStringLiteral("empty.txt"))).open(QIODevice::WriteOnly);
    QFile secret(root.filePath(QStringLiteral("private/secret.txt")));
    if (!secret.open(QIODevice::WriteOnly))
        return false;
    secret.write("secret body\n");
    secret.close();

    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), {QStringLiteral("passwd"), QStringLiteral("-apr1"), QStringLiteral("secret")});
    if (!openssl.waitForFinished(10000) || openssl.exitCode() != 0)
        return false;
    QFile htpasswd(root.filePath(QStringLiteral("htpasswd")));
    if (!htpasswd.open(QIODevice::WriteOnly))
        return false;
    htpasswd.write("user:" + openssl.readAllStandardOutput().trimmed() + '\n');
    htpasswd.close();

    const QString config = QStringLiteral(R"(
        location = /connection { return 200 "$connection"; }
        location = /via { return 200 "via=$http_via"; }
        location = /redirect { return 302 /file.bin; }
        location = /loop { return 302 /loop; }
        location /private/ { auth_basic "private"; auth_basic_user_file %1; }
)")
                               .arg(root.filePath(QStringLiteral("htpasswd")));
    _server = std::make_unique<NginxServer>(_root.path(), config);
    return _server->start();
}

QStringList TestSite::accessLog() const
{
    QFile log(_server->prefix() + QStringLiteral("/access.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
