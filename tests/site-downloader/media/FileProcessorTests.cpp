// The file processor's runs on its worker thread, with a plain main thread that the test drives:
// message order, aborts at every stage, the delegate link and the processor's lifetime.
#include "site-downloader/media/FileProcessor.h"
#include "tests/site-downloader/media/PlainMainThreadDispatcher.h"
#include "tests/site-downloader/media/RecordingFileDelegate.h"
#include "tests/site-downloader/media/TestTree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Events = std::vector<std::string>;

class FileProcessorRun : public testing::Test
{
protected:
    FileProcessorRun()
    {
        tree.add({"photos/", "photos/b.png", "photos/a/", "photos/a/1.jpg", "single.png"});
        processor->setMainThreadDispatcher(&mainThread);
        processor->setDelegate(delegate.get());
    }

    void addSources(std::initializer_list<std::string> relativePaths)
    {
        for (const std::string &path : relativePaths)
            ASSERT_EQ(processor->addSourcePath(QString::fromStdString(tree.path(path))), kNoErr);
    }

    // Starts the run on its worker and serves the main thread until fileProcessorEnded.
    void runThreaded()
    {
        ASSERT_EQ(processor->processThreaded(), kNoErr);
        ASSERT_TRUE(mainThread.runUntil([this] { return bool(delegate->ended); }));
        EXPECT_EQ(processor->abort(0, 10.0), kNoErr); // the run is idle again
    }

    TestTree tree;
    PlainMainThreadDispatcher mainThread;
    std::shared_ptr<FileProcessor> processor = FileProcessor::fileProcessor();
    std::unique_ptr<RecordingFileDelegate> delegate = std::make_unique<RecordingFileDelegate>(tree, mainThread);
};

} // namespace

TEST_F(FileProcessorRun, SourceFileThenFolderInOrderEachMessageOnItsThread)
{
    addSources({"single.png", "photos"});
    runThreaded();
    EXPECT_EQ(delegate->eventsWithoutProgress(),
              (Events{"Starting", "BuildListStarting", "PreProcess single.png", "PreProcess photos/a",
                      "PreProcess photos/a/1.jpg", "PreProcess photos/b.png", "BuildListEnded",
                      "ProcessListStarting", "Process single.png", "Process photos/a", "Process photos/a/1.jpg",
                      "Process photos/b.png", "ProcessListEnded", "Ended"}));
    EXPECT_EQ(delegate->wrongThreadMessages, 0);
    EXPECT_EQ(processor->totalFiles(), 4);

    // The first walked entry and the first processed one report progress at once; a source
    // file never does.
    const Events events = delegate->events();
    const auto firstUpdate = std::find(events.begin(), events.end(), "BuildListUpdated");
    ASSERT_NE(firstUpdate, events.end());
    EXPECT_EQ(*(firstUpdate - 1), "PreProcess photos/a");
    const auto firstProcessUpdate = std::find(events.begin(), events.end(), "ProcessListUpdated");
    ASSERT_NE(firstProcessUpdate, events.end());
    EXPECT_EQ(*(firstProcessUpdate - 1), "Process single.png");
}

TEST_F(FileProcessorRun, EmptyFolderAndBuildOnlyRuns)
{
    tree.add({"empty/"});
    addSources({"empty"});
    runThreaded();
    EXPECT_EQ(delegate->events(), (Events{"Starting", "BuildListStarting", "BuildListEnded", "ProcessListStarting",
                                          "ProcessListEnded", "Ended"}));

    auto second = std::make_unique<RecordingFileDelegate>(tree, mainThread);
    delegate.swap(second);
    processor->setDelegate(delegate.get());
    processor->setOnlyBuildFileList(true);
    ASSERT_EQ(processor->setRootFolderPath(QString::fromStdString(tree.path("photos"))), kNoErr);
    runThreaded();
    EXPECT_EQ(delegate->eventsWithoutProgress(),
              (Events{"Starting", "BuildListStarting", "PreProcess photos/a", "PreProcess photos/a/1.jpg",
                      "PreProcess photos/b.png", "BuildListEnded", "Ended"}));
    EXPECT_EQ(FSRefArrayGetCount(&processor->fileList()), 3);
}

