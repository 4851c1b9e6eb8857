#pragma once

#include "site-downloader/http/CFHTTPEngine.h"
#include "tests/fixtures/NginxServer.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// What one asynchronous request through the engine reported, kept for the assertions.
struct EngineOutcome {
    int completions = 0;
    int progressEvents = 0;
    int64_t bytesAtFirstProgress = -1;
    Status status = 1;
    std::optional<CFHTTPMessage> headers;
    std::optional<QByteArray> data;
    int64_t contentLength = -2;
    bool releaseInCallback = false;
    bool stopInProgress = false;
};

struct FetchOptions {
    uint32_t flags = kCFHTTPEngineFlagReportProgress;
    double timeout = 10;
    std::optional<QString> username;
    std::optional<QString> password;
    int64_t maximumBodySize = 0; // 0: the engine's default
    bool releaseInCallback = false;
    bool stopInProgress = false;
};

void RecordEngineEvent(CFHTTPEngine *engine, int32_t event, Status status, void *outcome);

// Sends a GET on a new engine, waits for the completion and a little beyond it (to catch a second
// one), then releases the engine unless the callback did.
EngineOutcome Fetch(const QByteArray &url, const FetchOptions &options = {});

// Sets an environment variable for the life of the object.
class ScopedEnvironment final
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value);
    ~ScopedEnvironment();

private:
    const char *_name;
    std::optional<QByteArray> _previous;
};

// A loopback nginx over a folder with a few files, echo locations and a protected area.
class TestSite final
{
public:
    TestSite();
    bool start();
    NginxServer &server() { return *_server; }
    QByteArray url(const QString &path) const { return _server->url(path).toUtf8(); }
    // Access log lines so far (one per request nginx answered).
    QStringList accessLog() const;
    QByteArray fileBody() const { return _fileBody; }

private:
    QTemporaryDir _root;
    QByteArray _fileBody;
    std::unique_ptr<NginxServer> _server;
};
