#pragma once

#include <cstdint>

// Reads an integer out of 8-bit text. `length` is the number of characters to look at, or -1
// for up to the terminating zero. `base` is 0 (chosen from the text), 2, 8, 10 or 16; a 0x or 0b
// prefix wins over the caller's base. Commas are skipped in base 10 (thousands separators).
// Reading stops at the first character that does not belong to the number; overflow wraps.
int32_t TextToInt32(const char *text, int32_t length, int32_t base);

// The same rules, with 64-bit arithmetic, for sizes that do not fit 32 bits.
int64_t TextToInt64(const char *text, int64_t length, int32_t base);

// Writes a byte count as a short text such as "1.5 KB" into `buffer`, which must hold at least
// 32 characters, and returns `buffer`. The decimal point is always '.', whatever the locale.
char *SizeToFormattedString(uint64_t size, char *buffer);
