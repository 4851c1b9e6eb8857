#include "site-downloader/update/NumVersion.h"

#include "utilities/NumberText.h"

#include <cctype>
#include <initializer_list>

namespace {

// The run of decimal digits at `position`; more than nine digits cannot be in range of any field
// and would wrap in a 32-bit read, so they count as out of range.
struct DigitRun {
    size_t length = 0;
    int32_t value = 0;
    bool tooLong = false;
};

DigitRun readDigits(const char *text, size_t length, size_t &position)
{
    DigitRun run;
    const size_t start = position;
    while (position < length && std::isdigit(static_cast<unsigned char>(text[position])))
        ++position;
    run.length = position - start;
    if (run.length > 9)
        run.tooLong = true;
    else if (run.length > 0)
        run.value = TextToInt32(text + start, static_cast<int32_t>(run.length), 10);
    return run;
}

bool inRange(const DigitRun &run, int32_t maximum)
{
    return !run.tooLong && run.value >= 0 && run.value <= maximum;
}

uint8_t stageForLetter(char letter)
{
    switch (letter) {
    case 'd': return kNumVersionStageDevelopment;
    case 'a': return kNumVersionStageAlpha;
    case 'b': return kNumVersionStageBeta;
    default: return kNumVersionStageFinal;
    }
}

} // namespace

Status TextToNumVersion(const char *text, size_t length, uint32_t *outVersion)
{
    if (!text || !outVersion)
        return kParamErr;
    size_t position = 0;
    while (position < length && std::isspace(static_cast<unsigned char>(text[position])))
        ++position;
    const DigitRun major = readDigits(text, length, position);
    if (major.length == 0)
        return kMalformedErr;
    if (!inRange(major, 255))
        return kRangeErr;

    if (position < length)
        ++position; // the separator, whatever it is
    const DigitRun minor = readDigits(text, length, position);
    if (!inRange(minor, 15))
        return kRangeErr;

    int32_t bugFix = 0;
    uint8_t stage = kNumVersionStageFinal;
    int32_t revision = 0;
    if (minor.length > 0 && position < length) {
        char letter = 0;
        const char next = static_cast<char>(std::tolower(static_cast<unsigned char>(text[position++])));
        if (next == '.') {
            const DigitRun bug = readDigits(text, length, position);
            if (!inRange(bug, 15))
                return kRangeErr;
            bugFix = bug.value;
            if (bug.length > 0 && position < length)
                letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[position++])));
        } else {
            letter = next;
        }
        stage = stageForLetter(letter);
        const DigitRun nonRelease = readDigits(text, length, position);
        if (!inRange(nonRelease, 255))
            return kRangeErr;
        revision = nonRelease.value;
    }
    *outVersion = (static_cast<uint32_t>(major.value) << 24) | (static_cast<uint32_t>(minor.value) << 20)
                  | (static_cast<uint32_t>(bugFix) << 16) | (static_cast<uint32_t>(stage) << 8)
                  | static_cast<uint32_t>(revision);
    return kNoErr;
}

int NumVersionCompare(uint32_t a, uint32_t b)
{
    const auto byteOf = [](uint32_t version, int shift) { return (version >> shift) & 0xFFu; };
    for (const int shift : {24, 16, 8}) {
        const uint32_t left = byteOf(a, shift);
        const uint32_t right = byteOf(b, shift);
        if (left != right)
            return left > right ? 1 : -1;
    }
    uint32_t left = byteOf(a, 0);
    uint32_t right = byteOf(b, 0);
    if (byteOf(a, 8) == kNumVersionStageFinal && byteOf(b, 8) == kNumVersionStageFinal) {
        if (left == 0)
            left = 65535;
        if (right == 0)
            right = 65535;
    }
    if (left == right)
        return 0;
    return left > right ? 1 : -1;
}
