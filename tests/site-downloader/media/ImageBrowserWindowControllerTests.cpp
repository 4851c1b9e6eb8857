#include "site-downloader/media/ImageBrowserWindowController.h"

#include "platform/RevealInFileManager.h"
#include "site-downloader/media/ImageBrowserExtendedImageView.h"
#include "site-downloader/media/ImageBrowserMatrix.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/site-downloader/media/ImageBrowserTestImages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ClosingRecorder final : public ImageBrowserMessageDelegate
{
public:
    void imageBrowserWindowClosed(ImageBrowserWindowController *controller) override { closed = controller; }
    ImageBrowserWindowController *closed = nullptr;
};

class ImageBrowserWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        browser = CreateImageBrowserWindow(nullptr);
        ASSERT_NE(browser, nullptr);
        browser->setMessageDelegate(&recorder);
    }
    void TearDown() override
    {
        if (browser)
            closeBrowser();
    }

    void runBatch(const QStringList &paths)
    {
        browser->addArtItems(paths);
        ASSERT_TRUE(browser->isBusy());
        ASSERT_TRUE(ProcessProbe::runEventLoopUntil([this] { return !browser->isBusy(); }));
    }
    // The window deletes itself later; outside a running loop that takes an explicit delivery.
    void closeBrowser()
    {
        browser->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(browser.isNull());
    }
    ImageBrowserMatrix *matrix() { return browser->artworkMatrix(); }
    ExtendedImageView *preview() { return browser->findChild<ExtendedImageView *>("_artworkPreviewDrawer_imageView"); }
    // Selects the thumbnail at (row, column) and previews it, as a plain click does.
    void clickCell(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        matrix()->selectCell(row, column);
        matrix()->imageClicked(matrix()->cellAtRow(row, column), modifiers);
    }

    QTemporaryDir folder;
    ClosingRecorder recorder;
    QPointer<ImageBrowserWindowController> browser;
};

} // namespace

