// What the limited formatter lets into a field: typed through a real line edit where the order of
// keys matters, and checked directly for characters a keyboard test cannot type.
#include "support/controls/LimitedInputFormatter.h"
#include "tests/fixtures/QtPrinters.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct LimitedField {
    explicit LimitedField(uint32_t maxCharacters, bool letters, bool digits)
    {
        formatter.setMaxCharacters(maxCharacters);
        formatter.setAllowCharacters(letters);
        formatter.setAllowNumbers(digits);
        edit.setValidator(&formatter);
    }
    QString type(const QString &keys)
    {
        QTest::keyClicks(&edit, keys);
        return edit.text();
    }
    LimitedInputFormatter formatter;
    QLineEdit edit;
};

QValidator::State validated(const LimitedInputFormatter &formatter, QString text)
{
    int position = int(text.size());
    return formatter.validate(text, position);
}

} // namespace

TEST(LimitedInputFormatter, ThreeDigitsField)
{
    LimitedField field(3, false, true);
    EXPECT_EQ(field.type(QStringLiteral("1")), QStringLiteral("1"));
    EXPECT_EQ(field.type(QStringLiteral("2")), QStringLiteral("12"));
    EXPECT_EQ(field.type(QStringLiteral("a")), QStringLiteral("12"));
    EXPECT_EQ(field.type(QStringLiteral("3")), QStringLiteral("123"));
    EXPECT_EQ(field.type(QStringLiteral("4")), QStringLiteral("123"));
    EXPECT_TRUE(field.edit.hasAcceptableInput());

    // A letter typed between digits is refused instead of cutting off the digits after it.
    QTest::keyClick(&field.edit, Qt::Key_Left);
    QTest::keyClick(&field.edit, Qt::Key_Backspace);
    EXPECT_EQ(field.edit.text(), QStringLiteral("13"));
    EXPECT_EQ(field.type(QStringLiteral("x")), QStringLiteral("13"));

    // The last character can be deleted; the empty field is not a value, though.
    field.edit.selectAll();
    QTest::keyClick(&field.edit, Qt::Key_Backspace);
    EXPECT_EQ(field.edit.text(), QString());
    EXPECT_FALSE(field.edit.hasAcceptableInput());
}

TEST(LimitedInputFormatter, DigitsAreAsciiDigitsOnly)
{
    LimitedInputFormatter digits;
    digits.setMaxCharacters(10);
    digits.setAllowCharacters(false);
    LimitedInputFormatter alphanumeric;
    alphanumeric.setMaxCharacters(10);

    for (const QString &foreignDigits : {QStringLiteral("\u0661\u0662"),    // Arabic-Indic
                                         QStringLiteral("\uFF11\uFF12"),    // full width
                                         QStringLiteral("\u00B2"),          // superscript two
                                         QStringLiteral("1\u0969")}) {      // Devanagari three
        EXPECT_FALSE(digits.isGoodString(foreignDigits)) << foreignDigits.toStdString();
        EXPECT_FALSE(alphanumeric.isGoodString(foreignDigits)) << foreignDigits.toStdString();
        EXPECT_EQ(validated(digits, foreignDigits), QValidator::Invalid);
    }
    EXPECT_TRUE(digits.isGoodString(QStringLiteral("0123456789")));
    EXPECT_TRUE(alphanumeric.isGoodString(QStringLiteral("abc123")));
    EXPECT_FALSE(alphanumeric.isGoodString(QStringLiteral("abc 123")));
    EXPECT_FALSE(alphanumeric.isGoodString(QStringLiteral("a-1")));
}

TEST(LimitedInputFormatter, LettersAreCountedAsCharactersNotCodeUnits)
{
    LimitedInputFormatter letters;
    letters.setMaxCharacters(2);
    letters.setAllowNumbers(false);
    EXPECT_TRUE(letters.isGoodString(QStringLiteral("\u00E9t")));              // precomposed é
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
    EXPECT_EQ(validated(unlimited, QString()), QValidator::Invalid);

    LimitedInputFormatter nothingAllowed;
    nothingAllowed.setMaxCharacters(5);
    nothingAllowed.setAllowCharacters(false);
    nothingAllowed.setAllowNumbers(false);
    EXPECT_FALSE(nothingAllowed.isGoodString(QStringLiteral("a")));
    EXPECT_FALSE(nothingAllowed.isGoodString(QStringLiteral("1")));

    // Allowing again rebuilds the set.
    nothingAllowed.setAllowNumbers(true);
    EXPECT_TRUE(nothingAllowed.isGoodString(QStringLiteral("1")));
}

TEST(LimitedInputFormatter, ObjectValuesAreCopiesOfGoodStringsOnly)
{
    LimitedInputFormatter formatter;
    formatter.setMaxCharacters(3);
    QString value = QStringLiteral("stale");
    EXPECT_TRUE(formatter.getObjectValue(&value, QStringLiteral("ab1")));
    EXPECT_EQ(value, QStringLiteral("ab1"));
    EXPECT_TRUE(formatter.getObjectValue(&value, QStringLiteral("abcd")));
    EXPECT_EQ(value, QString());
    EXPECT_FALSE(formatter.getObjectValue(nullptr, QStringLiteral("ab")));

    EXPECT_EQ(formatter.stringForObjectValue(QStringLiteral("x9")), QStringLiteral("x9"));
    EXPECT_EQ(formatter.stringForObjectValue(QStringLiteral("x 9")), QString());
    EXPECT_EQ(formatter.stringForObjectValue(42), QString());
}
