#pragma once

#include "utilities/ErrorCodes.h"

#include <array>
#include <locale.h>
#include <string_view>

// The process-wide character and word tables of the string utilities, built once at start-up.
struct StringUtilityTables {
    std::u32string_view romanNumeralCharacters;
    std::u32string_view iso9660FileNameCharacters;
    std::u32string_view iso9660Letters;
    std::u32string_view windowsExcludedFileNameCharacters;
    std::array<std::string_view, 3> articles;
    // Words a title keeps in lower case; "for" appears twice, as it always has.
    std::array<std::string_view, 27> lowerCaseTitleWords;
    char32_t decimalSeparator = U'.';
    char32_t thousandsSeparator = U',';
    char32_t timeSeparator = U':';

    // Unicode classes, answered by the C.UTF-8 locale whatever the user's locale is.
    bool isWhitespaceOrNewline(char32_t character) const;
    bool isLetter(char32_t character) const;
    // Letters and digits of any script, and the apostrophe.
    bool isWordCharacter(char32_t character) const;

    locale_t classification = locale_t(0);
};

// Builds the tables; 0 on success. On any failure what was built is released again and the
// result is kUnsupportedErr. Initializing again rebuilds them.
Status CFStringUtilitiesInitialize();
void CFStringUtilitiesFinalize();
// The tables, or null outside Initialize ... Finalize.
const StringUtilityTables *CFStringUtilitiesTables();