TEST_F(ImageBrowserWindowTest, BatchOfAFolderAddsOnlyItsImagesInListOrder)
{
    QDir(folder.path()).mkdir("pictures");
    const QString pictures = folder.filePath("pictures");
    QDir(pictures).mkdir("empty");
    for (int index = 0; index < 9; ++index)
        WriteTestImage(pictures, QStringLiteral("p%1.%2").arg(index).arg(index % 2 ? "jpg" : "png"), 300 + index, 200,
                       index % 2 ? "JPEG" : "PNG");
    QFile text(QDir(pictures).filePath("readme.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();

    runBatch({pictures});
    ASSERT_EQ(matrix()->numberOfRows(), 3);
    EXPECT_EQ(matrix()->totalImages(), 9);
    EXPECT_FALSE(matrix()->cellAtRow(2, 0)->getFilePath().isEmpty());
    EXPECT_TRUE(matrix()->cellAtRow(2, 1)->getFilePath().isEmpty());
    EXPECT_LE(matrix()->cellAtRow(0, 0)->image().width(), 100);

    // A second batch while one runs is refused; single files still come in.
    browser->addArtItems({pictures});
    browser->addArtItems({pictures});
    browser->addArtItem(WriteTestImage(folder.path(), "single.png", 30, 30));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([this] { return !browser->isBusy(); }));
    EXPECT_EQ(matrix()->totalImages(), 19);

    browser->clearButtonClicked(nullptr);
    EXPECT_EQ(matrix()->numberOfRows(), 0);
}

TEST_F(ImageBrowserWindowTest, DeleteDropRemovesOnlyTheSelectedThumbnailsOwnRegularFile)
{
    const QString own = WriteTestImage(folder.path(), "own.png", 40, 40);
    const QString other = WriteTestImage(folder.path(), "other.png", 40, 40);
    const QString link = folder.filePath("link.png");
    ASSERT_TRUE(QFile::link(own, link));
    browser->addArtItem(own);
    browser->addArtItem(link);

    // Nothing selected, another file, the folder, a link to the file, several paths: all refused.
    browser->filesDropped(nullptr, {own});
    clickCell(0, 0);
    ASSERT_FALSE(preview()->image().isNull());
    browser->filesDropped(nullptr, {other});
    browser->filesDropped(nullptr, {folder.path()});
    browser->filesDropped(nullptr, {link});
    browser->filesDropped(nullptr, {own, other});
    EXPECT_TRUE(QFileInfo::exists(own));
    EXPECT_TRUE(QFileInfo::exists(other));

    // A cell whose path is a link is not deleted even when the link itself is dropped.
    clickCell(0, 1);
    browser->filesDropped(nullptr, {link});
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    clickCell(0, 0);
    browser->filesDropped(nullptr, {own});
    EXPECT_FALSE(QFileInfo::exists(own));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_TRUE(matrix()->cellAtRow(0, 0)->getFilePath().isNull());
    EXPECT_EQ(matrix()->cellAtRow(0, 1)->getFilePath(), link);
    EXPECT_TRUE(preview()->image().isNull());
}

TEST_F(ImageBrowserWindowTest, PreviewDragFileIsPrivateAndNeverFollowsAPlantedLink)
{
    browser->addArtItem(WriteTestImage(folder.path(), "shown.png", 64, 48));
    clickCell(0, 0);
    ASSERT_EQ(preview()->image().size(), QSize(64, 48));

    const QString first = browser->writePreviewDragFile();
    ASSERT_FALSE(first.isEmpty());
    const QString privateFolder = browser->previewDragFolder();
    EXPECT_TRUE(first.startsWith(privateFolder + "/"));
    EXPECT_EQ(QFileInfo(privateFolder).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_EQ(QImage(first, "TIFF").size(), QSize(64, 48));

    // A link planted where the next picture goes is replaced, and its target stays untouched.
    const QString victim = folder.filePath("victim.txt");
    QFile victimFile(victim);
    ASSERT_TRUE(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("keep me");
    victimFile.close();
    ASSERT_TRUE(QFile::remove(first));
    ASSERT_TRUE(QFile::link(victim, first));
    const QString second = browser->writePreviewDragFile();
    ASSERT_EQ(second, first);
    EXPECT_FALSE(QFileInfo(second).isSymLink());
    ASSERT_TRUE(victimFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(victimFile.readAll(), "keep me");

    closeBrowser();
    EXPECT_FALSE(QFileInfo::exists(privateFolder));
}

TEST_F(ImageBrowserWindowTest, AltClickRevealsInsteadOfPreviewing)
{
    QStringList revealed;
    SetRevealServices({[&revealed](const QUrl &item, std::function<void()>) {
                           revealed << item.toLocalFile();
                           return true;
                       },
                       [](const QUrl &) { return true; }, [] {}});
    const QString path = WriteTestImage(folder.path(), "reveal.png", 20, 20);
    browser->addArtItem(path);
    clickCell(0, 0, Qt::AltModifier);
    EXPECT_EQ(revealed, QStringList{path});
    EXPECT_TRUE(preview()->image().isNull());
    clickCell(0, 0);
    EXPECT_EQ(revealed.size(), 1);
    EXPECT_FALSE(preview()->image().isNull());
    SetRevealServices(DefaultRevealServices());
}

TEST_F(ImageBrowserWindowTest, ClosingDuringABatchStopsItSafely)
{
    const QString pictures = folder.filePath("many");
    QDir(folder.path()).mkdir("many");
    for (int index = 0; index < 60; ++index)
        WriteTestImage(pictures, QStringLiteral("m%1.jpg").arg(index), 800, 600, "JPEG");
    browser->addArtItems({pictures});
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([this] { return matrix()->totalImages() >= 2; }));
    closeBrowser();
    EXPECT_NE(recorder.closed, nullptr);
    // The worker may still be finishing its current file; give it time to touch a freed browser.
    ProcessProbe::runEventLoopUntil([] { return false; }, 500);
}

TEST_F(ImageBrowserWindowTest, ScreenshotWithAFewPictures)
{
    const int sizes[][2] = {{640, 480}, {200, 400}, {90, 80}, {50, 50}, {60, 1000}, {1920, 1080}};
    for (const auto &size : sizes)
        browser->addArtItem(WriteTestImage(folder.path(),
                                           QStringLiteral("picture-%1x%2-with-a-rather-long-name.png").arg(size[0]).arg(size[1]),
                                           size[0], size[1]));
    clickCell(0, 0);
    browser->resize(900, 520);
    QApplication::processEvents();
    const QImage shot = browser->grab().toImage();
    EXPECT_TRUE(shot.save(QDir(QCoreApplication::applicationDirPath()).filePath("image-browser.png")));
}
