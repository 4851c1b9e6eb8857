#include "site-downloader/media/viewer/MediaViewerWindowController.h"

#include "platform/Trash.h"
#include "site-downloader/media/movie/SuperDuperMultimediaView.h"
#include "support/defaults/UserDefaults.h"
#include "tests/fixtures/TemporaryHome.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage testPicture()
{
    QImage picture(640, 480, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, 640, 480);
    gradient.setColorAt(0, QColor(30, 90, 200));
    gradient.setColorAt(1, QColor(250, 200, 40));
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), gradient);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPoint(320, 240), 120, 120);
    return picture;
}

// Small real pictures, so that a selected file is shown as a still picture; only the size test
// lists a file that the view has to try as a movie.
QByteArray pictureBytes()
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

class MediaViewerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(_files.isValid());
        UserDefaults::removeObjectForKey(QStringLiteral("files"));
        UserDefaults::removeObjectForKey(QStringLiteral("MediaViewerWindowController"));
        for (int bin = 1; bin <= MediaViewerWindowController::kSortBinCount; ++bin)
            UserDefaults::removeObjectForKey(QStringLiteral("Bin %1").arg(bin));
    }

    QString file(const QString &name, const QByteArray &bytes = pictureBytes())
    {
        const QString path = _files.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QString folder(const QString &name)
    {
        const QString path = _files.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    static void closeAndWaitForDeletion(MediaViewerWindowController *controller)
    {
        QPointer<MediaViewerWindowController> guard(controller);
        controller->close();
        QTRY_VERIFY(guard.isNull());
    }

    QTemporaryDir _files{TemporaryHome::path() + QStringLiteral("/viewer-XXXXXX")};
};

TEST_F(MediaViewerTest, ListingAndBinsComeBackAtTheNextOpening)
{
    const QString a = file("a.jpg"), b = file("b.mov"), c = file("c.png");
    const QString binFolder = folder("bin3");
    MediaViewerWindowController *first = CreateMediaViewerWindow(nullptr);
    ASSERT_TRUE(first);
    first->fileListing()->addPathsArray({c, a, b});
    first->sortBin(2)->setNewDropPath(binFolder);
    closeAndWaitForDeletion(first);

    ASSERT_TRUE(QFile::remove(a));
    MediaViewerWindowController *second = CreateMediaViewerWindow(nullptr);
    EXPECT_EQ(second->fileListing()->arrayOfFilesInList(), (QStringList{c, b}));
    EXPECT_EQ(second->sortBin(2)->fullDropPath(), binFolder);
    EXPECT_TRUE(second->sortBin(3)->fullDropPath().isEmpty());
    // Every bin keeps its folder under a key of its own.
    QSet<QString> titles;
    for (int bin = 0; bin < MediaViewerWindowController::kSortBinCount; ++bin)
        titles.insert(second->sortBin(bin)->title());
    EXPECT_EQ(titles.size(), MediaViewerWindowController::kSortBinCount);
    closeAndWaitForDeletion(second);
}

TEST_F(MediaViewerTest, ListingFollowsFilesSentToABinByNumberKey)
{
    const QString binFolder = folder("sorted");
    writeFile(binFolder + "/pic.jpg", "already there");
    const QString pic = file("pic.jpg"), other = file("other.jpg");
    auto controller = std::make_unique<MediaViewerWindowController>();
    controller->show();
    FileListingTableView *listing = controller->fileListing();
    listing->addPathsArray({pic, other});
    controller->sortBin(0)->setNewDropPath(binFolder);
    EXPECT_TRUE(controller->sortBin(0)->toolTip().contains(QLatin1Char('1')));
    EXPECT_TRUE(controller->sortBin(9)->toolTip().contains(QLatin1Char('0')));

    listing->selectRowsFromArray({0});
    controller->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller.get()));
    listing->setFocus();
    QTest::keyClick(listing, Qt::Key_1);
    const QString moved = binFolder + "/pic#1.jpg";
    EXPECT_EQ(readFile(moved), pictureBytes());
    EXPECT_EQ(readFile(binFolder + "/pic.jpg"), "already there");
    EXPECT_FALSE(QFileInfo::exists(pic));
    EXPECT_EQ(listing->arrayOfFilesInList(), (QStringList{moved, other}));
    EXPECT_EQ(controller->locationText(), moved);

    // A bin without a folder takes nothing.
    listing->selectRowsFromArray({1});
    controller->sendSelectedFilesToSortBin(4);
    EXPECT_TRUE(QFileInfo::exists(other));
}

TEST_F(MediaViewerTest, RemoveWhenDroppedRemovesOnlyRowsOfFilesThatReallyMoved)
{
    const QString binFolder = folder("bin");
    const QString kept = file("gone-before.jpg"), moves = file("moves.jpg"), stays = file("unselected.jpg");
    auto controller = std::make_unique<MediaViewerWindowController>();
    FileListingTableView *listing = controller->fileListing();
    listing->addPathsArray({moves, kept, stays});
    controller->sortBin(1)->setNewDropPath(binFolder);
    controller->setRemoveFilesFromListWhenDropped(true);
    // The second file vanishes before the move, so the bin cannot take it.
    ASSERT_TRUE(QFile::remove(kept));
    listing->selectRowsFromArray({0, 1});
    controller->sendSelectedFilesToSortBin(1);
    EXPECT_TRUE(QFileInfo::exists(binFolder + "/moves.jpg"));
    EXPECT_EQ(listing->arrayOfFilesInList(), (QStringList{kept, stays}));

    // In copy mode the listed file stays where it is; its row goes all the same.
    controller->setCopyInsteadOfMove(true);
    EXPECT_TRUE(controller->sortBin(7)->copyDontMove());
    listing->selectRowsFromArray({1});
    controller->sendSelectedFilesToSortBin(1);
    EXPECT_TRUE(QFileInfo::exists(stays));
    EXPECT_TRUE(QFileInfo::exists(binFolder + "/unselected.jpg"));
    EXPECT_EQ(listing->arrayOfFilesInList(), (QStringList{kept}));
}

