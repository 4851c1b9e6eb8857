#include "site-downloader/media/viewer/FileListingTableView.h"
#include "tests/site-downloader/media/TestTree.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString qpath(const TestTree &tree, const std::string &relative)
{
    return QString::fromStdString(tree.path(relative));
}

QStringList names(const FileListingTableView &listing)
{
    QStringList result;
    for (const QString &path : listing.arrayOfFilesInList())
        result.append(QFileInfo(path).fileName());
    return result;
}

QVariantList numbers(const FileListingTableView &listing)
{
    QVariantList result;
    for (int row = 0; row < listing.itemCount(); ++row)
        result.append(listing.objectTableDataSource()->itemObject(row, QStringLiteral("number")));
    return result;
}

class FileListingTest : public testing::Test
{
protected:
    // The files, in the order given, listed one row each.
    void list(std::initializer_list<std::string> files)
    {
        QStringList paths;
        for (const std::string &file : files) {
            _tree.add({file});
            paths.append(qpath(_tree, file));
        }
        _listing.addPathsArray(paths);
        ASSERT_EQ(_listing.itemCount(), static_cast<int>(files.size()));
    }

    TestTree _tree;
    FileListingTableView _listing;
};

TEST_F(FileListingTest, RemovingByNameIsSubstringAndByExtensionIsWholeExtension)
{
    list({"Cab.mov", "about.jpg", "x.jpg", "x.jpeg", "other.png"});
    EXPECT_EQ(_listing.removeFilesWithNamesThatContain(QStringLiteral("ab")), 2);
    EXPECT_EQ(names(_listing), (QStringList{"x.jpg", "x.jpeg", "other.png"}));
    EXPECT_EQ(_listing.removeFilesWithExtension(QStringLiteral("JPG")), 1);
    EXPECT_EQ(names(_listing), (QStringList{"x.jpeg", "other.png"}));
    EXPECT_EQ(numbers(_listing), (QVariantList{1, 2}));
    EXPECT_EQ(_listing.removeFilesWithExtension(QStringLiteral("pn")), 0);
    // Only rows go; the files stay.
    EXPECT_TRUE(QFileInfo::exists(qpath(_tree, "Cab.mov")));
    EXPECT_TRUE(QFileInfo::exists(qpath(_tree, "x.jpg")));
}

TEST_F(FileListingTest, SortsNamesIgnoringCaseAndNumbersByValue)
{
    list({"C.jpg", "b.jpg", "a10.jpg", "A2.jpg"});
    _listing.sortByColumn(QStringLiteral("filename"));
    EXPECT_EQ(names(_listing), (QStringList{"a10.jpg", "A2.jpg", "b.jpg", "C.jpg"}));

    // Numbers 10, 9, 2 in the number column: numeric order, not text order.
    ObjectTableDataSource *model = _listing.objectTableDataSource();
    model->setItemObject(10, 0, QStringLiteral("number"));
    model->setItemObject(9, 1, QStringLiteral("number"));
    model->setItemObject(2, 2, QStringLiteral("number"));
    model->setItemObject(100, 3, QStringLiteral("number"));
    _listing.sortByColumn(QStringLiteral("number"));
    EXPECT_EQ(names(_listing), (QStringList{"b.jpg", "A2.jpg", "a10.jpg", "C.jpg"}));

    // A text among numbers counts as equal to everything: the sort still ends, without reading
    // outside the rows, and keeps the order of what it cannot compare.
    model->setItemObject(QStringLiteral("-"), 1, QStringLiteral("number"));
    _listing.sortByColumn(QStringLiteral("number"));
    EXPECT_EQ(_listing.itemCount(), 4);
    _listing.sortByColumn(QStringLiteral("no such column"));
    EXPECT_EQ(_listing.itemCount(), 4);
}

