#include "timed-downloader/document/FileDownloadThread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Every fetch thread checks in here, so the program can end them before Qt goes away.
struct FetchThreadRegistry {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
    bool abandoning = false;
    std::atomic<bool> abandon{false};
};

FetchThreadRegistry &registry()
{
    // Never destroyed: a thread may still be leaving it while static objects are torn down.
    static auto *shared = new FetchThreadRegistry;
    return *shared;
}

} // namespace

std::shared_ptr<FileDownloadThread> FileDownloadThread::create()
{
    return std::shared_ptr<FileDownloadThread>(new FileDownloadThread);
}

void FileDownloadThread::setupProcessor(const QString &url, FileDownloadThreadTarget *target)
{
    mFileURL = url;
    mFileDownloadThreadTarget = target;
}

Status FileDownloadThread::startDownloading()
{
    FetchThreadRegistry &threads = registry();
    {
        std::lock_guard lock(threads.mutex);
        if (threads.abandoning)
            return kStateErr;
        ++threads.running;
    }
    mProcessingState = kStartedState;
    mFilesProcessed = mTotalFilesToProcess = mErrorCount = 0;
    mOwnerWantsStop = false;
    try {
        std::thread([self = shared_from_this()] { self->threadSelector(); }).detach();
    } catch (const std::system_error &) {
        std::lock_guard lock(threads.mutex);
        --threads.running;
        threads.ended.notify_all();
        return kNoResourcesErr;
    }
    return kNoErr;
}

void FileDownloadThread::threadSelector()
{
    FetchThreadRegistry &threads = registry();
    {
        const FetchResult result = FetchWholeResource(mFileURL, _limits, &threads.abandon);
        _status = result.status;
        if (result.status != kNoErr)
            qDebug("Pendrill: fetching %s failed (%d, HTTP %ld)", qPrintable(mFileURL), int(result.status),
                   result.responseCode);
        deliver(result.status == kNoErr ? std::optional<QByteArray>(result.data) : std::nullopt);
    }
    std::lock_guard lock(threads.mutex);
    --threads.running;
    threads.ended.notify_all();
}

void FileDownloadThread::deliver(std::optional<QByteArray> data)
{
    FetchThreadRegistry &threads = registry();
    std::lock_guard lock(threads.mutex);
    if (threads.abandoning)
        return;
    // The application object outlives this hand-over: abandonAll runs before it goes, and takes
    // the same lock. The target is looked at only on the main thread, where it is destroyed.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self = shared_from_this(), data = std::move(data)] {
            if (FileDownloadThreadTarget *target = self->mFileDownloadThreadTarget.data())
                target->fileDownloadProgress(self.get(), data);
        },
        Qt::QueuedConnection);
}

bool FileDownloadThread::abandonAll(std::chrono::milliseconds bound)
{
    FetchThreadRegistry &threads = registry();
    std::unique_lock lock(threads.mutex);
    threads.abandoning = true;
    threads.abandon = true;
    return threads.ended.wait_for(lock, bound, [&] { return threads.running == 0; });
}

int FileDownloadThread::runningCount()
{
    FetchThreadRegistry &threads = registry();
    std::lock_guard lock(threads.mutex);
    return threads.running;
}
