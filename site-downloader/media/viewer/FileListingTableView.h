#pragma once

#include "site-downloader/media/FileProcessor.h"
#include "support/table/AlternatingTableView.h"
#include "support/table/ObjectTableDataSource.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>

class FileListingTableView;
class FileListingFolderWalk;

// The listing's sort order: -1, 0 or 1 for two rows by one column. Two texts compare by their
// lowercase forms, two numbers by value; any other pair counts as equal.
int FileListingTableView_TableColumnSorter(const QVariantMap &first, const QVariantMap &second,
                                           const QString &columnIdentifier);

// What a listing tells its owner. All optional; an owner that does not answer
// allowSelectionChange lets every selection change through.
class FileListingMessageTarget
{
public:
    virtual ~FileListingMessageTarget() = default;
    virtual void fileListContentsChanged(FileListingTableView *) {}
    virtual void fileListingOrderChanged(FileListingTableView *) {}
    virtual std::optional<bool> allowSelectionChange(FileListingTableView *) { return std::nullopt; }
};

// A striped list of files, one row per path, filled by dropping files and folders on it or by
// addPathsArray(). Rows carry "number", "filename", "type" (the extension) and "fullpath", the
// row's identity. Rows can be dragged out as file names, reordered by dragging within the list,
// sorted by a column and removed by selection, name or extension; Delete and Backspace remove the
// selected rows (the files themselves are never touched).
//
// Folders met while adding with recursion on are walked on a worker thread (symbolic links that
// lead back up are never followed), and their files are appended when the walk ends, so a folder
// of a hundred thousand files leaves the window responsive; folderWalkProgress reports the count
// found so far. Main thread only.
class FileListingTableView : public AlternatingTableView,
                             public ObjectTableDataSourceDelegate,
                             public FileProcessorDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListingTableView)

public:
    explicit FileListingTableView(QWidget *parent = nullptr);
    ~FileListingTableView() override;

    ObjectTableDataSource *objectTableDataSource() const { return _objectTableDataSource; }

    void setAcceptsFolders(bool acceptsDirs, bool recurseFoldersForFiles);
    void setAcceptsFiles(bool acceptsFiles) { _acceptsFiles = acceptsFiles; }
    void setAllowInvisibles(bool allowInvisibles) { _allowInvisibles = allowInvisibles; }
    // Extensions looked for in this text, ignoring case; a null text accepts every extension.
    void setAcceptableFilesListString(const QString &extensions) { _acceptableExtensionsList = extensions; }
    // Shown in the number column instead of 1...n; rows beyond the list show "-".
    void setAllowedRowNumbersArray(const std::optional<QVariantList> &numbers);
    // Not owned; an owner that goes away first clears it.
    void setMessageTarget(FileListingMessageTarget *target) { _messageTarget = target; }

    void addPathsArray(const QStringList &paths);
    // At `row` (-1: at the end); the paths keep their order.
    void addPathsArray(const QStringList &paths, int row);
    // Walks the folders on a worker and appends their files when the walk ends.
    void addDirectoryContents(const QStringList &folders);
    bool addPathNoReload(const QString &path);
    bool addPathNoReload(const QString &path, int row);
    void addPath(const QString &path);
    void updateRow(int row, const QString &path);

    int getRowWithPath(const QString &path) const;
    QString getFirstSelectedItemPath() const;
    QVariant getFirstSelectedItemMetaData() const;
    QString getFilePathAtRow(int row) const;
    QStringList arrayOfFilesInList() const;
    int itemCount() const;
    QList<int> getSelectedRowArray() const;
    void selectRowsFromArray(const QList<int> &rows);
    QStringList pathArrayForRows(const QList<int> &rows) const;

    void sortByColumn(const QString &columnIdentifier);
    void removeSelectedFiles(QObject *sender);
    void removeAllFiles(QObject *sender);
    int removeFilesWithNamesThatContain(const QString &text);
    int removeFilesWithExtension(const QString &extension);
    int removeRowsWhichContain(const QString &text, const QString &columnIdentifier, bool canBeSubstring);
    int removeArrayOfFilesAtFullPaths(const QStringList &paths);
    void removeFileAtRow(int row);
    void updateRowNumbers();

    static bool fileIsVisible(const QString &path);
    // A file dialog of the listing's own, as a sheet on its window.
    void addFiles(QObject *sender);

    bool isWalkingFolders() const { return static_cast<bool>(_folderWalk); }

    // ObjectTableDataSourceDelegate
    std::optional<bool> tableViewWriteRows(ObjectTableDataSource *, const QList<int> &rows,
                                           QMimeData *pasteboard) override;
    std::optional<Qt::DropAction> tableViewValidateDrop(ObjectTableDataSource *, const QMimeData *data,
                                                        Qt::DropAction proposedAction, int proposedRow,
                                                        TableDropOperation operation) override;
    std::optional<bool> tableViewAcceptDrop(ObjectTableDataSource *, const QMimeData *data, Qt::DropAction action,
                                            int row, TableDropOperation operation) override;

    // FileProcessorDelegate
    void fileProcessorBuildListUpdated(FileProcessor *processor) override;
    void fileProcessorEnded(FileProcessor *processor) override;
    void fileProcessorProcessFile(FileProcessor *) override {}

signals:
    void folderWalkProgress(int filesFound);
    void folderWalkFinished();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QVariantMap rowForPath(const QString &path) const;
    bool extensionIsAcceptable(const QString &extension) const;
    void startNextFolderWalk();
    void stopFolderWalk();
    // Restores the selection the user had when the owner refuses the change.
    void checkSelectionChange(const QList<int> &previousSelection);
    void notifyContentsChanged();

    ObjectTableDataSource *_objectTableDataSource = nullptr;
    bool _acceptsDirs = false;
    bool _acceptsFiles = true;
    bool _recurseFolders = false;
    bool _allowInvisibles = false;
    FileListingMessageTarget *_messageTarget = nullptr;
    std::optional<QVariantList> _allowedRowNumbersArray;
    QPoint _lastMouseClickPoint;
    QString _acceptableExtensionsList;

    // The pasteboard of a drag that started here, so a drop can tell a reorder from a drop of
    // files from elsewhere.
    const QMimeData *_ownDragPasteboard = nullptr;
    QList<int> _ownDragRows;

    std::shared_ptr<FileListingFolderWalk> _folderWalk;
    QStringList _queuedFolders;
};
