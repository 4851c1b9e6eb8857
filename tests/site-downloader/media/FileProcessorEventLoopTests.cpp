// The file processor with the program's own main thread: messages through the application's
// event loop. Not run under ThreadSanitizer, which cannot see into Debian's Qt.
#include "site-downloader/media/FileProcessor.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/site-downloader/media/RecordingFileDelegate.h"
#include "tests/site-downloader/media/TestTree.h"

#include <gtest/gtest.h>

TEST(FileProcessorEventLoop, ThreadedRunHandsItsMessagesToTheEventLoop)
{
    TestTree tree;
    tree.add({"photos/", "photos/x.png", "photos/y.png"});
    RecordingFileDelegate delegate(tree, *GetApplicationMainThreadDispatcher());
    auto processor = FileProcessor::fileProcessorWithDelegate(&delegate, QString::fromStdString(tree.path("photos")));
    std::atomic<bool> handedOver{false};
    delegate.react = [&](FileProcessor *processor, const std::string &event) {
        if (event == "Process photos/x.png")
            handedOver = processor->performOnMainThreadAndWait([] {});
    };
    ASSERT_EQ(processor->processThreaded(), kNoErr);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return bool(delegate.ended); }));
    EXPECT_EQ(processor->abort(0, 10.0), kNoErr);
    EXPECT_TRUE(handedOver);
    EXPECT_EQ(delegate.wrongThreadMessages, 0);
    EXPECT_EQ(delegate.eventsWithoutProgress(),
              (std::vector<std::string>{"Starting", "BuildListStarting", "PreProcess photos/x.png",
                                        "PreProcess photos/y.png", "BuildListEnded", "ProcessListStarting",
                                        "Process photos/x.png", "Process photos/y.png", "ProcessListEnded", "Ended"}));
}
