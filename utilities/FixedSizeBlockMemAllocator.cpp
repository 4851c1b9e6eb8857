#include "utilities/FixedSizeBlockMemAllocator.h"

#include <cstdint>
#include <limits>
#include <new>

namespace {

constexpr size_t kBlockAlignment = alignof(std::max_align_t);

struct FreeBlock {
    FreeBlock *next;
};

// The link word at the head of each chunk, padded so that the blocks behind it stay aligned.
struct alignas(kBlockAlignment) ChunkHeader {
    ChunkHeader *next;
};

size_t roundUp(size_t value, size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

struct FixedSizeBlockMemAllocator {
    size_t blockSize = 0; // rounded up so that every block can hold the free-list link, aligned
    size_t blocksPerChunk = 0;
    ChunkHeader *chunks = nullptr;
    size_t chunkCount = 0;
    FreeBlock *freeList = nullptr;
};

Status FixedSizeBlockMemAllocatorNew(size_t blockSize, size_t blocksPerChunk,
                                     FixedSizeBlockMemAllocator **outAllocator)
{
    if (!outAllocator || blockSize == 0 || blocksPerChunk == 0)
        return kParamErr;
    const size_t roundedSize = roundUp(blockSize < sizeof(FreeBlock) ? sizeof(FreeBlock) : blockSize,
                                       kBlockAlignment);
    if (roundedSize < blockSize
        || blocksPerChunk > (std::numeric_limits<size_t>::max() - sizeof(ChunkHeader)) / roundedSize)
        return kParamErr;
    auto *allocator = new (std::nothrow) FixedSizeBlockMemAllocator;
    if (!allocator)
        return kNoMemoryErr;
    allocator->blockSize = roundedSize;
    allocator->blocksPerChunk = blocksPerChunk;
    *outAllocator = allocator;
    return kNoErr;
}

static bool addChunk(FixedSizeBlockMemAllocator *allocator)
{
    const size_t bytes = sizeof(ChunkHeader) + allocator->blockSize * allocator->blocksPerChunk;
    void *memory = ::operator new(bytes, std::align_val_t(kBlockAlignment), std::nothrow);
    if (!memory)
        return false;
    auto *chunk = new (memory) ChunkHeader{allocator->chunks};
    allocator->chunks = chunk;
    ++allocator->chunkCount;
    // Threaded back to front, so that the chunk's first block is handed out first.
    auto *blocks = reinterpret_cast<unsigned char *>(chunk + 1);
    for (size_t index = allocator->blocksPerChunk; index-- > 0;)
        allocator->freeList = new (blocks + index * allocator->blockSize) FreeBlock{allocator->freeList};
    return true;
}

void *FixedSizeBlockMemAllocatorAlloc(FixedSizeBlockMemAllocator *allocator)
{
    if (!allocator)
        return nullptr;
    if (!allocator->freeList && !addChunk(allocator))
        return nullptr;
    FreeBlock *block = allocator->freeList;
    allocator->freeList = block->next;
    return block;
}

void FixedSizeBlockMemAllocatorFree(FixedSizeBlockMemAllocator *allocator, void *block)
{
    if (!allocator || !block)
        return;
    allocator->freeList = new (block) FreeBlock{allocator->freeList};
}

size_t FixedSizeBlockMemAllocatorGetBlockSize(const FixedSizeBlockMemAllocator *allocator)
{
    return allocator ? allocator->blockSize : 0;
}

size_t FixedSizeBlockMemAllocatorGetChunkCount(const FixedSizeBlockMemAllocator *allocator)
{
    return allocator ? allocator->chunkCount : 0;
}

void FixedSizeBlockMemAllocatorDispose(FixedSizeBlockMemAllocator *allocator)
{
    if (!allocator)
        return;
    for (ChunkHeader *chunk = allocator->chunks; chunk;) {
        ChunkHeader *next = chunk->next;
        ::operator delete(chunk, std::align_val_t(kBlockAlignment));
        chunk = next;
    }
    delete allocator;
}
