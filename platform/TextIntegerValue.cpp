#include "platform/TextIntegerValue.h"

#include <algorithm>
#include <limits>

int32_t IntegerValueOfText(const QString &text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace())
        ++index;
    bool negative = false;
    if (index < text.size() && (text.at(index) == QLatin1Char('-') || text.at(index) == QLatin1Char('+'))) {
        negative = text.at(index) == QLatin1Char('-');
        ++index;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            break;
        value = std::min(value * 10 + (character.unicode() - '0'), kLimit);
    }
    if (negative)
        return int32_t(std::max(-value, int64_t(std::numeric_limits<int32_t>::min())));
    return int32_t(std::min(value, int64_t(std::numeric_limits<int32_t>::max())));
}
