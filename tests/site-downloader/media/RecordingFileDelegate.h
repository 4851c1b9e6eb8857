#pragma once

#include "site-downloader/media/FileProcessor.h"
#include "tests/site-downloader/media/TestTree.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Writes down every message as "Name" or "Name relative/path", and whether it came on the thread
// that the processor promises. `react` runs inside each message, on that message's thread.
class RecordingFileDelegate final : public FileProcessorDelegate
{
public:
    RecordingFileDelegate(const TestTree &tree, const MainThreadDispatcher &mainThread)
        : _tree(tree), _mainThread(mainThread)
    {
    }

    std::function<void(FileProcessor *, const std::string &event)> react;
    std::atomic<bool> ended{false};
    std::atomic<int> wrongThreadMessages{0};

    std::vector<std::string> events() const
    {
        std::lock_guard guard(_lock);
        return _events;
    }

    // The messages without progress messages, whose number depends on timing.
    std::vector<std::string> eventsWithoutProgress() const
    {
        std::vector<std::string> result;
        for (const std::string &event : events()) {
            if (event.find("Updated") == std::string::npos)
                result.push_back(event);
        }
        return result;
    }

    void fileProcessorStarting(FileProcessor *p) override { onMain(p, "Starting"); }
    void fileProcessorBuildListStarting(FileProcessor *p) override { onMain(p, "BuildListStarting"); }
    void fileProcessorBuildListUpdated(FileProcessor *p) override { onMain(p, "BuildListUpdated"); }
    void fileProcessorBuildListEnded(FileProcessor *p) override { onMain(p, "BuildListEnded"); }
    void fileProcessorProcessListStarting(FileProcessor *p) override { onMain(p, "ProcessListStarting"); }
    void fileProcessorProcessListUpdated(FileProcessor *p) override { onMain(p, "ProcessListUpdated"); }
    void fileProcessorProcessListEnded(FileProcessor *p) override { onMain(p, "ProcessListEnded"); }
    void fileProcessorEnded(FileProcessor *p) override
    {
        onMain(p, "Ended");
        ended = true;
    }
    void fileProcessorPreProcessFile(FileProcessor *p) override { onWorker(p, "PreProcess " + current(p)); }
    void fileProcessorProcessFile(FileProcessor *p) override { onWorker(p, "Process " + current(p)); }

private:
    std::string current(FileProcessor *processor) const
    {
        return processor->currentFSRef() ? _tree.relative(processor->currentFSRef()->path) : "(none)";
    }
    void onMain(FileProcessor *processor, const std::string &event)
    {
        record(processor, event, _mainThread.isMainThread());
    }
    void onWorker(FileProcessor *processor, const std::string &event)
    {
        record(processor, event, true);
    }
    void record(FileProcessor *processor, const std::string &event, bool rightThread)
    {
        if (!rightThread)
            ++wrongThreadMessages;
        {
            std::lock_guard guard(_lock);
            _events.push_back(event);
        }
        if (react)
            react(processor, event);
    }

    const TestTree &_tree;
    const MainThreadDispatcher &_mainThread;
    mutable std::mutex _lock;
    std::vector<std::string> _events;
};
