#pragma once

#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

struct CFHTTPEngine;
class InternetFileDownload;

// What one finished download hands its delegate.
struct InternetFileDownloadResponse {
    QString _originalURL;                          // the address, as given
    std::optional<QByteArray> _data;               // the body, only for an HTTP 200 answer
    std::optional<QString> _responseLineStringRef; // the status line, whenever a header arrived
};

// Both messages are optional; the defaults do nothing. Byte counts are 64-bit: bytesTotal is -1
// when the server announced no length.
class InternetFileDownloadDelegate
{
public:
    virtual void internetFileDownloadProgress(InternetFileDownload *, int64_t /*bytesSoFar*/, int64_t /*bytesTotal*/) {}
    // May destroy the download.
    virtual void internetFileDownloadComplete(InternetFileDownload *, Status,
                                              const std::shared_ptr<InternetFileDownloadResponse> &)
    {
    }

protected:
    ~InternetFileDownloadDelegate() = default;
};

// What a download shows on an optional progress indicator (ProgressBarIndicator adapts a
// QProgressBar).
class InternetFileDownloadProgressIndicator
{
public:
    virtual ~InternetFileDownloadProgressIndicator() = default;
    virtual void startAnimation() = 0;
    virtual void stopAnimation() = 0;
    // `maximum` negative: the total is unknown, so the indicator shows that it is busy rather
    // than a fraction.
    virtual void showProgress(int64_t value, int64_t maximum) = 0;
};

// Fetches one address into memory on the calling thread's event loop and reports to its
// delegate: progress, then exactly one completion per successful start. Neither the delegate
// nor the indicator is owned; a delegate that goes away first clears itself with setDelegate.
class InternetFileDownload final
{
public:
    InternetFileDownload(QString targetURLString, InternetFileDownloadDelegate *delegate,
                         InternetFileDownloadProgressIndicator *progressIndicator);
    // A download still running ends silently: its delegate hears nothing more.
    ~InternetFileDownload();
    InternetFileDownload(const InternetFileDownload &) = delete;
    InternetFileDownload &operator=(const InternetFileDownload &) = delete;

    void setTimeout(float seconds) { _timeout = seconds; }
    void setDelegate(InternetFileDownloadDelegate *delegate) { _delegate = delegate; }
    InternetFileDownloadDelegate *delegate() const { return _delegate; }
    void setContextPtr(void *context) { _contextPtr = context; }
    void *contextPtr() const { return _contextPtr; }
    bool isBusy() const { return _busy; }
    const QString &targetURL() const { return _targetURL; }
    void setAuthentication(bool use, const QString &username, const QString &password);

    // 0 once the request runs. kFormatErr for an address that does not parse, kStateErr while a
    // request of this object runs, otherwise the engine's status; no delegate call then.
    Status start();
    // Cancels: a running request completes with kCanceledErr before this returns.
    void stop();

    void HTTPRequestEvent(int32_t event, Status status, CFHTTPEngine *engine);

private:
    void reportProgress(CFHTTPEngine *engine);
    void reportCompletion(Status status, CFHTTPEngine *engine);

    CFHTTPEngine *_engine = nullptr;
    QString _targetURL;
    InternetFileDownloadProgressIndicator *_progressIndicator = nullptr;
    void *_contextPtr = nullptr;
    InternetFileDownloadDelegate *_delegate = nullptr;
    std::optional<QString> _password;
    std::optional<QString> _username;
    bool _useAuthentication = false;
    bool _busy = false;
    float _timeout = 16.0f;
    // Cleared by the destructor, so code that called out learns whether it may go on.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

void InternetFileDownload_HTTPRequestCallBack(CFHTTPEngine *engine, int32_t event, Status status, void *refCon);
