#include "utilities/RandomNumber.h"

#include <cstdlib>
#include <utility>

int32_t randomNumberInRangeFrom(int32_t minimum, int32_t maximum)
{
    if (maximum < minimum)
        std::swap(minimum, maximum);
    // In 64 bits the width of the full 32-bit range (2^32) neither overflows nor becomes 0.
    const int64_t width = int64_t(maximum) - int64_t(minimum) + 1;
    const int64_t draw = int64_t(std::rand() & 0xFFFF);
    return int32_t(int64_t(minimum) + draw % width);
}
