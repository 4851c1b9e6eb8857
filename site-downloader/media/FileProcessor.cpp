#include "site-downloader/media/FileProcessor.h"

#include "site-downloader/media/FSRefIterateFolder.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace {

// Each progress message blocks the worker until the main thread has handled it.
constexpr double kProgressIntervalSeconds = 0.4;

enum RunCondition : int32_t { kIdle = 0, kRunning = 1 };

double secondsNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct HandOff {
    bool running = false; // the main thread is inside the work now
    bool done = false;
    bool ran = false;
};

} // namespace

struct FileProcessor::SharedState {
    std::mutex lock;
    std::condition_variable changed;
    int32_t condition = kIdle;
    std::thread::id runningThread;
    FileProcessorDelegate *delegate = nullptr;
    // Counts cuts of the delegate link; a hand-off queued before a cut finds it changed and
    // gives up without touching the delegate.
    uint64_t linkGeneration = 0;
    int32_t workerCallsInFlight = 0;
    int32_t handOffsRunning = 0;

    // With `lock` held through `guard`.
    void cutDelegateLink(std::unique_lock<std::mutex> &guard, const MainThreadDispatcher *dispatcher)
    {
        delegate = nullptr;
        ++linkGeneration;
        changed.notify_all();
        // The worker's own message, or main-thread work nested in a hand-off that a worker message
        // waits for, would wait for itself.
        const bool fromInsideAMessage = std::this_thread::get_id() == runningThread
                                        || (handOffsRunning > 0 && dispatcher && dispatcher->isMainThread());
        if (!fromInsideAMessage)
            changed.wait(guard, [this] { return workerCallsInFlight == 0; });
    }

    // Runs `work` with the delegate unless the link was cut since `generation`.
    void runHandOff(HandOff &handOff, uint64_t generation, const std::function<void(FileProcessorDelegate *)> &work)
    {
        FileProcessorDelegate *target = nullptr;
        {
            std::lock_guard guard(lock);
            if (linkGeneration == generation && delegate) {
                target = delegate;
                handOff.running = true;
                ++handOffsRunning;
            }
        }
        if (target) {
            try {
                work(target);
            } catch (...) {
            }
        }
        {
            std::lock_guard guard(lock);
            if (target)
                --handOffsRunning;
            handOff.running = false;
            handOff.done = true;
            handOff.ran = target != nullptr;
        }
        changed.notify_all();
    }
};

std::shared_ptr<FileProcessor> FileProcessor::fileProcessor()
{
    return std::make_shared<FileProcessor>();
}

std::shared_ptr<FileProcessor> FileProcessor::fileProcessorWithDelegate(FileProcessorDelegate *delegate,
                                                                        const QString &sourcePath)
{
    auto processor = fileProcessor();
    processor->setDelegate(delegate);
    if (!sourcePath.isNull())
        processor->addSourcePath(sourcePath);
    return processor;
}

FileProcessor::FileProcessor() : _state(std::make_shared<SharedState>())
{
}

FileProcessor::~FileProcessor()
{
    reset();
    FSRefArrayRelease(&_sourceFileSet);
    FSRefArrayRelease(&_array);
}

void FileProcessor::setDelegate(FileProcessorDelegate *delegate)
{
    std::unique_lock guard(_state->lock);
    _state->cutDelegateLink(guard, _dispatcher);
    _state->delegate = delegate;
}

FileProcessorDelegate *FileProcessor::delegate() const
{
    std::lock_guard guard(_state->lock);
    return _state->delegate;
}

void FileProcessor::reset()
{
    setDelegate(nullptr);
}

void FileProcessor::setOnlyBuildFileList(bool onlyBuildFileList)
{
    _buildListOfFilesOnly = onlyBuildFileList;
}

uint32_t FileProcessor::options() const
{
    return _options;
}

void FileProcessor::setOptions(uint32_t options)
{
    _options = options;
}

void FileProcessor::setMainThreadDispatcher(MainThreadDispatcher *dispatcher)
{
    _dispatcher = dispatcher;
}

bool FileProcessor::isRunning() const
{
    std::lock_guard guard(_state->lock);
    return _state->condition == kRunning;
}

Status FileProcessor::addSourceFSRef(const FSRef *ref)
{
    if (!ref || !ref->isValid())
        return paramErr;
    if (isRunning())
        return kStateErr;
    return FSRefArrayAppend(&_sourceFileSet, ref);
}

Status FileProcessor::addSourceFSRefs(const FSRef *refs, int32_t count)
{
    if (!refs && count > 0)
        return paramErr;
    for (int32_t index = 0; index < count; ++index) {
        if (const Status status = addSourceFSRef(&refs[index]))
            return status;
    }
    return kNoErr;
}

Status FileProcessor::addSourcePath(const QString &path)
{
    if (path.isNull())
        return paramErr;
    const QUrl url = QUrl::fromLocalFile(path);
    if (!url.isValid() || path.isEmpty())
        return kNoFileURLErr;
    return addSourceURL(url);
}

