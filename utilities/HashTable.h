#pragma once

#include "utilities/ErrorCodes.h"
#include "utilities/FixedSizeBlockMemAllocator.h"

#include <cstddef>
#include <cstdint>

// A chained hash table of binary keys, each with a count of how often it was added. Keys are
// copied into their nodes and compared bytewise. Nodes may come from a fixed-size block pool
// whose block size is GetHashTableNodeSize() of the longest key; the table never owns the pool.
struct HashTable;

// Bytes of one node holding a key of `keyLength` bytes: the size a node pool's blocks need.
size_t GetHashTableNodeSize(size_t keyLength);

// The bucket of `key`: its 32-bit words XORed together, then any bytes left over XORed in one
// at a time, modulo `bucketCount` (which must not be 0).
uint32_t HashBinary(const void *key, size_t keyLength, uint32_t bucketCount);

// `nodePool` may be null: nodes are then allocated one by one. kParamErr for a null `outTable`
// or no buckets; kNoMemoryErr when the table cannot be made.
Status HashTableCreate(uint32_t bucketCount, FixedSizeBlockMemAllocator *nodePool, HashTable **outTable);

// Counts one more addition of `key`, entering it when it is new. `outPreviousCount` (may be
// null) receives the count before this call: 0 means the key was new. kSizeErr when a node for
// this key does not fit the pool's blocks; kNoMemoryErr when no node can be had.
Status HashTableAddKey(HashTable *table, const void *key, size_t keyLength, uint32_t *outPreviousCount);

// How often `key` was added; 0 when it is not in the table.
uint32_t HashTableGetKeyCount(const HashTable *table, const void *key, size_t keyLength);

// kNotFoundErr when `key` is not in the table.
Status HashTableRemoveKey(HashTable *table, const void *key, size_t keyLength);

// The number of distinct keys.
size_t HashTableGetKeyTotal(const HashTable *table);

// Visits every key in the order in which the keys were first added.
using HashTableVisitProc = void (*)(void *context, const void *key, size_t keyLength, uint32_t count);
void HashTableIterate(const HashTable *table, HashTableVisitProc visit, void *context);

// Frees every node, the buckets and the table. Null is ignored.
void HashTableDelete(HashTable *table);
