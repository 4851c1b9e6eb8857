#include "platform/UniqueFileName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class UniqueFileName : public ::testing::Test
{
protected:
    void touch(const QString &name)
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    }
    QString unique(const QString &name) { return GetUniqueFileNameInDirectory(name, folder.path()).value_or("<none>"); }

    QTemporaryDir folder;
};

TEST_F(UniqueFileName, VariantsGoBeforeTheLastExtension)
{
    EXPECT_EQ(unique(QStringLiteral("a.txt")), QStringLiteral("a.txt"));
    touch(QStringLiteral("a.txt"));
    touch(QStringLiteral("a#1.txt"));
    EXPECT_EQ(unique(QStringLiteral("a.txt")), QStringLiteral("a#2.txt"));

    touch(QStringLiteral("index"));
    EXPECT_EQ(unique(QStringLiteral("index")), QStringLiteral("index#1"));
    touch(QStringLiteral("archive.tar.gz"));
    EXPECT_EQ(unique(QStringLiteral("archive.tar.gz")), QStringLiteral("archive.tar#1.gz"));
    touch(QStringLiteral(".profile"));
    EXPECT_EQ(unique(QStringLiteral(".profile")), QStringLiteral(".profile#1"));
}

// A name that already takes the longest length a file system allows still gets free variants:
// its stem gives way, between characters, to the number and the extension.
TEST_F(UniqueFileName, VariantsOfTheLongestNamesStillFit)
{
    // 125 two-byte characters and ".jpeg": 255 bytes.
    const QString name = QString(125, QChar(0x00E9)) + QStringLiteral(".jpeg");
    ASSERT_EQ(name.toUtf8().size(), kLongestFileNameBytes);
    touch(name);
    QString previous;
    for (int copy = 1; copy <= 11; ++copy) {
        const QString variant = unique(name);
        ASSERT_NE(variant, QStringLiteral("<none>"));
        EXPECT_LE(variant.toUtf8().size(), kLongestFileNameBytes) << copy;
        EXPECT_TRUE(variant.endsWith(QStringLiteral("#%1.jpeg").arg(copy))) << variant.toStdString();
        EXPECT_FALSE(variant.contains(QChar::ReplacementCharacter));
        touch(variant);
        EXPECT_TRUE(QFile::exists(folder.filePath(variant)));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 12);
    QString written;
    ASSERT_EQ(WriteUniqueFileInDirectory(name, folder.path(), "body", &written), kNoErr);
    EXPECT_TRUE(written.endsWith(QStringLiteral("#12.jpeg")));
}

TEST_F(UniqueFileName, FoldersAndLinksCountAsTakenEvenWhenDangling)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("photo.jpg")));
    EXPECT_EQ(unique(QStringLiteral("photo.jpg")), QStringLiteral("photo#1.jpg"));

    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(folder.filePath(QStringLiteral("link.txt"))).constData()), 0);
    EXPECT_EQ(unique(QStringLiteral("link.txt")), QStringLiteral("link#1.txt"));
}

TEST_F(UniqueFileName, NamesThatAreNotOneComponentAreRefused)
{
    EXPECT_FALSE(GetUniqueFileNameInDirectory(std::nullopt, folder.path()));
    EXPECT_FALSE(GetUniqueFileNameInDirectory(QStringLiteral("a"), std::nullopt));
    EXPECT_FALSE(GetUniqueFileNameInDirectory(QStringLiteral(""), folder.path()));
    EXPECT_FALSE(GetUniqueFileNameInDirectory(QStringLiteral("../escape"), folder.path()));
    EXPECT_FALSE(GetUniqueFileNameInDirectory(QStringLiteral("a/b"), folder.path()));
    int descriptor = -1;
    EXPECT_EQ(CreateUniqueFileInDirectory(QStringLiteral("../escape"), folder.path(), &descriptor, nullptr), kParamErr);
}

TEST_F(UniqueFileName, WritingNeverReplacesWhatIsThere)
{
    QString first;
    QString second;
    ASSERT_EQ(WriteUniqueFileInDirectory(QStringLiteral("page.html"), folder.path(), "one", &first), kNoErr);
    ASSERT_EQ(WriteUniqueFileInDirectory(QStringLiteral("page.html"), folder.path(), "two", &second), kNoErr);
    EXPECT_EQ(first, QStringLiteral("page.html"));
    EXPECT_EQ(second, QStringLiteral("page#1.html"));
    QFile original(folder.filePath(first));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), QByteArray("one"));

    // A link that appears at the free name is not written through.
    const QString outside = folder.filePath(QStringLiteral("outside"));
    touch(QStringLiteral("outside"));
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(folder.filePath(QStringLiteral("page#2.html"))).constData()), 0);
    QString third;
    ASSERT_EQ(WriteUniqueFileInDirectory(QStringLiteral("page.html"), folder.path(), "three", &third), kNoErr);
    EXPECT_EQ(third, QStringLiteral("page#3.html"));
    EXPECT_EQ(QFileInfo(outside).size(), 0);

    EXPECT_EQ(WriteUniqueFileInDirectory(QStringLiteral("x"), folder.filePath(QStringLiteral("missing")), "x", nullptr), ENOENT);
}

} // namespace
