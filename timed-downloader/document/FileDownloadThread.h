#pragma once

#include "timed-downloader/document/ResourceFetch.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class FileDownloadThread;

// Told, on the main thread, about the end of a fetch: the bytes, or nothing when it failed.
class FileDownloadThreadTarget : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    virtual void fileDownloadProgress(FileDownloadThread *sender, const std::optional<QByteArray> &data) = 0;
};

// One fetch of one address on a thread of its own. The owner may drop its reference at any time:
// the running thread keeps the object alive until the result has been handed over, and a target
// that is gone by then is simply not told.
class FileDownloadThread final : public std::enable_shared_from_this<FileDownloadThread>
{
public:
    static constexpr uint32_t kCreatedState = 10;
    static constexpr uint32_t kStartedState = 20;

    static std::shared_ptr<FileDownloadThread> create();

    // Main thread. The target is held weakly.
    void setupProcessor(const QString &url, FileDownloadThreadTarget *target);
    void setFetchLimits(const FetchLimits &limits) { _limits = limits; }
    // An owner's mark for telling its runs apart; handed back untouched.
    void setRunTag(uint64_t tag) { _runTag = tag; }
    uint64_t runTag() const { return _runTag; }

    Status startDownloading();
    // A started fetch always runs to its end (bounded by its limits); there is nothing to stop.
    void stopDownloading() {}

    uint32_t processingState() const { return mProcessingState; }
    const QString &url() const { return mFileURL; }
    // How the fetch ended, for diagnostics; valid once the target has been told.
    Status status() const { return _status; }

    // Before the program ends: running fetches give up at their next progress check, no further
    // results are handed to the main thread, and the call waits (at most `bound`) for the threads.
    // Returns whether all of them ended.
    static bool abandonAll(std::chrono::milliseconds bound);
    // Fetch threads still running, in this process.
    static int runningCount();

private:
    FileDownloadThread() = default;
    void threadSelector();
    void deliver(std::optional<QByteArray> data);

    uint32_t mProcessingState = kCreatedState;
    uint32_t mFilesProcessed = 0;
    uint32_t mTotalFilesToProcess = 0;
    uint32_t mErrorCount = 0;
    bool mOwnerWantsStop = false;
    QPointer<FileDownloadThreadTarget> mFileDownloadThreadTarget;
    QString mFileURL;
    FetchLimits _limits;
    uint64_t _runTag = 0;
    Status _status = kNotInitializedErr;
};
