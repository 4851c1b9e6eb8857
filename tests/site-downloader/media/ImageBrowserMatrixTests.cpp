#include "site-downloader/media/ImageBrowserMatrix.h"
#include "site-downloader/media/ImageBrowserText.h"
#include "site-downloader/media/ImageBrowserThumbnail.h"
#include "tests/site-downloader/media/ImageBrowserTestImages.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QSizeF thumbnailFor(double width, double height)
{
    return ImageBrowserMatrix::scaleImage(QSizeF(width, height), 100, 100, true);
}

void expectSize(const QSizeF &actual, double width, double height)
{
    EXPECT_NEAR(actual.width(), width, 0.05);
    EXPECT_NEAR(actual.height(), height, 0.05);
}

ThumbnailImage syntheticThumbnail(int width, int height, int64_t fileSize)
{
    ThumbnailImage image;
    image.picture = QImage(1, 1, QImage::Format_RGB32);
    image.originalSize = QSize(width, height);
    image.displaySize = QSizeF(1, 1);
    image.fileSize = fileSize;
    return image;
}

} // namespace

TEST(ImageBrowserThumbnailSize, FollowsTheScaleTableAndAlwaysFitsTheBox)
{
    expectSize(thumbnailFor(50, 50), 50, 50);
    expectSize(thumbnailFor(90, 80), 100, 88.9);
    expectSize(thumbnailFor(60, 90), 45, 67.5);
    expectSize(thumbnailFor(400, 200), 100, 50);
    expectSize(thumbnailFor(200, 400), 50, 100);
    expectSize(thumbnailFor(300, 300), 100, 100);
    expectSize(thumbnailFor(150, 60), 100, 40);
    // The table alone would give 45 x 750 and 67.5 x 150: tall narrow pictures shrink to fit.
    expectSize(thumbnailFor(60, 1000), 6, 100);
    expectSize(thumbnailFor(90, 200), 45, 100);
    expectSize(ImageBrowserMatrix::scaleImage(QSizeF(7, 9), 100, 60, false), 100, 60);
}

