// The download document as a user drives it: the real window, the real wget, a loopback nginx.
#include "site-downloader/document/VellicorDocument.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "tests/fixtures/NginxServer.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(DocumentWithRealWget, MirrorListsExactlyTheFilesSavedOnDisk)
{
    QTemporaryDir site;
    QTemporaryDir downloads;
    GeneratedSite::write(site.path(), 12);
    NginxServer server(site.path());
    QString problem;
    ASSERT_TRUE(server.start(&problem)) << problem.toStdString();

    VellicorDocument document;
    document.preferences()->setOutputDirectory(downloads.path(), true);
    document.makeWindow();
    QWidget *window = document.window();
    window->show();
    QLineEdit *address = window->findChild<QLineEdit *>("_textFieldBaseURL");
    address->clear();
    QTest::keyClicks(address, server.url());
    QTest::mouseClick(window->findChild<QPushButton *>("_buttonStartStop"), Qt::LeftButton);
    ASSERT_TRUE(document.isBusy());
    window->grab().save(QStringLiteral("VellicorDocument-running.png"));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&document] { return !document.isBusy(); }, 60000));
    window->grab().save(QStringLiteral("VellicorDocument-finished.png"));

    EXPECT_EQ(window->findChild<QWidget *>("_textFieldEngineStatus")->property("text").toString(), QString());
    QSet<QString> listed;
    for (const QVariantMap &row : document.tableDataSource()->data()) {
        EXPECT_TRUE(row.value("url").toString().startsWith(server.url())) << row.value("url").toString().toStdString();
        EXPECT_FALSE(row.value("size").toString().isEmpty());
        listed.insert(row.value("path").toString());
    }
    const QString logPath = document.preferences()->logFilePath().value();
    QSet<QString> onDisk;
    QDirIterator files(document.preferences()->outputDirectory().value(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (path != logPath)
            onDisk.insert(path);
    }
    EXPECT_GE(onDisk.size(), 13);
    EXPECT_EQ(listed, onDisk);
    EXPECT_EQ(document.totalURLs(), document.tableDataSource()->count());
}
