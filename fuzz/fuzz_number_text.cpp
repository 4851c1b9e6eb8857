#include "utilities/NumberText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

// The first byte picks the base (an unsupported one included); the rest is the text, read with
// its exact length so that the sanitizers see any read past it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size - 1 > INT32_MAX)
        return 0;
    constexpr int32_t kBases[] = {0, 2, 8, 10, 16, 7};
    const int32_t base = kBases[data[0] % std::size(kBases)];
    const char *text = reinterpret_cast<const char *>(data + 1);
    const size_t length = size - 1;

    const int32_t narrow = TextToInt32(text, static_cast<int32_t>(length), base);
    const int64_t wide = TextToInt64(text, static_cast<int64_t>(length), base);
    if (narrow != static_cast<int32_t>(wide))
        std::abort();

    uint64_t byteCount = 0;
    std::memcpy(&byteCount, text, std::min(length, sizeof byteCount));
    char formatted[32];
    SizeToFormattedString(byteCount, formatted);
    if (!std::memchr(formatted, '\0', sizeof formatted))
        std::abort();
    return 0;
}
