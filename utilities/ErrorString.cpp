#include "utilities/ErrorString.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace {

struct ErrorName
{
    int32_t code;
    const char *name;
};

constexpr ErrorName kListedErrorNames[] = {
#define ERROR_NAME(code, name) {code, name},
#include "utilities/ErrorCodeNames.inc"
#undef ERROR_NAME
};

constexpr auto kErrorNamesByCode = [] {
    auto names = std::to_array(kListedErrorNames);
    std::ranges::sort(names, {}, &ErrorName::code);
    return names;
}();

static_assert(std::ranges::adjacent_find(kErrorNamesByCode, std::ranges::equal_to{}, &ErrorName::code)
                  == kErrorNamesByCode.end(),
              "a code with two names would make the lookup ambiguous");

const char *ListedErrorName(int32_t code)
{
    const auto found = std::ranges::lower_bound(kErrorNamesByCode, code, {}, &ErrorName::code);
    return found != kErrorNamesByCode.end() && found->code == code ? found->name : nullptr;
}

// strerrordesc_np() rather than strerror(): its text is constant, so it may be returned without
// a buffer and read from any thread.
const char *SystemErrorText(int32_t code)
{
    const char *description = strerrordesc_np(code);
    return description ? description : "<unknown error code>";
}

} // namespace

const char *GetErrorString(int32_t code, char *buffer, size_t bufferSize)
{
    const char *listedName = ListedErrorName(code);
    const char *text = listedName ? listedName : SystemErrorText(code);
    if (!buffer || bufferSize == 0)
        return text;
    const size_t copiedLength = std::min(std::strlen(text), bufferSize - 1);
    std::memcpy(buffer, text, copiedLength);
    buffer[copiedLength] = '\0';
    return buffer;
}
