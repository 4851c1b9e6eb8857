#include "site-downloader/http/CFHTTPEngine.h"

#include "platform/ProxySettings.h"
#include "site-downloader/http/CurlStatusCodes.h"

#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <new>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// libcurl reads from the socket in pieces of this size; its default (16 KiB) leaves a loopback
// transfer on the event loop well behind the curl program.
constexpr long kReceiveBufferSize = 100 * 1024;
constexpr int64_t kDefaultMaximumBodySize = int64_t{4} << 30;

double monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool isTokenCharacter(char c)
{
    static constexpr std::string_view kTokenPunctuation = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
        || kTokenPunctuation.find(c) != std::string_view::npos;
}

bool isToken(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenCharacter);
}

// A line break in a field would let the value start a header or a request of its own.
bool isSafeFieldValue(const QByteArray &value)
{
    return !value.contains('\r') && !value.contains('\n') && !value.contains('\0');
}

// The scheme of `address` in lower case, or the reason the address is refused.
Status schemeOfAddress(const QByteArray &address, std::string *outScheme)
{
    if (address.isEmpty())
        return kParamErr;
    if (address.contains('\0'))
        return kFormatErr;
    CURLU *parsed = curl_url();
    if (!parsed)
        return kNoMemoryErr;
    Status status = kFormatErr;
    char *scheme = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, address.constData(), 0) == CURLUE_OK
        && curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
        *outScheme = scheme;
        status = (*outScheme == "http" || *outScheme == "https") ? kNoErr : kUnsupportedErr;
    }
    curl_free(scheme);
    curl_url_cleanup(parsed);
    return status;
}

Status validateRequest(const CFHTTPMessage &request)
{
    if (request.method.isEmpty())
        return kParamErr;
    std::string scheme;
    if (const Status status = schemeOfAddress(request.address, &scheme))
        return status;
    if (!isToken(request.method))
        return kParamErr;
    for (const auto &[name, value] : request.headerFields) {
        if (!isToken(name) || !isSafeFieldValue(value))
            return kParamErr;
    }
    return kNoErr;
}

// The leading decimal digits, as many as there are; saturates instead of overflowing.
int64_t contentLengthOf(const CFHTTPMessage &header)
{
    const std::optional<QByteArray> field = header.headerFieldValue("Content-Length");
    if (!field)
        return -1;
    int64_t length = 0;
    for (const char c : *field) {
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        if (length > (INT64_MAX - digit) / 10)
            return INT64_MAX;
        length = length * 10 + digit;
    }
    return length;
}

