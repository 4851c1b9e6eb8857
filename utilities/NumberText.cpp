#include "utilities/NumberText.h"

#include <array>
#include <charconv>
#include <cstring>
#include <type_traits>

namespace {

// The "space" class of the C locale; the process locale must not change how numbers are read.
constexpr bool IsCLocaleSpace(unsigned char character)
{
    return character == ' ' || (character >= '\t' && character <= '\r');
}

// 0 to 15 for the hexadecimal digits in either case, and 16 (no digit in any base) otherwise.
constexpr unsigned DigitValue(unsigned char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return 16;
}

constexpr bool IsSupportedBase(int32_t base)
{
    return base == 2 || base == 8 || base == 10 || base == 16;
}

// Accumulates in the unsigned type of the same width, so that overflow wraps to the low bits of
// the true value instead of being undefined.
template <typename Integer>
Integer TextToInteger(const char *text, int64_t length, int32_t base)
{
    using Accumulator = std::make_unsigned_t<Integer>;
    if (!text || length < -1)
        return 0;
    const char *cursor = text;
    const char *const end = text + (length == -1 ? static_cast<int64_t>(std::strlen(text)) : length);

    while (cursor < end && IsCLocaleSpace(static_cast<unsigned char>(*cursor)))
        ++cursor;

    if (end - cursor >= 2 && cursor[0] == '0') {
        const char second = cursor[1];
        if (second == 'x' || second == 'X') {
            cursor += 2;
            base = 16;
        } else if (second == 'b' || second == 'B') {
            cursor += 2;
            base = 2;
        } else if (base == 0 && second >= '0' && second <= '7') {
            cursor += 1;
            base = 8;
        }
    }
    if (base == 0)
        base = 10;
    if (!IsSupportedBase(base))
        return 0;

    const bool decimal = base == 10;
    bool negative = false;
    if (decimal && cursor < end && (*cursor == '-' || *cursor == '+')) {
        negative = *cursor == '-';
        ++cursor;
    }

    const auto radix = static_cast<unsigned>(base);
    Accumulator value = 0;
    for (; cursor < end; ++cursor) {
        if (decimal && *cursor == ',')
            continue;
        const unsigned digit = DigitValue(static_cast<unsigned char>(*cursor));
        if (digit >= radix)
            break;
        value = value * radix + digit;
    }
    return static_cast<Integer>(negative ? Accumulator{0} - value : value);
}

struct SizeUnit
{
    uint64_t divisor;
    const char *name;
};

constexpr std::array kSizeUnits = {
    SizeUnit{1, "Bytes"},
    SizeUnit{uint64_t{1} << 10, "KB"},
    SizeUnit{uint64_t{1} << 20, "MB"},
    SizeUnit{uint64_t{1} << 30, "GB"},
    SizeUnit{uint64_t{1} << 40, "TB"},
};

const SizeUnit &UnitForSize(uint64_t size)
{
    size_t index = 0;
    while (index + 1 < kSizeUnits.size() && size >= kSizeUnits[index + 1].divisor)
        ++index;
    return kSizeUnits[index];
}

} // namespace

int32_t TextToInt32(const char *text, int32_t length, int32_t base)
{
    return TextToInteger<int32_t>(text, length, base);
}

int64_t TextToInt64(const char *text, int64_t length, int32_t base)
{
    return TextToInteger<int64_t>(text, length, base);
}

char *SizeToFormattedString(uint64_t size, char *buffer)
{
    constexpr size_t kBufferSize = 32;
    const SizeUnit &unit = UnitForSize(size);
    // Single precision on purpose: double precision would round the last digit of some sizes
    // differently from the texts users already know.
    const float quotient = static_cast<float>(size) / static_cast<float>(unit.divisor);
    // std::to_chars prints as "%.2f" does in the C locale, whatever locale the program adopted.
    char *textEnd = std::to_chars(buffer, buffer + kBufferSize, quotient, std::chars_format::fixed, 2).ptr;

    while (textEnd > buffer && textEnd[-1] == '0')
        --textEnd;
    if (textEnd > buffer && textEnd[-1] == '.')
        --textEnd;

    *textEnd++ = ' ';
    const size_t nameLength = std::strlen(unit.name);
    std::memcpy(textEnd, unit.name, nameLength + 1);
    return buffer;
}
