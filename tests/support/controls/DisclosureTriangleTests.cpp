// The disclosure triangle: clicks, presses that leave it, program changes, and its four looks.
#include "support/controls/DisclosureTriangle.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &position, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(position), widget->mapToGlobal(QPointF(position)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

struct ActionRecorder {
    int count = 0;
    DisclosureTriangle *lastSender = nullptr;
    DisclosureTriangle::Action action()
    {
        return [this](DisclosureTriangle *sender) {
            ++count;
            lastSender = sender;
        };
    }
};

QImage lookOf(DisclosureTriangle &triangle)
{
    return triangle.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// How dark the triangle is at a point, 0 for the background's lightness.
int inkAt(const QImage &look, const QImage &background, int x, int y)
{
    return QColor(background.pixel(x, y)).lightness() - QColor(look.pixel(x, y)).lightness();
}

} // namespace

TEST(DisclosureTriangle, ClickInsideFlipsAndSendsActionWithItself)
{
    DisclosureTriangle triangle;
    ActionRecorder recorder;
    triangle.setAction(recorder.action());
    EXPECT_EQ(triangle.size(), DisclosureTriangle::themeSize());

    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_TRUE(triangle.disclosed());
    EXPECT_FALSE(triangle.isHighlighted());
    EXPECT_EQ(recorder.count, 1);
    EXPECT_EQ(recorder.lastSender, &triangle);

    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(triangle.disclosed());
    EXPECT_EQ(recorder.count, 2);
}

TEST(DisclosureTriangle, HighlightFollowsThePointerAndReleaseOutsideChangesNothing)
{
    DisclosureTriangle triangle;
    ActionRecorder recorder;
    triangle.setAction(recorder.action());

    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6}, Qt::LeftButton);
    EXPECT_TRUE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseMove, {40, 6}, Qt::LeftButton);
    EXPECT_FALSE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseMove, {5, 5}, Qt::LeftButton);
    EXPECT_TRUE(triangle.isHighlighted());
    sendMouse(&triangle, QEvent::MouseMove, {-3, 5}, Qt::LeftButton);
    sendMouse(&triangle, QEvent::MouseButtonRelease, {-3, 5}, Qt::NoButton);

    EXPECT_FALSE(triangle.isHighlighted());
    EXPECT_FALSE(triangle.disclosed());
    EXPECT_EQ(recorder.count, 0);
}

TEST(DisclosureTriangle, ToggleByProgramSendsNoAction)
{
    DisclosureTriangle triangle;
    ActionRecorder recorder;
    triangle.setAction(recorder.action());
    triangle.toggle();
    EXPECT_TRUE(triangle.disclosed());
    EXPECT_EQ(recorder.count, 0);
}

TEST(DisclosureTriangle, ActionIsNotSentToATargetThatIsGone)
{
    DisclosureTriangle triangle;
    ActionRecorder recorder;
    triangle.setAction(recorder.action());
    auto target = std::make_unique<QObject>();
    triangle.setTarget(target.get());
    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(recorder.count, 1);

    target.reset();
    QTest::mouseClick(&triangle, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(recorder.count, 1);
    EXPECT_FALSE(triangle.disclosed());   // the triangle itself still flips
}

TEST(DisclosureTriangle, LooksPointRightWhenClosedDownWhenOpenAndDarkerWhilePressed)
{
    DisclosureTriangle triangle;
    triangle.setAutoFillBackground(true);
    const QSize size = DisclosureTriangle::themeSize();
    QImage background(size, QImage::Format_ARGB32);
    background.fill(triangle.palette().color(QPalette::Window));

    const QImage closed = lookOf(triangle);
    triangle.toggle();
    const QImage open = lookOf(triangle);
    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6}, Qt::LeftButton);
    const QImage openPressed = lookOf(triangle);
    sendMouse(&triangle, QEvent::MouseMove, {40, 40}, Qt::LeftButton);
    sendMouse(&triangle, QEvent::MouseButtonRelease, {40, 40}, Qt::NoButton);
    triangle.toggle();
    sendMouse(&triangle, QEvent::MouseButtonPress, {6, 6}, Qt::LeftButton);
    const QImage closedPressed = lookOf(triangle);

    const int w = size.width(), h = size.height();
    // Closed: a tall base on the left, the tip at the middle of the right side.
    EXPECT_GT(inkAt(closed, background, w / 3, h - 4), 40);
    EXPECT_GT(inkAt(closed, background, w - 4, h / 2), 40);
    EXPECT_LT(inkAt(closed, background, w - 3, h - 4), 10);
    // Open: a wide base at the top, the tip at the middle of the bottom.
    EXPECT_GT(inkAt(open, background, w - 4, h / 3), 40);
    EXPECT_GT(inkAt(open, background, w / 2, h - 4), 40);
    EXPECT_LT(inkAt(open, background, w - 4, h - 3), 10);
    // Pressed: the same shape, darker.
    EXPECT_GT(inkAt(closedPressed, background, w / 3, h / 2), inkAt(closed, background, w / 3, h / 2) + 30);
    EXPECT_GT(inkAt(openPressed, background, w / 2, h / 3), inkAt(open, background, w / 2, h / 3) + 30);
    EXPECT_LT(inkAt(openPressed, background, w - 4, h - 3), 10);
}
