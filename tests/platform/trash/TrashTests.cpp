#include "platform/Trash.h"
#include "tests/fixtures/TemporaryHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <cerrno>
#include <climits>
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

class TrashTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(_data.isValid());
        ASSERT_TRUE(_items.isValid());
        _savedDataHome = qEnvironmentVariable("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(_data.path()));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", QFile::encodeName(_savedDataHome)); }

    QString trash(const QString &relative) const { return _data.path() + QStringLiteral("/Trash/") + relative; }
    QString item(const QString &name) const { return _items.filePath(name); }

    QTemporaryDir _data{TemporaryHome::path() + QStringLiteral("/data-XXXXXX")};
    QTemporaryDir _items{TemporaryHome::path() + QStringLiteral("/items-XXXXXX")};
    QString _savedDataHome;
};

TEST_F(TrashTest, SecondItemOfTheSameNameGetsNumberAfterTheWholeName)
{
    ASSERT_TRUE(writeFile(item("a.jpg"), "first"));
    QString trashed;
    ASSERT_EQ(FSpMoveToTrash(item("a.jpg"), &trashed), kNoErr);
    EXPECT_EQ(trashed, trash("files/a.jpg"));
    EXPECT_FALSE(QFileInfo::exists(item("a.jpg")));

    ASSERT_TRUE(writeFile(item("a.jpg"), "second"));
    ASSERT_EQ(FSpMoveToTrash(item("a.jpg"), &trashed), kNoErr);
    EXPECT_EQ(trashed, trash("files/a.jpg#1"));
    ASSERT_TRUE(writeFile(item("a.jpg"), "third"));
    ASSERT_EQ(FSpMoveToTrash(item("a.jpg"), &trashed), kNoErr);
    EXPECT_EQ(trashed, trash("files/a.jpg#2"));

    // Nothing already in the trash was replaced.
    EXPECT_EQ(readFile(trash("files/a.jpg")), "first");
    EXPECT_EQ(readFile(trash("files/a.jpg#1")), "second");
    EXPECT_EQ(readFile(trash("files/a.jpg#2")), "third");
    EXPECT_TRUE(QFileInfo::exists(trash("info/a.jpg#1.trashinfo")));
}

TEST_F(TrashTest, InfoFileRecordsEncodedPathAndLocalDeletionTime)
{
    const QString name = QStringLiteral("my pic %é.jpg");
    ASSERT_TRUE(writeFile(item(name), "x"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_EQ(FSpMoveToTrash(item(name)), kNoErr);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const QList<QByteArray> lines = readFile(trash("info/" + name + ".trashinfo")).split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "[Trash Info]");
    const QByteArray expectedPath =
        "Path=" + QFile::encodeName(_items.path()).replace(" ", "%20") + "/my%20pic%20%25%C3%A9.jpg";
    EXPECT_EQ(lines[1], expectedPath);
    ASSERT_TRUE(lines[2].startsWith("DeletionDate="));
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate);
    ASSERT_TRUE(when.isValid()) << lines[2].constData();
    EXPECT_GE(when, before);
    EXPECT_LE(when, after);
}

// A name near the longest a file may have leaves no room for ".trashinfo" or a number: it is cut
// short inside the trash, between characters, and recorded whole.
TEST_F(TrashTest, ItemsWithTheLongestNamesCanBeTrashedTwice)
{
    QString longName;
    while (QFile::encodeName(longName).size() < 250)
        longName += QStringLiteral("é");
    longName += QStringLiteral(".jpg");
    ASSERT_LE(QFile::encodeName(longName).size(), NAME_MAX);
    QStringList trashedNames;
    for (const QByteArray &contents : {QByteArray("first"), QByteArray("second")}) {
        ASSERT_TRUE(writeFile(item(longName), contents));
        QString trashed;
        ASSERT_EQ(FSpMoveToTrash(item(longName), &trashed), kNoErr);
        EXPECT_EQ(readFile(trashed), contents);
        EXPECT_FALSE(QFileInfo::exists(item(longName)));
        const QString name = QFileInfo(trashed).fileName();
        EXPECT_FALSE(name.contains(QChar::ReplacementCharacter));
        EXPECT_TRUE(readFile(trash("info/" + name + ".trashinfo"))
                        .contains("/" + QUrl::toPercentEncoding(longName, "/") + "\n"));
        trashedNames << name;
    }
    EXPECT_NE(trashedNames[0], trashedNames[1]);
    EXPECT_TRUE(trashedNames[1].endsWith(QStringLiteral("#1")));
}

