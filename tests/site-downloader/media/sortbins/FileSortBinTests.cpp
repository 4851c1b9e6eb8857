// Sort bins on real folders: what a drop means, free names, copy mode, a bin whose folder is
// spelled differently, failures in the event log, the settings across a restart, and drags
// built as the desktop would send them.
#include "platform/RevealInFileManager.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "site-downloader/media/sortbins/DragAndDropTextField.h"
#include "site-downloader/media/sortbins/DragForwardImageView.h"
#include "support/defaults/UserDefaults.h"
#include "tests/platform/moves/ScratchFiles.h"
#include "tests/site-downloader/media/sortbins/RecordingBinDelegate.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

std::unique_ptr<QMimeData> fileDrag(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// Enter, move and drop, as the window system delivers them. Answers the drop event's action, or
// IgnoreAction when the bin refused the drag on the way.
Qt::DropAction dragOnto(QWidget *target, const QMimeData *data, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
{
    const QPointF centre(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(centre.toPoint(), offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(centre.toPoint(), offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(centre, offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

class FileSortBinTest : public testing::Test
{
protected:
    FileSortBinTest()
    {
        // Each test starts without stored bins.
        UserDefaults::removeObjectForKey(kTitle);
        bin = std::make_unique<FileSortBin>(kTitle);
        bin->resize(120, 100);
        bin->setDelegate(&delegate);
        downloads = scratch.folder("downloads");
        binFolder = scratch.folder("Keep");
    }
    ~FileSortBinTest() override { UserDefaults::removeObjectForKey(kTitle); }

    const QString kTitle = QStringLiteral("FileSortBin Test");
    ScratchFolder scratch;
    QString downloads;
    QString binFolder;
    RecordingBinDelegate delegate;
    std::unique_ptr<FileSortBin> bin;
};

TEST_F(FileSortBinTest, AFolderDropRetargetsTheBinAndIsStoredAtOnce)
{
    EXPECT_TRUE(bin->fullDropPath().isNull());
    EXPECT_FALSE(bin->findChild<QLabel *>("imageView")->pixmap().isNull()) << "no caution image";
    writeFile(downloads + "/pic.jpg", "x");

    // The first path decides: the rest of the list is ignored.
    bin->processFilePathsDrop({binFolder, downloads + "/pic.jpg"});
    EXPECT_EQ(bin->fullDropPath(), binFolder);
    EXPECT_EQ(bin->findChild<QLabel *>("textField")->text(), "Keep");
    EXPECT_TRUE(QFileInfo::exists(downloads + "/pic.jpg"));
    EXPECT_TRUE(delegate.drops.empty());
    EXPECT_TRUE(delegate.moves.empty());

    // Written to disk now, not when the bin goes away: a second store reading the file sees it.
    QSettings onDisk(QSettings().fileName(), QSettings::NativeFormat);
    EXPECT_EQ(onDisk.value(kTitle).toString(), binFolder);

    // A bin made later (the next launch) shows the same folder.
    bin.reset();
    FileSortBin restored(kTitle);
    EXPECT_EQ(restored.fullDropPath(), binFolder);
    EXPECT_EQ(restored.findChild<QLabel *>("textField")->text(), "Keep");

    // For review: a bin with its folder beside one without.
    QWidget pair;
    auto *layout = new QHBoxLayout(&pair);
    restored.setParent(&pair);
    layout->addWidget(&restored);
    layout->addWidget(new FileSortBin(QStringLiteral("FileSortBin Empty"), &pair));
    pair.resize(260, 110);
    EXPECT_TRUE(pair.grab().save(QDir(QCoreApplication::applicationDirPath()).filePath("sort-bins.png")));
    restored.setParent(nullptr);

    // Clearing it removes the setting; a first path that does not exist changes nothing.
    restored.processFilePathsDrop({scratch.path("nothing here")});
    EXPECT_EQ(restored.fullDropPath(), binFolder);
    restored.setNewDropPath(QString());
    EXPECT_FALSE(UserDefaults::stringForKey(kTitle).has_value());
}

TEST_F(FileSortBinTest, DroppedFilesMoveUnderAFreeNameAndTheDelegateHearsWhere)
{
    bin->setNewDropPath(binFolder);
    writeFile(binFolder + "/pic.jpg", "already there");
    writeFile(downloads + "/pic.jpg", "new");
    writeFile(downloads + "/other.png", "other");
    writeFile(scratch.folder("downloads/Viewer.app/bin") + "/viewer", "code");
    const QStringList dropped{downloads + "/pic.jpg", downloads + "/other.png", downloads + "/Viewer.app"};

    bin->processFilePathsDrop(dropped);
    EXPECT_EQ(contentsOf(binFolder + "/pic.jpg"), "already there");
    EXPECT_EQ(contentsOf(binFolder + "/pic#1.jpg"), "new");
    EXPECT_EQ(contentsOf(binFolder + "/Viewer.app/bin/viewer"), "code");
    EXPECT_EQ(entriesOf(downloads), QStringList{});
    ASSERT_EQ(delegate.moves.size(), 3u);
    EXPECT_EQ(delegate.moves[0].originalPath, downloads + "/pic.jpg");
    EXPECT_EQ(delegate.moves[0].newPath, binFolder + "/pic#1.jpg");
    EXPECT_EQ(delegate.moves[0].bin, bin.get());
    EXPECT_EQ(delegate.moves[1].newPath, binFolder + "/other.png");
    ASSERT_EQ(delegate.drops.size(), 1u);
    EXPECT_EQ(delegate.drops[0].first, bin.get());
    EXPECT_EQ(delegate.drops[0].second, dropped);
}

TEST_F(FileSortBinTest, CopyModeReportsTheOriginalWhichStaysWhereItWas)
{
    bin->setNewDropPath(binFolder);
    bin->setCopyDontMove(true);
    writeFile(binFolder + "/pic.jpg", "already there");
    writeFile(downloads + "/pic.jpg", "new");

    bin->processFilePathsDrop({downloads + "/pic.jpg"});
    EXPECT_EQ(contentsOf(downloads + "/pic.jpg"), "new");
    EXPECT_EQ(contentsOf(binFolder + "/pic#1.jpg"), "new");
    ASSERT_EQ(delegate.moves.size(), 1u);
    EXPECT_EQ(delegate.moves[0].newPath, downloads + "/pic.jpg");
}

TEST_F(FileSortBinTest, AFileAlreadyInTheBinsFolderStaysPutHoweverTheFolderIsSpelled)
{
    ASSERT_EQ(::symlink(QFile::encodeName(binFolder).constData(), QFile::encodeName(scratch.path("link")).constData()),
              0);
    writeFile(binFolder + "/pic.jpg", "here");
    for (const QString &spelling : {scratch.path("Keep/../Keep"), scratch.path("link")}) {
        SCOPED_TRACE(spelling.toStdString());
        delegate.moves.clear();
        bin->setNewDropPath(spelling);
        for (const bool copy : {false, true}) {
            bin->setCopyDontMove(copy);
            bin->processFilePathsDrop({binFolder + "/pic.jpg"});
        }
        EXPECT_EQ(entriesOf(binFolder), QStringList{"pic.jpg"});
        ASSERT_EQ(delegate.moves.size(), 2u);
        EXPECT_EQ(delegate.moves[0].newPath, binFolder + "/pic.jpg");
        EXPECT_EQ(delegate.moves[1].newPath, binFolder + "/pic.jpg");
    }
}

TEST_F(FileSortBinTest, WithoutAFolderOrWithAVanishedOneNothingMovesAndFailuresAreLogged)
{
    writeFile(downloads + "/pic.jpg", "x");
    writeFile(downloads + "/b.jpg", "b");
    bin->processFilePathsDrop({downloads + "/pic.jpg"});
    EXPECT_TRUE(QFileInfo::exists(downloads + "/pic.jpg"));
    EXPECT_TRUE(delegate.moves.empty());
    EXPECT_EQ(delegate.drops.size(), 1u);

    const QString vanishing = scratch.folder("Vanishing");
    bin->setNewDropPath(vanishing);
    ASSERT_TRUE(QDir(vanishing).removeRecursively());
    EXPECT_EQ(bin->fullDropPath(), vanishing);
    const uint32_t errorsBefore = GetGlobalEventLog()->errorCount();
    EXPECT_EQ(bin->movePathsToDropPath({downloads + "/pic.jpg", downloads + "/b.jpg"}), 0);
    EXPECT_EQ(GetGlobalEventLog()->errorCount(), errorsBefore + 2);
    EXPECT_TRUE(GetGlobalEventLog()->logText().contains("Failed to move: " + vanishing + "/pic.jpg"));
    EXPECT_TRUE(QFileInfo::exists(downloads + "/pic.jpg"));
    EXPECT_TRUE(QFileInfo::exists(downloads + "/b.jpg"));
    EXPECT_TRUE(delegate.moves.empty());

    // The rest of a drop goes on past a file that cannot move.
    bin->setNewDropPath(binFolder);
    EXPECT_EQ(bin->movePathsToDropPath({downloads + "/gone.jpg", downloads + "/b.jpg"}), 1);
    EXPECT_TRUE(GetGlobalEventLog()->logText().contains("Failed to move: " + binFolder + "/gone.jpg"));
    ASSERT_EQ(delegate.moves.size(), 1u);
    EXPECT_EQ(delegate.moves[0].newPath, binFolder + "/b.jpg");
}

TEST_F(FileSortBinTest, ABundleThatWouldCrossFileSystemsIsRefusedAndLogged)
{
    if (!otherFileSystemAvailable())
        GTEST_SKIP() << "/dev/shm shares a file system with " << temporaryBase().constData();
    ScratchFolder there("/dev/shm");
    bin->setNewDropPath(there.folder("Apps"));
    writeFile(scratch.folder("downloads/Viewer.app") + "/viewer", "code");
    writeFile(downloads + "/pic.jpg", "picture");
    bin->processFilePathsDrop({downloads + "/Viewer.app", downloads + "/pic.jpg"});
    EXPECT_EQ(contentsOf(downloads + "/Viewer.app/viewer"), "code");
    EXPECT_EQ(entriesOf(there.path("Apps")), QStringList{"pic.jpg"});
    EXPECT_TRUE(GetGlobalEventLog()->logText().contains("Failed to move: " + there.path("Apps/Viewer.app")));
    ASSERT_EQ(delegate.moves.size(), 1u);
    EXPECT_EQ(delegate.moves[0].newPath, there.path("Apps/pic.jpg"));
}

TEST_F(FileSortBinTest, DragsOfLocalFilesAreTakenAsACopyEvenWithSeveralFiles)
{
    bin->setNewDropPath(binFolder);
    writeFile(downloads + "/a.jpg", "a");
    writeFile(downloads + "/b.jpg", "b");
    const auto files = fileDrag({downloads + "/a.jpg", downloads + "/b.jpg"});
    // The source must not delete anything, even though the files do leave it.
    EXPECT_EQ(dragOnto(bin.get(), files.get()), Qt::CopyAction);
    EXPECT_EQ(entriesOf(binFolder), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_FALSE(bin->isHighlighted());

    writeFile(downloads + "/c.jpg", "c");
    auto mixed = fileDrag({downloads + "/c.jpg"});
    mixed->setUrls({QUrl::fromLocalFile(downloads + "/c.jpg"), QUrl("https://example.com/d.jpg")});
    EXPECT_EQ(dragOnto(bin.get(), mixed.get()), Qt::IgnoreAction);
    const auto moveOnly = fileDrag({downloads + "/c.jpg"});
    EXPECT_EQ(dragOnto(bin.get(), moveOnly.get(), Qt::MoveAction), Qt::IgnoreAction);
    QMimeData text;
    text.setText(downloads + "/c.jpg");
    EXPECT_EQ(dragOnto(bin.get(), &text), Qt::IgnoreAction);
    EXPECT_TRUE(QFileInfo::exists(downloads + "/c.jpg"));

    // A folder dragged on retargets the bin, through a link to it too.
    const auto folder = fileDrag({downloads});
    EXPECT_EQ(dragOnto(bin.get(), folder.get()), Qt::CopyAction);
    EXPECT_EQ(bin->fullDropPath(), downloads);
    ASSERT_EQ(::symlink(QFile::encodeName(binFolder).constData(), QFile::encodeName(scratch.path("alias")).constData()),
              0);
    const auto alias = fileDrag({scratch.path("alias")});
    EXPECT_EQ(dragOnto(bin.get(), alias.get()), Qt::CopyAction);
    EXPECT_EQ(bin->fullDropPath(), scratch.path("alias"));
    EXPECT_TRUE(QFileInfo(scratch.path("alias")).isSymLink());
}

TEST_F(FileSortBinTest, ADoubleClickOnTheIconShowsTheFolderInTheFileManager)
{
    QList<QUrl> shown;
    SetRevealServices({[&shown](const QUrl &item, std::function<void()>) {
                           shown << item;
                           return true;
                       },
                       [](const QUrl &) { return true; }, [] {}});
    QLabel *icon = bin->findChild<QLabel *>("imageView");
    const QPoint centre = icon->rect().center();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, centre, icon->mapToGlobal(centre), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(icon, &doubleClick);
    EXPECT_TRUE(shown.isEmpty()) << "a bin without a folder has nothing to show";

    bin->setNewDropPath(binFolder);
    QApplication::sendEvent(icon, &doubleClick);
    SetRevealServices(DefaultRevealServices());
    EXPECT_EQ(shown, QList<QUrl>{QUrl::fromLocalFile(binFolder)});
}

TEST_F(FileSortBinTest, AnImageViewHandsItsDropToTheBin)
{
    bin->setNewDropPath(binFolder);
    DragForwardImageView view;
    view.resize(100, 100);
    view.setDelegate(bin.get());
    writeFile(downloads + "/a.jpg", "a");
    const auto files = fileDrag({downloads + "/a.jpg"});
    EXPECT_EQ(dragOnto(&view, files.get()), Qt::CopyAction);
    EXPECT_EQ(contentsOf(binFolder + "/a.jpg"), "a");
    EXPECT_FALSE(view.showsBezel());
    ASSERT_EQ(delegate.drops.size(), 1u);
}

struct RecordingFieldDelegate final : FileDropDelegate {
    void filesDropped(QWidget *sender, const QStringList &filePaths) override
    {
        senders << sender;
        lists << filePaths;
    }
    QList<QWidget *> senders;
    QList<QStringList> lists;
};

TEST(DragAndDropTextField, TakesADroppedPathOrTextAndStaysEditable)
{
    ScratchFolder scratch;
    const QString folder = scratch.folder("pictures");
    writeFile(folder + "/a.jpg", "a");
    DragAndDropTextField field;
    field.resize(200, 24);
    RecordingFieldDelegate delegate;
    field.setDelegate(&delegate);

    const auto files = fileDrag({folder + "/a.jpg", folder});
    EXPECT_EQ(dragOnto(&field, files.get()), Qt::CopyAction);
    EXPECT_EQ(field.text(), folder + "/a.jpg");
    EXPECT_FALSE(field.isReadOnly());
    ASSERT_EQ(delegate.lists.size(), 1);
    EXPECT_EQ(delegate.lists[0], (QStringList{folder + "/a.jpg", folder}));

    field.setUseParentForDraggedFiles(true);
    EXPECT_EQ(dragOnto(&field, files.get()), Qt::CopyAction);
    EXPECT_EQ(field.text(), folder);

    QMimeData text;
    text.setText("typed elsewhere");
    EXPECT_EQ(dragOnto(&field, &text), Qt::CopyAction);
    EXPECT_EQ(field.text(), "typed elsewhere");

    // A drag that leaves again gives the field back as it was.
    field.setReadOnly(true);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&field, &leave);
    EXPECT_TRUE(field.isReadOnly());
}

} // namespace
