// The download location pop-up: one folder item carrying its path, a separator, the last item;
// rebuilt without duplicates, also from inside the last item's own action.
#include "site-downloader/document/DownloadLocationMenu.h"
#include "tests/fixtures/QtPrinters.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kOther = QStringLiteral("Other...");

bool isSeparator(const QComboBox &popUp, int index)
{
    return popUp.itemData(index, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator");
}

TEST(DownloadLocationMenu, AFolderGivesItsItemASeparatorAndTheLastItem)
{
    QTemporaryDir root;
    const QString folder = root.filePath("Downloads here");
    ASSERT_TRUE(QDir().mkpath(folder));
    QComboBox popUp;
    int chosen = 0;
    ConstructDownloadLocationMenu(&popUp, folder, kOther, [&] { ++chosen; });

    ASSERT_EQ(popUp.count(), 3);
    EXPECT_EQ(popUp.itemText(0), "Downloads here");
    EXPECT_EQ(popUp.itemData(0, kRepresentedObjectRole).toString(), folder);
    EXPECT_TRUE(isSeparator(popUp, 1));
    EXPECT_EQ(popUp.itemText(2), kOther);
    EXPECT_EQ(popUp.currentIndex(), 0);
    EXPECT_EQ(popUp.currentData(kRepresentedObjectRole).toString(), folder);
    EXPECT_EQ(popUp.iconSize(), QSize(16, 16));

    emit popUp.activated(0);
    EXPECT_EQ(chosen, 0);
    emit popUp.activated(2);
    EXPECT_EQ(chosen, 1);
}

TEST(DownloadLocationMenu, NoPathGivesOnlyTheLastItemSelected)
{
    QComboBox popUp;
    ConstructDownloadLocationMenu(&popUp, std::nullopt, kOther, {});
    ASSERT_EQ(popUp.count(), 1);
    EXPECT_EQ(popUp.currentText(), kOther);
    emit popUp.activated(0); // no action: nothing to call, nothing to crash
    ConstructDownloadLocationMenu(&popUp, QString(), kOther, {});
    EXPECT_EQ(popUp.count(), 1);
}

// Debian desktops often have no ~/Desktop: the default folder must still be the selection, or
// the path would be lost and the run would fall back to another folder.
TEST(DownloadLocationMenu, AFolderNotCreatedYetStillGetsItsItem)
{
    QComboBox popUp;
    const QString desktop = QDir::homePath() + "/Desktop/";
    ASSERT_FALSE(QDir(desktop).exists());
    ConstructDownloadLocationMenu(&popUp, desktop, kOther, {});
    ASSERT_EQ(popUp.count(), 3);
    EXPECT_EQ(popUp.itemText(0), "Desktop");
    EXPECT_EQ(popUp.currentData(kRepresentedObjectRole).toString(), desktop);
}

TEST(DownloadLocationMenu, RebuildingFromTheLastItemsActionLeavesOneOfEach)
{
    QTemporaryDir root;
    QComboBox popUp;
    int calls = 0;
    std::function<void()> chooseAnother = [&] {
        ++calls;
        ConstructDownloadLocationMenu(&popUp, root.filePath("chosen"), kOther, chooseAnother);
    };
    ConstructDownloadLocationMenu(&popUp, root.filePath("first"), kOther, chooseAnother);
    ConstructDownloadLocationMenu(&popUp, root.filePath("first"), kOther, chooseAnother);
    emit popUp.activated(popUp.count() - 1);
    emit popUp.activated(popUp.count() - 1);

    EXPECT_EQ(calls, 2);
    ASSERT_EQ(popUp.count(), 3);
    EXPECT_EQ(popUp.itemText(0), "chosen");
    EXPECT_EQ(popUp.itemData(0, kRepresentedObjectRole).toString(), root.filePath("chosen"));
}


} // namespace