TEST_F(FileProcessorRun, SecondRunListsTheSameEntriesAgain)
{
    addSources({"photos"});
    processor->setOnlyBuildFileList(true);
    processor->setMainThreadDispatcher(nullptr); // no main thread at all: the list still builds
    ASSERT_EQ(processor->process(), kNoErr);
    ASSERT_EQ(processor->process(), kNoErr);
    EXPECT_EQ(processor->totalFiles(), 3);
    EXPECT_EQ(FSRefArrayGetCount(&processor->fileList()), 3);
}

TEST_F(FileProcessorRun, AbortDuringTheBuildEndsBeforeAnyProcessing)
{
    addSources({"photos"});
    delegate->react = [](FileProcessor *processor, const std::string &event) {
        if (event == "PreProcess photos/a/1.jpg")
            processor->abort(kCanceledErr);
    };
    runThreaded();
    EXPECT_EQ(delegate->eventsWithoutProgress(),
              (Events{"Starting", "BuildListStarting", "PreProcess photos/a", "PreProcess photos/a/1.jpg",
                      "BuildListEnded", "Ended"}));
    EXPECT_EQ(processor->totalFiles(), 2); // what was listed before the checkpoint stays
}

TEST_F(FileProcessorRun, AbortDuringProcessingStopsAtTheNextEntry)
{
    addSources({"photos"});
    delegate->react = [](FileProcessor *processor, const std::string &event) {
        if (event == "Process photos/a/1.jpg")
            processor->abort(kCanceledErr);
    };
    Status result = kNoErr;
    std::thread worker([&] { result = processor->process(); });
    ASSERT_TRUE(mainThread.runUntil([this] { return bool(delegate->ended); }));
    worker.join();
    EXPECT_EQ(result, kCanceledErr);
    EXPECT_EQ(delegate->eventsWithoutProgress(),
              (Events{"Starting", "BuildListStarting", "PreProcess photos/a", "PreProcess photos/a/1.jpg",
                      "PreProcess photos/b.png", "BuildListEnded", "ProcessListStarting", "Process photos/a",
                      "Process photos/a/1.jpg", "ProcessListEnded", "Ended"}));
    EXPECT_EQ(processor->currentIndex(), 2);
}

// Closing an image browser right after it started a batch sends the abort before the worker runs.
TEST_F(FileProcessorRun, AbortRightAfterTheStartIsNotLost)
{
    addSources({"photos"});
    ASSERT_EQ(processor->processThreaded(), kNoErr);
    processor->abort(kCanceledErr);
    EXPECT_EQ(processor->processThreaded(), kStateErr);
    EXPECT_EQ(processor->addSourcePath(QString::fromStdString(tree.path("single.png"))), kStateErr);
    ASSERT_TRUE(mainThread.runUntil([this] { return bool(delegate->ended); }));
    EXPECT_EQ(processor->abort(kCanceledErr, 10.0), kNoErr);
    EXPECT_EQ(delegate->events(), (Events{"Starting", "BuildListStarting", "BuildListEnded", "Ended"}));
}

// The main thread waits in abort() while the worker waits for a main-thread message: the abort
// times out, cuts the link, and the delegate may go at once. Nothing reaches it afterwards, even
// the message that was already queued.
TEST_F(FileProcessorRun, TimedOutAbortCutsTheDelegateBeforeItReturns)
{
    addSources({"photos"});
    ASSERT_EQ(processor->processThreaded(), kNoErr);
    EXPECT_EQ(processor->abort(kCanceledErr, 0.2), kTimeoutErr);
    EXPECT_EQ(processor->delegate(), nullptr);
    delegate.reset();
    EXPECT_TRUE(mainThread.runUntil([this] { return processor->abort(kCanceledErr, 0.01) == kNoErr; }));
}