Status FileProcessor::addSourcePathArray(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (const Status status = addSourcePath(path))
            return status;
    }
    return kNoErr;
}

Status FileProcessor::addSourceURL(const QUrl &url)
{
    FSRef ref;
    if (!url.isLocalFile() || NSStringPathToFSRef(url.toLocalFile(), &ref) != kNoErr)
        return kNoSuchFileErr;
    return addSourceFSRef(&ref);
}

Status FileProcessor::addSourceURLArray(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (const Status status = addSourceURL(url))
            return status;
    }
    return kNoErr;
}

Status FileProcessor::clearSources()
{
    if (isRunning())
        return kStateErr;
    FSRefArrayClear(&_sourceFileSet);
    return kNoErr;
}

Status FileProcessor::setRootFolderFSRef(const FSRef *ref)
{
    if (const Status status = clearSources())
        return status;
    return addSourceFSRef(ref);
}

Status FileProcessor::setRootFolderPath(const QString &path)
{
    if (path.isNull())
        return paramErr;
    const QUrl url = QUrl::fromLocalFile(path);
    if (!url.isValid() || path.isEmpty())
        return kNoFileURLErr;
    return setRootFolderURL(url);
}

Status FileProcessor::setRootFolderURL(const QUrl &url)
{
    FSRef ref;
    if (!url.isLocalFile() || NSStringPathToFSRef(url.toLocalFile(), &ref) != kNoErr)
        return kNoSuchFileErr;
    return setRootFolderFSRef(&ref);
}

// Marks the processor running and clears the abort reason, on the caller's thread: an abort sent
// after processThreaded() returns, before the worker has begun, must still reach the run.
bool FileProcessor::beginRun()
{
    std::lock_guard guard(_state->lock);
    if (_state->condition == kRunning)
        return false;
    _state->condition = kRunning;
    _state->runningThread = {};
    _abortReason.store(kNoErr);
    return true;
}

void FileProcessor::endRun()
{
    {
        std::lock_guard guard(_state->lock);
        _state->condition = kIdle;
        _state->runningThread = {};
    }
    _state->changed.notify_all();
}

Status FileProcessor::process()
{
    if (!beginRun())
        return kStateErr;
    return runOnThisThread();
}

Status FileProcessor::processThreaded()
{
    std::shared_ptr<FileProcessor> self = weak_from_this().lock();
    if (!self || !beginRun())
        return kStateErr;
    try {
        std::thread([self] { self->runOnThisThread(); }).detach();
    } catch (const std::system_error &) {
        endRun();
        return kNoResourcesErr;
    }
    return kNoErr;
}

Status FileProcessor::runOnThisThread()
{
    {
        std::lock_guard guard(_state->lock);
        _state->runningThread = std::this_thread::get_id();
    }
    try {
        runPhases();
    } catch (...) {
        _status = kUnexpectedErr;
    }
    // Read before the processor is idle: a new run may begin at once.
    const Status result = _status;
    endRun();
    return result;
}

void FileProcessor::runPhases()
{
    _lastBuildUpdateTime = 0;
    _lastProcessUpdateTime = 0;
    _currentFSRef = nullptr;
    _currentIndex = 0;
    _totalFiles = 0;
    _status = kNoErr;
    // Indexes of the process phase count from this run's first entry.
    FSRefArrayClear(&_array);

    if ((_status = starting()))
        return;
    if ((_status = buildListStarting())) {
        ended();
        return;
    }
    _status = buildList();
    _currentFSRef = nullptr;
    buildListEnded();
    if (_status || _buildListOfFilesOnly) {
        ended();
        return;
    }
    if ((_status = processListStarting())) {
        ended();
        return;
    }
    _status = processList();
    _currentFSRef = nullptr;
    processListEnded();
    ended();
}

Status FileProcessor::buildList()
{
    for (int32_t index = 0; index < FSRefArrayGetCount(&_sourceFileSet); ++index) {
        if (const Status reason = _abortReason.load())
            return reason;
        FSRef *source = nullptr;
        if (const Status status = FSRefArrayGetIndexedPtr(&_sourceFileSet, index, &source))
            return status;
        struct stat info {};
        if (stat(source->path.c_str(), &info) != 0)
            return ErrnoStatus();
        if (S_ISDIR(info.st_mode)) {
            if (const Status status = FSRefIterateFolder(source, 0, _options, IterateFolderCallBack, this))
                return status;
            continue;
        }
        _currentFSRef = source;
        if (const Status status = preProcessFile())
            return status;
        if (const Status status = FSRefArrayAppend(&_array, source))
            return status;
        ++_totalFiles;
    }
    return kNoErr;
}

Status FileProcessor::IterateFolderCallBack(void *refCon, const FolderIterateEntry *entry)
{
    return static_cast<FileProcessor *>(refCon)->listWalkedEntry(entry);
}