TEST(ImageBrowserThumbnailLoading, DecodesScaledButReportsTheOriginalSize)
{
    QTemporaryDir folder;
    const QString jpeg = WriteTestImage(folder.path(), "wide.jpg", 1920, 1080, "JPEG");
    const ThumbnailImage wide = LoadThumbnailImage(jpeg);
    ASSERT_FALSE(wide.isNull());
    EXPECT_EQ(wide.originalSize, QSize(1920, 1080));
    EXPECT_LE(wide.picture.width(), 100);
    EXPECT_LE(wide.picture.height(), 57);
    EXPECT_EQ(wide.fileSize, QFile(jpeg).size());
    EXPECT_EQ(NaturalSizeText(wide.originalSize), "{1920, 1080}");

    const ThumbnailImage tall = LoadThumbnailImage(WriteTestImage(folder.path(), "tall.png", 40, 2000));
    ASSERT_FALSE(tall.isNull());
    EXPECT_EQ(tall.originalSize, QSize(40, 2000));
    EXPECT_LE(tall.picture.height(), 100);

    QFile text(folder.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_TRUE(LoadThumbnailImage(text.fileName()).isNull());
    EXPECT_TRUE(LoadThumbnailImage(folder.path()).isNull());
    EXPECT_TRUE(LoadThumbnailImage(folder.filePath("missing.png")).isNull());
}

TEST(ImageBrowserFilters, EqualLimitsFailAndSizesAreSixtyFourBit)
{
    ImageBrowserMatrix matrix;
    matrix.setImageDimensionFilter(true, 1, 100, 100);
    EXPECT_FALSE(matrix.passesFilters(syntheticThumbnail(100, 300, 0)));
    EXPECT_TRUE(matrix.passesFilters(syntheticThumbnail(101, 300, 0)));
    matrix.setImageDimensionFilter(true, -1, 100, 100);
    EXPECT_FALSE(matrix.passesFilters(syntheticThumbnail(99, 100, 0)));
    EXPECT_TRUE(matrix.passesFilters(syntheticThumbnail(99, 99, 0)));
    matrix.setImageDimensionFilter(false, -1, 100, 100);

    matrix.setImageFileSizeFilter(true, -1, 10 * 1024);
    EXPECT_FALSE(matrix.passesFilters(syntheticThumbnail(10, 10, 10240)));
    EXPECT_TRUE(matrix.passesFilters(syntheticThumbnail(10, 10, 10239)));
    // A file past 4 GB is larger than any limit, not wrapped round to a small size.
    matrix.setImageFileSizeFilter(true, 1, 8 * 1024);
    EXPECT_TRUE(matrix.passesFilters(syntheticThumbnail(10, 10, (int64_t(1) << 32) + 100)));
    matrix.setImageFileSizeFilter(true, -1, 8 * 1024);
    EXPECT_FALSE(matrix.passesFilters(syntheticThumbnail(10, 10, (int64_t(1) << 32) + 100)));
}

TEST(ImageBrowserFilters, DimensionFilterUsesTheOriginalNotTheDecodedSize)
{
    QTemporaryDir folder;
    ImageBrowserMatrix matrix;
    matrix.setImageDimensionFilter(true, 1, 500, 500);
    EXPECT_TRUE(matrix.addItemWithPath(WriteTestImage(folder.path(), "big.jpg", 800, 600, "JPEG")));
    EXPECT_FALSE(matrix.addItemWithPath(WriteTestImage(folder.path(), "small.jpg", 400, 600, "JPEG")));
    EXPECT_EQ(matrix.totalImages(), 1);
}

TEST(ImageBrowserGrid, FillsRowsOfFourAndStartsAgainAfterClear)
{
    QTemporaryDir folder;
    ImageBrowserMatrix matrix;
    QStringList paths;
    for (int index = 0; index < 9; ++index)
        paths << WriteTestImage(folder.path(), QStringLiteral("picture%1.png").arg(index), 20 + index, 30);
    for (const QString &path : paths)
        ASSERT_TRUE(matrix.addItemWithPath(path));

    ASSERT_EQ(matrix.numberOfRows(), 3);
    for (int index = 0; index < 9; ++index)
        EXPECT_EQ(matrix.cellAtRow(index / 4, index % 4)->getFilePath(), paths[index]);
    EXPECT_TRUE(matrix.cellAtRow(2, 1)->getFilePath().isNull());
    EXPECT_EQ(matrix.cellAtRow(0, 1)->title(), "picture1.png\n{21, 30}");

    while (matrix.numberOfRows() > 0)
        matrix.removeRow(0);
    ASSERT_TRUE(matrix.addItemWithPath(paths[8]));
    EXPECT_EQ(matrix.numberOfRows(), 1);
    EXPECT_EQ(matrix.cellAtRow(0, 0)->getFilePath(), paths[8]);
    EXPECT_TRUE(matrix.cellAtRow(0, 1)->getFilePath().isNull());
}

TEST(ImageBrowserText, TruncatesInTheMiddleToFitTheWidth)
{
    const QFontMetricsF metrics(QApplication::font());
    const QString shortName = "a.png";
    EXPECT_EQ(CenterTruncateString(shortName, 128, metrics), shortName);
    EXPECT_TRUE(CenterTruncateString(QString(), 128, metrics).isNull());

    const QString longName = "a-very-long-file-name-that-never-fits-into-one-cell-of-the-grid.jpeg";
    const QString shortened = CenterTruncateString(longName, 128, metrics);
    EXPECT_LT(metrics.horizontalAdvance(shortened), 128);
    EXPECT_TRUE(shortened.startsWith("a-very"));
    EXPECT_TRUE(shortened.endsWith(".jpeg"));
    EXPECT_TRUE(shortened.contains(QStringLiteral("…")));

    // A letter with a combining accent is removed whole, never split from its mark.
    QString accented = QStringLiteral("abcde\u0301fghijk");
    EXPECT_EQ(removeCenterChar(accented), 4);
    EXPECT_EQ(accented, QStringLiteral("abcdfghijk"));
    QString single = "x";
    EXPECT_EQ(removeCenterChar(single), 0);
    EXPECT_EQ(single, "x");
}
