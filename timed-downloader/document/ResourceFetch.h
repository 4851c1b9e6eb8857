#pragma once

#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>

// Loading a whole resource into memory from an address, blocking, on the calling thread.

struct FetchLimits {
    std::chrono::milliseconds timeout{60000};
    int64_t maximumBytes = int64_t(256) << 20;
};

// The limits for a job that fetches every `intervalSeconds`: 60 s, or twice the interval when
// that is longer, so that fetches cannot pile up without bound behind a slow server.
FetchLimits FetchLimitsForInterval(double intervalSeconds);

struct FetchResult {
    Status status = kUnknownErr;
    long responseCode = 0; // HTTP status; 0 for file: addresses and failed connections
    QByteArray data;       // the whole body; empty unless status is kNoErr
};

// Fetches `url` (http, https or file), following redirects. Only a 2xx answer is data: another
// status gives kResponseErr. A body over the size cap gives kSizeErr, a transfer over the time
// limit kTimeoutErr, and `abandon` turning true kCanceledErr.
FetchResult FetchWholeResource(const QString &url, const FetchLimits &limits,
                               const std::atomic<bool> *abandon = nullptr);
