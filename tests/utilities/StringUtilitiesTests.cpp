#include "utilities/StringUtilities.h"

#include <gtest/gtest.h>

namespace {

TEST(StringUtilities, TablesExistBetweenInitializeAndFinalize)
{
    EXPECT_EQ(CFStringUtilitiesTables(), nullptr);
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr); // again: rebuilt, nothing leaks twice
    const StringUtilityTables *tables = CFStringUtilitiesTables();
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(tables->lowerCaseTitleWords.front(), "a");
    EXPECT_EQ(tables->lowerCaseTitleWords.back(), "upon");
    EXPECT_EQ(tables->windowsExcludedFileNameCharacters.size(), 9u);
    EXPECT_EQ(tables->iso9660FileNameCharacters.size(), 63u);
    CFStringUtilitiesFinalize();
    EXPECT_EQ(CFStringUtilitiesTables(), nullptr);
}

TEST(StringUtilities, CharacterClassesCoverUnicodeNotJustAscii)
{
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);
    const StringUtilityTables &tables = *CFStringUtilitiesTables();
    EXPECT_TRUE(tables.isLetter(U'é'));
    EXPECT_TRUE(tables.isLetter(U'ж'));
    EXPECT_FALSE(tables.isLetter(U'7'));
    EXPECT_TRUE(tables.isWordCharacter(U'7'));
    EXPECT_TRUE(tables.isWordCharacter(U'\''));
    EXPECT_FALSE(tables.isWordCharacter(U'-'));
    for (char32_t space : {U' ', U'\t', U'\n', U'\r', U'\u00A0', U'\u2028', U'\u0085', U'\u3000'})
        EXPECT_TRUE(tables.isWhitespaceOrNewline(space)) << uint32_t(space);
    EXPECT_FALSE(tables.isWhitespaceOrNewline(U'x'));
    CFStringUtilitiesFinalize();
}

} // namespace
