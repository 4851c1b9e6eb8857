#pragma once

#include "utilities/ErrorCodes.h"

#include <cstddef>

// Hands out blocks of one size from chunks that each hold many of them, so that structures with
// a great many small nodes (the visited set of a folder walk) cost one allocation per chunk
// instead of one per node. Blocks are aligned for any scalar type. Freed blocks are reused
// first; chunks are returned only when the allocator is disposed of.
struct FixedSizeBlockMemAllocator;

// kParamErr for a null `outAllocator` or a zero size or count; kNoMemoryErr when the record
// cannot be made. No chunk is allocated until the first block is asked for.
Status FixedSizeBlockMemAllocatorNew(size_t blockSize, size_t blocksPerChunk,
                                     FixedSizeBlockMemAllocator **outAllocator);

// A block of at least the allocator's block size, or null when no new chunk can be had.
void *FixedSizeBlockMemAllocatorAlloc(FixedSizeBlockMemAllocator *allocator);

// `block` must come from this allocator; null is ignored.
void FixedSizeBlockMemAllocatorFree(FixedSizeBlockMemAllocator *allocator, void *block);

size_t FixedSizeBlockMemAllocatorGetBlockSize(const FixedSizeBlockMemAllocator *allocator);
size_t FixedSizeBlockMemAllocatorGetChunkCount(const FixedSizeBlockMemAllocator *allocator);

// Frees every chunk, and with them every block still handed out. Null is ignored.
void FixedSizeBlockMemAllocatorDispose(FixedSizeBlockMemAllocator *allocator);
