#pragma once

#include "utilities/ErrorCodes.h"

#include <cstddef>
#include <cstdint>

// A version packed into 32 bits: major (bits 31-24, binary), minor (23-20), bug-fix (19-16),
// stage (15-8) and non-release revision (7-0).
inline constexpr uint8_t kNumVersionStageDevelopment = 0x20;
inline constexpr uint8_t kNumVersionStageAlpha = 0x40;
inline constexpr uint8_t kNumVersionStageBeta = 0x60;
inline constexpr uint8_t kNumVersionStageFinal = 0x80;

// Reads "1.2.3", "2.0b5", "3.1.2a7" or "4" from the `length` characters of `text` (never past
// them). kMalformedErr without a major number, kRangeErr for a number out of its range (major and
// revision 0-255, minor and bug-fix 0-15); `outVersion` is left alone then.
Status TextToNumVersion(const char *text, size_t length, uint32_t *outVersion);

// 1 when `a` is newer than `b`, 0 when equal, -1 when older. Between two final releases one
// without a revision number is newer than any with one.
int NumVersionCompare(uint32_t a, uint32_t b);
