// The program as a person uses it, on a real (virtual) display: mirror a loopback site in a new
// document window with the real wget, look at the saved pictures in the image browser, go through
// them in the media viewer and sort a few into bins by the number keys. Every step leaves a
// screenshot in one folder, so a reviewer can look at the run afterwards.
#include "platform/LocalizedString.h"
#include "site-downloader/app/AppDelegate.h"
#include "site-downloader/app/ApplicationDefaults.h"
#include "site-downloader/app/VellicorApplication.h"
#include "site-downloader/document/VellicorDocument.h"
#include "site-downloader/media/ImageBrowserButtonCell.h"
#include "site-downloader/media/ImageBrowserMatrix.h"
#include "site-downloader/media/ImageBrowserWindowController.h"
#include "site-downloader/media/viewer/MediaViewerWindowController.h"
#include "site-downloader/tools/BatchURLDownloaderWindowController.h"
#include "site-downloader/tools/IncrementalDownloaderWindowController.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "support/defaults/UserDefaults.h"
#include "support/document/Document.h"
#include "tests/fixtures/NginxServer.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/ScriptedUserInterface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace {

constexpr int kPictureCount = 6;

// Pictures that look like photographs at thumbnail size: a gradient, a disc and a number.
bool writePicture(const QString &path, int number)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, 640, 480);
    gradient.setColorAt(0, QColor::fromHsv((number * 55) % 360, 160, 220));
    gradient.setColorAt(1, QColor::fromHsv((number * 55 + 120) % 360, 200, 120));
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), gradient);
    painter.setBrush(QColor(255, 255, 255, 180));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(200 + number * 40, 240), 110, 110);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(120);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(number));
    painter.end();
    return picture.save(path, "JPG", 85);
}

