#include "site-downloader/http/InternetFileDownload.h"

#include "site-downloader/http/CFHTTPEngine.h"

namespace {

constexpr int kHTTPStatusOK = 200;

} // namespace

InternetFileDownload::InternetFileDownload(QString targetURLString, InternetFileDownloadDelegate *delegate,
                                           InternetFileDownloadProgressIndicator *progressIndicator)
    : _targetURL(std::move(targetURLString))
    , _progressIndicator(progressIndicator)
    , _delegate(delegate)
{
}

InternetFileDownload::~InternetFileDownload()
{
    *_alive = false;
    if (_progressIndicator)
        _progressIndicator->stopAnimation();
    if (_engine) {
        // A completion now would reach an object that is half gone.
        _engine->callBack = nullptr;
        CFHTTPEngineRelease(_engine);
        _engine = nullptr;
    }
    _contextPtr = nullptr;
}

void InternetFileDownload::setAuthentication(bool use, const QString &username, const QString &password)
{
    _useAuthentication = use;
    _username = username;
    _password = password;
}

Status InternetFileDownload::start()
{
    if (_engine && _busy)
        return kStateErr;
    if (_progressIndicator)
        _progressIndicator->startAnimation();
    if (const Status status = CFHTTPEngineRecreate(&_engine))
        return status;
    if (_useAuthentication)
        CFHTTPEngineSetAuthentication(_engine, _username, _password);
    const Status status = CFHTTPEngineSendRequest(_engine, _targetURL.toUtf8(), "GET", nullptr, nullptr,
                                                  kCFHTTPEngineFlagReportProgress, static_cast<double>(_timeout),
                                                  InternetFileDownload_HTTPRequestCallBack, this, nullptr);
    if (status != kNoErr) {
        CFHTTPEngineDiscard(&_engine);
        return status;
    }
    _busy = true;
    return kNoErr;
}

void InternetFileDownload::stop()
{
    CFHTTPEngine *engine = _engine;
    if (!engine)
        return;
    const std::shared_ptr<bool> alive = _alive;
    CFHTTPEngineStop(engine, kCanceledErr);
    if (!*alive)
        return;
    _engine = nullptr;
    CFHTTPEngineRelease(engine);
    _busy = false;
}

void InternetFileDownload::HTTPRequestEvent(int32_t event, Status status, CFHTTPEngine *engine)
{
    if (event == kCFHTTPEngineEventProgress)
        reportProgress(engine);
    else if (event == kCFHTTPEngineEventComplete)
        reportCompletion(status, engine);
}

void InternetFileDownload::reportProgress(CFHTTPEngine *engine)
{
    const int64_t bytesSoFar = engine->response.data ? engine->response.data->size() : 0;
    if (_progressIndicator)
        _progressIndicator->showProgress(bytesSoFar, engine->contentLength);
    if (_delegate)
        _delegate->internetFileDownloadProgress(this, bytesSoFar, engine->contentLength);
}

void InternetFileDownload::reportCompletion(Status status, CFHTTPEngine *engine)
{
    if (_progressIndicator)
        _progressIndicator->stopAnimation();
    auto response = std::make_shared<InternetFileDownloadResponse>();
    response->_originalURL = _targetURL;
    int statusCode = 0;
    if (const auto &headers = engine->response.headers) {
        response->_responseLineStringRef = QString::fromLatin1(headers->statusLine);
        statusCode = headers->statusCode;
        if (statusCode == kHTTPStatusOK && engine->response.data)
            response->_data = *engine->response.data;
    }
    Status reported = status;
    // A status line without a readable code must not pass for success without a body.
    if (reported == kNoErr && statusCode != kHTTPStatusOK)
        reported = statusCode > 0 ? statusCode : kResponseErr;

    const std::shared_ptr<bool> alive = _alive;
    if (_delegate)
        _delegate->internetFileDownloadComplete(this, reported, response);
    if (*alive)
        _busy = false;
}

void InternetFileDownload_HTTPRequestCallBack(CFHTTPEngine *engine, int32_t event, Status status, void *refCon)
{
    static_cast<InternetFileDownload *>(refCon)->HTTPRequestEvent(event, status, engine);
}
