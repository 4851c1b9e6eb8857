#include "utilities/StringUtilities.h"

#include <cstring>
#include <langinfo.h>
#include <memory>
#include <wctype.h>

namespace {

std::unique_ptr<StringUtilityTables> tables;

// A separator the locale gives as one ASCII character; anything else keeps the fallback.
void takeSingleCharacter(const char *text, char32_t *separator)
{
    if (text && std::strlen(text) == 1 && static_cast<unsigned char>(text[0]) < 0x80)
        *separator = static_cast<unsigned char>(text[0]);
}

// The first literal character between the hour and minute directives of the time format.
void takeTimeSeparator(const char *format, char32_t *separator)
{
    if (!format)
        return;
    const char *hour = std::strstr(format, "%H");
    if (!hour)
        hour = std::strstr(format, "%I");
    if (hour && hour[2] && hour[2] != '%' && static_cast<unsigned char>(hour[2]) < 0x80)
        *separator = static_cast<unsigned char>(hour[2]);
}

void takeSeparatorsOfUserLocale(StringUtilityTables *built)
{
    // The environment's locale, read without changing the process's own.
    locale_t user = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, "", locale_t(0));
    if (!user)
        return;
    takeSingleCharacter(nl_langinfo_l(RADIXCHAR, user), &built->decimalSeparator);
    takeSingleCharacter(nl_langinfo_l(THOUSEP, user), &built->thousandsSeparator);
    takeTimeSeparator(nl_langinfo_l(T_FMT, user), &built->timeSeparator);
    freelocale(user);
}

} // namespace

bool StringUtilityTables::isWhitespaceOrNewline(char32_t character) const
{
    // glibc leaves out the no-break spaces and the next-line character; Unicode counts them.
    switch (character) {
    case U'\u0085':
    case U'\u00A0':
    case U'\u2007':
    case U'\u202F':
        return true;
    default:
        return iswspace_l(wint_t(character), classification);
    }
}

bool StringUtilityTables::isLetter(char32_t character) const
{
    return iswalpha_l(wint_t(character), classification);
}

bool StringUtilityTables::isWordCharacter(char32_t character) const
{
    return character == U'\'' || iswalnum_l(wint_t(character), classification);
}

Status CFStringUtilitiesInitialize()
{
    CFStringUtilitiesFinalize();
    auto built = std::make_unique<StringUtilityTables>();
    built->classification = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (!built->classification)
        return kUnsupportedErr;
    built->romanNumeralCharacters = U"ivxlcdmIVXLCDM";
    built->iso9660FileNameCharacters = U"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    built->iso9660Letters = U"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    built->windowsExcludedFileNameCharacters = U"/\\:*?\"<>|";
    built->articles = {"a", "an", "the"};
    built->lowerCaseTitleWords = {"a",   "an",   "the",  "and",  "but",  "or",   "for",  "nor",  "yet",
                                  "as",  "at",   "by",   "in",   "of",   "on",   "to",   "up",   "for",
                                  "per", "from", "with", "into", "onto", "over", "till", "unto", "upon"};
    takeSeparatorsOfUserLocale(built.get());
    tables = std::move(built);
    return kNoErr;
}

void CFStringUtilitiesFinalize()
{
    if (tables && tables->classification)
        freelocale(tables->classification);
    tables.reset();
}

const StringUtilityTables *CFStringUtilitiesTables()
{
    return tables.get();
}
