#include "timed-downloader/document/ResourceFetch.h"

#include "site-downloader/http/CurlStatusCodes.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace {

struct Transfer {
    QByteArray data;
    int64_t maximumBytes = 0;
    bool overCap = false;
    const std::atomic<bool> *abandon = nullptr;
};

size_t appendBody(char *bytes, size_t size, size_t count, void *context)
{
    auto *transfer = static_cast<Transfer *>(context);
    const size_t length = size * count;
    if (transfer->data.size() + int64_t(length) > transfer->maximumBytes) {
        transfer->overCap = true;
        return 0; // ends the transfer with CURLE_WRITE_ERROR
    }
    transfer->data.append(bytes, qsizetype(length));
    return length;
}

int checkAbandon(void *context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto *transfer = static_cast<Transfer *>(context);
    return transfer->abandon && transfer->abandon->load() ? 1 : 0;
}

void initializeCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr long kMaximumRedirects = 20;

} // namespace

FetchLimits FetchLimitsForInterval(double intervalSeconds)
{
    FetchLimits limits;
    const auto twice = std::chrono::milliseconds(int64_t(std::max(0.0, intervalSeconds) * 2000.0));
    limits.timeout = std::max(limits.timeout, twice);
    return limits;
}

FetchResult FetchWholeResource(const QString &url, const FetchLimits &limits, const std::atomic<bool> *abandon)
{
    initializeCurlOnce();
    FetchResult result;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), &curl_easy_cleanup);
    if (!handle) {
        result.status = kNoMemoryErr;
        return result;
    }
    Transfer transfer;
    transfer.maximumBytes = limits.maximumBytes;
    transfer.abandon = abandon;
    const QByteArray address = url.trimmed().toUtf8();
    CURL *curl = handle.get();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaximumRedirects);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(limits.timeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maximumBytes));
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 100L * 1024);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkAbandon);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.responseCode);
    if (transfer.overCap)
        result.status = kSizeErr;
    else if (code != CURLE_OK)
        result.status = StatusFromCurlCode(code);
    else if (result.responseCode != 0 && (result.responseCode < 200 || result.responseCode > 299))
        result.status = kResponseErr;
    else
        result.status = kNoErr;
    if (result.status == kNoErr)
        result.data = std::move(transfer.data);
    return result;
}
