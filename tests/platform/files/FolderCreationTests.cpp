// Folder creation in a temporary tree: what exists is followed, what is missing is made, and
// what is in the way stops the walk with the right code.
#include "platform/FolderCreation.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class FolderCreationTest : public testing::Test
{
protected:
    QString pathOf(const QString &relative) const { return root.filePath(relative); }
    bool isFolder(const QString &relative) const { return QFileInfo(pathOf(relative)).isDir(); }
    FSRef referenceOf(const QString &relative) const
    {
        FSRef ref;
        EXPECT_EQ(NSStringPathToFSRef(pathOf(relative), &ref), kNoErr) << relative.toStdString();
        return ref;
    }
    Status create(const QString &path, FSRef *out = nullptr) const
    {
        return FSRefCreateFolderPath(nullptr, path, kFSCatInfoNone, nullptr, out);
    }

    QTemporaryDir root;
};

TEST_F(FolderCreationTest, MissingOrEmptyPathsAreRefused)
{
    EXPECT_EQ(FSRefCreateFolderPath(nullptr, std::nullopt, kFSCatInfoNone, nullptr, nullptr), kParamErr);
    EXPECT_EQ(create(QString()), kPathErr);
}

TEST_F(FolderCreationTest, CreatesEachMissingComponentAndAnswersTheLastFolder)
{
    ASSERT_TRUE(QDir(root.path()).mkdir("Existing"));
    FSRef out;
    ASSERT_EQ(create(pathOf("Existing/New/Sub"), &out), kNoErr);
    EXPECT_TRUE(isFolder("Existing/New/Sub"));
    EXPECT_EQ(out, referenceOf("Existing/New/Sub"));
    EXPECT_EQ(FSRefToNSStringPath(&out), pathOf("Existing/New/Sub"));

    // All there now: nothing changes and the same folder comes back.
    FSRef again;
    ASSERT_EQ(create(pathOf("Existing/New/Sub"), &again), kNoErr);
    EXPECT_EQ(again, out);
}

TEST_F(FolderCreationTest, EmptyComponentsAreSkipped)
{
    FSRef out;
    ASSERT_EQ(create(pathOf("a//b///c/"), &out), kNoErr);
    EXPECT_EQ(out, referenceOf("a/b/c"));
    EXPECT_EQ(FSRefToNSStringPath(&out), pathOf("a/b/c"));
    FSRef rootFolder;
    ASSERT_EQ(create(QStringLiteral("///"), &rootFolder), kNoErr);
    EXPECT_EQ(FSRefToNSStringPath(&rootFolder), "/");
}

TEST_F(FolderCreationTest, ARelativePathGrowsInsideTheGivenParent)
{
    const FSRef parent = referenceOf(".");
    FSRef out;
    // One leading slash is read as "inside the parent", not as the root.
    ASSERT_EQ(FSRefCreateFolderPath(&parent, QStringLiteral("/inner/most"), kFSCatInfoNone, nullptr, &out), kNoErr);
    EXPECT_EQ(out, referenceOf("inner/most"));
}

TEST_F(FolderCreationTest, LinksToFoldersAreFollowed)
{
    ASSERT_TRUE(QDir(root.path()).mkpath("real/target"));
    ASSERT_TRUE(QFile::link(pathOf("real/target"), pathOf("link")));
    ASSERT_TRUE(QFile::link(pathOf("link"), pathOf("link-to-link")));
    FSRef out;
    ASSERT_EQ(create(pathOf("link-to-link/made"), &out), kNoErr);
    EXPECT_TRUE(isFolder("real/target/made"));
    EXPECT_EQ(out, referenceOf("real/target/made"));
}

TEST_F(FolderCreationTest, AFileOrALinkToAFileInTheWayIsNotAFolder)
{
    QFile file(pathOf("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(pathOf("file"), pathOf("link-to-file")));
    EXPECT_EQ(create(pathOf("file/below")), errFSNotAFolder);
    EXPECT_EQ(create(pathOf("link-to-file/below")), errFSNotAFolder);
    EXPECT_EQ(create(pathOf("file")), errFSNotAFolder);

    const FSRef fileAsParent = referenceOf("file");
    EXPECT_EQ(FSRefCreateFolderPath(&fileAsParent, QStringLiteral("x"), kFSCatInfoNone, nullptr, nullptr),
              errFSNotAFolder);
}

TEST_F(FolderCreationTest, ADanglingLinkInTheWayIsReportedNotLoopedOn)
{
    ASSERT_TRUE(QFile::link(pathOf("gone"), pathOf("dangling")));
    EXPECT_EQ(create(pathOf("dangling/below")), ENOENT);
    EXPECT_FALSE(QFileInfo::exists(pathOf("gone")));
}

TEST_F(FolderCreationTest, ANameTooLongIsRefusedBeforeAnythingIsCreated)
{
    const QString tooManyUnits(256, QLatin1Char('x'));
    EXPECT_EQ(create(pathOf("first/" + tooManyUnits)), ENAMETOOLONG);
    // 100 units, but 300 bytes once encoded: over the kernel's limit.
    const QString tooManyBytes(100, QChar(0x20AC));
    EXPECT_EQ(create(pathOf("first/" + tooManyBytes)), ENAMETOOLONG);
    EXPECT_FALSE(QFileInfo::exists(pathOf("first")));

    ASSERT_EQ(create(pathOf(QString(255, QLatin1Char('y')))), kNoErr);
}


// The running wget creates the download folder while the document creates the folder of its log
// file: whoever loses the race must still succeed.
TEST_F(FolderCreationTest, CreatorsRacingForTheSamePathAllSucceed)
{
    constexpr int kRounds = 40;
    constexpr int kCreators = 6;
    for (int round = 0; round < kRounds; ++round) {
        const QString path = pathOf(QStringLiteral("race%1/a/b/c/d").arg(round));
        std::atomic<int> ready{0};
        std::vector<Status> results(kCreators, kUnknownErr);
        std::vector<std::thread> creators;
        for (int index = 0; index < kCreators; ++index) {
            creators.emplace_back([&, index] {
                ready.fetch_add(1);
                while (ready.load() < kCreators) {
                }
                results[index] = create(path);
            });
        }
        for (std::thread &creator : creators)
            creator.join();
        for (Status result : results)
            ASSERT_EQ(result, kNoErr) << "round " << round;
    }
}

} // namespace
