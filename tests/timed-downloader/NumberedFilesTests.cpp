#include "platform/TextIntegerValue.h"
#include "tests/timed-downloader/PendrillTestSupport.h"
#include "timed-downloader/document/JobSettings.h"
#include "timed-downloader/document/NumberedFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

void touch(const QString &path, const QByteArray &bytes = "old")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Several threads writing copies into one folder at once: every copy gets a number of its own
// and keeps its writer's bytes.
static void expectDistinctNumbersFromOverlappingWriters(const QString &folder, int writerCount, int copiesEach)
{
    std::vector<std::thread> writers;
    std::vector<std::vector<QString>> paths(writerCount);
    for (int writer = 0; writer < writerCount; ++writer) {
        writers.emplace_back([&, writer] {
            for (int copy = 0; copy < copiesEach; ++copy) {
                QString path;
                if (WriteNumberedFile(folder, QStringLiteral("cam.jpg"), 2, QByteArray::number(writer), &path) == kNoErr)
                    paths[writer].push_back(path);
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    std::set<QString> distinct;
    for (int writer = 0; writer < writerCount; ++writer) {
        for (const QString &path : paths[writer]) {
            distinct.insert(path);
            EXPECT_EQ(contents(path), QByteArray::number(writer));
        }
    }
    EXPECT_EQ(distinct.size(), size_t(writerCount * copiesEach));
}

TEST(NumberedFileNames, NameComesFromTheBaseNameOrTheAddress)
{
    EXPECT_EQ(FileNameForDownload({}, QStringLiteral("http://cam.example/live/image.jpg")), "image.jpg");
    EXPECT_EQ(FileNameForDownload(QStringLiteral("shot"), QStringLiteral("http://cam.example/a/b.png?x=1")), "shot.png");
    EXPECT_EQ(FileNameForDownload(QStringLiteral("shot"), QStringLiteral("http://cam.example/status")), "shot");
    EXPECT_EQ(FileNameForDownload({}, QStringLiteral("http://cam.example/")), "");
    EXPECT_EQ(FileNameForDownload({}, QStringLiteral("file:///tmp/picture.gif")), "picture.gif");
}

TEST(NumberedFileNames, NamesCannotLeaveTheFolderOrCarryControlCharacters)
{
    EXPECT_EQ(SanitizedFileName(QStringLiteral("..")), "");
    EXPECT_EQ(SanitizedFileName(QStringLiteral(".")), "");
    EXPECT_EQ(SanitizedFileName(QStringLiteral("../../etc/passwd")), ".._.._etc_passwd");
    EXPECT_EQ(SanitizedFileName(QStringLiteral("a\nb\tc\x7f")), "a_b_c_");
    EXPECT_EQ(FileNameForDownload(QStringLiteral("../up"), QStringLiteral("http://h/x.jpg")), ".._up.jpg");
    // An encoded slash in the address decodes into the name, and must not split it.
    EXPECT_EQ(FileNameForDownload({}, QStringLiteral("http://h/a%2F..%2Fb.jpg")).count(QLatin1Char('/')), 0);
    EXPECT_EQ(FileNameForDownload({}, QStringLiteral("http://h/%2E%2E")), "");
}

TEST(NumberedFileNames, CounterIsPaddedToTheDigitCountAndNamesStayWithinTheLimit)
{
    EXPECT_EQ(NumberedFileName(QStringLiteral("image.jpg"), 1, 0), "image1.jpg");
    EXPECT_EQ(NumberedFileName(QStringLiteral("image.jpg"), 7, 3), "image007.jpg");
    EXPECT_EQ(NumberedFileName(QStringLiteral("image.jpg"), 12345, 3), "image12345.jpg");
    EXPECT_EQ(NumberedFileName(QStringLiteral("archive.tar.gz"), 2, 2), "archive.tar02.gz");
    EXPECT_EQ(NumberedFileName(QStringLiteral("status"), 4, 0), "status4");
    EXPECT_EQ(NumberedFileName(QString(), 4, 2), "04");

    EXPECT_EQ(LeadingZeroCountOfText(QStringLiteral("3")), 3);
    EXPECT_EQ(LeadingZeroCountOfText(QStringLiteral("259")), 3);
    EXPECT_EQ(LeadingZeroCountOfText(QStringLiteral("255")), 255);
    const QString padded = NumberedFileName(QStringLiteral("cam.jpg"), 1, 255);
    EXPECT_EQ(padded.toUtf8().size(), kLongestFileNameBytes);
    EXPECT_TRUE(padded.startsWith(QStringLiteral("cam000"))) << qPrintable(padded);
    EXPECT_TRUE(padded.endsWith(QStringLiteral("001.jpg")));
    // A stem that is too long itself gives way, between characters, before the counter does.
    const QString longStem = QString(200, QChar(0x00e9)) + QStringLiteral(".jpg");
    const QString cut = NumberedFileName(longStem, 42, 0);
    EXPECT_LE(cut.toUtf8().size(), kLongestFileNameBytes);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("42.jpg")));
    EXPECT_FALSE(cut.contains(QChar::ReplacementCharacter));
}

TEST(NumberedFileNames, IntegerTextReadsLikeTheFieldValue)
{
    EXPECT_EQ(IntegerValueOfText(QStringLiteral("  12s")), 12);
    EXPECT_EQ(IntegerValueOfText(QStringLiteral("-3")), -3);
    EXPECT_EQ(IntegerValueOfText(QStringLiteral("abc")), 0);
    EXPECT_EQ(IntegerValueOfText(QString()), 0);
    EXPECT_EQ(IntegerValueOfText(QStringLiteral("99999999999")), 2147483647);
}

TEST(NumberedFiles, FirstFreeNumberIsTakenAndADeletedNumberIsUsedAgain)
{
    QTemporaryDir folder;
    touch(folder.filePath(QStringLiteral("cam001.jpg")));
    touch(folder.filePath(QStringLiteral("cam002.jpg")));
    ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(folder.filePath(QStringLiteral("cam003.jpg"))).constData()), 0);
    QString path;
    ASSERT_EQ(WriteNumberedFile(folder.path(), QStringLiteral("cam.jpg"), 3, "new", &path), kNoErr);
    EXPECT_EQ(path, folder.filePath(QStringLiteral("cam004.jpg")));
    EXPECT_EQ(contents(folder.filePath(QStringLiteral("cam001.jpg"))), "old");
    EXPECT_EQ(contents(path), "new");

    QFile::remove(folder.filePath(QStringLiteral("cam002.jpg")));
    ASSERT_EQ(WriteNumberedFile(folder.path(), QStringLiteral("cam.jpg"), 3, "again", &path), kNoErr);
    EXPECT_EQ(path, folder.filePath(QStringLiteral("cam002.jpg")));
    EXPECT_EQ(NextNumberedFilePath(folder.path(), QStringLiteral("cam.jpg"), 3), folder.filePath(QStringLiteral("cam005.jpg")));
    // No temporary file stays behind.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 4);
}

