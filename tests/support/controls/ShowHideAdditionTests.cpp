// Hiding a view and bringing it back: it stays a child in its place, its neighbours stay put.
#include "support/controls/ShowHideAddition.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RowOfThree : public testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QHBoxLayout(&window);
        for (QLabel *label : {&left, &middle, &right})
            layout->addWidget(label);
        window.resize(300, 60);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        settle();
    }
    void settle()
    {
        window.layout()->activate();
        QCoreApplication::processEvents();
    }
    QWidget window;
    QLabel left{QStringLiteral("left")}, middle{QStringLiteral("middle")}, right{QStringLiteral("right")};
};

} // namespace

TEST_F(RowOfThree, HiddenViewKeepsItsParentAndPlaceAndComesBackInFront)
{
    const QRect leftFrame = left.geometry(), middleFrame = middle.geometry(), rightFrame = right.geometry();

    ShowHideAddition::hide(&middle);
    ShowHideAddition::hide(&middle);
    settle();
    EXPECT_FALSE(middle.isVisible());
    EXPECT_FALSE(middle.isWindow());
    EXPECT_EQ(middle.parentWidget(), &window);
    EXPECT_EQ(left.geometry(), leftFrame);
    EXPECT_EQ(right.geometry(), rightFrame);

    ShowHideAddition::show(&middle);
    settle();
    EXPECT_TRUE(middle.isVisible());
    EXPECT_EQ(middle.geometry(), middleFrame);
    EXPECT_EQ(window.children().last(), &middle);
    EXPECT_FALSE(middle.sizePolicy().retainSizeWhenHidden());   // its own policy is given back
    EXPECT_FALSE(ShowHideAddition::isHiddenByRepository(&middle));
}

TEST_F(RowOfThree, ViewsNeverHiddenThisWayOrGoneAreLeftAlone)
{
    right.hide();
    ShowHideAddition::show(&right);
    EXPECT_FALSE(right.isVisible());

    ShowHideAddition::hide(&window);   // a window has no parent to be hidden from
    EXPECT_TRUE(window.isVisible());

    auto *doomed = new QLabel(&window);
    ShowHideAddition::hide(doomed);
    delete doomed;
    auto *fresh = new QLabel(&window);   // may reuse the address; must not inherit the record
    fresh->hide();
    ShowHideAddition::show(fresh);
    EXPECT_FALSE(fresh->isVisible());
}
