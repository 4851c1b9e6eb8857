#include "support/defaults/ViewGeometry.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(ViewGeometry, CentresWithAWholeXAndAnUnroundedY)
{
    QWidget parent;
    parent.resize(101, 100);
    QWidget view(&parent);
    view.setGeometry(3, 4, 30, 21);

    const QRectF frame = centerViewInSuperView(&view, false);
    // x: whole(whole(50.5) - 15) = 35; y: 50 - 10.5 = 39.5.
    EXPECT_EQ(frame, QRectF(35, 39.5, 30, 21));
    EXPECT_EQ(view.geometry(), QRect(3, 4, 30, 21));

    view.resize(31, 21);
    EXPECT_EQ(centerViewInSuperView(&view, true).x(), 34); // whole(50 - 15.5)
    EXPECT_EQ(view.geometry(), QRect(34, 39, 31, 21));
}


} // namespace