TEST_F(FileListingTest, DraggingRowsOneAndTwoBetweenFourAndFive)
{
    list({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
    _listing.selectRowsFromArray({0, 1});
    ObjectTableDataSource *model = _listing.objectTableDataSource();
    std::unique_ptr<QMimeData> pasteboard(model->mimeData(_listing.selectionModel()->selectedIndexes()));
    ASSERT_TRUE(pasteboard);
    ASSERT_EQ(pasteboard->urls().size(), 2);
    // Row 4 is the gap between the fourth and the fifth row.
    EXPECT_TRUE(model->canDropMimeData(pasteboard.get(), Qt::MoveAction, 4, 0, QModelIndex()));
    EXPECT_EQ(model->validateDrop(pasteboard.get(), Qt::CopyAction, 4, TableDropOperation::Above), Qt::MoveAction);
    EXPECT_FALSE(model->canDropMimeData(pasteboard.get(), Qt::MoveAction, -1, 0, model->index(2, 0)));
    ASSERT_TRUE(model->dropMimeData(pasteboard.get(), Qt::MoveAction, 4, 0, QModelIndex()));

    EXPECT_EQ(names(_listing), (QStringList{"3.jpg", "4.jpg", "1.jpg", "2.jpg", "5.jpg"}));
    EXPECT_EQ(_listing.getSelectedRowArray(), (QList<int>{2, 3}));
    EXPECT_EQ(numbers(_listing), (QVariantList{1, 2, 3, 4, 5}));
}

TEST_F(FileListingTest, DropsFromElsewhereAreCopiesBetweenRowsOnly)
{
    list({"1.jpg", "2.jpg"});
    _tree.add({"new.jpg", "new.png"});
    QMimeData pasteboard;
    pasteboard.setUrls({QUrl::fromLocalFile(qpath(_tree, "new.jpg")), QUrl::fromLocalFile(qpath(_tree, "new.png")),
                        QUrl(QStringLiteral("https://example.org/remote.jpg"))});
    ObjectTableDataSource *model = _listing.objectTableDataSource();
    EXPECT_EQ(model->validateDrop(&pasteboard, Qt::MoveAction, 1, TableDropOperation::Above), Qt::CopyAction);
    EXPECT_FALSE(model->acceptDrop(&pasteboard, Qt::CopyAction, 0, TableDropOperation::On));
    ASSERT_TRUE(model->acceptDrop(&pasteboard, Qt::CopyAction, 1, TableDropOperation::Above));
    EXPECT_EQ(names(_listing), (QStringList{"1.jpg", "new.jpg", "new.png", "2.jpg"}));
    QMimeData text;
    text.setText(QStringLiteral("not files"));
    EXPECT_FALSE(model->acceptDrop(&text, Qt::CopyAction, 0, TableDropOperation::Above));
}

TEST_F(FileListingTest, ForwardDeleteRemovesSelectedRowsAndTouchesNoFile)
{
    list({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
    _listing.selectRowsFromArray({0, 2, 4});
    QKeyEvent forwardDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&_listing, &forwardDelete);
    EXPECT_EQ(names(_listing), (QStringList{"b.jpg", "d.jpg"}));
    EXPECT_TRUE(_listing.getSelectedRowArray().isEmpty());
    EXPECT_EQ(numbers(_listing), (QVariantList{1, 2}));
    for (const char *file : {"a.jpg", "c.jpg", "e.jpg"})
        EXPECT_TRUE(QFileInfo::exists(qpath(_tree, file))) << file;
}

TEST_F(FileListingTest, AddingKeepsBatchOrderSkipsMissingInvisibleAndUnacceptable)
{
    list({"1.jpg", "2.jpg"});
    _tree.add({"x.mov", ".hidden.jpg", "y.txt", "z.JPG"});
    _listing.setAcceptableFilesListString(QStringLiteral("jpg mov"));
    _listing.addPathsArray({qpath(_tree, "x.mov"), qpath(_tree, "missing.jpg"), qpath(_tree, ".hidden.jpg"),
                            qpath(_tree, "y.txt"), qpath(_tree, "z.JPG")},
                           1);
    EXPECT_EQ(names(_listing), (QStringList{"1.jpg", "x.mov", "z.JPG", "2.jpg"}));
    // A starting row past the end (rows removed meanwhile) appends instead of failing.
    _listing.addPathsArray({qpath(_tree, "1.jpg"), qpath(_tree, "2.jpg")}, 40);
    EXPECT_EQ(names(_listing), (QStringList{"1.jpg", "x.mov", "z.JPG", "2.jpg", "1.jpg", "2.jpg"}));
    EXPECT_EQ(numbers(_listing), (QVariantList{1, 2, 3, 4, 5, 6}));
    // The last row of a path listed twice.
    EXPECT_EQ(_listing.getRowWithPath(qpath(_tree, "1.jpg")), 4);
}

TEST_F(FileListingTest, FoldersAddTheirFilesOnlyWithoutFollowingLoopsOrInvisibles)
{
    list({"first.jpg"});
    _tree.add({"top/", "top/a.jpg", "top/sub/", "top/sub/b.jpg", "top/.secret/", "top/.secret/c.jpg",
               "top/sub/.d.jpg"});
    _tree.link("top/sub/loop", _tree.path("top"));
    _listing.setAcceptsFolders(true, true);
    QSignalSpy finished(&_listing, &FileListingTableView::folderWalkFinished);
    _listing.addPathsArray({qpath(_tree, "top")}, 0);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(_listing.isWalkingFolders());
    QStringList listed = names(_listing);
    ASSERT_EQ(listed.size(), 3) << listed.join(' ').toStdString();
    EXPECT_EQ(listed.first(), QStringLiteral("first.jpg"));
    listed.removeFirst();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(numbers(_listing), (QVariantList{1, 2, 3}));
}

TEST_F(FileListingTest, UpdatingARowFollowsAMovedFile)
{
    list({"old.jpg", "other.png"});
    _listing.updateRow(0, QStringLiteral("/elsewhere/new name.jpeg"));
    EXPECT_EQ(_listing.getFilePathAtRow(0), QStringLiteral("/elsewhere/new name.jpeg"));
    ObjectTableDataSource *model = _listing.objectTableDataSource();
    EXPECT_EQ(model->itemObject(0, QStringLiteral("filename")).toString(), QStringLiteral("new name.jpeg"));
    EXPECT_EQ(model->itemObject(0, QStringLiteral("type")).toString(), QStringLiteral("jpeg"));
    EXPECT_EQ(_listing.getFilePathAtRow(2), QString());
    _listing.setAllowedRowNumbersArray(QVariantList{7});
    EXPECT_EQ(numbers(_listing), (QVariantList{7, QStringLiteral("-")}));
}

} // namespace
