// Drops of files onto the box and the button, through synthesised drag events: what is taken,
// what is refused, the highlight, the stored path and the boxes that share their path.
#include "support/controls/DragAndDropBox.h"
#include "support/controls/EnhancedButton.h"
#include "support/controls/NotificationCenter.h"
#include "tests/fixtures/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr Qt::DropActions kFileManagerActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

std::unique_ptr<QMimeData> filesData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

struct DragOutcome {
    bool accepted;
    Qt::DropAction action;
};

DragOutcome enter(QWidget *target, const QMimeData *data, Qt::DropActions actions = kFileManagerActions)
{
    QDragEnterEvent event(QPoint(5, 5), actions, data, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    QCoreApplication::sendEvent(target, &event);
    return {event.isAccepted(), event.dropAction()};
}

DragOutcome move(QWidget *target, const QMimeData *data, Qt::DropActions actions = kFileManagerActions)
{
    QDragMoveEvent event(QPoint(6, 6), actions, data, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    QCoreApplication::sendEvent(target, &event);
    return {event.isAccepted(), event.dropAction()};
}

void leave(QWidget *target)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(target, &event);
}

bool drop(QWidget *target, const QMimeData *data, Qt::DropActions actions = kFileManagerActions)
{
    QDropEvent event(QPointF(6, 6), actions, data, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

// A whole drag as a file manager makes it: enter, move, drop.
bool dragAndDrop(QWidget *target, const QStringList &paths)
{
    const auto data = filesData(paths);
    if (!enter(target, data.get()).accepted)
        return false;
    move(target, data.get());
    return drop(target, data.get());
}

class RecordingDelegate final : public FileDropDelegate
{
public:
    void filesDropped(QWidget *sender, const QStringList &filePaths) override
    {
        senders << sender;
        drops << filePaths;
    }
    QList<QWidget *> senders;
    QList<QStringList> drops;
};

class FilesOnDisk : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("sub")));
        for (const QString &name : {QStringLiteral("a.txt"), QStringLiteral("b.txt")}) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        fileA = folder.filePath(QStringLiteral("a.txt"));
        fileB = folder.filePath(QStringLiteral("b.txt"));
        subfolder = folder.filePath(QStringLiteral("sub"));
    }
    QTemporaryDir folder;
    QString fileA, fileB, subfolder;
};

using DragAndDropBoxTest = FilesOnDisk;
using EnhancedButtonTest = FilesOnDisk;

} // namespace

TEST_F(DragAndDropBoxTest, DropShowsThePathStoresItAndTellsTheDelegate)
{
    DragAndDropBox box;
    QLineEdit field;
    RecordingDelegate delegate;
    box.setTextField(&field);
    box.setDelegate(&delegate);
    box.setNotificationName({}, {}, QStringLiteral("OutputFolder"));

    const auto data = filesData({fileA});
    const DragOutcome entered = enter(&box, data.get());
    EXPECT_TRUE(entered.accepted);
    EXPECT_EQ(entered.action, Qt::CopyAction);
    EXPECT_TRUE(box.isHighlighted());
    EXPECT_EQ(box.desiredType(), QStringLiteral("text/uri-list"));
    EXPECT_TRUE(move(&box, data.get()).accepted);
    EXPECT_TRUE(drop(&box, data.get()));

    EXPECT_FALSE(box.isHighlighted());
    EXPECT_EQ(field.text(), fileA);
    EXPECT_EQ(QSettings().value(QStringLiteral("OutputFolder")).toString(), fileA);
    ASSERT_EQ(delegate.drops.size(), 1);
    EXPECT_EQ(delegate.senders.first(), &box);
    EXPECT_EQ(delegate.drops.first(), QStringList{fileA});
}

TEST_F(DragAndDropBoxTest, ParentFolderOptionShowsTheFolderOfAFileAndAFolderItself)
{
    DragAndDropBox box;
    QLineEdit field;
    RecordingDelegate delegate;
    box.setTextField(&field);
    box.setDelegate(&delegate);
    box.setUseParentForDraggedFiles(true);

    ASSERT_TRUE(dragAndDrop(&box, {fileA}));
    EXPECT_EQ(field.text(), QDir(folder.path()).absolutePath());
    EXPECT_EQ(delegate.drops.last(), QStringList{fileA});   // the delegate hears what was dropped

    ASSERT_TRUE(dragAndDrop(&box, {subfolder}));
    EXPECT_EQ(field.text(), subfolder);
}

TEST_F(DragAndDropBoxTest, RefusesSeveralFilesRemoteAddressesEmptyListsAndMoveOnlyDrags)
{
    DragAndDropBox box;
    QLineEdit field;
    RecordingDelegate delegate;
    box.setTextField(&field);
    box.setDelegate(&delegate);

    EXPECT_FALSE(dragAndDrop(&box, {fileA, fileB}));
    EXPECT_FALSE(box.isHighlighted());

    auto remote = std::make_unique<QMimeData>();
    remote->setUrls({QUrl(QStringLiteral("http://example.org/a.txt"))});
    EXPECT_FALSE(enter(&box, remote.get()).accepted);
    EXPECT_FALSE(drop(&box, remote.get()));

    auto empty = std::make_unique<QMimeData>();
    empty->setData(QStringLiteral("text/uri-list"), {});
    EXPECT_FALSE(enter(&box, empty.get()).accepted);
    EXPECT_FALSE(drop(&box, empty.get()));

    auto text = std::make_unique<QMimeData>();
    text->setText(fileA);
    EXPECT_FALSE(enter(&box, text.get()).accepted);

    // Accepting a move could make the source delete the file we only wanted the path of.
    const auto data = filesData({fileA});
    EXPECT_FALSE(enter(&box, data.get(), Qt::MoveAction).accepted);
    EXPECT_EQ(enter(&box, data.get(), Qt::MoveAction | Qt::LinkAction).action, Qt::LinkAction);
    leave(&box);

    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_TRUE(delegate.drops.isEmpty());
    EXPECT_FALSE(box.isHighlighted());
}

