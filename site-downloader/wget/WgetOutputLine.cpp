#include "site-downloader/wget/WgetOutputLine.h"

#include "utilities/NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace WgetOutputLine {

namespace {

constexpr std::string_view kLeftQuote = "\xE2\x80\x98";  // U+2018
constexpr std::string_view kRightQuote = "\xE2\x80\x99"; // U+2019

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The length of the opening quote that starts `text`, or 0.
size_t openingQuoteLength(std::string_view text)
{
    if (text.starts_with(kLeftQuote))
        return kLeftQuote.size();
    if (!text.empty() && (text.front() == '\'' || text.front() == '`'))
        return 1;
    return 0;
}

// The length of the closing quote that ends `text`, or 0.
size_t closingQuoteLength(std::string_view text)
{
    if (text.ends_with(kRightQuote))
        return kRightQuote.size();
    if (!text.empty() && text.back() == '\'')
        return 1;
    return 0;
}

} // namespace

std::string_view addressInLine(std::string_view line)
{
    constexpr std::array<std::string_view, 3> schemes = {"http", "https", "ftp"};
    size_t searchFrom = 0;
    while (true) {
        const size_t separator = line.find("://", searchFrom);
        if (separator == std::string_view::npos)
            return {};
        for (std::string_view scheme : schemes) {
            if (separator >= scheme.size() && line.substr(separator - scheme.size(), scheme.size()) == scheme) {
                const size_t start = separator - scheme.size();
                // "xhttp://" is not an address of its own; "https" must not be read as "ttps".
                if (start == 0 || !std::isalnum(static_cast<unsigned char>(line[start - 1])))
                    return line.substr(start);
            }
        }
        searchFrom = separator + 3;
    }
}

bool isDotProgressLine(std::string_view line)
{
    size_t position = 0;
    while (position < line.size() && isBlank(line[position]))
        ++position;
    const size_t digitsStart = position;
    while (position < line.size() && isDigit(line[position]))
        ++position;
    if (position == digitsStart || position + 1 >= line.size())
        return false;
    return (line[position] == 'K' || line[position] == 'M') && line[position + 1] == ' ';
}

bool isProgressLine(std::string_view line)
{
    return line.find("Length:") != std::string_view::npos || line.find("KB/s") != std::string_view::npos ||
           isDotProgressLine(line);
}

std::optional<uint64_t> announcedLength(std::string_view line)
{
    constexpr std::string_view marker = "Length: ";
    const size_t markerAt = line.find(marker);
    if (markerAt == std::string_view::npos)
        return std::nullopt;
    size_t numberEnd = line.find(" [");
    if (numberEnd == std::string_view::npos || numberEnd < markerAt + marker.size())
        numberEnd = line.size();
    const std::string_view number = line.substr(markerAt + marker.size(), numberEnd - markerAt - marker.size());
    return static_cast<uint64_t>(TextToInt64(number.data(), static_cast<int64_t>(number.size()), 0));
}

std::optional<uint32_t> percentDone(std::string_view line)
{
    const size_t percentAt = line.find('%');
    if (percentAt == std::string_view::npos)
        return std::nullopt;
    const size_t start = percentAt >= 3 ? percentAt - 3 : 0;
    const std::string_view field = line.substr(start, percentAt - start);
    return static_cast<uint32_t>(TextToInt32(field.data(), static_cast<int32_t>(field.size()), 0));
}

std::optional<std::string_view> savedPath(std::string_view line)
{
    constexpr std::string_view savedMarker = " saved [";
    const size_t savedAt = line.rfind(savedMarker);
    if (savedAt == std::string_view::npos)
        return std::nullopt;
    const std::string_view beforeSaved = line.substr(0, savedAt);
    const size_t closingLength = closingQuoteLength(beforeSaved);
    if (closingLength == 0)
        return std::nullopt;
    for (size_t dash = beforeSaved.find(" - "); dash != std::string_view::npos;
         dash = beforeSaved.find(" - ", dash + 1)) {
        const size_t quoteAt = dash + 3;
        const size_t openingLength = openingQuoteLength(beforeSaved.substr(quoteAt));
        if (openingLength == 0)
            continue;
        const size_t pathStart = quoteAt + openingLength;
        const size_t pathEnd = beforeSaved.size() - closingLength;
        if (pathEnd < pathStart)
            return std::nullopt;
        return beforeSaved.substr(pathStart, pathEnd - pathStart);
    }
    return std::nullopt;
}

} // namespace WgetOutputLine
