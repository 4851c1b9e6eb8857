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
        for (QLabel *label : {&left, &middle, &right}) {
            label->setMinimumWidth(60);
            layout->addWidget(label);
        }
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
    QLabel left{QStringLiteral("left")};
    QLabel middle{QStringLiteral("middle")};
    QLabel right{QStringLiteral("right")};
};

} // namespace

TEST_F(RowOfThree, HiddenViewKeepsItsParentAndItsNeighboursStayPut)
{
    const QRect leftFrame = left.geometry(), middleFrame = middle.geometry(), rightFrame = right.geometry();

    ShowHideAddition::hide(&middle);
    settle();
    EXPECT_FALSE(middle.isVisible());
    EXPECT_FALSE(middle.isWindow());
    EXPECT_EQ(middle.parentWidget(), &window);
    EXPECT_EQ(left.geometry(), leftFrame);
    EXPECT_EQ(right.geometry(), rightFrame);
    EXPECT_TRUE(ShowHideAddition::isHiddenByRepository(&middle));

    ShowHideAddition::show(&middle);
    settle();
    EXPECT_TRUE(middle.isVisible());
    EXPECT_EQ(middle.geometry(), middleFrame);
    EXPECT_EQ(window.children().last(), &middle);   // in front of its siblings
    EXPECT_FALSE(ShowHideAddition::isHiddenByRepository(&middle));
    // The view's own size policy is given back.
    EXPECT_FALSE(middle.sizePolicy().retainSizeWhenHidden());
}

TEST_F(RowOfThree, HidingTwiceThenShowingOnceBringsItBack)
{
    ShowHideAddition::hide(&middle);
    ShowHideAddition::hide(&middle);
    ShowHideAddition::show(&middle);
    EXPECT_TRUE(middle.isVisible());
    ShowHideAddition::show(&middle);
    EXPECT_TRUE(middle.isVisible());
    EXPECT_FALSE(ShowHideAddition::isHiddenByRepository(&middle));
}

TEST_F(RowOfThree, ShowingAViewThatWasNeverHiddenThisWayDoesNothing)
{
    right.hide();
    ShowHideAddition::show(&right);
    EXPECT_FALSE(right.isVisible());

    // A window has no parent to be hidden from.
    QWidget topLevel;
    topLevel.show();
    ShowHideAddition::hide(&topLevel);
    EXPECT_TRUE(topLevel.isVisible());
    EXPECT_FALSE(ShowHideAddition::isHiddenByRepository(&topLevel));
}

TEST_F(RowOfThree, ViewDestroyedWhileHiddenIsForgotten)
{
    auto *doomed = new QLabel(QStringLiteral("doomed"), &window);
    ShowHideAddition::hide(doomed);
    delete doomed;
    // Another view created at the same address must not inherit the old record.
    ShowHideAddition::hide(&middle);
    ShowHideAddition::show(&middle);
    EXPECT_TRUE(middle.isVisible());
    auto *fresh = new QLabel(QStringLiteral("fresh"), &window);
    fresh->hide();
    ShowHideAddition::show(fresh);
    EXPECT_FALSE(fresh->isVisible());
}