TEST_F(DragAndDropBoxTest, HighlightIsDrawnDuringTheDragAndGoesWhenTheDragLeaves)
{
    DragAndDropBox box;
    box.resize(120, 60);
    const QColor highlight = box.palette().color(QPalette::Highlight);
    const auto borderColour = [&box] { return QColor(box.grab().toImage().pixel(1, 30)); };
    ASSERT_NE(borderColour(), highlight);

    const auto data = filesData({fileA});
    ASSERT_TRUE(enter(&box, data.get()).accepted);
    EXPECT_EQ(borderColour(), highlight);
    leave(&box);
    EXPECT_FALSE(box.isHighlighted());
    EXPECT_NE(borderColour(), highlight);
}

TEST_F(DragAndDropBoxTest, BoxesSharingANotificationShowTheSamePathWithoutEchoing)
{
    const QString name = QStringLiteral("DownloadFolderChanged");
    const QString key = QStringLiteral("path");
    DragAndDropBox first, second, unrelated;
    QLineEdit firstField, secondField, unrelatedField;
    RecordingDelegate firstDelegate, secondDelegate;
    first.setTextField(&firstField);
    first.setDelegate(&firstDelegate);
    second.setTextField(&secondField);
    second.setDelegate(&secondDelegate);
    unrelated.setTextField(&unrelatedField);
    first.setNotificationName(name, key, QStringLiteral("SharedFolder"));
    second.setNotificationName(name, key, QStringLiteral("SharedFolder"));
    unrelated.setNotificationName(QStringLiteral("Other"), key, {});

    QList<QObject *> posters;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, name, [&posters](QObject *sender, const QVariantMap &info) {
        posters << sender;
        EXPECT_TRUE(info.contains(QStringLiteral("path")));
    });

    ASSERT_TRUE(dragAndDrop(&first, {subfolder}));
    EXPECT_EQ(firstField.text(), subfolder);
    EXPECT_EQ(secondField.text(), subfolder);
    EXPECT_TRUE(unrelatedField.text().isEmpty());
    EXPECT_EQ(posters, QList<QObject *>{&first});
    EXPECT_EQ(firstDelegate.drops.size(), 1);   // its own notification is not applied again
    EXPECT_EQ(secondDelegate.drops, QList<QStringList>{QStringList{subfolder}});
    EXPECT_EQ(QSettings().value(QStringLiteral("SharedFolder")).toString(), subfolder);

    // Set by program: posted when asked to, silent otherwise.
    second.setPath(fileA);
    EXPECT_EQ(firstField.text(), fileA);
    first.setPath(fileB, false);
    EXPECT_EQ(secondField.text(), fileA);
    EXPECT_EQ(posters.size(), 2);
}

TEST_F(DragAndDropBoxTest, NotificationNeedsNameAndKeyAndIgnoresMessagesWithoutAPath)
{
    DragAndDropBox listener, halfConfigured;
    QLineEdit field;
    listener.setTextField(&field);
    listener.setPath(fileA);
    listener.setNotificationName(QStringLiteral("Shared"), QStringLiteral("path"), {});
    halfConfigured.setNotificationName(QStringLiteral("Shared"), {}, {});
    halfConfigured.setPath(fileB);
    EXPECT_EQ(field.text(), fileA);

    NotificationCenter::defaultCenter().postNotification(QStringLiteral("Shared"), nullptr, {{QStringLiteral("other"), fileB}});
    EXPECT_EQ(field.text(), fileA);

    // Renamed: the old name is no longer heard.
    listener.setNotificationName(QStringLiteral("Renamed"), QStringLiteral("path"), {});
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("Shared"), nullptr, {{QStringLiteral("path"), fileB}});
    EXPECT_EQ(field.text(), fileA);
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("Renamed"), nullptr, {{QStringLiteral("path"), fileB}});
    EXPECT_EQ(field.text(), fileB);
}

TEST_F(EnhancedButtonTest, LooksPressedWhileADragIsOverItAndTakesOneFile)
{
    EnhancedButton button;
    QLineEdit field;
    RecordingDelegate delegate;
    button.setTextField(&field);
    button.setDelegate(&delegate);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);

    const auto data = filesData({fileA});
    ASSERT_TRUE(enter(&button, data.get()).accepted);
    EXPECT_TRUE(button.isDown());
    leave(&button);
    EXPECT_FALSE(button.isDown());

    EXPECT_FALSE(dragAndDrop(&button, {fileA, fileB}));
    EXPECT_FALSE(button.isDown());

    ASSERT_TRUE(dragAndDrop(&button, {fileB}));
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(field.text(), fileB);
    EXPECT_EQ(delegate.senders, QList<QWidget *>{&button});
    EXPECT_EQ(delegate.drops, QList<QStringList>{QStringList{fileB}});
    EXPECT_EQ(clicks.count(), 0);
}