Status FileProcessor::listWalkedEntry(const FolderIterateEntry *entry)
{
    if (const Status reason = _abortReason.load())
        return reason;
    FSRef ref = FSRefFromFolderIterateEntry(entry);
    _currentFSRef = &ref;
    if (const Status status = preProcessFile())
        return status;
    if (const Status status = FSRefArrayAppend(&_array, std::move(ref)))
        return status;
    ++_totalFiles;
    const double now = secondsNow();
    if (now - _lastBuildUpdateTime >= kProgressIntervalSeconds) {
        _currentFSRef = &_array.storage[_array.nUsed - 1];
        if (const Status status = buildListUpdated())
            return status;
        _lastBuildUpdateTime = now;
    }
    _currentFSRef = nullptr;
    return kNoErr;
}

Status FileProcessor::processList()
{
    for (_currentIndex = 0; _currentIndex < _totalFiles;) {
        if (const Status reason = _abortReason.load())
            return reason;
        FSRef *ref = nullptr;
        if (const Status status = FSRefArrayGetIndexedPtr(&_array, _currentIndex, &ref))
            return status;
        _currentFSRef = ref;
        if (const Status status = processFile())
            return status;
        ++_currentIndex;
        const double now = secondsNow();
        if (now - _lastProcessUpdateTime >= kProgressIntervalSeconds) {
            if (const Status status = processListUpdated())
                return status;
            _lastProcessUpdateTime = now;
        }
    }
    return kNoErr;
}

void FileProcessor::abort(Status reason)
{
    _abortReason.store(reason);
}

Status FileProcessor::abort(Status reason, double timeoutSeconds)
{
    abort(reason);
    std::unique_lock guard(_state->lock);
    const auto timeout = std::chrono::duration<double>(timeoutSeconds > 0 ? timeoutSeconds : 0);
    if (_state->changed.wait_for(guard, timeout, [this] { return _state->condition == kIdle; }))
        return kNoErr;
    _state->cutDelegateLink(guard, _dispatcher);
    return kTimeoutErr;
}

bool FileProcessor::performOnMainThreadAndWait(const std::function<void()> &work)
{
    return performWithDelegate([&work](FileProcessorDelegate *) { work(); });
}

bool FileProcessor::performWithDelegate(const std::function<void(FileProcessorDelegate *)> &work)
{
    const std::shared_ptr<SharedState> state = _state;
    uint64_t generation;
    {
        std::lock_guard guard(state->lock);
        if (!state->delegate)
            return false;
        generation = state->linkGeneration;
    }
    MainThreadDispatcher *dispatcher = _dispatcher;
    if (!dispatcher)
        return false;
    if (dispatcher->isMainThread()) {
        // A run on the main thread itself: handing over and waiting would wait for this thread.
        HandOff handOff;
        state->runHandOff(handOff, generation, work);
        return handOff.ran;
    }

    auto handOff = std::make_shared<HandOff>();
    // `work` lives on this thread's stack; the hand-off runs it only while this thread waits.
    const bool posted = dispatcher->post([state, handOff, generation, &work] {
        state->runHandOff(*handOff, generation, work);
    });
    if (!posted)
        return false;
    std::unique_lock guard(state->lock);
    state->changed.wait(guard, [&] {
        return handOff->done || (state->linkGeneration != generation && !handOff->running);
    });
    return handOff->ran;
}

void FileProcessor::notifyOnMainThread(Message message)
{
    performWithDelegate([this, message](FileProcessorDelegate *delegate) { (delegate->*message)(this); });
}

void FileProcessor::callOnWorker(Message message)
{
    FileProcessorDelegate *delegate;
    {
        std::lock_guard guard(_state->lock);
        delegate = _state->delegate;
        if (!delegate)
            return;
        ++_state->workerCallsInFlight;
    }
    struct InFlight {
        SharedState &state;
        ~InFlight()
        {
            {
                std::lock_guard guard(state.lock);
                --state.workerCallsInFlight;
            }
            state.changed.notify_all();
        }
    } inFlight{*_state};
    (delegate->*message)(this);
}

Status FileProcessor::starting()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorStarting);
    return _status;
}

Status FileProcessor::buildListStarting()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorBuildListStarting);
    return _status;
}

Status FileProcessor::buildListUpdated()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorBuildListUpdated);
    return _status;
}

Status FileProcessor::processListStarting()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorProcessListStarting);
    return _status;
}

Status FileProcessor::preProcessFile()
{
    callOnWorker(&FileProcessorDelegate::fileProcessorPreProcessFile);
    return _status;
}

Status FileProcessor::processFile()
{
    callOnWorker(&FileProcessorDelegate::fileProcessorProcessFile);
    return _status;
}

Status FileProcessor::processListUpdated()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorProcessListUpdated);
    return _status;
}

void FileProcessor::ended()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorEnded);
}

void FileProcessor::buildListEnded()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorBuildListEnded);
}

void FileProcessor::processListEnded()
{
    notifyOnMainThread(&FileProcessorDelegate::fileProcessorProcessListEnded);
}
