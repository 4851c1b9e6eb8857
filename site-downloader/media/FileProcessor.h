#pragma once

#include "platform/FileReference.h"
#include "site-downloader/media/FSRefArray.h"
#include "site-downloader/media/MainThreadDispatcher.h"
#include "utilities/FolderIterate.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Codes of the set-up calls, kept at the values that the original platform's callers compare with.
inline constexpr Status kNoFileURLErr = -2550;  // no file address can be made from a path
inline constexpr Status kNoSuchFileErr = -2113; // an address names no file that exists

class FileProcessor;

// Hears one processor's run. Messages arrive in the order of the run and never overlap; all but
// the two file messages run on the main thread while the worker waits for them. The delegate may
// read the processor's currentFSRef(), currentIndex() and totalFiles() during a message, no
// longer. It is not owned: a delegate that goes away first calls reset() (or abort() with a
// timeout) on its processor, and from then on hears nothing more from it.
class FileProcessorDelegate
{
public:
    virtual ~FileProcessorDelegate() = default;

    virtual void fileProcessorStarting(FileProcessor *) {}
    virtual void fileProcessorBuildListStarting(FileProcessor *) {}
    virtual void fileProcessorBuildListUpdated(FileProcessor *) {}
    virtual void fileProcessorBuildListEnded(FileProcessor *) {}
    virtual void fileProcessorProcessListStarting(FileProcessor *) {}
    virtual void fileProcessorProcessListUpdated(FileProcessor *) {}
    virtual void fileProcessorProcessListEnded(FileProcessor *) {}
    virtual void fileProcessorEnded(FileProcessor *) {}

    // On the worker, for every entry before it is listed.
    virtual void fileProcessorPreProcessFile(FileProcessor *) {}
    // On the worker, for every listed entry. Work that needs the main thread goes through the
    // processor's performOnMainThreadAndWait(), which gives up when the delegate link is cut.
    virtual void fileProcessorProcessFile(FileProcessor *) = 0;
};

// Turns files and folders into one flat list of references (folders walked depth-first through
// all levels, entries before their contents), then hands the list to its delegate entry by entry.
// A run can be stopped at any checkpoint (before each source, each walked entry and each
// processed entry) with an abort code, which becomes the run's result.
class FileProcessor : public std::enable_shared_from_this<FileProcessor>
{
public:
    static std::shared_ptr<FileProcessor> fileProcessor();
    // A null `sourcePath` adds no source; the status of adding one is not reported.
    static std::shared_ptr<FileProcessor> fileProcessorWithDelegate(FileProcessorDelegate *delegate,
                                                                   const QString &sourcePath);

    FileProcessor();
    virtual ~FileProcessor();
    FileProcessor(const FileProcessor &) = delete;
    FileProcessor &operator=(const FileProcessor &) = delete;

    // Replacing or clearing the delegate waits until a message that the worker is delivering to
    // the old one has returned (except when called from inside such a message).
    void setDelegate(FileProcessorDelegate *delegate);
    FileProcessorDelegate *delegate() const;
    // Cuts the delegate link: no message reaches the old delegate after this returns.
    void reset();

    void setOnlyBuildFileList(bool onlyBuildFileList);
    uint32_t options() const;
    void setOptions(uint32_t options);
    // The application's event loop unless set; not owned.
    void setMainThreadDispatcher(MainThreadDispatcher *dispatcher);

    // Sources cannot change during a run: kStateErr then.
    Status addSourceFSRef(const FSRef *ref);
    Status addSourceFSRefs(const FSRef *refs, int32_t count);
    Status addSourcePath(const QString &path);
    Status addSourcePathArray(const QStringList &paths);
    Status addSourceURL(const QUrl &url);
    Status addSourceURLArray(const QList<QUrl> &urls);
    Status clearSources();
    Status setRootFolderFSRef(const FSRef *ref);
    Status setRootFolderPath(const QString &path);
    Status setRootFolderURL(const QUrl &url);

    // Runs both phases on the calling thread and returns the result. kStateErr while a run is on.
    Status process();
    // Starts the run on a thread of its own and returns at once; the thread keeps the processor
    // alive until the run has ended. The processor must be owned by a shared pointer. An abort
    // sent any time after this returns reaches the run. kStateErr while a run is on or without
    // shared ownership; kNoResourcesErr when no thread can be started.
    Status processThreaded();
    // Any thread; the worker sees it at its next checkpoint.
    void abort(Status reason);
    // Also waits up to `timeoutSeconds` for the run to end: kNoErr if it did (or none was on).
    // Else cuts the delegate link before it returns kTimeoutErr, and the run still stops at its
    // next checkpoint without another message. Called on the main thread while the worker waits
    // for a main-thread message, this always times out.
    Status abort(Status reason, double timeoutSeconds);

    // What the current message is about; valid only during that message.
    const FSRef *currentFSRef() const { return _currentFSRef; }
    int32_t currentIndex() const { return _currentIndex; }
    int32_t totalFiles() const { return _totalFiles; }
    // The list of the last run; read it only while no run is on.
    const FSRefArray &fileList() const { return _array; }

    // For a delegate's worker-side messages: runs `work` on the main thread and waits for it.
    // False, without running it, once the delegate link is cut (or with no main thread to run it).
    bool performOnMainThreadAndWait(const std::function<void()> &work);

protected:
    // One hook per message. Each sends its message and returns the run's status, which is 0
    // wherever a hook is called; a subclass may return another code to end or steer the run (a
    // walked entry whose preProcessFile() gives kSkipErr is left out and not descended into).
    virtual Status starting();
    virtual Status buildListStarting();
    virtual Status buildListUpdated();
    virtual Status processListStarting();
    virtual Status preProcessFile();
    virtual Status processFile();
    virtual Status processListUpdated();
    virtual void ended();
    virtual void buildListEnded();
    virtual void processListEnded();

private:
    struct SharedState;
    using Message = void (FileProcessorDelegate::*)(FileProcessor *);

    bool beginRun();
    Status runOnThisThread();
    void runPhases();
    Status buildList();
    Status processList();
    void endRun();
    bool isRunning() const;
    static Status IterateFolderCallBack(void *refCon, const FolderIterateEntry *entry);
    Status listWalkedEntry(const FolderIterateEntry *entry);

    void notifyOnMainThread(Message message);
    void callOnWorker(Message message);
    bool performWithDelegate(const std::function<void(FileProcessorDelegate *)> &work);

    FSRefArray _sourceFileSet;
    FSRefArray _array;
    double _lastBuildUpdateTime = 0;
    double _lastProcessUpdateTime = 0;
    const FSRef *_currentFSRef = nullptr;
    int32_t _currentIndex = 0;
    int32_t _totalFiles = 0;
    Status _status = kNoErr;
    std::atomic<Status> _abortReason{kNoErr};
    bool _buildListOfFilesOnly = false;
    uint32_t _options = kFolderIterateDefaultOptions;
    MainThreadDispatcher *_dispatcher = GetApplicationMainThreadDispatcher();
    // The running state, the delegate link and the hand-offs, under one lock; shared with
    // hand-offs still queued on the main thread after the processor has gone.
    std::shared_ptr<SharedState> _state;
};