TEST_F(TrashTest, StrayEntriesInTheTrashAreNeverReplaced)
{
    // A file in files/ without its info file, and an info file without its item: both names are
    // taken.
    ASSERT_TRUE(QDir().mkpath(trash("files")));
    ASSERT_TRUE(QDir().mkpath(trash("info")));
    ASSERT_TRUE(writeFile(trash("files/b.txt"), "stray"));
    ASSERT_TRUE(writeFile(trash("info/b.txt#1.trashinfo"), "reserved"));
    ASSERT_TRUE(writeFile(item("b.txt"), "mine"));

    QString trashed;
    ASSERT_EQ(FSpMoveToTrash(item("b.txt"), &trashed), kNoErr);
    EXPECT_EQ(trashed, trash("files/b.txt#2"));
    EXPECT_EQ(readFile(trash("files/b.txt")), "stray");
    EXPECT_EQ(readFile(trash("info/b.txt#1.trashinfo")), "reserved");
    EXPECT_EQ(readFile(trash("files/b.txt#2")), "mine");
}

TEST_F(TrashTest, FoldersAndLinksGoWhole)
{
    ASSERT_TRUE(QDir().mkpath(item("folder/inner")));
    ASSERT_TRUE(writeFile(item("folder/inner/f"), "deep"));
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(item("dangling")).constData()), 0);

    ASSERT_EQ(FSpMoveToTrash(item("folder")), kNoErr);
    EXPECT_EQ(readFile(trash("files/folder/inner/f")), "deep");
    ASSERT_EQ(FSpMoveToTrash(item("dangling")), kNoErr);
    EXPECT_TRUE(QFileInfo(trash("files/dangling")).isSymLink());
    EXPECT_FALSE(QFileInfo(item("dangling")).isSymLink());
}

