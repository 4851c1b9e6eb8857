// The storage under a file walk: the block pool, the visited set's hash table and the growable
// array of file references.
#include "site-downloader/media/FSRefArray.h"
#include "utilities/FixedSizeBlockMemAllocator.h"
#include "utilities/HashTable.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

struct PoolDeleter {
    void operator()(FixedSizeBlockMemAllocator *pool) const { FixedSizeBlockMemAllocatorDispose(pool); }
};
using Pool = std::unique_ptr<FixedSizeBlockMemAllocator, PoolDeleter>;

Pool makePool(size_t blockSize, size_t blocksPerChunk)
{
    FixedSizeBlockMemAllocator *pool = nullptr;
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(blockSize, blocksPerChunk, &pool), kNoErr);
    return Pool(pool);
}

struct TableDeleter {
    void operator()(HashTable *table) const { HashTableDelete(table); }
};
using Table = std::unique_ptr<HashTable, TableDeleter>;

Table makeTable(uint32_t buckets, FixedSizeBlockMemAllocator *pool)
{
    HashTable *table = nullptr;
    EXPECT_EQ(HashTableCreate(buckets, pool, &table), kNoErr);
    return Table(table);
}

uint32_t add(HashTable *table, const std::string &key)
{
    uint32_t previous = 99;
    EXPECT_EQ(HashTableAddKey(table, key.data(), key.size(), &previous), kNoErr);
    return previous;
}

std::vector<std::string> keysInOrder(const HashTable *table)
{
    std::vector<std::string> keys;
    HashTableIterate(
        table,
        [](void *context, const void *key, size_t length, uint32_t) {
            static_cast<std::vector<std::string> *>(context)->emplace_back(static_cast<const char *>(key), length);
        },
        &keys);
    return keys;
}

FSRef reference(int number)
{
    return FSRef{1, ino_t(number), "/listed/entry-with-a-name-too-long-for-small-strings-" + std::to_string(number)};
}

} // namespace

TEST(FixedSizeBlockMemAllocator, HandsOutAlignedDistinctBlocksAndReusesFreedOnesFirst)
{
    Pool pool = makePool(20, 4);
    ASSERT_GE(FixedSizeBlockMemAllocatorGetBlockSize(pool.get()), 20u);
    std::set<void *> blocks;
    for (int index = 0; index < 9; ++index) {
        void *block = FixedSizeBlockMemAllocatorAlloc(pool.get());
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, 0xA5, 20); // must not spill into a neighbour, which ASan would see
        blocks.insert(block);
    }
    EXPECT_EQ(blocks.size(), 9u);
    EXPECT_EQ(FixedSizeBlockMemAllocatorGetChunkCount(pool.get()), 3u);

    void *freed = *blocks.begin();
    FixedSizeBlockMemAllocatorFree(pool.get(), freed);
    EXPECT_EQ(FixedSizeBlockMemAllocatorAlloc(pool.get()), freed);
    EXPECT_EQ(FixedSizeBlockMemAllocatorGetChunkCount(pool.get()), 3u);
}

TEST(FixedSizeBlockMemAllocator, RefusesEmptySizes)
{
    FixedSizeBlockMemAllocator *pool = nullptr;
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(0, 16, &pool), kParamErr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(16, 0, &pool), kParamErr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(std::numeric_limits<size_t>::max() / 2, 4, &pool), kParamErr);
    EXPECT_EQ(pool, nullptr);
}

TEST(HashBinary, XorsWordsThenTrailingBytes)
{
    const unsigned char key[6] = {1, 2, 3, 4, 0x10, 0x20};
    uint32_t word;
    std::memcpy(&word, key, 4);
    EXPECT_EQ(HashBinary(key, 6, std::numeric_limits<uint32_t>::max()), word ^ 0x10 ^ 0x20);
    EXPECT_EQ(HashBinary(key, 6, 101), (word ^ 0x10 ^ 0x20) % 101);
    EXPECT_EQ(HashBinary(key, 0, 101), 0u);
}

