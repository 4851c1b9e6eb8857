#pragma once

#include "platform/FileReference.h"
#include "utilities/ErrorCodes.h"

#include <cstdint>

// A growable array of file references in one block, owned by value inside its owner. The block
// grows in large steps (32, 256, then multiples of 4096 references), so listing tens of thousands
// of entries costs few reallocations. Invariant: 0 <= nUsed <= nReserved, and storage is null
// exactly when nothing is reserved.
struct FSRefArray {
    FSRef *storage = nullptr;
    int32_t nUsed = 0;
    int32_t nReserved = 0;
};

// Makes `array` empty without looking at what it held: for an array that was never set up.
void FSRefArrayInit(FSRefArray *array);

// Frees the block; the array is empty afterwards and may be used again.
void FSRefArrayRelease(FSRefArray *array);
void FSRefArrayClear(FSRefArray *array);

int32_t FSRefArrayGetCount(const FSRefArray *array);

// A pointer into the block, valid until the array next grows or is cleared. kRangeErr for an
// index below 0 or at or past the count.
Status FSRefArrayGetIndexedPtr(FSRefArray *array, int32_t index, FSRef **outRef);

// Copies `ref` to the end. kNoMemoryErr when the block cannot grow; the array is then unchanged.
Status FSRefArrayAppend(FSRefArray *array, const FSRef *ref);
// The same, taking over `ref`'s path instead of copying it.
Status FSRefArrayAppend(FSRefArray *array, FSRef &&ref);

// Makes room for `count` references. kNoMemoryErr when the block cannot grow, including when the
// new capacity would not fit the 32-bit counts; the old block and its references are kept.
Status FSRefArrayReserve(FSRefArray *array, int32_t count);
