#include "platform/ResourceFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Puts the test main's resource folder back after a test pointed it elsewhere.
class ResourceFolderGuard
{
public:
    ResourceFolderGuard() : _saved(ResourceFolder()) {}
    ~ResourceFolderGuard() { SetResourceFolder(_saved); }

private:
    QString _saved;
};

void makeFile(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

TEST(ResourceFolder, BuildTreeFolderHoldsARunnableWget)
{
    const QString wget = ResourcePath(QStringLiteral("wget"));
    ASSERT_FALSE(wget.isEmpty());
    EXPECT_TRUE(QFileInfo(wget).isExecutable());
}

TEST(ResourceFolder, PathOnlyForEntriesThatExist)
{
    ResourceFolderGuard guard;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    makeFile(folder.filePath(QStringLiteral("guide.html")));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("guide.html")), folder.filePath(QStringLiteral("linked"))));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("gone")), folder.filePath(QStringLiteral("dangling"))));
    SetResourceFolder(folder.path());

    EXPECT_EQ(ResourcePath(QStringLiteral("guide.html")), folder.filePath(QStringLiteral("guide.html")));
    EXPECT_EQ(ResourcePath(QStringLiteral("linked")), folder.filePath(QStringLiteral("linked")));
    EXPECT_EQ(ResourcePath(QStringLiteral("dangling")), QString());
    EXPECT_EQ(ResourcePath(QStringLiteral("missing")), QString());
    EXPECT_EQ(ResourcePath(QString()), QString());
}

TEST(ResourceFolder, DefaultsToTheBuildTreeFolderElseTheInstalledOne)
{
    ResourceFolderGuard guard;
    SetResourceFolder(QString());
    const QString program = QCoreApplication::applicationName().toLower();
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString buildTreeFolder = programFolder + QLatin1Char('/') + program + QStringLiteral("-resources");
    ASSERT_FALSE(QFileInfo::exists(buildTreeFolder));

    EXPECT_EQ(ResourceFolder(), QDir::cleanPath(programFolder + QStringLiteral("/../share/") + program));

    ASSERT_TRUE(QDir().mkdir(buildTreeFolder));
    EXPECT_EQ(ResourceFolder(), buildTreeFolder);
    QDir(buildTreeFolder).removeRecursively();
}
