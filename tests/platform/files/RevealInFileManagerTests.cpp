// Revealing an item: the real D-Bus decision runs, only the folder opener and the beep are
// replaced, so no file manager ever appears.
#include "platform/RevealInFileManager.h"
#include "platform/FileReference.h"
#include "tests/fixtures/QtPrinters.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

class RevealTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // A bus address that leads nowhere: Qt must not find, nor start, a session bus.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vellicor-no-bus", 1);
    }

    void SetUp() override
    {
        RevealServices services;
        services.openFolder = [this](const QUrl &folder) {
            openedFolders.push_back(folder);
            return true;
        };
        services.beep = [this] { ++beeps; };
        SetRevealServices(services);
    }
    void TearDown() override { SetRevealServices(DefaultRevealServices()); }

    QTemporaryDir root;
    std::vector<QUrl> openedFolders;
    int beeps = 0;
};

TEST_F(RevealTest, WithoutASessionBusTheContainingFolderIsOpened)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().isConnected());
    ASSERT_TRUE(QDir(root.path()).mkpath("holder"));
    QFile file(root.filePath("holder/item.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    EXPECT_EQ(RevealPathItemInFinder(root.filePath("holder/item.txt")), kNoErr);
    ASSERT_EQ(openedFolders.size(), 1u);
    EXPECT_EQ(openedFolders.front().toLocalFile(), root.filePath("holder"));
    EXPECT_EQ(beeps, 0);
}


TEST_F(RevealTest, AMissingItemBeepsAndOpensNothing)
{
    EXPECT_EQ(RevealPathItemInFinder(root.filePath("absent")), paramErr);
    EXPECT_EQ(RevealPathItemInFinder(QString()), paramErr);
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(openedFolders.empty());
}

TEST_F(RevealTest, AFileManagerThatRefusesLaterStillGetsTheFallback)
{
    std::function<void()> refuse;
    RevealServices services;
    services.showItem = [&](const QUrl &item, std::function<void()> failed) {
        EXPECT_EQ(item.toLocalFile(), root.path());
        refuse = std::move(failed);
        return true;
    };
    SetRevealServices(services);

    EXPECT_EQ(RevealPathItemInFinder(root.path()), kNoErr);
    EXPECT_TRUE(openedFolders.empty());
    // The refusal arrives after the services were put back: the opener of the request is used.
    std::vector<QUrl> laterOpener;
    RevealServices replaced;
    replaced.openFolder = [&](const QUrl &folder) {
        laterOpener.push_back(folder);
        return true;
    };
    SetRevealServices(replaced);
    ASSERT_TRUE(refuse);
    refuse();
    ASSERT_EQ(openedFolders.size(), 1u);
    EXPECT_EQ(openedFolders.front().toLocalFile(), QFileInfo(root.path()).absolutePath());
    EXPECT_TRUE(laterOpener.empty());
}

} // namespace