// A few linked pages with pictures in a gallery the index links to.
void writeSite(const QString &root)
{
    GeneratedSite::write(root, 3);
    QByteArray gallery = "<!DOCTYPE html>\n<html><head><title>Gallery</title></head><body>\n<h1>Gallery</h1>\n";
    for (int number = 1; number <= kPictureCount; ++number) {
        const QString name = QStringLiteral("photo%1.jpg").arg(number);
        ASSERT_TRUE(writePicture(root + '/' + name, number));
        gallery += "<img src=\"" + name.toLatin1() + "\" alt=\"\">\n";
    }
    gallery += "</body></html>\n";
    QFile galleryFile(root + QStringLiteral("/gallery.html"));
    ASSERT_TRUE(galleryFile.open(QIODevice::WriteOnly));
    galleryFile.write(gallery);
    galleryFile.close();

    QFile index(root + QStringLiteral("/index.html"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    QByteArray html = index.readAll();
    index.close();
    html.replace("</ul>", "<li><a href=\"gallery.html\">Gallery</a></li>\n</ul>");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
    index.write(html);
}

class Screenshots
{
public:
    // Each run starts with an empty folder; the steps of later walks in the same run follow on.
    Screenshots() : _folder(QStringLiteral(ACCEPTANCE_SCREENSHOT_FOLDER))
    {
        static bool emptied = false;
        if (!emptied)
            QDir(_folder).removeRecursively();
        emptied = true;
        QDir().mkpath(_folder);
        _number = int(QDir(_folder).entryList(QDir::Files).size());
    }

    // The window as the screen shows it where there is a screen to grab, else as it paints.
    void save(QWidget *window, const char *step)
    {
        QTest::qWait(150);
        QPixmap shot;
        if (QScreen *screen = window->screen(); screen && QGuiApplication::platformName() == QLatin1String("xcb"))
            shot = screen->grabWindow(window->winId());
        if (shot.isNull())
            shot = window->grab();
        const QString path = QStringLiteral("%1/%2-%3.png").arg(_folder).arg(++_number, 2, 10, QChar('0')).arg(QLatin1String(step));
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
    }

private:
    QString _folder;
    int _number = 0;
};

QAction *menuCommand(QMainWindow *window, const char *titleKey)
{
    for (QAction *action : window->menuBar()->findChildren<QAction *>())
        if (action->text() == LocalizedString(titleKey))
            return action;
    return nullptr;
}

template <typename T>
T *newestTopLevel()
{
    T *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<T *>(widget); window && window->isVisible())
            found = window;
    return found;
}

// Each walk starts where a user would: a loopback site of linked pages and pictures, and the
// program just launched with fresh settings and no update check.
class AcceptanceRun : public testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::setBool(true, ApplicationDefaults::kDontCheckForUpdatesKey);
        writeSite(site.path());
        server = std::make_unique<NginxServer>(site.path());
        QString problem;
        ASSERT_TRUE(server->start(&problem)) << problem.toStdString();
        delegate = std::make_unique<AppDelegate>(&answers);
        delegate->applicationDidFinishLaunching({});
    }
    void TearDown() override
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            widget->close();
        QTest::qWait(50);
    }

    Screenshots screenshots;
    QTemporaryDir site;
    QTemporaryDir work;
    std::unique_ptr<NginxServer> server;
    ScriptedUserInterface answers;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(AcceptanceRun, MirrorBrowseAndSortIntoBins)
{
    std::printf("Running on the %s display; screenshots go to %s\n", qPrintable(QGuiApplication::platformName()),
                ACCEPTANCE_SCREENSHOT_FOLDER);
    // Launch: the program opens its untitled document; the user asks for another by File > New.
    auto &documents = delegate->application().documentController().documents();
    ASSERT_EQ(documents.size(), 1u);
    auto *firstWindow = qobject_cast<QMainWindow *>(documents.front()->window());
    ASSERT_NE(firstWindow, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(firstWindow));
    screenshots.save(firstWindow, "launched");
    QAction *newCommand = menuCommand(firstWindow, "kNewMenuItemTitle");
    ASSERT_NE(newCommand, nullptr);
    newCommand->trigger();
    ASSERT_EQ(documents.size(), 2u);
    auto *document = dynamic_cast<VellicorDocument *>(documents.back().get());
    ASSERT_NE(document, nullptr);
    auto *window = qobject_cast<QMainWindow *>(document->window());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    auto *address = window->findChild<QLineEdit *>(QStringLiteral("_textFieldBaseURL"));
    ASSERT_NE(address, nullptr);
    address->setFocus();
    address->selectAll();
    QTest::keyClicks(address, server->url());
    screenshots.save(window, "address-typed");
    auto *start = window->findChild<QPushButton *>(QStringLiteral("_buttonStartStop"));
    ASSERT_NE(start, nullptr);
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(document->isBusy());
    screenshots.save(window, "mirroring");
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([document] { return !document->isBusy(); }, 30000));
    screenshots.save(window, "mirrored");
    // The pictures where the window says it saved them (the default download folder of the
    // test's own home), and really there.
    QStringList pictures;
    for (const QVariantMap &row : document->tableDataSource()->data())
        if (const QString path = row.value("path").toString(); path.endsWith(".jpg") && QFileInfo(path).isFile())
            pictures << path;
    pictures.sort();
    ASSERT_EQ(pictures.size(), kPictureCount);
    const QString downloads = QFileInfo(pictures.front()).path();
    EXPECT_GE(document->tableDataSource()->count(), kPictureCount + 5);

    // Window > Image Browser, then the saved files added to it.
    QAction *browserCommand = menuCommand(window, "kImageBrowserMenuItemTitle");
    ASSERT_NE(browserCommand, nullptr);
    browserCommand->trigger();
    ImageBrowserWindowController *browser = newestTopLevel<ImageBrowserWindowController>();
    ASSERT_NE(browser, nullptr);
    browser->resize(640, 480);
    browser->addArtItems({downloads});
    const auto thumbnails = [browser] {
        int count = 0;
        ImageBrowserMatrix *matrix = browser->artworkMatrix();
        for (int row = 0; row < matrix->numberOfRows(); ++row)
            for (int column = 0; column < matrix->numberOfColumns(); ++column)
                if (ImageBrowserButtonCell *cell = matrix->cellAtRow(row, column); cell && cell->getFilePath().endsWith(".jpg"))
                    ++count;
        return count;
    };
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !browser->isBusy() && thumbnails() == kPictureCount; }, 20000))
        << thumbnails() << " thumbnails";
    screenshots.save(browser, "image-browser");

    // Window > Media Viewer: the pictures listed, three bins given folders by dropping them on.
    QAction *viewerCommand = menuCommand(window, "kMediaViewerMenuItemTitle");
    ASSERT_NE(viewerCommand, nullptr);
    viewerCommand->trigger();
    MediaViewerWindowController *viewer = newestTopLevel<MediaViewerWindowController>();
    ASSERT_NE(viewer, nullptr);
    viewer->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    const QString keep = work.filePath(QStringLiteral("Keep"));
    const QString later = work.filePath(QStringLiteral("Later"));
    ASSERT_TRUE(QDir().mkpath(keep) && QDir().mkpath(later));
    viewer->sortBin(0)->processFilePathsDrop({keep});
    viewer->sortBin(1)->processFilePathsDrop({later});
    ASSERT_EQ(viewer->sortBin(0)->fullDropPath(), keep);
    FileListingTableView *listing = viewer->fileListing();
    listing->addPathsArray(pictures);
    ASSERT_EQ(listing->arrayOfFilesInList().size(), kPictureCount);
    listing->selectRowsFromArray({0});
    viewer->activateWindow();
    // Offscreen, several windows count as active at once and keys go astray.
    const bool keysReachTheWindow = QTest::qWaitForWindowActive(viewer, 3000)
                                    && QGuiApplication::platformName() != QLatin1String("offscreen");
    listing->setFocus();
    screenshots.save(viewer, "media-viewer");

    // Pictures to bin 1, 2 and 1 again by their keys; by the keys' command where the window cannot
    // be made active to take them.
    const auto sortSelected = [&](int key, int bin) {
        if (keysReachTheWindow)
            QTest::keyClick(listing, Qt::Key(key));
        else
            viewer->sendSelectedFilesToSortBin(bin);
    };
    sortSelected(Qt::Key_1, 0);
    listing->selectRowsFromArray({1});
    sortSelected(Qt::Key_2, 1);
    listing->selectRowsFromArray({2});
    sortSelected(Qt::Key_1, 0);
    screenshots.save(viewer, "sorted");

    const auto name = [](const QString &path) { return QFileInfo(path).fileName(); };
    EXPECT_EQ(QDir(keep).entryList(QDir::Files), (QStringList{name(pictures[0]), name(pictures[2])}));
    EXPECT_EQ(QDir(later).entryList(QDir::Files), QStringList{name(pictures[1])});
    for (int index = 0; index < 3; ++index)
        EXPECT_FALSE(QFileInfo::exists(pictures[index])) << pictures[index].toStdString();
    for (int index = 3; index < kPictureCount; ++index)
        EXPECT_TRUE(QFileInfo::exists(pictures[index])) << pictures[index].toStdString();
    // The listing follows the files into their bins.
    EXPECT_TRUE(listing->arrayOfFilesInList().contains(keep + '/' + name(pictures[0])));

}

