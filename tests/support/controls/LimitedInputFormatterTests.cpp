// What the limited formatter lets into a field: typed through a real line edit where the order of
// keys matters, and checked directly for characters a keyboard test cannot type.
#include "support/controls/LimitedInputFormatter.h"
#include "tests/fixtures/QtPrinters.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(LimitedInputFormatter, ThreeDigitsFieldTakesTypingWithinTheLimits)
{
    LimitedInputFormatter formatter;
    formatter.setMaxCharacters(3);
    formatter.setAllowCharacters(false);
    QLineEdit edit;
    edit.setValidator(&formatter);
    const auto type = [&edit](const QString &keys) {
        QTest::keyClicks(&edit, keys);
        return edit.text();
    };
    EXPECT_EQ(type(QStringLiteral("1")), QStringLiteral("1"));
    EXPECT_EQ(type(QStringLiteral("2")), QStringLiteral("12"));
    EXPECT_EQ(type(QStringLiteral("a")), QStringLiteral("12"));
    EXPECT_EQ(type(QStringLiteral("3")), QStringLiteral("123"));
    EXPECT_EQ(type(QStringLiteral("4")), QStringLiteral("123"));

    // A letter typed between digits is refused instead of cutting off the digits after it.
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(type(QStringLiteral("x")), QStringLiteral("13"));

    // The last character can be deleted; the empty field is not a value, though.
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString());
    EXPECT_FALSE(edit.hasAcceptableInput());
}

TEST(LimitedInputFormatter, DigitsAreAsciiAndLengthsCountCharacters)
{
    LimitedInputFormatter digits, alphanumeric, letters;
    digits.setMaxCharacters(10);
    digits.setAllowCharacters(false);
    alphanumeric.setMaxCharacters(10);
    letters.setMaxCharacters(2);
    letters.setAllowNumbers(false);

    for (const QString &foreignDigits : {QStringLiteral("\u0661\u0662"),    // Arabic-Indic
                                         QStringLiteral("\uFF11\uFF12"),    // full width
                                         QStringLiteral("\u00B2"),          // superscript two
                                         QStringLiteral("1\u0969")}) {      // Devanagari three
        EXPECT_FALSE(digits.isGoodString(foreignDigits)) << foreignDigits.toStdString();
        EXPECT_FALSE(alphanumeric.isGoodString(foreignDigits)) << foreignDigits.toStdString();
    }
    EXPECT_TRUE(digits.isGoodString(QStringLiteral("0123456789")));
    EXPECT_TRUE(alphanumeric.isGoodString(QStringLiteral("abc123")));
    EXPECT_FALSE(alphanumeric.isGoodString(QStringLiteral("a-1")));

    EXPECT_TRUE(letters.isGoodString(QStringLiteral("e\u0301")));              // e and its accent
    EXPECT_TRUE(letters.isGoodString(QString::fromUcs4(U"\U0001D400\U0001D401", 2)));   // outside the BMP
    EXPECT_FALSE(letters.isGoodString(QStringLiteral("abc")));
    EXPECT_FALSE(letters.isGoodString(QStringLiteral("a1")));
    EXPECT_FALSE(letters.isGoodString(QString(QChar(0xD835))));               // a lone surrogate
}

TEST(LimitedInputFormatter, RefusesEverythingWithoutAMaximumOrWithoutCharacters)
{
    LimitedInputFormatter unlimited;
    EXPECT_FALSE(unlimited.isGoodString(QStringLiteral("a")));
    QString empty;
    int position = 0;
    EXPECT_EQ(unlimited.validate(empty, position), QValidator::Invalid);

    LimitedInputFormatter nothingAllowed;
    nothingAllowed.setMaxCharacters(5);
    nothingAllowed.setAllowCharacters(false);
    nothingAllowed.setAllowNumbers(false);
    EXPECT_FALSE(nothingAllowed.isGoodString(QStringLiteral("a")));
    EXPECT_FALSE(nothingAllowed.isGoodString(QStringLiteral("1")));
    nothingAllowed.setAllowNumbers(true);
    EXPECT_TRUE(nothingAllowed.isGoodString(QStringLiteral("1")));
}
