#include "utilities/ErrorCodes.h"
#include "utilities/ErrorString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct ErrorName
{
    int32_t code;
    const char *name;
};

const std::vector<ErrorName> kNameTable = {
#define ERROR_NAME(code, name) {code, name},
#include "utilities/ErrorCodeNames.inc"
#undef ERROR_NAME
};

std::string Name(int32_t code)
{
    return GetErrorString(code, nullptr, 0);
}

TEST(ErrorString, NameTableHoldsEveryCodeOnce)
{
    EXPECT_EQ(kNameTable.size(), 298u);
    std::set<int32_t> codes;
    for (const auto &[code, name] : kNameTable) {
        EXPECT_TRUE(codes.insert(code).second) << "code " << code << " is listed twice";
        EXPECT_EQ(Name(code), name) << "code " << code;
    }
}

TEST(ErrorString, NamesFromEveryFamily)
{
    const std::pair<int32_t, const char *> samples[] = {
        {1, "in-progress/waiting"},
        {kNoErr, "no error"},
        {-1, "catch-all unknown error"},
        {kUnknownErr, "kUnknownErr"},
        {kParamErr, "kParamErr"},
        {kEndingErr, "kEndingErr"},
        {kConnectionErr, "kConnectionErr"},
        {kNoSpaceErr, "kNoSpaceErr"},
        {-2, "kACPBadRequestErr"},
        {-29, "kACPIncorrectFWErr"},
        {-65537, "mStatus_UnknownErr"},
        {-65792, "mStatus_MemFree"},
        {-100043, "kXMLNotFoundErr"},
        {-130587, "kXMLNonRootElementErr"},
        {-200034, "kRSPPasswordRequiredErr - 0x22 OBSOLETE"},
        {-409057, "kRSPSizeErr"},
        {-603979775, "kOSReturnError"},
        {-603963382, "kOSMetaClassDuplicateClass"},
        {-536870911, "kIOReturnInvalid"},
        {-536870160, "kIOReturnNotFound"},
        {-536854527, "kIOUSBCRCErr"},
        {-536854431, "kIOUSBUnknownPipeErr"},
        {-536838143, "kIOConfigNoEntry"},
        {-536836142, "kIOFWMessageTopologyChanged"},
        {1024, "MACH_MSG_VM_KERNEL"},
        {8192, "MACH_MSG_IPC_SPACE"},
        {268435457, "MACH_SEND_IN_PROGRESS"},
        {268451857, "MACH_RCV_IN_PROGRESS_TIMED"},
    };
    for (const auto &[code, name] : samples)
        EXPECT_EQ(Name(code), name) << "code " << code;
}

TEST(ErrorString, UnlistedCodesFallBackToTheSystemText)
{
    EXPECT_EQ(Name(2), "No such file or directory");
    EXPECT_EQ(Name(13), "Permission denied");
    for (const int32_t unlisted : {-6764, kWouldBlockErr, -536870197, 100000})
        EXPECT_EQ(Name(unlisted), "<unknown error code>") << "code " << unlisted;
}

TEST(ErrorString, TextWithoutABufferStaysValid)
{
    const char *noSuchFile = GetErrorString(2, nullptr, 0);
    const char *permissionDenied = GetErrorString(13, nullptr, 0);
    char buffer[8];
    const char *unbuffered = GetErrorString(2, buffer, 0);
    EXPECT_NE(unbuffered, buffer);
    EXPECT_STREQ(noSuchFile, "No such file or directory");
    EXPECT_STREQ(permissionDenied, "Permission denied");
}

TEST(ErrorString, CopiesIntoTheBufferUpToItsSize)
{
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetErrorString(kConnectionErr, buffer, 5), buffer);
    EXPECT_STREQ(buffer, "kCon");
    EXPECT_EQ(buffer[5], 'x');

    EXPECT_EQ(GetErrorString(kConnectionErr, buffer, 1), buffer);
    EXPECT_STREQ(buffer, "");

    EXPECT_STREQ(GetErrorString(kConnectionErr, buffer, std::strlen("kConnectionErr") + 1), "kConnectionErr");
    EXPECT_STREQ(GetErrorString(kConnectionErr, buffer, sizeof buffer), "kConnectionErr");
    EXPECT_STREQ(GetErrorString(2, buffer, 6), "No su");
    EXPECT_STREQ(GetErrorString(-6764, buffer, sizeof buffer), "<unknown error code>");
}

TEST(ErrorString, CallableFromSeveralThreadsAtOnce)
{
    const std::pair<int32_t, std::string> expected[] = {
        {kConnectionErr, "kConnectionErr"},
        {2, "No such file or directory"},
        {13, "Permission denied"},
        {-6764, "<unknown error code>"},
    };
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&] {
            char buffer[64];
            for (int round = 0; round < 20000; ++round) {
                const auto &[code, name] = expected[round % std::size(expected)];
                if (GetErrorString(code, nullptr, 0) != name || GetErrorString(code, buffer, sizeof buffer) != name)
                    ++mismatches;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

} // namespace