TEST_F(MediaViewerTest, TrashTakesFirstSelectedFileAndItsRowOnlyWhenItWent)
{
    QTemporaryDir data(TemporaryHome::path() + QStringLiteral("/data-XXXXXX"));
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const QString a = file("a.jpg"), b = file("b.jpg"), c = file("c.jpg");
    auto controller = std::make_unique<MediaViewerWindowController>();
    FileListingTableView *listing = controller->fileListing();
    listing->addPathsArray({a, b, c, b});
    listing->selectRowsFromArray({1, 2});
    controller->sendFileToTrash(nullptr);
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_TRUE(QFileInfo::exists(data.path() + "/Trash/files/b.jpg"));
    EXPECT_TRUE(QFileInfo::exists(c));
    // The other row of the same path stays: it is the user's to remove.
    EXPECT_EQ(listing->arrayOfFilesInList(), (QStringList{a, c, b}));

    // A trash that cannot be made keeps both the file and its row.
    QDir(data.path() + "/Trash").removeRecursively();
    ASSERT_TRUE(writeFile(data.path() + "/Trash", "blocking"));
    listing->selectRowsFromArray({0});
    controller->sendFileToTrash(nullptr);
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(listing->arrayOfFilesInList(), (QStringList{a, c, b}));
    qputenv("XDG_DATA_HOME", savedDataHome);
}

TEST_F(MediaViewerTest, InformationFieldsShowLargeSizesAndNothingWithoutSelection)
{
    const QString big = file("big.mov", {});
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), 5LL * 1024 * 1024 * 1024), 0);
    auto controller = std::make_unique<MediaViewerWindowController>();
    FileListingTableView *listing = controller->fileListing();
    listing->addPathsArray({big});
    EXPECT_EQ(controller->sizeText(), QStringLiteral("n/a"));
    EXPECT_EQ(controller->locationText(), QStringLiteral("n/a"));
    listing->selectRowsFromArray({0});
    // Five gigabytes, not a wrapped negative 32-bit count.
    EXPECT_TRUE(controller->sizeText().startsWith(QLatin1Char('5'))) << controller->sizeText().toStdString();
    EXPECT_TRUE(controller->sizeText().contains(QStringLiteral("GB"))) << controller->sizeText().toStdString();
    EXPECT_EQ(controller->locationText(), big);
    EXPECT_EQ(controller->urlText(), QStringLiteral("n/a"));
}

TEST_F(MediaViewerTest, RemoveFilesSheetRemovesByNameAndExtension)
{
    auto controller = std::make_unique<MediaViewerWindowController>();
    FileListingTableView *listing = controller->fileListing();
    listing->addPathsArray({file("Cab.mov"), file("about.jpg"), file("x.jpg"), file("x.jpeg")});
    controller->removeFilesWithExtensionClicked(nullptr);
    QDialog *sheet = controller->removeFilesPanel();
    ASSERT_TRUE(sheet->isVisible());
    sheet->findChild<QLineEdit *>(QStringLiteral("_removeFilesInListPanel_textFieldFilenameContains"))->setText("ab");
    sheet->findChild<QLineEdit *>(QStringLiteral("_removeFilesInListPanel_textFieldExtension"))->setText("JPG");
    controller->removeFilesOKButtonClicked(nullptr);
    EXPECT_FALSE(sheet->isVisible());
    ASSERT_EQ(listing->itemCount(), 1);
    EXPECT_EQ(QFileInfo(listing->getFilePathAtRow(0)).fileName(), QStringLiteral("x.jpeg"));
}

TEST_F(MediaViewerTest, ScreenshotWithPictureAndBins)
{
    const QString picture = _files.filePath("sunrise.png");
    ASSERT_TRUE(testPicture().save(picture));
    const QString other = file("second.jpg");
    auto controller = std::make_unique<MediaViewerWindowController>();
    controller->resize(1100, 760);
    controller->show();
    for (int bin = 0; bin < MediaViewerWindowController::kSortBinCount; ++bin)
        controller->sortBin(bin)->setNewDropPath(folder(QStringLiteral("Sorted %1").arg(bin + 1)));
    controller->fileListing()->addPathsArray({picture, other});
    controller->fileListing()->selectRowsFromArray({0});
    EXPECT_EQ(controller->locationText(), picture);
    QTest::qWait(200);
    const QImage shot = controller->grab().toImage();
    QDir().mkpath(QStringLiteral(SCREENSHOT_FOLDER));
    ASSERT_TRUE(shot.save(QStringLiteral(SCREENSHOT_FOLDER "/media-viewer.png")));
}

} // namespace