int statusCodeOf(const QByteArray &statusLine)
{
    const qsizetype space = statusLine.indexOf(' ');
    if (space < 0 || statusLine.size() < space + 4)
        return 0;
    int code = 0;
    for (qsizetype i = space + 1; i < space + 4; ++i) {
        const char c = statusLine[i];
        if (c < '0' || c > '9')
            return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

// Faulting in a large body 4 KiB at a time costs more than receiving it (most of the time of a
// loopback gigabyte); huge pages take a 512th of the faults. Advice only: refused, it changes
// nothing.
void adviseHugePages(QByteArray &data)
{
    constexpr uintptr_t kHugePageSize = uintptr_t{2} << 20;
    if (data.capacity() < qsizetype{2 * kHugePageSize})
        return;
    const auto begin = reinterpret_cast<uintptr_t>(data.data());
    const uintptr_t alignedBegin = (begin + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const uintptr_t alignedEnd = (begin + static_cast<uintptr_t>(data.capacity())) & ~(kHugePageSize - 1);
    if (alignedEnd > alignedBegin)
        ::madvise(reinterpret_cast<void *>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
}

void noteActivity(CFHTTPEngine *engine)
{
    engine->lastActivityTime = monotonicSeconds();
    if (!engine->activityNoted) {
        engine->activityNoted = true;
        NoteCurlTransferActivity(engine->stream);
    }
}

// libcurl shows every response of a request here: each redirect, the challenge before an
// authentication retry, a proxy's answer to CONNECT. A new status line starts over, so the
// header, the body and the length all belong to the final response.
size_t receiveHeaderLine(char *bytes, size_t size, size_t count, void *engineRecord)
{
    auto *engine = static_cast<CFHTTPEngine *>(engineRecord);
    const size_t length = size * count;
    noteActivity(engine);
    try {
        QByteArray line(bytes, static_cast<qsizetype>(length));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("HTTP/")) {
            engine->incomingHeader = CFHTTPMessage{};
            engine->incomingHeader.statusLine = line;
            engine->incomingHeader.statusCode = statusCodeOf(line);
            engine->incomingHeaderComplete = false;
            engine->response = CFHTTPResponse{};
            engine->contentLength = -1;
        } else if (engine->incomingHeaderComplete) {
            // trailer fields of a chunked body: not part of the header
        } else if (line.isEmpty()) {
            engine->incomingHeaderComplete = true;
            engine->response.headers = engine->incomingHeader;
            engine->contentLength = contentLengthOf(engine->incomingHeader);
        } else if ((line.startsWith(' ') || line.startsWith('\t')) && !engine->incomingHeader.headerFields.empty()) {
            engine->incomingHeader.headerFields.back().second += ' ' + line.trimmed();
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            engine->incomingHeader.headerFields.emplace_back(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
        }
    } catch (const std::bad_alloc &) {
        engine->failureSeen = kNoMemoryErr;
        return 0;
    }
    return length;
}

size_t receiveBody(char *bytes, size_t size, size_t count, void *engineRecord)
{
    auto *engine = static_cast<CFHTTPEngine *>(engineRecord);
    const size_t length = size * count;
    if (!engine->response.headers) {
        engine->failureSeen = kResponseErr;
        return 0;
    }
    try {
        if (!engine->response.data) {
            if (engine->contentLength > engine->maximumBodySize) {
                engine->failureSeen = kSizeErr;
                return 0;
            }
            engine->response.data.emplace();
            if (engine->contentLength > 0) {
                engine->response.data->reserve(static_cast<qsizetype>(engine->contentLength));
                adviseHugePages(*engine->response.data);
            }
        }
        QByteArray &data = *engine->response.data;
        if (static_cast<int64_t>(length) > engine->maximumBodySize - data.size()) {
            engine->failureSeen = kSizeErr;
            return 0;
        }
        data.append(bytes, static_cast<qsizetype>(length));
    } catch (const std::bad_alloc &) {
        engine->failureSeen = kNoMemoryErr;
        return 0;
    }
    noteActivity(engine);
    return length;
}

struct curl_slist *appendHeaderLine(struct curl_slist *list, const QByteArray &line, bool *failed)
{
    struct curl_slist *longer = curl_slist_append(list, line.constData());
    if (!longer)
        *failed = true;
    return longer ? longer : list;
}

// libcurl would add "Accept: */*", "Expect: 100-continue" and a form Content-Type of its own;
// the request carries only what its caller put there and what HTTP itself needs.
Status buildHeaderList(CFHTTPEngine *engine, bool sendsBody)
{
    const CFHTTPMessage &request = *engine->request;
    bool failed = false;
    struct curl_slist *list = nullptr;
    for (const auto &[name, value] : request.headerFields)
        list = appendHeaderLine(list, value.isEmpty() ? name + ';' : name + ": " + value, &failed);
    if (!request.headerFieldValue("Accept"))
        list = appendHeaderLine(list, "Accept:", &failed);
    if (!request.headerFieldValue("Expect"))
        list = appendHeaderLine(list, "Expect:", &failed);
    if (sendsBody && !request.headerFieldValue("Content-Type"))
        list = appendHeaderLine(list, "Content-Type:", &failed);
    engine->requestHeaderList = list;
    return failed ? kNoMemoryErr : kNoErr;
}

Status setRequestOptions(CFHTTPEngine *engine)
{
    CURL *stream = engine->stream;
    const CFHTTPMessage &request = *engine->request;
    const bool sendsBody = request.method != "HEAD" && (!request.body.isEmpty() || request.method == "POST");
    if (const Status status = buildHeaderList(engine, sendsBody))
        return status;

    bool refused = false;
    auto set = [&](CURLoption option, auto value) { refused |= curl_easy_setopt(stream, option, value) != CURLE_OK; };
    set(CURLOPT_URL, request.address.constData());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_FOLLOWLOCATION, (engine->flags & kCFHTTPEngineFlagNoAutoRedirect) ? 0L : 1L);
    set(CURLOPT_MAXREDIRS, kCFHTTPEngineMaximumRedirects);
    // Without persistence a request neither keeps its connection nor takes one another engine
    // left open in the shared cache.
    const long persistent = (engine->flags & kCFHTTPEngineFlagPersistentConnection) ? 1L : 0L;
    set(CURLOPT_FORBID_REUSE, 1L - persistent);
    set(CURLOPT_FRESH_CONNECT, 1L - persistent);
    set(CURLOPT_HTTPHEADER, engine->requestHeaderList);
    set(CURLOPT_HEADERFUNCTION, &receiveHeaderLine);
    set(CURLOPT_HEADERDATA, static_cast<void *>(engine));
    set(CURLOPT_WRITEFUNCTION, &receiveBody);
    set(CURLOPT_WRITEDATA, static_cast<void *>(engine));

    if (request.method == "HEAD") {
        set(CURLOPT_NOBODY, 1L);
    } else if (sendsBody) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{request.body.size()});
        set(CURLOPT_POSTFIELDS, request.body.constData());
        if (request.method != "POST")
            set(CURLOPT_CUSTOMREQUEST, request.method.constData());
    } else if (request.method == "GET") {
        set(CURLOPT_HTTPGET, 1L);
    } else {
        set(CURLOPT_CUSTOMREQUEST, request.method.constData());
    }

    // Several methods allowed make libcurl ask first and answer the challenge, so nothing goes
    // out unasked; and by default it sends no credentials to a host a redirect leads to.
    if (engine->username && engine->password) {
        const QByteArray username = engine->username->toUtf8();
        const QByteArray password = engine->password->toUtf8();
        set(CURLOPT_USERNAME, username.constData());
        set(CURLOPT_PASSWORD, password.constData());
        set(CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        set(CURLOPT_UNRESTRICTED_AUTH, 0L);
        set(CURLOPT_PROXYUSERNAME, username.constData());
        set(CURLOPT_PROXYPASSWORD, password.constData());
        set(CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
    return refused ? kUnsupportedErr : kNoErr;
}

void armTimer(CFHTTPEngine *engine, double seconds)
{
    const double milliseconds = std::ceil(std::max(seconds, 0.0) * 1000.0);
    const int delay = milliseconds >= INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
    engine->timer = StartSingleShotTimer(delay, [engine] { CFHTTPEngineTimerCallBack(engine); });
}

void destroy(CFHTTPEngine *engine)
{
    CFHTTPEngineCleanup(engine, true);
    delete engine;
}

// Gives up a reference without the stop that CFHTTPEngineRelease makes first.
void dropReference(CFHTTPEngine *engine)
{
    if (--engine->refCount == 0)
        destroy(engine);
}

} // namespace

int64_t CFHTTPEngineDefaultMaximumBodySize()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return kDefaultMaximumBodySize;
    return std::min(kDefaultMaximumBodySize, static_cast<int64_t>(pages) * pageSize / 2);
}

Status CFHTTPEngineCreate(CFHTTPEngine **outEngine)
{
    auto *engine = new (std::nothrow) CFHTTPEngine;
    if (!engine)
        return kNoMemoryErr;
    engine->maximumBodySize = CFHTTPEngineDefaultMaximumBodySize();
    *outEngine = engine;
    return kNoErr;
}

void CFHTTPEngineRelease(CFHTTPEngine *engine)
{
    if (!engine)
        return;
    CFHTTPEngineStop(engine, kEndingErr);
    dropReference(engine);
}

void CFHTTPEngineDiscard(CFHTTPEngine **engine)
{
    CFHTTPEngine *previous = *engine;
    *engine = nullptr;
    CFHTTPEngineRelease(previous);
}

Status CFHTTPEngineRecreate(CFHTTPEngine **engine)
{
    CFHTTPEngineDiscard(engine);
    const Status status = CFHTTPEngineCreate(engine);
    if (status != kNoErr)
        *engine = nullptr;
    return status;
}

Status CFHTTPEngineSetAuthentication(CFHTTPEngine *engine, const std::optional<QString> &username,
                                     const std::optional<QString> &password)
{
    engine->username = username;
    engine->password = password;
    return kNoErr;
}

Status CFHTTPEngineSendRequest(CFHTTPEngine *engine, const QByteArray &url, const QByteArray &method,
                               const CFHTTPHeaderFields *headerFields, const QByteArray *body, uint32_t flags,
                               double timeout, CFHTTPEngineCallBack callBack, void *refCon,
                               CFHTTPResponse *responseOut)
{
    if (url.isEmpty() || method.isEmpty())
        return kParamErr;
    std::shared_ptr<CFHTTPMessage> request;
    try {
        request = std::make_shared<CFHTTPMessage>(CFHTTPMessage::request(method, url));
        if (headerFields)
            CFHTTPMessageSetHeaderFields(*request, *headerFields);
        if (body)
            request->body = *body;
    } catch (const std::bad_alloc &) {
        return kNoMemoryErr;
    }
    return CFHTTPEngineSendMessage(engine, std::move(request), flags, timeout, callBack, refCon, responseOut);
}

Status CFHTTPEngineSendMessage(CFHTTPEngine *engine, std::shared_ptr<const CFHTTPMessage> request, uint32_t flags,
                               double timeout, CFHTTPEngineCallBack callBack, void *refCon,
                               CFHTTPResponse *responseOut)
{
    flags &= ~kCFHTTPEngineFlagReleaseWhenDone;
    if (!request)
        return kParamErr;
    const bool synchronous = flags & kCFHTTPEngineFlagSynchronous;
    if (!synchronous && responseOut)
        return kRequestErr;
    if (const Status status = validateRequest(*request))
        return status;
    // Discarding a running request would lose the one completion its caller waits for.
    if (engine && engine->stream)
        return kBusyErr;

    const bool created = !engine;
    if (created) {
        if (const Status status = CFHTTPEngineCreate(&engine))
            return status;
        if (!synchronous)
            flags |= kCFHTTPEngineFlagReleaseWhenDone;
    } else {
        CFHTTPEngineCleanup(engine, true);
    }

    engine->runLoop = nullptr;
    engine->status = 0;
    engine->timeout = timeout;
    engine->callBack = callBack;
    engine->refCon = refCon;
    engine->flags = flags;
    engine->request = std::move(request);
    engine->response = CFHTTPResponse{};
    engine->lastProgressTime = 0;
    engine->contentLength = -1;

    if (const Status status = CFHTTPEngineSetupStream(engine)) {
        engine->callBack = nullptr;
        CFHTTPEngineCleanup(engine, false);
        if (created)
            CFHTTPEngineRelease(engine);
        return status;
    }
    if (!synchronous)
        return kNoErr;

    // The callback may release the caller's reference while the loop runs; this one keeps the
    // record readable until the result has been taken out.
    ++engine->refCount;
    QEventLoop loop;
    engine->runLoop = &loop;
    while (engine->runLoop == &loop)
        loop.exec();

    Status result = engine->status;
    if (result == kNoErr && (!engine->response.headers || !engine->response.data))
        result = kResponseErr;
    if (result == kNoErr && responseOut)
        *responseOut = engine->response;
    dropReference(engine);
    if (created)
        CFHTTPEngineRelease(engine);
    return result;
}

void CFHTTPEngineStop(CFHTTPEngine *engine, Status status)
{
    // A release after the completion must not overwrite the status a synchronous send returns.
    if (engine->stream || engine->callBack || engine->runLoop)
        engine->status = status;
    ++engine->refCount;
    CFHTTPEngineCleanup(engine, false);
    if (engine->runLoop && (engine->flags & kCFHTTPEngineFlagSynchronous)) {
        QEventLoop *loop = engine->runLoop;
        engine->runLoop = nullptr;
        loop->quit();
    }
    if (CFHTTPEngineCallBack callBack = engine->callBack) {
        engine->callBack = nullptr;
        callBack(engine, kCFHTTPEngineEventComplete, status, engine->refCon);
    }
    if (engine->flags & kCFHTTPEngineFlagReleaseWhenDone) {
        engine->flags &= ~kCFHTTPEngineFlagReleaseWhenDone;
        CFHTTPEngineRelease(engine);
    }
    if (engine->refCount == 1)
        CFHTTPEngineRelease(engine);
    else
        --engine->refCount;
}

void CFHTTPEngineCleanup(CFHTTPEngine *engine, bool full)
{
    engine->timer.reset();
    if (engine->stream) {
        RemoveCurlTransfer(engine->stream);
        curl_easy_cleanup(engine->stream);
        engine->stream = nullptr;
    }
    curl_slist_free_all(engine->requestHeaderList);
    engine->requestHeaderList = nullptr;
    if (full) {
        engine->request.reset();
        engine->response = CFHTTPResponse{};
    }
}

Status CFHTTPEngineSetupStream(CFHTTPEngine *engine)
{
    CFHTTPEngineCleanup(engine, false);
    engine->incomingHeader = CFHTTPMessage{};
    engine->incomingHeaderComplete = false;
    engine->failureSeen = kNoErr;
    engine->activityNoted = false;

    engine->stream = curl_easy_init();
    if (!engine->stream)
        return kRequestErr;
    if (const Status status = setRequestOptions(engine))
        return status;
    CFHTTPStreamSetupProxies(engine->stream, engine->request->address);
    if (AddCurlTransfer(engine->stream, engine) != CURLM_OK)
        return kOpenErr;
    engine->lastActivityTime = monotonicSeconds();
    if (engine->timeout >= 0)
        armTimer(engine, engine->timeout);
    return kNoErr;
}

void CFHTTPEngineTimerCallBack(CFHTTPEngine *engine)
{
    const double idle = monotonicSeconds() - engine->lastActivityTime;
    if (idle >= engine->timeout)
        CFHTTPEngineStop(engine, kTimeoutErr);
    else
        armTimer(engine, engine->timeout - idle);
}

void CFHTTPEngine::curlTransferActive()
{
    activityNoted = false;
    if (!callBack || !(flags & kCFHTTPEngineFlagReportProgress) || !response.data)
        return;
    const double now = monotonicSeconds();
    if (now - lastProgressTime <= kCFHTTPEngineProgressInterval)
        return;
    // Set before the call: the callback may release the engine.
    lastProgressTime = now;
    callBack(this, kCFHTTPEngineEventProgress, kNoErr, refCon);
}

void CFHTTPEngine::curlTransferDone(CURLcode result)
{
    Status status;
    if (failureSeen != kNoErr) {
        status = failureSeen;
    } else if (result == CURLE_OK) {
        if (!response.data)
            response.data.emplace();
        status = response.headers ? kNoErr : kResponseErr;
    } else if (result == CURLE_RECV_ERROR && response.headers) {
        status = kUnderrunErr;
    } else {
        status = StatusFromCurlCode(result);
    }
    CFHTTPEngineStop(this, status);
}

Status CFHTTPStreamSetupProxies(CURL *stream, const QByteArray &address)
{
    const ProxySettings settings = ReadProxySettings();
    std::string scheme;
    schemeOfAddress(address, &scheme);
    const std::string &proxy = ProxyForScheme(settings, scheme);
    // An empty proxy also keeps libcurl from reading the environment by rules of its own.
    if (curl_easy_setopt(stream, CURLOPT_PROXY, proxy.c_str()) != CURLE_OK)
        return kUnknownErr;
    if (!settings.noProxy.empty() && curl_easy_setopt(stream, CURLOPT_NOPROXY, settings.noProxy.c_str()) != CURLE_OK)
        return kUnknownErr;
    return proxy.empty() ? kNotFoundErr : kNoErr;
}
