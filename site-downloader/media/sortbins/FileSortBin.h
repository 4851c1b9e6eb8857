#pragma once

#include "support/controls/FileDropTarget.h"

#include <QGroupBox>
#include <QString>
#include <QStringList>

class FileSortBin;
class QLabel;

// What a sort bin tells its owner. Every message is optional: the defaults do nothing. The bin
// does not own its delegate; a delegate that goes away first calls setDelegate(nullptr).
class FileSortBinDelegate
{
public:
    virtual ~FileSortBinDelegate() = default;
    // After a drop of files was handled, with the list as dropped (also when the bin has no
    // folder and nothing moved).
    virtual void filesDropped(QObject * /*sender*/, const QStringList & /*filePaths*/) {}
    // For each file that went into the bin's folder (or was copied there: then `newPath` is the
    // original, which is where the listed file still is). Files that could not be moved are not
    // reported.
    virtual void fileLocationChanged(FileSortBin * /*bin*/, const QString & /*originalPath*/,
                                     const QString & /*newPath*/)
    {
    }
};

// A box that stands for one destination folder. A folder dropped on it becomes its destination;
// files (and bundles such as "Viewer.app") dropped on it are moved, or in copy mode copied, into
// the destination under a free name, never replacing anything. The box's title is the settings
// key under which it keeps its folder, written whenever the folder changes (an empty title keeps
// nothing).
//
// A drag is answered as a copy whatever is done with the files, so the program the files came
// from never deletes its own copy: the move is ours, and it is safe.
class FileSortBin final : public QGroupBox, public FileDropDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileSortBin)

public:
    // Restores the folder stored under `title`.
    explicit FileSortBin(const QString &title, QWidget *parent = nullptr);
    ~FileSortBin() override;

    void setDelegate(FileSortBinDelegate *delegate) { _delegate = delegate; }
    FileSortBinDelegate *delegate() const { return _delegate; }
    void setCopyDontMove(bool copy) { _copy = copy; }
    bool copyDontMove() const { return _copy; }
    void setDragTypes(const QStringList &types) { mDropTarget.setDragTypes(types); }
    const QStringList &dragTypes() const { return mDropTarget.dragTypes(); }
    const QString &desiredType() const { return mDropTarget.desiredType(); }
    bool isHighlighted() const { return mDropTarget.isHighlighted(); }
    void setUseParentForDraggedFiles(bool useParent) { mUseParentForDraggedFiles = useParent; }

    // The destination folder; a null string while there is none.
    const QString &fullDropPath() const { return _fullDropPath; }
    // Makes `path` the destination (a null or empty string: none), shows its icon and name, and
    // stores it in the settings at once. A path that names no folder is kept, and shown as
    // missing: moves into it fail and are logged.
    void setNewDropPath(const QString &path);

    // What a drop means: nothing for an empty list or a first path that does not exist; a first
    // path that is a plain folder becomes the destination; otherwise the whole list goes into
    // the destination, and the delegate hears filesDropped.
    void processFilePathsDrop(const QStringList &filePaths);
    // Moves (or copies) each path into the destination, in order; a failure is logged and the
    // rest go on. Returns how many were handled. Nothing happens without a destination.
    int movePathsToDropPath(const QStringList &filePaths);

    // Another control's drop, handed on to this bin.
    void filesDropped(QWidget *sender, const QStringList &filePaths) override;
    // Shows the destination in the file manager.
    void imageDoubleClicked();

    // A folder that the desktop treats as one item (an application bundle) rather than as a
    // place to sort into.
    static bool isPackage(const QString &folderPath);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDropPath();
    void storeDropPath() const;

    FileSortBinDelegate *_delegate = nullptr;
    QLabel *_textField = nullptr;
    QLabel *_imageView = nullptr;
    QString _fullDropPath;
    FileDropTarget mDropTarget;
    bool mUseParentForDraggedFiles = false;
    bool _copy = false;
};
