#include "utilities/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

int32_t Read32(const char *text, int32_t base = 10)
{
    return TextToInt32(text, -1, base);
}

int64_t Read64(const char *text, int32_t base = 10)
{
    return TextToInt64(text, -1, base);
}

// A copy of `text` on the heap without a terminating zero, so that reading past the given
// length is a heap overflow that the address sanitizer reports.
std::unique_ptr<char[]> UnterminatedCopy(std::string_view text)
{
    auto copy = std::make_unique<char[]>(text.size());
    std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

std::string FormattedSize(uint64_t size)
{
    char buffer[32];
    EXPECT_EQ(SizeToFormattedString(size, buffer), buffer);
    return buffer;
}

TEST(TextToInt32, DecimalWithSignsAndThousandsSeparators)
{
    EXPECT_EQ(Read32("  1,234,567"), 1234567);
    EXPECT_EQ(Read32(",1,,2,"), 12);
    EXPECT_EQ(Read32("-42"), -42);
    EXPECT_EQ(Read32("-1,000"), -1000);
    EXPECT_EQ(Read32("+7"), 7);
    EXPECT_EQ(Read32("--5"), 0);
    EXPECT_EQ(Read32("\t\n\v\f\r 5"), 5);
    EXPECT_EQ(Read32("12.5"), 12);
}

TEST(TextToInt32, NothingToReadGivesZero)
{
    EXPECT_EQ(Read32(""), 0);
    EXPECT_EQ(Read32("abc"), 0);
    EXPECT_EQ(Read32("   "), 0);
    EXPECT_EQ(Read32("0x"), 0);
    EXPECT_EQ(Read32("0b2"), 0);
    // Bytes above 0x7f are neither blanks nor digits, whatever the sign of char.
    EXPECT_EQ(Read32("\xA0" "5"), 0);
    EXPECT_EQ(Read32("\xB2"), 0);
}

TEST(TextToInt32, PrefixesWinOverTheCallersBase)
{
    EXPECT_EQ(Read32("0x1F", 10), 31);
    EXPECT_EQ(Read32("0XfF", 2), 255);
    EXPECT_EQ(Read32("0b101", 0), 5);
    EXPECT_EQ(Read32("0b101", 8), 5);
    EXPECT_EQ(Read32("0B101", 10), 5);
    EXPECT_EQ(Read32("0b101", 16), 5);
    EXPECT_EQ(Read32("  0x10", 7), 16);
}

TEST(TextToInt32, OctalOnlyWhenTheBaseIsChosenFromTheText)
{
    EXPECT_EQ(Read32("017", 0), 15);
    EXPECT_EQ(Read32("017", 10), 17);
    EXPECT_EQ(Read32("  0777", 0), 511);
    EXPECT_EQ(Read32("08", 0), 8);
    EXPECT_EQ(Read32("0", 0), 0);
    EXPECT_EQ(Read32("12", 0), 12);
    EXPECT_EQ(Read32("0178", 0), 15);
}

TEST(TextToInt32, ExplicitBases)
{
    EXPECT_EQ(Read32("ff", 16), 255);
    EXPECT_EQ(Read32("7fG", 16), 127);
    EXPECT_EQ(Read32("1,F", 16), 1);
    EXPECT_EQ(Read32("-1F", 16), 0);
    EXPECT_EQ(Read32("017", 8), 15);
    EXPECT_EQ(Read32("9", 8), 0);
    EXPECT_EQ(Read32("102", 2), 2);
    EXPECT_EQ(Read32("-1", 2), 0);
    EXPECT_EQ(Read32("123", 7), 0);
    EXPECT_EQ(Read32("123", 36), 0);
    EXPECT_EQ(Read32("123", -1), 0);
}

TEST(TextToInt32, ReadsNoFurtherThanTheLength)
{
    const auto digits = UnterminatedCopy("12ab");
    EXPECT_EQ(TextToInt32(digits.get(), 2, 10), 12);
    EXPECT_EQ(TextToInt32(digits.get(), 4, 10), 12);
    EXPECT_EQ(TextToInt32(digits.get(), 0, 10), 0);

    const auto number = UnterminatedCopy("1,234");
    EXPECT_EQ(TextToInt32(number.get(), 5, 10), 1234);
    EXPECT_EQ(TextToInt64(number.get(), 5, 10), 1234);

    const auto blanks = UnterminatedCopy("    ");
    EXPECT_EQ(TextToInt32(blanks.get(), 4, 0), 0);

    // A lone 0 must not be taken for the start of a prefix by peeking at the next byte.
    const auto zero = UnterminatedCopy("0");
    EXPECT_EQ(TextToInt32(zero.get(), 1, 0), 0);
    const auto hex = UnterminatedCopy("0x1F");
    EXPECT_EQ(TextToInt32(hex.get(), 3, 10), 1);
    const auto octal = UnterminatedCopy("017");
    EXPECT_EQ(TextToInt32(octal.get(), 2, 0), 1);

    const auto sign = UnterminatedCopy("-");
    EXPECT_EQ(TextToInt32(sign.get(), 1, 10), 0);

    EXPECT_EQ(TextToInt32("123", -2, 10), 0);
}

TEST(TextToInt, OverflowKeepsTheLowBits)
{
    EXPECT_EQ(Read32("2147483647"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Read32("2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Read32("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Read32("4294967297"), 1);
    EXPECT_EQ(Read32("0xFFFFFFFF"), -1);
    EXPECT_EQ(Read32("0x1FFFFFFFF"), -1);

    EXPECT_EQ(Read64("9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Read64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Read64("18446744073709551617"), 1);
    EXPECT_EQ(Read64("0xFFFFFFFFFFFFFFFF"), -1);
}

TEST(TextToInt, BothWidthsAgreeOnTheLow32Bits)
{
    for (const char *text : {"4,294,967,296", "-10737418240", "0x123456789ab", "0b100000000000000000000000000000001",
                             "0777777777777", "99999999999999999999", "  -7"}) {
        for (const int32_t base : {0, 10}) {
            const auto wide = Read64(text, base);
            EXPECT_EQ(Read32(text, base), static_cast<int32_t>(wide)) << text << " in base " << base;
        }
    }
}

TEST(TextToInt64, ReadsSizesBeyond32Bits)
{
    EXPECT_EQ(Read64("4,294,967,296"), int64_t{4294967296});
    EXPECT_EQ(Read64("10737418240"), int64_t{10737418240});
    EXPECT_EQ(Read64("-10737418240"), int64_t{-10737418240});
    EXPECT_EQ(Read64("0x100000000"), int64_t{1} << 32);
    const char line[] = "Length: 10737418240 (10G) [application/octet-stream]";
    EXPECT_EQ(TextToInt64(line + 8, -1, 10), int64_t{10737418240});
    EXPECT_EQ(TextToInt64(line + 8, 5, 10), 10737);
}

TEST(SizeToFormattedString, PicksTheUnitAndTrimsTheDecimals)
{
    EXPECT_EQ(FormattedSize(0), "0 Bytes");
    EXPECT_EQ(FormattedSize(1), "1 Bytes");
    EXPECT_EQ(FormattedSize(100), "100 Bytes");
    EXPECT_EQ(FormattedSize(1023), "1023 Bytes");
    EXPECT_EQ(FormattedSize(1024), "1 KB");
    EXPECT_EQ(FormattedSize(1126), "1.1 KB");
    EXPECT_EQ(FormattedSize(1536), "1.5 KB");
    EXPECT_EQ(FormattedSize(2304), "2.25 KB");
    EXPECT_EQ(FormattedSize(10240), "10 KB");
    EXPECT_EQ(FormattedSize(1048575), "1024 KB");
    EXPECT_EQ(FormattedSize(1048576), "1 MB");
    EXPECT_EQ(FormattedSize(5000000), "4.77 MB");
    EXPECT_EQ(FormattedSize(uint64_t{1} << 30), "1 GB");
    EXPECT_EQ(FormattedSize(10737418240), "10 GB");
    EXPECT_EQ(FormattedSize((uint64_t{1} << 40) - 1), "1024 GB");
    EXPECT_EQ(FormattedSize(uint64_t{1} << 40), "1 TB");
    // A signed 32-bit -1 arrives sign-extended.
    EXPECT_EQ(FormattedSize(static_cast<uint64_t>(int64_t{-1})), "16777216 TB");
}

// Selects a locale whose decimal point is a comma for LC_NUMERIC, as a Qt program does under
// such a locale, and restores the previous one afterwards. Debian installs no such locale by
// default, so one is compiled into the temporary folder when the system lacks it.
class CommaDecimalLocale
{
public:
    CommaDecimalLocale() : _previousLocale(std::setlocale(LC_NUMERIC, nullptr))
    {
        if (const char *path = std::getenv("LOCPATH"))
            _previousLocalePath = path;
        if (!Select()) {
            CompileIntoTemporaryFolder();
            Select();
        }
    }

    ~CommaDecimalLocale()
    {
        std::setlocale(LC_NUMERIC, _previousLocale.c_str());
        if (_previousLocalePath)
            setenv("LOCPATH", _previousLocalePath->c_str(), 1);
        else
            unsetenv("LOCPATH");
    }

    bool selected() const { return _selected; }

private:
    static constexpr const char *kLocaleName = "de_DE.UTF-8";

    bool Select()
    {
        _selected = std::setlocale(LC_NUMERIC, kLocaleName)
                    && std::string_view(std::localeconv()->decimal_point) == ",";
        return _selected;
    }

    static void CompileIntoTemporaryFolder()
    {
        const auto folder = std::filesystem::temp_directory_path() / "numbertext-locales";
        std::filesystem::create_directories(folder);
        const std::string command = "localedef -i de_DE -f UTF-8 '" + (folder / kLocaleName).string()
                                    + "' >/dev/null 2>&1";
        // localedef exits non-zero on mere warnings, so success is judged by setlocale.
        [[maybe_unused]] const int status = std::system(command.c_str());
        setenv("LOCPATH", folder.c_str(), 1);
    }

    std::string _previousLocale;
    std::optional<std::string> _previousLocalePath;
    bool _selected = false;
};

TEST(SizeToFormattedString, UsesAPointUnderACommaLocale)
{
    const CommaDecimalLocale locale;
    if (!locale.selected())
        GTEST_SKIP() << "no locale with a decimal comma could be selected";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.2f", 100.0);
    ASSERT_STREQ(printed, "100,00") << "the locale does not affect printf";

    EXPECT_EQ(FormattedSize(102400), "100 KB");
    EXPECT_EQ(FormattedSize(1536), "1.5 KB");
    EXPECT_EQ(FormattedSize(5000000), "4.77 MB");
}

} // namespace
