// The rules the download tools follow apart from their windows: addresses, file names, the
// subfolder of an incremental run and the address list file.
#include "site-downloader/tools/BatchURLList.h"
#include "site-downloader/tools/DownloadToolFiles.h"
#include "site-downloader/tools/IncrementalAddressPattern.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(DownloadToolAddresses, SchemeIsAddedOnlyWhereNoneIsNamedInAnyCase)
{
    EXPECT_EQ(AddressWithDefaultScheme(QStringLiteral("example.com/a.jpg")), QStringLiteral("http://example.com/a.jpg"));
    EXPECT_EQ(AddressWithDefaultScheme(QStringLiteral("https://example.com/")), QStringLiteral("https://example.com/"));
    EXPECT_EQ(AddressWithDefaultScheme(QStringLiteral("HTTP://example.com/")), QStringLiteral("HTTP://example.com/"));
    // Blanks and other characters stay: the engine refuses what does not parse.
    EXPECT_EQ(AddressWithDefaultScheme(QStringLiteral("  a b")), QStringLiteral("http://  a b"));
}

TEST(DownloadToolAddresses, PatternNumbersArePaddedAndEveryPlaceholderTakesThem)
{
    const QString pattern = QStringLiteral("photos/img\\d.jpg");
    EXPECT_EQ(IncrementalAddress(pattern, 8, 3), QStringLiteral("http://photos/img008.jpg"));
    EXPECT_EQ(IncrementalAddress(pattern, 12345, 3), QStringLiteral("http://photos/img12345.jpg"));
    EXPECT_EQ(IncrementalAddress(QStringLiteral("https://h/\\d/p\\d.png"), 7, 2), QStringLiteral("https://h/07/p07.png"));
    EXPECT_EQ(IncrementalAddress(QStringLiteral("h/img.jpg"), 1, 1), std::nullopt);
    // The largest number a range can end with, and a width beyond the bound, stay sane.
    EXPECT_EQ(IncrementalAddress(QStringLiteral("h/\\d"), 2147483647, 1), QStringLiteral("http://h/2147483647"));
    EXPECT_EQ(IncrementalAddress(QStringLiteral("h/\\d"), 1, 1000000)->size(),
              QStringLiteral("http://h/").size() + kMaximumIncrementalDigits);
}

TEST(DownloadToolAddresses, SubfolderIsTheServerFolderAndNeverLeavesTheOutputFolder)
{
    EXPECT_EQ(IncrementalSubfolderName(QStringLiteral("example.com/photos/img\\d.jpg")), QStringLiteral("photos"));
    EXPECT_EQ(IncrementalSubfolderName(QStringLiteral("http://example.com/img\\d.jpg")), QStringLiteral("example.com"));
    EXPECT_EQ(IncrementalSubfolderName(QStringLiteral("img\\d.jpg")), QString());
    EXPECT_EQ(IncrementalSubfolderName(QStringLiteral("http://example.com/../img\\d.jpg")), QString());
    EXPECT_EQ(IncrementalSubfolderName(QStringLiteral("http://example.com/./img\\d.jpg")), QString());
}

TEST(DownloadToolFileNames, NamesComeFromTheTypedAddressAndStayInTheFolder)
{
    EXPECT_EQ(DownloadedFileName(QStringLiteral("http://h/a/b.jpg")), QStringLiteral("b.jpg"));
    EXPECT_EQ(DownloadedFileName(QStringLiteral("http://h/photos/")), QStringLiteral("photos"));
    EXPECT_EQ(DownloadedFileName(QStringLiteral("http://h")), QStringLiteral("h"));
    EXPECT_EQ(DownloadedFileName(QStringLiteral("http://h/x%2F..%2F..%2Fescape")), QStringLiteral("x%2F..%2F..%2Fescape"));
    EXPECT_EQ(DownloadedFileName(QStringLiteral("http://h/a/..")), QStringLiteral("a"));

    QTemporaryDir folder;
    InternetFileDownloadResponse response{QStringLiteral("http://h/x%2F..%2Fescape"), QByteArray("body"), std::nullopt};
    QString saved;
    ASSERT_EQ(SaveDownloadedFile(response, folder.path(), &saved), kNoErr);
    EXPECT_EQ(saved, folder.filePath(QStringLiteral("x%2F..%2Fescape")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("x%2F..%2Fescape")});
}

TEST(DownloadToolFileNames, SavingNeverOverwritesAndAFailedWriteIsNoSuccess)
{
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("pic.jpg")), "first");
    InternetFileDownloadResponse response{QStringLiteral("http://h/pic.jpg"), QByteArray("second"), std::nullopt};
    QString saved;
    ASSERT_EQ(SaveDownloadedFile(response, folder.path(), &saved), kNoErr);
    EXPECT_EQ(saved, folder.filePath(QStringLiteral("pic#1.jpg")));
    QFile first(folder.filePath(QStringLiteral("pic.jpg")));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("first"));

    // A folder that is really a file, as a full or broken disk would, fails the save.
    writeFile(folder.filePath(QStringLiteral("notafolder")), "x");
    EXPECT_EQ(SaveDownloadedFile(response, folder.filePath(QStringLiteral("notafolder")), &saved), kWriteErr);

    EXPECT_FALSE(IsSuccessfulDownload(kNoErr, nullptr));
    EXPECT_FALSE(IsSuccessfulDownload(
        kNoErr, std::make_shared<InternetFileDownloadResponse>(InternetFileDownloadResponse{QStringLiteral("http://h/"), std::nullopt, std::nullopt})));
    EXPECT_TRUE(IsSuccessfulDownload(kNoErr, std::make_shared<InternetFileDownloadResponse>(response)));
}

TEST(BatchURLListFile, LinesAreTakenExactlyAndOnlyTextIsAccepted)
{
    QTemporaryDir folder;
    QStringList lines;
    const QString path = folder.filePath(QStringLiteral("list.txt"));

    writeFile(path, "a\r\n\n b \nc\n");
    ASSERT_EQ(ReadBatchURLListFile(path, &lines), kNoErr);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("a\r"), QString(), QStringLiteral(" b "), QStringLiteral("c"), QString()}));

    writeFile(path, "");
    ASSERT_EQ(ReadBatchURLListFile(path, &lines), kNoErr);
    EXPECT_EQ(lines, QStringList{QString()});

    writeFile(path, "\xEF\xBB\xBFhttp://h/a\n");
    ASSERT_EQ(ReadBatchURLListFile(path, &lines), kNoErr);
    EXPECT_EQ(lines.constFirst(), QStringLiteral("http://h/a"));

    writeFile(path, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_EQ(ReadBatchURLListFile(path, &lines), kFormatErr);
    writeFile(path, "caf\xE9\n");
    EXPECT_EQ(ReadBatchURLListFile(path, &lines), kFormatErr);

    // A huge file picked by mistake is refused without being read into memory.
    {
        QFile huge(path);
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(huge.resize(kMaximumBatchURLListBytes + 1));
    }
    EXPECT_EQ(ReadBatchURLListFile(path, &lines), kFormatErr);

    EXPECT_EQ(ReadBatchURLListFile(folder.filePath(QStringLiteral("missing.txt")), &lines), kReadErr);
    EXPECT_EQ(ReadBatchURLListFile(folder.path(), &lines), kReadErr);
}

} // namespace