// The download tools as a user meets them: a numbered series with the incremental downloader and
// a list of addresses with the batch downloader, both from the Window menu of a document window.
TEST_F(AcceptanceRun, NumberedSeriesAndAddressListWithTheDownloadTools)
{
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server->port());
    auto *window = qobject_cast<QMainWindow *>(delegate->application().documentController().documents().front()->window());
    ASSERT_NE(window, nullptr);

    const auto typeInto = [](QWidget *tool, const char *field, const QString &text) {
        auto *edit = tool->findChild<QLineEdit *>(QLatin1String(field));
        ASSERT_NE(edit, nullptr) << field;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    const auto pressStartAndWait = [](QWidget *tool, const std::function<bool()> &done) {
        auto *start = tool->findChild<QPushButton *>(QStringLiteral("_buttonStart"));
        ASSERT_NE(start, nullptr);
        QTest::mouseClick(start, Qt::LeftButton);
        ASSERT_TRUE(ProcessProbe::runEventLoopUntil(done, 20000));
    };

    // Window > Incremental Downloader: photo1.jpg to photo6.jpg, one digit at least.
    QAction *incrementalCommand = menuCommand(window, "kIncrementalDownloaderMenuItemTitle");
    ASSERT_NE(incrementalCommand, nullptr);
    incrementalCommand->trigger();
    auto *incremental = newestTopLevel<IncrementalDownloaderWindowController>();
    ASSERT_NE(incremental, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(incremental));
    const QString series = work.filePath(QStringLiteral("series"));
    ASSERT_TRUE(QDir().mkpath(series));
    typeInto(incremental, "_textFieldBaseURL", host + QStringLiteral("/photo\\d.jpg"));
    typeInto(incremental, "_textFieldStartNumber", QStringLiteral("1"));
    typeInto(incremental, "_textFieldEndNumber", QString::number(kPictureCount));
    typeInto(incremental, "_textFieldMinimumDigits", QStringLiteral("1"));
    typeInto(incremental, "_textFieldOutputFolderPath", series);
    screenshots.save(incremental, "incremental-filled");
    pressStartAndWait(incremental, [incremental] { return incremental->currentIndex() > kPictureCount && !incremental->internetFileDownload(); });
    screenshots.save(incremental, "incremental-done");
    // The files lie where the server keeps them: at the top, so in a folder named after the host.
    QStringList expected;
    for (int number = 1; number <= kPictureCount; ++number)
        expected << QStringLiteral("photo%1.jpg").arg(number);
    expected.sort();
    EXPECT_EQ(QDir(QDir(series).filePath(host)).entryList(QDir::Files, QDir::Name), expected);
    EXPECT_EQ(incremental->errors(), 0);

    // Window > Batch URL Downloader: a list with a missing picture in the middle.
    QFile list(work.filePath(QStringLiteral("addresses.txt")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write((server->url(QStringLiteral("/photo1.jpg")) + "\n" + host + "/missing.jpg\n" + host + "/photo2.jpg\n").toUtf8());
    list.close();
    QAction *batchCommand = menuCommand(window, "kBatchURLDownloaderMenuItemTitle");
    ASSERT_NE(batchCommand, nullptr);
    batchCommand->trigger();
    auto *batch = newestTopLevel<BatchURLDownloaderWindowController>();
    ASSERT_NE(batch, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(batch));
    const QString fetched = work.filePath(QStringLiteral("fetched"));
    ASSERT_TRUE(QDir().mkpath(fetched));
    typeInto(batch, "_textFieldURLListFile", list.fileName());
    typeInto(batch, "_textFieldOutputFolderPath", fetched);
    pressStartAndWait(batch, [batch] { return batch->currentURLIndex() >= batch->totalURLs() && batch->totalURLs() > 0 && !batch->internetFileDownload(); });
    screenshots.save(batch, "batch-done");
    EXPECT_EQ(QDir(fetched).entryList(QDir::Files, QDir::Name), (QStringList{"photo1.jpg", "photo2.jpg"}));
    EXPECT_EQ(batch->errors(), 1);

}
