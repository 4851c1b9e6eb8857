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
        urls << (path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

// Sends one drag event; answers the action taken, or IgnoreAction when refused.
template <typename Event>
Qt::DropAction send(QWidget *target, const QMimeData *data, Qt::DropActions actions = kFileManagerActions)
{
    Event event(QPoint(5, 5), actions, data, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
}

void leave(QWidget *target)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(target, &event);
}

// A whole drag as a file manager makes it: enter, move, drop.
bool dragAndDrop(QWidget *target, const QStringList &paths)
{
    const auto data = filesData(paths);
    if (send<QDragEnterEvent>(target, data.get()) == Qt::IgnoreAction)
        return false;
    send<QDragMoveEvent>(target, data.get());
    return send<QDropEvent>(target, data.get()) != Qt::IgnoreAction;
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

class DropTargets : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("sub")));
        ASSERT_TRUE(QFile(fileA).open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile(fileB).open(QIODevice::WriteOnly));
    }
    QTemporaryDir folder;
    const QString fileA = folder.filePath(QStringLiteral("a.txt"));
    const QString fileB = folder.filePath(QStringLiteral("b.txt"));
    const QString subfolder = folder.filePath(QStringLiteral("sub"));
};

} // namespace

TEST_F(DropTargets, BoxShowsStoresAndReportsTheDropAndMayUseTheParentFolder)
{
    DragAndDropBox box;
    QLineEdit field;
    RecordingDelegate delegate;
    box.setTextField(&field);
    box.setDelegate(&delegate);
    box.setNotificationName({}, {}, QStringLiteral("OutputFolder"));

    const auto data = filesData({fileA});
    EXPECT_EQ(send<QDragEnterEvent>(&box, data.get()), Qt::CopyAction);
    EXPECT_TRUE(box.isHighlighted());
    EXPECT_EQ(send<QDragMoveEvent>(&box, data.get()), Qt::CopyAction);
    EXPECT_EQ(send<QDropEvent>(&box, data.get()), Qt::CopyAction);
    EXPECT_FALSE(box.isHighlighted());
    EXPECT_EQ(field.text(), fileA);
    EXPECT_EQ(QSettings().value(QStringLiteral("OutputFolder")).toString(), fileA);
    EXPECT_EQ(delegate.senders, QList<QWidget *>{&box});
    EXPECT_EQ(delegate.drops, QList<QStringList>{QStringList{fileA}});

    box.setUseParentForDraggedFiles(true);
    ASSERT_TRUE(dragAndDrop(&box, {fileB}));
    EXPECT_EQ(field.text(), QDir(folder.path()).absolutePath());
    EXPECT_EQ(delegate.drops.last(), QStringList{fileB});   // the delegate hears what was dropped
    ASSERT_TRUE(dragAndDrop(&box, {subfolder}));
    EXPECT_EQ(field.text(), subfolder);
}

TEST_F(DropTargets, BoxRefusesSeveralFilesRemoteAddressesEmptyListsAndMoveOnlyDrags)
{
    DragAndDropBox box;
    QLineEdit field;
    RecordingDelegate delegate;
    box.setTextField(&field);
    box.setDelegate(&delegate);

    EXPECT_FALSE(dragAndDrop(&box, {fileA, fileB}));
    EXPECT_FALSE(dragAndDrop(&box, {QStringLiteral("http://example.org/a.txt")}));
    EXPECT_FALSE(dragAndDrop(&box, {}));
    // Accepting a move could make the source delete the file we only wanted the path of.
    const auto data = filesData({fileA});
    EXPECT_EQ(send<QDragEnterEvent>(&box, data.get(), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(send<QDragEnterEvent>(&box, data.get(), Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    box.resize(120, 60);
    const QColor highlight = box.palette().color(QPalette::Highlight);
    EXPECT_EQ(QColor(box.grab().toImage().pixel(1, 30)), highlight);
    leave(&box);
    EXPECT_NE(QColor(box.grab().toImage().pixel(1, 30)), highlight);

    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_TRUE(delegate.drops.isEmpty());
    EXPECT_FALSE(box.isHighlighted());
}

TEST_F(DropTargets, BoxesSharingANotificationShowTheSamePathWithoutEchoing)
{
    const QString name = QStringLiteral("DownloadFolderChanged"), key = QStringLiteral("path");
    DragAndDropBox first, second, other, halfConfigured;
    QLineEdit firstField, secondField, otherField;
    RecordingDelegate firstDelegate, secondDelegate;
    first.setTextField(&firstField);
    first.setDelegate(&firstDelegate);
    second.setTextField(&secondField);
    second.setDelegate(&secondDelegate);
    other.setTextField(&otherField);
    first.setNotificationName(name, key, QStringLiteral("SharedFolder"));
    second.setNotificationName(name, key, QStringLiteral("SharedFolder"));
    other.setNotificationName(QStringLiteral("Other"), key, {});
    halfConfigured.setNotificationName(name, {}, {});   // ignored: no key

    QList<QObject *> posters;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, name, [&posters](QObject *sender, const QVariantMap &) {
        posters << sender;
    });

    ASSERT_TRUE(dragAndDrop(&first, {subfolder}));
    EXPECT_EQ(secondField.text(), subfolder);
    EXPECT_TRUE(otherField.text().isEmpty());
    EXPECT_EQ(posters, QList<QObject *>{&first});
    EXPECT_EQ(firstDelegate.drops.size(), 1);   // its own notification is not applied again
    EXPECT_EQ(secondDelegate.drops, QList<QStringList>{QStringList{subfolder}});
    EXPECT_EQ(QSettings().value(QStringLiteral("SharedFolder")).toString(), subfolder);

    second.setPath(fileA);
    EXPECT_EQ(firstField.text(), fileA);
    first.setPath(fileB, false);
    halfConfigured.setPath(fileB);
    EXPECT_EQ(secondField.text(), fileA);
    EXPECT_EQ(posters.size(), 2);
    NotificationCenter::defaultCenter().postNotification(name, nullptr, {{QStringLiteral("wrong key"), fileB}});
    EXPECT_EQ(secondField.text(), fileA);

    // Renamed: the old name is no longer heard.
    second.setNotificationName(QStringLiteral("Renamed"), key, {});
    first.setPath(subfolder);
    EXPECT_EQ(secondField.text(), fileA);
}

TEST_F(DropTargets, ButtonLooksPressedWhileADragIsOverItAndTakesOneFile)
{
    EnhancedButton button;
    QLineEdit field;
    RecordingDelegate delegate;
    button.setTextField(&field);
    button.setDelegate(&delegate);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);

    const auto data = filesData({fileA});
    ASSERT_NE(send<QDragEnterEvent>(&button, data.get()), Qt::IgnoreAction);
    EXPECT_TRUE(button.isDown());
    leave(&button);
    EXPECT_FALSE(button.isDown());
    EXPECT_FALSE(dragAndDrop(&button, {fileA, fileB}));
    EXPECT_FALSE(button.isDown());

    ASSERT_TRUE(dragAndDrop(&button, {fileB}));
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(field.text(), fileB);
    EXPECT_EQ(delegate.drops, QList<QStringList>{QStringList{fileB}});
    EXPECT_EQ(clicks.count(), 0);
}
