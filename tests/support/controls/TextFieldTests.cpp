// The status field that darkens its message away, and the label that rotates through its texts.
#include "support/controls/FadeOutTextField.h"
#include "support/controls/RotatingTextField.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

bool nearlySame(const QColor &left, const QColor &right)
{
    const auto close = [](float a, float b) { return std::abs(a - b) < 0.002f; };
    return close(left.redF(), right.redF()) && close(left.greenF(), right.greenF())
        && close(left.blueF(), right.blueF()) && close(left.alphaF(), right.alphaF());
}

QColor darkenedByAFifth(const QColor &color)
{
    return QColor::fromRgbF(color.redF() * 0.8f, color.greenF() * 0.8f, color.blueF() * 0.8f, 1.0f);
}

} // namespace

TEST(FadeOutTextField, DarkensByAFifthEachTickThenGoesWhenTheDurationIsOver)
{
    int64_t now = 1'000'000;
    FadeOutTextField field;
    field.setClock([&now] { return now; });
    field.setFadingMessage(QStringLiteral("First"), 1.0);
    EXPECT_EQ(field.currentTextColor(), QColor(Qt::white));
    EXPECT_EQ(field.currentBackgroundColor().alpha(), 0);

    // A new message stops the old fade and starts from its own colours.
    const QColor text(200, 220, 240), background(100, 150, 50);
    field.setFadingMessage(QStringLiteral("Saved"), 1.0, text, background);
    QColor expectedText = text, expectedBackground = background;
    for (int tick = 0; tick < 3; ++tick) {
        const QColor before = field.currentBackgroundColor();
        ProcessProbe::runEventLoopUntil([&] { return field.currentBackgroundColor() != before; }, 3000);
        expectedText = darkenedByAFifth(expectedText);
        expectedBackground = darkenedByAFifth(expectedBackground);
        EXPECT_TRUE(nearlySame(field.currentBackgroundColor(), expectedBackground)) << "tick " << tick;
        EXPECT_TRUE(nearlySame(field.currentTextColor(), expectedText)) << "tick " << tick;
        EXPECT_EQ(field.text(), QStringLiteral("Saved"));
    }

    now += 1;
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !field.isFading(); }, 3000));
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_EQ(field.currentBackgroundColor(), QColor(Qt::black));

    // Durations a timer cannot take still end the message instead of leaving it for good.
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
    EXPECT_EQ(click(), QStringLiteral("Only"));
    field.removeAllAlternateStrings();
    EXPECT_EQ(click(), QStringLiteral("Only"));
    field.addAlternateString(QStringLiteral("X"));
    field.addAlternateString(QStringLiteral("Y"));
    EXPECT_EQ(click(), QStringLiteral("Y"));
}
