// File references: identity by device and inode, symbolic links standing in for alias files.
#include "platform/FileReference.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class FileReferenceTest : public testing::Test
{
protected:
    QString pathOf(const QString &name) const { return folder.filePath(name); }
    void makeFile(const QString &name) const
    {
        QFile file(pathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void makeLink(const QString &target, const QString &name) const
    {
        ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(pathOf(name)).constData()), 0);
    }

    QTemporaryDir folder;
};

TEST_F(FileReferenceTest, MissingArgumentsAndMissingItemsAreParameterErrors)
{
    FSRef ref;
    EXPECT_EQ(NSStringPathToFSRef(pathOf("absent"), &ref), paramErr);
    EXPECT_EQ(NSStringPathToFSRef(QString(), &ref), paramErr);
    EXPECT_EQ(NSStringPathToFSRef(folder.path(), nullptr), paramErr);
    EXPECT_FALSE(ref.isValid());
    EXPECT_TRUE(FSRefToNSStringPath(nullptr).isNull());
    EXPECT_TRUE(FSRefToNSStringPath(&ref).isNull());
}

TEST_F(FileReferenceTest, IdentitySurvivesRenameAndIsNotTakenOverByANewItem)
{
    makeFile("before");
    FSRef original;
    ASSERT_EQ(NSStringPathToFSRef(pathOf("before"), &original), kNoErr);
    ASSERT_TRUE(QFile::rename(pathOf("before"), pathOf("after")));
    makeFile("before");

    FSRef renamed, newcomer;
    ASSERT_EQ(NSStringPathToFSRef(pathOf("after"), &renamed), kNoErr);
    ASSERT_EQ(NSStringPathToFSRef(pathOf("before"), &newcomer), kNoErr);
    EXPECT_EQ(original, renamed);
    EXPECT_FALSE(original == newcomer);
}

TEST_F(FileReferenceTest, TrailingSlashesNameTheSameFolderUnderOneSpelling)
{
    FSRef plain, slashed;
    ASSERT_EQ(NSStringPathToFSRef(folder.path(), &plain), kNoErr);
    ASSERT_EQ(NSStringPathToFSRef(folder.path() + "//", &slashed), kNoErr);
    EXPECT_EQ(plain, slashed);
    EXPECT_EQ(FSRefToNSStringPath(&slashed), folder.path());
}

TEST_F(FileReferenceTest, LinkChainsResolveToTheirEnd)
{
    makeFile("target");
    makeLink(pathOf("target"), "first");
    makeLink(QStringLiteral("first"), "second"); // relative, as links often are
    FSRef target, throughLinks;
    ASSERT_EQ(NSStringPathToFSRef(pathOf("target"), &target), kNoErr);
    ASSERT_EQ(NSStringPathToFSRef(pathOf("second"), &throughLinks), kNoErr);
    EXPECT_EQ(throughLinks, target);
    EXPECT_EQ(FSRefToNSStringPath(&throughLinks), QFileInfo(pathOf("target")).canonicalFilePath());
}

TEST_F(FileReferenceTest, DanglingAndLoopingLinksReportTheirResolutionFailure)
{
    makeLink(pathOf("nowhere"), "dangling");
    makeLink(pathOf("loop-b"), "loop-a");
    makeLink(pathOf("loop-a"), "loop-b");
    FSRef ref;
    EXPECT_EQ(NSStringPathToFSRef(pathOf("dangling"), &ref), ENOENT);
    EXPECT_EQ(NSStringPathToFSRef(pathOf("loop-a"), &ref), ELOOP);
    EXPECT_FALSE(ref.isValid());
}


} // namespace

namespace {

TEST(TildeExpansion, LeadingTildesNameHomeFoldersAndNothingElseChanges)
{
    EXPECT_EQ(stringByExpandingTildeInPath("~"), QDir::homePath());
    EXPECT_EQ(stringByExpandingTildeInPath("~/Desktop/"), QDir::homePath() + "/Desktop/");
    EXPECT_EQ(stringByExpandingTildeInPath("~root/x"), "/root/x");
    EXPECT_EQ(stringByExpandingTildeInPath("~no-such-user-here/x"), "~no-such-user-here/x");
    EXPECT_EQ(stringByExpandingTildeInPath("/a/~/b"), "/a/~/b");
}

} // namespace
