#include "utilities/StringUtilities.h"

#include <gtest/gtest.h>

namespace {


TEST(StringUtilities, CharacterClassesCoverUnicodeNotJustAscii)
{
    EXPECT_EQ(CFStringUtilitiesTables(), nullptr);
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr); // rebuilding frees the first build
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
    EXPECT_EQ(CFStringUtilitiesTables(), nullptr);
}

} // namespace
