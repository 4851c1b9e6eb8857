#include "site-downloader/http/CurlStatusCodes.h"

#include <utility>

namespace {

// Only codes an HTTP transfer can end with; anything else becomes kUnknownErr.
constexpr std::pair<CURLcode, Status> kCurlCodeStatuses[] = {
    {CURLE_OK, kNoErr},
    {CURLE_UNSUPPORTED_PROTOCOL, kUnsupportedErr},   // also an HTTP/0.9 answer (no status line)
    {CURLE_URL_MALFORMAT, kFormatErr},
    {CURLE_NOT_BUILT_IN, kUnsupportedErr},
    {CURLE_COULDNT_RESOLVE_PROXY, kNotFoundErr},
    {CURLE_COULDNT_RESOLVE_HOST, kNotFoundErr},
    {CURLE_COULDNT_CONNECT, kConnectionErr},
    {CURLE_WEIRD_SERVER_REPLY, kMalformedErr},
    {CURLE_REMOTE_ACCESS_DENIED, kAuthenticationErr},
    {CURLE_HTTP2, kConnectionErr},
    {CURLE_PARTIAL_FILE, kUnderrunErr},
    {CURLE_HTTP_RETURNED_ERROR, kResponseErr},
    {CURLE_WRITE_ERROR, kWriteErr},
    {CURLE_READ_ERROR, kReadErr},
    {CURLE_OUT_OF_MEMORY, kNoMemoryErr},
    {CURLE_OPERATION_TIMEDOUT, kTimeoutErr},
    {CURLE_RANGE_ERROR, kRangeErr},
    {CURLE_SSL_CONNECT_ERROR, kConnectionErr},
    {CURLE_ABORTED_BY_CALLBACK, kCanceledErr},
    {CURLE_TOO_MANY_REDIRECTS, kOverrunErr},
    {CURLE_GOT_NOTHING, kResponseErr},
    {CURLE_SEND_ERROR, kConnectionErr},
    {CURLE_RECV_ERROR, kConnectionErr},
    {CURLE_SSL_CERTPROBLEM, kAuthenticationErr},
    {CURLE_SSL_CIPHER, kConnectionErr},
    {CURLE_PEER_FAILED_VERIFICATION, kAuthenticationErr},
    {CURLE_BAD_CONTENT_ENCODING, kFormatErr},
    {CURLE_FILESIZE_EXCEEDED, kSizeErr},
    {CURLE_LOGIN_DENIED, kAuthenticationErr},
    {CURLE_SSL_CACERT_BADFILE, kAuthenticationErr},
    {CURLE_HTTP2_STREAM, kConnectionErr},
    {CURLE_HTTP3, kConnectionErr},
    {CURLE_PROXY, kConnectionErr},
    {CURLE_AGAIN, kNotReadyErr},
};

} // namespace

Status StatusFromCurlCode(CURLcode code)
{
    for (const auto &[curlCode, status] : kCurlCodeStatuses) {
        if (curlCode == code)
            return status;
    }
    return kUnknownErr;
}
