#include "utilities/RandomNumber.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(RandomNumber, StaysInsideTheRangeWhicheverWayItIsGiven)
{
    std::srand(1);
    std::set<int32_t> seen;
    for (int draw = 0; draw < 2000; ++draw) {
        const int32_t forward = randomNumberInRangeFrom(-3, 3);
        const int32_t backward = randomNumberInRangeFrom(3, -3);
        ASSERT_GE(forward, -3);
        ASSERT_LE(forward, 3);
        ASSERT_GE(backward, -3);
        ASSERT_LE(backward, 3);
        seen.insert(forward);
    }
    EXPECT_EQ(seen.size(), 7u);
}

TEST(RandomNumber, DegenerateAndExtremeRangesNeitherTrapNorLeaveTheRange)
{
    EXPECT_EQ(randomNumberInRangeFrom(5, 5), 5);
    // maximum - minimum + 1 is 0 in 32 bits for these.
    for (int draw = 0; draw < 100; ++draw) {
        const int32_t value = randomNumberInRangeFrom(INT32_MIN, INT32_MAX);
        EXPECT_GE(value, INT32_MIN);
        EXPECT_LE(value, int32_t(INT32_MIN + 0xFFFF));
        const int32_t reversed = randomNumberInRangeFrom(6, 5);
        EXPECT_TRUE(reversed == 5 || reversed == 6) << reversed;
    }
    // Beyond 16 bits the result must not wrap to a negative number.
    for (int draw = 0; draw < 1000; ++draw)
        ASSERT_GE(randomNumberInRangeFrom(0, 100000), 0);
}

} // namespace
