// Version texts and their order, including texts that end early and numbers out of range.
#include "site-downloader/update/NumVersion.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

struct Parsed {
    Status status = kNoErr;
    uint32_t version = 0xDEADBEEF;
};

Parsed parse(const std::string &text)
{
    Parsed parsed;
    parsed.status = TextToNumVersion(text.data(), text.size(), &parsed.version);
    return parsed;
}

uint32_t pack(uint32_t major, uint32_t minor, uint32_t bug, uint32_t stage, uint32_t revision)
{
    return major << 24 | minor << 20 | bug << 16 | stage << 8 | revision;
}

uint32_t version(const std::string &text)
{
    const Parsed parsed = parse(text);
    EXPECT_EQ(parsed.status, kNoErr) << text;
    return parsed.version;
}

} // namespace

TEST(NumVersion, ReadsEachForm)
{
    const struct {
        const char *text;
        uint32_t expected;
    } cases[] = {
        {"1.2.3", pack(1, 2, 3, kNumVersionStageFinal, 0)},
        {"2.0b5", pack(2, 0, 0, kNumVersionStageBeta, 5)},
        {"3.1.2a7", pack(3, 1, 2, kNumVersionStageAlpha, 7)},
        {"4", pack(4, 0, 0, kNumVersionStageFinal, 0)},
        {"  1.10", pack(1, 10, 0, kNumVersionStageFinal, 0)},
        {"1.5D2", pack(1, 5, 0, kNumVersionStageDevelopment, 2)},
        {"1.5.1B3", pack(1, 5, 1, kNumVersionStageBeta, 3)},
        {"255.15.15f255", pack(255, 15, 15, kNumVersionStageFinal, 255)},
        {"2.", pack(2, 0, 0, kNumVersionStageFinal, 0)},
        {"2.x", pack(2, 0, 0, kNumVersionStageFinal, 0)},  // no minor digits: nothing more is read
        {"1.2.", pack(1, 2, 0, kNumVersionStageFinal, 0)}, // the text ends after the dot
        {"1-2", pack(1, 2, 0, kNumVersionStageFinal, 0)},  // any one separator
    };
    for (const auto &each : cases) {
        const Parsed parsed = parse(each.text);
        EXPECT_EQ(parsed.status, kNoErr) << each.text;
        EXPECT_EQ(parsed.version, each.expected) << each.text;
    }
}

TEST(NumVersion, RefusesMalformedAndOutOfRangeWithoutStoring)
{
    const struct {
        const char *text;
        Status expected;
    } cases[] = {
        {"", kMalformedErr},        {"   ", kMalformedErr},       {"v1.2", kMalformedErr},
        {".5", kMalformedErr},      {"256", kRangeErr},           {"1.16", kRangeErr},
        {"1.2.16", kRangeErr},      {"1.2b256", kRangeErr},       {"99999999999999999999", kRangeErr},
        {"1.4294967297", kRangeErr}, // would wrap to 1 in 32 bits
    };
    for (const auto &each : cases) {
        const Parsed parsed = parse(each.text);
        EXPECT_EQ(parsed.status, each.expected) << each.text;
        EXPECT_EQ(parsed.version, 0xDEADBEEFu) << each.text;
    }
}

TEST(NumVersion, NeverReadsPastTheGivenLength)
{
    // Only "1.2" of the buffer is the text; the rest must not be looked at.
    const char buffer[] = "1.2.3b4";
    uint32_t value = 0;
    ASSERT_EQ(TextToNumVersion(buffer, 3, &value), kNoErr);
    EXPECT_EQ(value, pack(1, 2, 0, kNumVersionStageFinal, 0));
    // A heap copy without a terminator, so AddressSanitizer sees any read beyond it.
    for (const char *text : {"1.2.3b", "1.2.", "1.2b", "7", "1."}) {
        const size_t length = std::strlen(text);
        auto *exact = new char[length];
        std::memcpy(exact, text, length);
        EXPECT_EQ(TextToNumVersion(exact, length, &value), kNoErr) << text;
        delete[] exact;
    }
}

TEST(NumVersion, ComparesInReleaseOrder)
{
    EXPECT_EQ(NumVersionCompare(version("1.5.1"), version("1.5")), 1);
    EXPECT_EQ(NumVersionCompare(version("1.5"), version("1.5")), 0);
    EXPECT_EQ(NumVersionCompare(version("1.4.9"), version("1.5")), -1);
    EXPECT_EQ(NumVersionCompare(version("2.0"), version("2.0b3")), 1);  // final beats beta
    EXPECT_EQ(NumVersionCompare(version("2.0b9"), version("2.0")), -1);
    EXPECT_EQ(NumVersionCompare(version("2.0b9"), version("2.0b10")), -1);
    EXPECT_EQ(NumVersionCompare(version("2.0a9"), version("2.0b1")), -1);
    EXPECT_EQ(NumVersionCompare(version("2.0d9"), version("2.0a1")), -1);
    EXPECT_EQ(NumVersionCompare(version("1.10"), version("1.9")), 1);
    EXPECT_EQ(NumVersionCompare(version("200"), version("100.15.15")), 1); // unsigned bytes
    // A final release without a revision number is newer than one with.
    EXPECT_EQ(NumVersionCompare(version("1.0"), version("1.0f5")), 1);
    EXPECT_EQ(NumVersionCompare(version("1.0f5"), version("1.0")), -1);
    EXPECT_EQ(NumVersionCompare(version("1.0f5"), version("1.0f6")), -1);
}