TEST(HashTable, CountsAdditionsAndKeepsCollidingKeysApart)
{
    Pool pool = makePool(GetHashTableNodeSize(8), 2); // a few nodes force new chunks
    Table table = makeTable(1, pool.get());           // one bucket: every key collides
    EXPECT_EQ(add(table.get(), "folder-1"), 0u);
    EXPECT_EQ(add(table.get(), "folder-2"), 0u);
    EXPECT_EQ(add(table.get(), "folder-1"), 1u);
    EXPECT_EQ(add(table.get(), "folder-3"), 0u);
    EXPECT_EQ(add(table.get(), "folder-1"), 2u);
    EXPECT_EQ(HashTableGetKeyCount(table.get(), "folder-1", 8), 3u);
    EXPECT_EQ(HashTableGetKeyCount(table.get(), "folder-9", 8), 0u);
    EXPECT_EQ(HashTableGetKeyCount(table.get(), "folder", 6), 0u); // a prefix is another key
    EXPECT_EQ(HashTableGetKeyTotal(table.get()), 3u);
    EXPECT_EQ(keysInOrder(table.get()), (std::vector<std::string>{"folder-1", "folder-2", "folder-3"}));

    EXPECT_EQ(HashTableRemoveKey(table.get(), "folder-2", 8), kNoErr);
    EXPECT_EQ(HashTableRemoveKey(table.get(), "folder-2", 8), kNotFoundErr);
    EXPECT_EQ(add(table.get(), "folder-4"), 0u);
    EXPECT_EQ(keysInOrder(table.get()), (std::vector<std::string>{"folder-1", "folder-3", "folder-4"}));
    EXPECT_EQ(HashTableGetKeyCount(table.get(), "folder-3", 8), 1u);
}

TEST(HashTable, RefusesKeysTooLongForThePoolsBlocks)
{
    Pool pool = makePool(GetHashTableNodeSize(8), 16);
    Table table = makeTable(101, pool.get());
    const std::string longKey(64, 'k');
    EXPECT_EQ(HashTableAddKey(table.get(), longKey.data(), longKey.size(), nullptr), kSizeErr);
    EXPECT_EQ(HashTableGetKeyTotal(table.get()), 0u);

    Table unpooled = makeTable(101, nullptr);
    EXPECT_EQ(HashTableAddKey(unpooled.get(), longKey.data(), longKey.size(), nullptr), kNoErr);
    EXPECT_EQ(HashTableGetKeyCount(unpooled.get(), longKey.data(), longKey.size()), 1u);
}

TEST(FSRefArray, GrowsInTheGivenStepsAndKeepsEveryReference)
{
    FSRefArray array;
    std::vector<int32_t> reservations;
    for (int number = 0; number < 8193; ++number) {
        const FSRef ref = reference(number);
        ASSERT_EQ(FSRefArrayAppend(&array, &ref), kNoErr);
        if (reservations.empty() || reservations.back() != array.nReserved)
            reservations.push_back(array.nReserved);
    }
    EXPECT_EQ(reservations, (std::vector<int32_t>{32, 256, 4096, 8192, 12288}));
    ASSERT_EQ(FSRefArrayGetCount(&array), 8193);
    for (int number : {0, 32, 256, 4095, 8192}) {
        FSRef *ref = nullptr;
        ASSERT_EQ(FSRefArrayGetIndexedPtr(&array, number, &ref), kNoErr);
        EXPECT_EQ(ref->path, reference(number).path);
        EXPECT_EQ(ref->inode, ino_t(number));
    }
    FSRef *ref = nullptr;
    EXPECT_EQ(FSRefArrayGetIndexedPtr(&array, -1, &ref), kRangeErr);
    EXPECT_EQ(FSRefArrayGetIndexedPtr(&array, 8193, &ref), kRangeErr);
    FSRefArrayClear(&array);
    EXPECT_EQ(array.storage, nullptr);
    EXPECT_EQ(array.nReserved, 0);
    EXPECT_EQ(FSRefArrayGetIndexedPtr(&array, 0, &ref), kRangeErr);
    FSRefArrayRelease(&array);
}

// The reserved size of a block close to the 32-bit limit rounds past it; the old block must stay.
TEST(FSRefArray, GrowthBeyondTheCountsLimitFailsAndKeepsTheOldBlock)
{
    FSRefArray array;
    const FSRef first = reference(1);
    ASSERT_EQ(FSRefArrayAppend(&array, &first), kNoErr);
    FSRef *before = array.storage;
    EXPECT_EQ(FSRefArrayReserve(&array, std::numeric_limits<int32_t>::max()), kNoMemoryErr);
    EXPECT_EQ(FSRefArrayReserve(&array, std::numeric_limits<int32_t>::max() - 4000), kNoMemoryErr);
    EXPECT_EQ(array.storage, before);
    EXPECT_EQ(array.nReserved, 32);
    ASSERT_EQ(FSRefArrayGetCount(&array), 1);
    EXPECT_EQ(array.storage[0].path, first.path);
    FSRefArrayRelease(&array);
}
