#pragma once

#include "site-downloader/http/CFHTTPMessage.h"
#include "utilities/ErrorCodes.h"

#include "platform/CurlEventLoop.h"
#include "platform/EventSources.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QEventLoop;

// One HTTP request at a time on the event loop of the calling thread (libcurl underneath). The
// whole body collects in memory; an inactivity time-out, credentials answered once per request
// when the original server or the proxy asks, the session's proxies, and one callback for
// progress and for the single completion of every request that was sent successfully.
//
// Calling order: CFHTTPEngineCreate, optionally CFHTTPEngineSetAuthentication,
// CFHTTPEngineSendRequest; progress events; exactly one completion; CFHTTPEngineRelease, which
// is also allowed from inside the callback. A new send on the same engine discards the previous
// request and response.

enum : uint32_t {
    kCFHTTPEngineFlagSynchronous = 1,          // the send waits in a nested event loop
    kCFHTTPEngineFlagPersistentConnection = 2, // the connection may be kept and reused
    kCFHTTPEngineFlagNoAutoRedirect = 4,       // redirects are answered, not followed
    kCFHTTPEngineFlagReleaseWhenDone = 8,      // internal: an engine the send created frees itself
    kCFHTTPEngineFlagReportProgress = 16,      // progress events are delivered
};

enum : int32_t {
    kCFHTTPEngineEventComplete = 0, // the request ended; the status is final
    kCFHTTPEngineEventProgress = 1, // more of the body arrived; the status is 0
};

// At most this many redirects are followed; a longer chain ends with kOverrunErr.
inline constexpr long kCFHTTPEngineMaximumRedirects = 20;
// Progress events come at most this often.
inline constexpr double kCFHTTPEngineProgressInterval = 0.3;

struct CFHTTPEngine;
using CFHTTPEngineCallBack = void (*)(CFHTTPEngine *engine, int32_t event, Status status, void *refCon);

struct CFHTTPResponse {
    std::optional<CFHTTPMessage> headers; // the final response's header; none until it arrived
    std::optional<QByteArray> data;       // the final response's body so far
};

struct CFHTTPEngine final : CurlTransferListener {
    QEventLoop *runLoop = nullptr;  // the nested loop of a synchronous send, while it waits
    CURL *stream = nullptr;         // the transfer of the current request; null when idle
    std::unique_ptr<EventSource> timer; // inactivity timer; none when idle or no time-out wanted
    double timeout = -1;            // seconds of inactivity; negative: no timer
    uint32_t flags = 0;
    Status status = 0;              // the final status, set by CFHTTPEngineStop
    CFHTTPEngineCallBack callBack = nullptr; // cleared just before the completion call
    void *refCon = nullptr;
    int32_t refCount = 1;
    std::optional<QString> username;
    std::optional<QString> password;
    std::shared_ptr<const CFHTTPMessage> request;
    CFHTTPResponse response;        // stays after completion until the next send or the release
    double lastProgressTime = 0;    // monotonic seconds of the last progress event
    int64_t contentLength = -1;     // the final response's "Content-Length"; -1 when none

    // Bodies larger than this end the request with kSizeErr. Set before sending.
    int64_t maximumBodySize = 0;

    // Transport state of the current request.
    struct curl_slist *requestHeaderList = nullptr;
    CFHTTPMessage incomingHeader;   // the response header being received
    bool incomingHeaderComplete = false;
    double lastActivityTime = 0;
    Status failureSeen = 0;         // a failure the engine itself found inside a libcurl callback
    bool activityNoted = false;

    void curlTransferActive() override;
    void curlTransferDone(CURLcode result) override;
};

// 4 GiB, or half of this machine's memory when that is less.
int64_t CFHTTPEngineDefaultMaximumBodySize();

Status CFHTTPEngineCreate(CFHTTPEngine **outEngine);
// Stops a running request with kEndingErr (reported to its callback), then drops one reference.
void CFHTTPEngineRelease(CFHTTPEngine *engine);
// For an owner that keeps one engine per request: clears the owner's pointer before releasing,
// so a completion delivered by the release never sees the engine it is freeing.
void CFHTTPEngineDiscard(CFHTTPEngine **engine);
// Discards the owner's engine of an earlier request, if any, and makes a fresh one in its place
// (null on failure).
Status CFHTTPEngineRecreate(CFHTTPEngine **engine);
// Credentials for the next requests; they answer a challenge, never go out unasked, and only to
// the origin of the request's own address or to the proxy.
Status CFHTTPEngineSetAuthentication(CFHTTPEngine *engine, const std::optional<QString> &username,
                                     const std::optional<QString> &password);
// `engine` may be null: the send creates one, which frees itself after an asynchronous request.
// kParamErr without an address or method; kFormatErr for an address that does not parse;
// kUnsupportedErr for a scheme other than http and https; kRequestErr for `responseOut` without
// kCFHTTPEngineFlagSynchronous. A failed send never calls `callBack`.
Status CFHTTPEngineSendRequest(CFHTTPEngine *engine, const QByteArray &url, const QByteArray &method,
                               const CFHTTPHeaderFields *headerFields, const QByteArray *body, uint32_t flags,
                               double timeout, CFHTTPEngineCallBack callBack, void *refCon,
                               CFHTTPResponse *responseOut);
Status CFHTTPEngineSendMessage(CFHTTPEngine *engine, std::shared_ptr<const CFHTTPMessage> request, uint32_t flags,
                               double timeout, CFHTTPEngineCallBack callBack, void *refCon,
                               CFHTTPResponse *responseOut);
// Ends the current request with `status` and reports its completion, once. Callers cancel with
// kCanceledErr. Harmless when nothing runs.
void CFHTTPEngineStop(CFHTTPEngine *engine, Status status);

// The session's proxy for the transfer's address, and the hosts that go direct. kNotFoundErr
// when the session names no proxy for that scheme.
Status CFHTTPStreamSetupProxies(CURL *stream, const QByteArray &address);

// Internal.
void CFHTTPEngineCleanup(CFHTTPEngine *engine, bool full);
Status CFHTTPEngineSetupStream(CFHTTPEngine *engine);
void CFHTTPEngineTimerCallBack(CFHTTPEngine *engine);