TEST_F(TrashTest, FailuresLeaveTheItemAndNoInfoBehind)
{
    EXPECT_EQ(FSpMoveToTrash(QString()), kParamErr);
    EXPECT_EQ(FSpMoveToTrash(QStringLiteral("/")), kParamErr);
    EXPECT_EQ(FSpMoveToTrash(item("missing")), ENOENT);

    // The trash cannot be made where a plain file stands in its way.
    ASSERT_TRUE(writeFile(_data.filePath("Trash"), "blocking"));
    ASSERT_TRUE(writeFile(item("c.jpg"), "keep"));
    EXPECT_NE(FSpMoveToTrash(item("c.jpg")), kNoErr);
    EXPECT_EQ(readFile(item("c.jpg")), "keep");
    EXPECT_EQ(readFile(_data.filePath("Trash")), "blocking");
    ASSERT_TRUE(QFile::remove(_data.filePath("Trash")));

    // The folder holding the trash cannot go into it: the info file written for it goes again.
    ASSERT_TRUE(writeFile(_data.filePath("d.jpg"), "keep"));
    EXPECT_EQ(FSpMoveToTrash(_data.path()), EINVAL);
    EXPECT_EQ(readFile(_data.filePath("d.jpg")), "keep");
    EXPECT_EQ(QDir(trash("info")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    EXPECT_EQ(QDir(trash("files")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
}

// The item trashed is the one the kernel finds under the path, never another one that a path
// tidied up as text would name.
TEST_F(TrashTest, PathsAreResolvedAsTheKernelDoesNotAsText)
{
    ASSERT_TRUE(QDir().mkpath(item("a/b")));
    ASSERT_EQ(::symlink("a/b", QFile::encodeName(item("link")).constData()), 0);
    ASSERT_TRUE(writeFile(item("f"), "beside the link"));
    ASSERT_TRUE(writeFile(item("a/f"), "beside the link's target"));

    QString trashed;
    ASSERT_EQ(FSpMoveToTrash(item("link/../f"), &trashed), kNoErr);
    EXPECT_EQ(readFile(trashed), "beside the link's target");
    EXPECT_EQ(readFile(item("f")), "beside the link");
    EXPECT_FALSE(QFileInfo::exists(item("a/f")));
    const QByteArray realItems = QFile::encodeName(QFileInfo(_items.path()).canonicalFilePath());
    EXPECT_TRUE(readFile(trash("info/f.trashinfo")).contains("\nPath=" + realItems + "/a/f\n"));

    // A path ending in ".." or "." names no item of its own: the folder it leads to stays.
    EXPECT_EQ(FSpMoveToTrash(item("a/b/..")), kParamErr);
    EXPECT_EQ(FSpMoveToTrash(item("a/b/.")), kParamErr);
    EXPECT_TRUE(QFileInfo(item("a/b")).isDir());
    EXPECT_EQ(readFile(item("f")), "beside the link");
}

TEST_F(TrashTest, ItemOnAnotherFileSystemUsesThatFileSystemsTrashOrStays)
{
    struct stat shm {}, home {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(_items.path()).constData(), &home) != 0 ||
        shm.st_dev == home.st_dev)
        GTEST_SKIP() << "/dev/shm is on the same file system as the temporary folder here";
    const QString trashFolder = QStringLiteral("/dev/shm/.Trash-%1").arg(::getuid());
    const bool trashExisted = QFileInfo::exists(trashFolder);
    QTemporaryDir folder(QStringLiteral("/dev/shm/trash-test-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("far.jpg"));
    ASSERT_TRUE(writeFile(path, "far"));

    QString trashed;
    const Status status = FSpMoveToTrash(path, &trashed);
    if (status == kNoErr) {
        EXPECT_TRUE(trashed.startsWith(QStringLiteral("/dev/shm/.Trash")));
        EXPECT_EQ(readFile(trashed), "far");
        const QString name = QFileInfo(trashed).fileName();
        const QString info = QFileInfo(trashed).absolutePath() + QStringLiteral("/../info/") + name + ".trashinfo";
        // Relative to the top of the file system it lies on.
        EXPECT_TRUE(readFile(info).contains("Path=" + QFile::encodeName(path.mid(QStringLiteral("/dev/shm/").size()))));
        QFile::remove(trashed);
        QFile::remove(info);

        // Reached through a link from the home's file system, the recorded path is still the one
        // below the top of the file system the item is on.
        const QString linkToFolder = item("far away");
        ASSERT_EQ(::symlink(QFile::encodeName(folder.path()).constData(), QFile::encodeName(linkToFolder).constData()),
                  0);
        ASSERT_TRUE(writeFile(folder.filePath("via link.jpg"), "via"));
        ASSERT_EQ(FSpMoveToTrash(linkToFolder + "/via link.jpg", &trashed), kNoErr);
        EXPECT_TRUE(trashed.startsWith(QStringLiteral("/dev/shm/.Trash")));
        EXPECT_EQ(readFile(trashed), "via");
        const QString viaInfo =
            QFileInfo(trashed).absolutePath() + "/../info/" + QFileInfo(trashed).fileName() + ".trashinfo";
        EXPECT_TRUE(readFile(viaInfo).contains(
            "\nPath=" + QFile::encodeName(folder.path().mid(QStringLiteral("/dev/shm/").size())) + "/via%20link.jpg\n"))
            << readFile(viaInfo).constData();
        QFile::remove(trashed);
        QFile::remove(viaInfo);
        if (!trashExisted)
            QDir(trashFolder).removeRecursively();
    } else {
        EXPECT_EQ(readFile(path), "far");
    }
    // Never into the home trash across file systems.
    EXPECT_FALSE(QFileInfo::exists(trash("files/far.jpg")));
}

} // namespace
