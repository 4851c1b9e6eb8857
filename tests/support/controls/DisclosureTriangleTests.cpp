// The disclosure triangle: clicks, presses that leave it, and its four looks.
#include "support/controls/DisclosureTriangle.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &position)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(position), widget->mapToGlobal(QPointF(position)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

TEST(DisclosureTriangle, ClickFlipsAndSendsTheActionButOnlyInsideAndOnlyToALiveTarget)
{
    DisclosureTriangle triangle;
    QList<DisclosureTriangle *> senders;
    triangle.setAction([&senders](DisclosureTriangle *sender) { senders << sender; });

    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_TRUE(triangle.disclosed());
    EXPECT_EQ(senders, QList<DisclosureTriangle *>{&triangle});

    // Pressed, dragged out and back and out again, released outside: nothing happens.
    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6});
    EXPECT_TRUE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseMove, {40, 6});
    EXPECT_FALSE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseMove, {5, 5});
    EXPECT_TRUE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseButtonRelease, {-3, 5});
    EXPECT_FALSE(triangle.isHighlighted());
    EXPECT_TRUE(triangle.disclosed());
    EXPECT_EQ(senders.size(), 1);

    triangle.toggle();
    EXPECT_FALSE(triangle.disclosed());
    EXPECT_EQ(senders.size(), 1);

    auto target = std::make_unique<QObject>();
    triangle.setTarget(target.get());
    target.reset();
    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_TRUE(triangle.disclosed());
    EXPECT_EQ(senders.size(), 1);
}

TEST(DisclosureTriangle, PointsRightWhenClosedDownWhenOpenAndIsDarkerWhilePressed)
{
    DisclosureTriangle triangle;
    triangle.setAutoFillBackground(true);
    const int background = triangle.palette().color(QPalette::Window).lightness();
    const auto inkOf = [&](int x, int y) { return background - QColor(triangle.grab().toImage().pixel(x, y)).lightness(); };
    const int w = DisclosureTriangle::themeSize().width(), h = DisclosureTriangle::themeSize().height();
    ASSERT_EQ(triangle.size(), DisclosureTriangle::themeSize());

    // Closed: a tall base on the left, the tip at the middle of the right side.
    EXPECT_GT(inkOf(w / 3, h - 4), 40);
    EXPECT_GT(inkOf(w - 4, h / 2), 40);
    EXPECT_LT(inkOf(w - 3, h - 4), 10);
    const int closedInk = inkOf(w / 3, h / 2);
    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6});
    EXPECT_GT(inkOf(w / 3, h / 2), closedInk + 30);
    sendMouse(&triangle, QEvent::MouseButtonRelease, {6, 6});

    // Open: a wide base at the top, the tip at the middle of the bottom.
    ASSERT_TRUE(triangle.disclosed());
    EXPECT_GT(inkOf(w - 4, h / 3), 40);
    EXPECT_GT(inkOf(w / 2, h - 4), 40);
    EXPECT_LT(inkOf(w - 4, h - 3), 10);
    const int openInk = inkOf(w / 2, h / 3);
    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6});
    EXPECT_GT(inkOf(w / 2, h / 3), openInk + 30);
    EXPECT_LT(inkOf(w - 4, h - 3), 10);
}
