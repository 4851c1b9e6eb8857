// The output grammar on lines as wget 1.21 prints them here, and as older versions did.
#include "site-downloader/wget/WgetOutputLine.h"

#include <gtest/gtest.h>

using namespace WgetOutputLine;

TEST(WgetOutputLineSaved, PathBetweenTheQuotesInEveryQuoteStyle)
{
    EXPECT_EQ(savedPath("2026-12-06 21:20:50 (31.7 MB/s) - ‘/tmp/dl/127.0.0.1:45703/index.html’ saved [191/191]"),
              "/tmp/dl/127.0.0.1:45703/index.html");
    EXPECT_EQ(savedPath("2026-12-06 21:20:50 (31.7 MB/s) - '/tmp/dl/a.html' saved [191/191]"), "/tmp/dl/a.html");
    EXPECT_EQ(savedPath("21:20:50 (31.70 KB/s) - `/tmp/dl/a.html' saved [191/191]"), "/tmp/dl/a.html");
}

TEST(WgetOutputLineSaved, NamesMayHoldQuotesDashesAndTheWordSaved)
{
    EXPECT_EQ(savedPath("2026-12-06 21:20:50 (1 MB/s) - ‘/tmp/it’s - ‘saved’ [1].html’ saved [5/5]"),
              "/tmp/it’s - ‘saved’ [1].html");
    EXPECT_EQ(savedPath("2026-12-06 21:20:50 (1 MB/s) - '/tmp/it's.html' saved [5/5]"), "/tmp/it's.html");
    EXPECT_EQ(savedPath("2026-12-06 21:20:50 (1 MB/s) - ‘/tmp/ünïcødé.html’ saved [5/5]"), "/tmp/ünïcødé.html");
}

TEST(WgetOutputLineSaved, OtherLinesAreNotSavedLines)
{
    EXPECT_FALSE(savedPath("Saving to: ‘/tmp/a.html’"));
    EXPECT_FALSE(savedPath("--2026-12-06 21:20:50--  http://host/saved.html"));
    EXPECT_FALSE(savedPath("Server file no newer than local file ‘a’ -- not retrieving."));
    EXPECT_FALSE(savedPath("something saved [1/1]"));
}

TEST(WgetOutputLineLength, SizesOfAnyWidth)
{
    EXPECT_EQ(announcedLength("Length: 204800 (200K) [application/octet-stream]"), 204800u);
    EXPECT_EQ(announcedLength("Length: 1,234,567 (1.2M) [text/html]"), 1234567u);
    EXPECT_EQ(announcedLength("Length: 10737418240 (10G) [application/octet-stream]"), 10737418240u);
    EXPECT_EQ(announcedLength("Length: unspecified [text/html]"), 0u);
    EXPECT_EQ(announcedLength("Length: 191"), 191u);
    EXPECT_FALSE(announcedLength("Length:191"));
}

TEST(WgetOutputLinePercent, ThreeColumnsBeforeThePercentSign)
{
    EXPECT_EQ(percentDone("     0K .......... .......... .......... .......... .......... 45%  140M 0s"), 45u);
    EXPECT_EQ(percentDone("   200K                                                       100% 0.00 =0.001s"), 100u);
    EXPECT_EQ(percentDone("     0K ..........  5%  140M 0s"), 5u);
    EXPECT_EQ(percentDone("5%"), 5u);
    EXPECT_EQ(percentDone("http://host/a%20b"), 0u);
    EXPECT_FALSE(percentDone("no percent here"));
}

TEST(WgetOutputLineClasses, AddressesAndProgressLines)
{
    EXPECT_EQ(addressInLine("--2026-12-06 21:20:50--  http://127.0.0.1:45703/index.html"),
              "http://127.0.0.1:45703/index.html");
    EXPECT_EQ(addressInLine("Location: https://127.0.0.1/target [following]"), "https://127.0.0.1/target [following]");
    EXPECT_EQ(addressInLine("--2026-12-06--  ftp://ftp.example/pub/"), "ftp://ftp.example/pub/");
    EXPECT_EQ(addressInLine("Saving to: ‘/tmp/127.0.0.1:45703/index.html’"), "");
    EXPECT_TRUE(isDotProgressLine("     0K .......... .......... 25%  140M 0s"));
    EXPECT_TRUE(isDotProgressLine("  1024M .......... 99% 1G 0s"));
    EXPECT_FALSE(isDotProgressLine("HTTP request sent, awaiting response... 200 OK"));
    EXPECT_FALSE(isDotProgressLine("2026-12-06 21:20:50 (31.7 MB/s) - ‘/tmp/a’ saved [1/1]"));
    EXPECT_TRUE(isProgressLine("Length: 191 [text/html]"));
    EXPECT_TRUE(isProgressLine("21:20:50 (31.70 KB/s) - `a' saved [1/1]"));
}