// A delegate's worker message that waits for the main thread is released by the cut, so that the
// timed-out abort on the main thread does not wait for it in turn.
TEST_F(FileProcessorRun, TimedOutAbortReleasesAWorkerMessageWaitingForTheMainThread)
{
    addSources({"photos"});
    std::atomic<bool> inside{false};
    std::atomic<int> handOffResult{-1};
    delegate->react = [&](FileProcessor *processor, const std::string &event) {
        if (event.rfind("Process ", 0) != 0)
            return;
        inside = true;
        handOffResult = processor->performOnMainThreadAndWait([] {});
    };
    ASSERT_EQ(processor->processThreaded(), kNoErr);
    // The main thread stops serving right after the last message before the first entry, and
    // waits, without serving, until the worker is inside that entry's message.
    ASSERT_TRUE(mainThread.runUntil([&] {
        const Events events = delegate->events();
        return std::find(events.begin(), events.end(), "ProcessListStarting") != events.end();
    }));
    while (!inside)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(processor->abort(kCanceledErr, 0.2), kTimeoutErr);
    EXPECT_EQ(handOffResult, 0);
    const Events seen = delegate->events();
    delegate.reset();
    EXPECT_TRUE(mainThread.runUntil([this] { return processor->abort(kCanceledErr, 0.01) == kNoErr; }));
    EXPECT_EQ(seen.back(), "Process photos/a");
}

// The owner lets go of the processor as soon as the batch has started; the worker keeps it.
TEST_F(FileProcessorRun, WorkerKeepsTheProcessorAliveAndResetInEndedIsSafe)
{
    addSources({"photos"});
    std::weak_ptr<FileProcessor> watch = processor;
    delegate->react = [](FileProcessor *processor, const std::string &event) {
        if (event == "Ended")
            processor->reset(); // what the image browser does before it lets go
    };
    ASSERT_EQ(processor->processThreaded(), kNoErr);
    processor.reset();
    ASSERT_TRUE(mainThread.runUntil([this] { return bool(delegate->ended); }));
    EXPECT_TRUE(mainThread.runUntil([&] { return watch.expired(); }));
    EXPECT_EQ(delegate->eventsWithoutProgress().size(), 12u);
}

// Run on the main thread itself, the main-thread messages are delivered in place.
TEST_F(FileProcessorRun, ProcessOnTheMainThreadDoesNotWaitForItself)
{
    addSources({"single.png"});
    EXPECT_EQ(processor->process(), kNoErr);
    EXPECT_EQ(delegate->events(), (Events{"Starting", "BuildListStarting", "PreProcess single.png", "BuildListEnded",
                                          "ProcessListStarting", "Process single.png", "ProcessListUpdated",
                                          "ProcessListEnded", "Ended"}));
    EXPECT_EQ(delegate->wrongThreadMessages, 0);
}

TEST(FileProcessorSources, PathsAndAddresses)
{
    TestTree tree;
    tree.add({"there.png"});
    auto processor = FileProcessor::fileProcessor();
    EXPECT_EQ(processor->addSourcePath(QString()), paramErr);
    EXPECT_EQ(processor->addSourcePath(QString("")), kNoFileURLErr);
    EXPECT_EQ(processor->addSourceURL(QUrl("https://example.org/there.png")), kNoSuchFileErr);
    EXPECT_EQ(processor->addSourcePathArray({QString::fromStdString(tree.path("there.png")),
                                             QString::fromStdString(tree.path("missing.png")),
                                             QString::fromStdString(tree.path("there.png"))}),
              kNoSuchFileErr);
    processor->setOnlyBuildFileList(true);
    processor->setMainThreadDispatcher(nullptr);
    ASSERT_EQ(processor->process(), kNoErr);
    EXPECT_EQ(processor->totalFiles(), 1);
}