TEST(NumberedFiles, MissingFolderIsCreatedButOnlyItsLastComponent)
{
    QTemporaryDir parent;
    QString path;
    ASSERT_EQ(WriteNumberedFile(parent.filePath(QStringLiteral("new")), QStringLiteral("a.png"), 0, "x", &path), kNoErr);
    EXPECT_EQ(path, parent.filePath(QStringLiteral("new/a1.png")));
    EXPECT_NE(WriteNumberedFile(parent.filePath(QStringLiteral("deep/er")), QStringLiteral("a.png"), 0, "x", &path), kNoErr);
    EXPECT_FALSE(QFileInfo::exists(parent.filePath(QStringLiteral("deep"))));
}

TEST(NumberedFiles, UnwritableFolderFailsAndLeavesNothing)
{
    QTemporaryDir parent;
    // A regular file where the folder should be blocks even root.
    const QString blocker = parent.filePath(QStringLiteral("blocker"));
    touch(blocker);
    QString path = QStringLiteral("untouched");
    EXPECT_EQ(WriteNumberedFile(blocker, QStringLiteral("a.png"), 0, "x", &path), ENOTDIR);
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(WriteNumberedFile(QString(), QStringLiteral("a.png"), 0, "x", &path), kParamErr);
    EXPECT_EQ(contents(blocker), "old");
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
}

TEST(NumberedFiles, OverlappingWritersGetDistinctNumbers)
{
    QTemporaryDir folder;
    constexpr int kWriters = 8;
    constexpr int kEach = 25;
    expectDistinctNumbersFromOverlappingWriters(folder.path(), kWriters, kEach);
    EXPECT_EQ(VisibleFiles(folder.path()).size(), kWriters * kEach);
}

// File systems without hard links (FAT, some network ones), and those also without a rename that
// refuses to replace: the copies still take free numbers only, whole, and leave nothing behind.
TEST(NumberedFiles, WithoutHardLinksCopiesStillTakeOnlyFreeNumbers)
{
    for (const NumberedFilesPlacing placing : {NumberedFilesPlacing::WithoutHardLinks, NumberedFilesPlacing::ByExclusiveCreation}) {
        SCOPED_TRACE(int(placing));
        SetNumberedFilesPlacingForTests(placing);
        QTemporaryDir folder;
        touch(folder.filePath(QStringLiteral("cam001.jpg")));
        ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(folder.filePath(QStringLiteral("cam002.jpg"))).constData()), 0);
        QString path;
        ASSERT_EQ(WriteNumberedFile(folder.path(), QStringLiteral("cam.jpg"), 3, "new", &path), kNoErr);
        EXPECT_EQ(path, folder.filePath(QStringLiteral("cam003.jpg")));
        EXPECT_EQ(contents(path), "new");
        EXPECT_EQ(contents(folder.filePath(QStringLiteral("cam001.jpg"))), "old");
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);

        constexpr int kWriters = 4;
        constexpr int kEach = 10;
        expectDistinctNumbersFromOverlappingWriters(folder.path(), kWriters, kEach);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3 + kWriters * kEach);
    }
    SetNumberedFilesPlacingForTests(NumberedFilesPlacing::Normal);
}

TEST(NumberedFiles, DefaultFolderIsInTheDownloadFolder)
{
    EXPECT_EQ(DefaultTargetFolder(),
              QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) + QStringLiteral("/Pendrill Downloads"));
    EXPECT_FALSE(DefaultTargetFolder().startsWith(QDir::homePath() + QStringLiteral("/Pendrill")));
}
