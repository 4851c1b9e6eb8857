#pragma once

#include <cstdint>

// A number from `minimum` to `maximum`, both included, drawn from the C library's rand():
// minimum + ((rand() & 0xFFFF) mod (maximum - minimum + 1)). The bounds may come in either
// order, and a range wider than 65536 numbers only ever yields its first 65536.
int32_t randomNumberInRangeFrom(int32_t minimum, int32_t maximum);
