#include "site-downloader/media/FSRefArray.h"

#include <limits>
#include <new>
#include <utility>

namespace {

constexpr int64_t kFirstCapacity = 32;
constexpr int64_t kSecondCapacity = 256;
constexpr int64_t kCapacityStep = 4096;

int64_t capacityFor(int64_t count)
{
    if (count < kFirstCapacity)
        return kFirstCapacity;
    if (count < kSecondCapacity)
        return kSecondCapacity;
    return (count + kCapacityStep - 1) / kCapacityStep * kCapacityStep;
}

void destroyAll(FSRefArray *array)
{
    for (int32_t index = 0; index < array->nUsed; ++index)
        array->storage[index].~FSRef();
    ::operator delete(array->storage);
}

} // namespace

void FSRefArrayInit(FSRefArray *array)
{
    if (array)
        *array = FSRefArray{};
}

void FSRefArrayClear(FSRefArray *array)
{
    if (!array)
        return;
    destroyAll(array);
    *array = FSRefArray{};
}

void FSRefArrayRelease(FSRefArray *array)
{
    FSRefArrayClear(array);
}

int32_t FSRefArrayGetCount(const FSRefArray *array)
{
    return array ? array->nUsed : 0;
}

Status FSRefArrayGetIndexedPtr(FSRefArray *array, int32_t index, FSRef **outRef)
{
    if (!array || !outRef)
        return kParamErr;
    if (index < 0 || index >= array->nUsed)
        return kRangeErr;
    *outRef = &array->storage[index];
    return kNoErr;
}

Status FSRefArrayReserve(FSRefArray *array, int32_t count)
{
    if (!array)
        return kParamErr;
    if (count <= array->nReserved)
        return kNoErr;
    const int64_t capacity = capacityFor(count);
    if (capacity > std::numeric_limits<int32_t>::max()
        || uint64_t(capacity) > std::numeric_limits<size_t>::max() / sizeof(FSRef))
        return kNoMemoryErr;
    auto *storage = static_cast<FSRef *>(::operator new(size_t(capacity) * sizeof(FSRef), std::nothrow));
    if (!storage)
        return kNoMemoryErr;
    for (int32_t index = 0; index < array->nUsed; ++index)
        new (&storage[index]) FSRef(std::move(array->storage[index]));
    destroyAll(array);
    array->storage = storage;
    array->nReserved = int32_t(capacity);
    return kNoErr;
}

// Makes room for one more reference.
static Status reserveOneMore(FSRefArray *array)
{
    if (array->nUsed < array->nReserved)
        return kNoErr;
    if (array->nUsed == std::numeric_limits<int32_t>::max())
        return kNoMemoryErr;
    return FSRefArrayReserve(array, array->nUsed + 1);
}

Status FSRefArrayAppend(FSRefArray *array, const FSRef *ref)
{
    if (!array || !ref)
        return kParamErr;
    if (const Status status = reserveOneMore(array))
        return status;
    try {
        new (&array->storage[array->nUsed]) FSRef(*ref);
    } catch (const std::bad_alloc &) {
        return kNoMemoryErr;
    }
    ++array->nUsed;
    return kNoErr;
}

Status FSRefArrayAppend(FSRefArray *array, FSRef &&ref)
{
    if (!array)
        return kParamErr;
    if (const Status status = reserveOneMore(array))
        return status;
    new (&array->storage[array->nUsed]) FSRef(std::move(ref));
    ++array->nUsed;
    return kNoErr;
}
