// The status field that darkens its message away, and the label that rotates through its texts.
#include "support/controls/FadeOutTextField.h"
#include "support/controls/RotatingTextField.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Colours compared per channel, allowing for the rounding of 16-bit channels.
bool nearlySame(const QColor &left, const QColor &right)
{
    const auto close = [](float a, float b) { return std::abs(a - b) < 0.002f; };
    return close(left.redF(), right.redF()) && close(left.greenF(), right.greenF())
        && close(left.blueF(), right.blueF()) && close(left.alphaF(), right.alphaF());
}

QColor scaled(const QColor &color, double factor)
{
    return QColor::fromRgbF(color.redF() * factor, color.greenF() * factor, color.blueF() * factor, 1.0);
}

// Runs the event loop until the field's background changes from `before`.
QColor nextBackground(const FadeOutTextField &field, const QColor &before)
{
    ProcessProbe::runEventLoopUntil([&] { return field.currentBackgroundColor() != before || !field.isFading(); }, 3000);
    return field.currentBackgroundColor();
}

class FadeOutTextFieldTest : public testing::Test
{
protected:
    void SetUp() override
    {
        field.setClock([this] { return now; });
    }
    int64_t now = 1'000'000;
    FadeOutTextField field;
};

} // namespace

TEST_F(FadeOutTextFieldTest, DarkensByAFifthEachTickAndDisappearsWhenTheDurationIsOver)
{
    const QColor text(200, 220, 240), background(100, 150, 50);
    field.setFadingMessage(QStringLiteral("Saved"), 1.0, text, background);
    EXPECT_EQ(field.text(), QStringLiteral("Saved"));
    EXPECT_TRUE(field.isFading());
    EXPECT_EQ(field.currentBackgroundColor(), background);
    EXPECT_EQ(field.currentTextColor(), text);

    QColor expectedBackground = background;
    QColor expectedText = text;
    for (int tick = 0; tick < 3; ++tick) {
        const QColor seen = nextBackground(field, field.currentBackgroundColor());
        expectedBackground = scaled(expectedBackground, 0.8);
        expectedText = scaled(expectedText, 0.8);
        EXPECT_TRUE(nearlySame(seen, expectedBackground)) << "tick " << tick;
        EXPECT_TRUE(nearlySame(field.currentTextColor(), expectedText)) << "tick " << tick;
        EXPECT_EQ(field.text(), QStringLiteral("Saved"));
    }

    now += 1;
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !field.isFading(); }, 3000));
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_EQ(field.currentBackgroundColor(), QColor(Qt::black));
}

TEST_F(FadeOutTextFieldTest, DefaultsToWhiteOnClearAndANewMessageRestartsTheFade)
{
    field.setFadingMessage(QStringLiteral("First"), 1.0);
    EXPECT_EQ(field.currentTextColor(), QColor(Qt::white));
    EXPECT_EQ(field.currentBackgroundColor().alpha(), 0);
    nextBackground(field, field.currentBackgroundColor());
    EXPECT_EQ(field.currentBackgroundColor().alpha(), 255);   // darkening makes it opaque

    field.setFadingMessage(QStringLiteral("Second"), 1.0, Qt::yellow, Qt::blue);
    EXPECT_EQ(field.text(), QStringLiteral("Second"));
    EXPECT_EQ(field.currentBackgroundColor(), QColor(Qt::blue));
    EXPECT_EQ(field.currentTextColor(), QColor(Qt::yellow));
    EXPECT_TRUE(field.isFading());
}

TEST_F(FadeOutTextFieldTest, DurationsThatAreNotPositiveEndOnTheFirstTick)
{
    for (const double duration : {0.0, -3.0, std::nan("")}) {
        field.setFadingMessage(QStringLiteral("Gone"), duration, Qt::red, Qt::green);
        EXPECT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !field.isFading(); }, 1000)) << duration;
        EXPECT_TRUE(field.text().isEmpty()) << duration;
    }
}

TEST(RotatingTextField, ClicksCycleThroughTheAlternatives)
{
    RotatingTextField field;
    const auto click = [&field] {
        QTest::mouseClick(&field, Qt::LeftButton);
        return field.text();
    };
    field.setStringValue(QStringLiteral("A"));
    field.addAlternateString(QStringLiteral("B"));
    EXPECT_EQ(click(), QStringLiteral("B"));
    EXPECT_EQ(click(), QStringLiteral("A"));
    EXPECT_EQ(click(), QStringLiteral("B"));

    field.addAlternateString(QStringLiteral("C"));
    EXPECT_EQ(click(), QStringLiteral("C"));
    EXPECT_EQ(click(), QStringLiteral("A"));

    field.setStringValue(QStringLiteral("Only"));
    EXPECT_EQ(field.alternateStrings(), QStringList{QStringLiteral("Only")});
    EXPECT_EQ(click(), QStringLiteral("Only"));
    EXPECT_EQ(click(), QStringLiteral("Only"));

    field.removeAllAlternateStrings();
    EXPECT_EQ(click(), QStringLiteral("Only"));   // nothing to rotate to: the text stays
    field.addAlternateString(QStringLiteral("X"));
    field.addAlternateString(QStringLiteral("Y"));
    EXPECT_EQ(click(), QStringLiteral("Y"));
    EXPECT_EQ(click(), QStringLiteral("X"));
}
