#include "utilities/HashTable.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

struct HashTableNode {
    HashTableNode *bucketNext;
    HashTableNode *orderNext;
    HashTableNode *orderPrevious;
    uint32_t count;
    size_t keyLength;
    const unsigned char *key; // the bytes behind this header
};

} // namespace

struct HashTable {
    HashTableNode **buckets = nullptr;
    uint32_t bucketCount = 0;
    FixedSizeBlockMemAllocator *nodePool = nullptr;
    HashTableNode *first = nullptr; // insertion order, so that deletion and iteration need no bucket scan
    HashTableNode *last = nullptr;
    size_t keyTotal = 0;
};

size_t GetHashTableNodeSize(size_t keyLength)
{
    return sizeof(HashTableNode) + keyLength;
}

uint32_t HashBinary(const void *key, size_t keyLength, uint32_t bucketCount)
{
    const auto *bytes = static_cast<const unsigned char *>(key);
    uint32_t hash = 0;
    size_t offset = 0;
    for (; offset + sizeof(uint32_t) <= keyLength; offset += sizeof(uint32_t)) {
        uint32_t word;
        std::memcpy(&word, bytes + offset, sizeof word);
        hash ^= word;
    }
    for (; offset < keyLength; ++offset)
        hash ^= bytes[offset];
    return hash % bucketCount;
}

Status HashTableCreate(uint32_t bucketCount, FixedSizeBlockMemAllocator *nodePool, HashTable **outTable)
{
    if (!outTable || bucketCount == 0)
        return kParamErr;
    auto *table = new (std::nothrow) HashTable;
    if (!table)
        return kNoMemoryErr;
    table->buckets = new (std::nothrow) HashTableNode *[bucketCount]();
    if (!table->buckets) {
        delete table;
        return kNoMemoryErr;
    }
    table->bucketCount = bucketCount;
    table->nodePool = nodePool;
    *outTable = table;
    return kNoErr;
}

static HashTableNode **findLink(const HashTable *table, const void *key, size_t keyLength)
{
    HashTableNode **link = &table->buckets[HashBinary(key, keyLength, table->bucketCount)];
    for (; *link; link = &(*link)->bucketNext) {
        if ((*link)->keyLength == keyLength && std::memcmp((*link)->key, key, keyLength) == 0)
            break;
    }
    return link;
}

static void freeNode(HashTable *table, HashTableNode *node)
{
    node->~HashTableNode();
    if (table->nodePool)
        FixedSizeBlockMemAllocatorFree(table->nodePool, node);
    else
        ::operator delete(node);
}

Status HashTableAddKey(HashTable *table, const void *key, size_t keyLength, uint32_t *outPreviousCount)
{
    if (!table || (!key && keyLength > 0))
        return kParamErr;
    HashTableNode **link = findLink(table, key, keyLength);
    if (HashTableNode *node = *link) {
        if (outPreviousCount)
            *outPreviousCount = node->count;
        if (node->count < std::numeric_limits<uint32_t>::max())
            ++node->count;
        return kNoErr;
    }

    if (keyLength > std::numeric_limits<size_t>::max() - sizeof(HashTableNode))
        return kSizeErr;
    const size_t nodeSize = GetHashTableNodeSize(keyLength);
    void *memory;
    if (table->nodePool) {
        if (nodeSize > FixedSizeBlockMemAllocatorGetBlockSize(table->nodePool))
            return kSizeErr;
        memory = FixedSizeBlockMemAllocatorAlloc(table->nodePool);
    } else {
        memory = ::operator new(nodeSize, std::nothrow);
    }
    if (!memory)
        return kNoMemoryErr;
    auto *node = new (memory) HashTableNode;
    auto *keyCopy = reinterpret_cast<unsigned char *>(node + 1);
    if (keyLength > 0)
        std::memcpy(keyCopy, key, keyLength);
    *node = {nullptr, nullptr, table->last, 1, keyLength, keyCopy};
    if (table->last)
        table->last->orderNext = node;
    else
        table->first = node;
    table->last = node;
    *link = node;
    ++table->keyTotal;
    if (outPreviousCount)
        *outPreviousCount = 0;
    return kNoErr;
}

uint32_t HashTableGetKeyCount(const HashTable *table, const void *key, size_t keyLength)
{
    if (!table || (!key && keyLength > 0))
        return 0;
    const HashTableNode *node = *findLink(table, key, keyLength);
    return node ? node->count : 0;
}

Status HashTableRemoveKey(HashTable *table, const void *key, size_t keyLength)
{
    if (!table || (!key && keyLength > 0))
        return kParamErr;
    HashTableNode **link = findLink(table, key, keyLength);
    HashTableNode *node = *link;
    if (!node)
        return kNotFoundErr;
    *link = node->bucketNext;
    (node->orderPrevious ? node->orderPrevious->orderNext : table->first) = node->orderNext;
    (node->orderNext ? node->orderNext->orderPrevious : table->last) = node->orderPrevious;
    --table->keyTotal;
    freeNode(table, node);
    return kNoErr;
}

size_t HashTableGetKeyTotal(const HashTable *table)
{
    return table ? table->keyTotal : 0;
}

void HashTableIterate(const HashTable *table, HashTableVisitProc visit, void *context)
{
    if (!table || !visit)
        return;
    for (const HashTableNode *node = table->first; node; node = node->orderNext)
        visit(context, node->key, node->keyLength, node->count);
}

void HashTableDelete(HashTable *table)
{
    if (!table)
        return;
    for (HashTableNode *node = table->first; node;) {
        HashTableNode *next = node->orderNext;
        freeNode(table, node);
        node = next;
    }
    delete[] table->buckets;
    delete table;
}
