#include "site-downloader/media/viewer/FileListingTableView.h"

#include "platform/LocalizedString.h"

#include <QApplication>
#include <QDrag>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const QString kNumberColumn = QStringLiteral("number");
const QString kFilenameColumn = QStringLiteral("filename");
const QString kTypeColumn = QStringLiteral("type");
const QString kFullpathColumn = QStringLiteral("fullpath");
const QString kMetaDataKey = QStringLiteral("metaData");

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// Plain string work: this runs for every file of a large folder on the main thread.
QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The text after the last dot of the name, as the listing's "type"; none for a leading dot only.
QString extensionOf(const QString &path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

} // namespace

// -1, 0 or 1. Values that cannot be compared the same way count as equal, which a stable sort
// turns into "keep their order".
int FileListingTableView_TableColumnSorter(const QVariantMap &first, const QVariantMap &second,
                                           const QString &columnIdentifier)
{
    if (columnIdentifier.isEmpty())
        return 0;
    const QVariant a = first.value(columnIdentifier);
    const QVariant b = second.value(columnIdentifier);
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString) {
        const int order = a.toString().toLower().compare(b.toString().toLower());
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    return 0;
}

// Walks folders for the listing on the processor's worker. It keeps the files itself (the
// processor's own list also holds the folders) and leaves invisible entries out, with all
// that is inside an invisible folder.
class FileListingFolderWalk final : public FileProcessor
{
public:
    explicit FileListingFolderWalk(bool allowInvisibles) : _allowInvisibles(allowInvisibles) {}

    // Read only once the walk has ended.
    std::vector<std::string> files;

protected:
    Status preProcessFile() override
    {
        const FSRef *ref = currentFSRef();
        if (!ref || !ref->isValid())
            return kNoErr;
        const std::string &path = ref->path;
        const size_t slash = path.rfind('/');
        const char *name = path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
        if (!_allowInvisibles && name[0] == '.')
            return kSkipErr;
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            files.push_back(path);
        return kNoErr;
    }

private:
    const bool _allowInvisibles;
};

FileListingTableView::FileListingTableView(QWidget *parent)
    : AlternatingTableView(parent), _objectTableDataSource(new ObjectTableDataSource(this))
{
    _objectTableDataSource->setColumnIdentifiers({kNumberColumn, kFilenameColumn, kTypeColumn, kFullpathColumn});
    const char *titles[] = {"kFileListingNumberColumnTitle", "kFileListingFilenameColumnTitle",
                            "kFileListingTypeColumnTitle", "kFileListingFullpathColumnTitle"};
    for (int column = 0; column < 4; ++column)
        _objectTableDataSource->setHeaderData(column, Qt::Horizontal, LocalizedString(titles[column]));
    _objectTableDataSource->setReadOnly(true);
    _objectTableDataSource->setDelegate(this);
    setModel(_objectTableDataSource);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(false);
    setDefaultDropAction(Qt::CopyAction);
    setSortingEnabled(false);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setDeleteAction([this](AlternatingTableView *) { removeSelectedFiles(this); });
}

FileListingTableView::~FileListingTableView()
{
    stopFolderWalk();
    _objectTableDataSource->setDelegate(nullptr);
}

void FileListingTableView::setAcceptsFolders(bool acceptsDirs, bool recurseFoldersForFiles)
{
    _acceptsDirs = acceptsDirs;
    _recurseFolders = recurseFoldersForFiles;
}

void FileListingTableView::setAllowedRowNumbersArray(const std::optional<QVariantList> &numbers)
{
    _allowedRowNumbersArray = numbers;
    updateRowNumbers();
}

bool FileListingTableView::fileIsVisible(const QString &path)
{
    return !fileNameOf(path).startsWith(QLatin1Char('.'));
}

bool FileListingTableView::extensionIsAcceptable(const QString &extension) const
{
    return _acceptableExtensionsList.isNull() || extension.isEmpty() ||
           _acceptableExtensionsList.contains(extension, Qt::CaseInsensitive);
}

QVariantMap FileListingTableView::rowForPath(const QString &path) const
{
    return {{kFilenameColumn, fileNameOf(path)}, {kTypeColumn, extensionOf(path)}, {kFullpathColumn, path}};
}

void FileListingTableView::addPathsArray(const QStringList &paths)
{
    addPathsArray(paths, -1);
}

void FileListingTableView::addPathsArray(const QStringList &paths, int row)
{
    QStringList folders;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            continue;
        if (!_allowInvisibles && !fileIsVisible(path))
            continue;
        if (info.isDir()) {
            if (!_acceptsDirs)
                continue;
            if (_recurseFolders) {
                folders.append(info.absoluteFilePath());
                continue;
            }
        } else if (!_acceptsFiles) {
            continue;
        }
        if (addPathNoReload(info.absoluteFilePath(), row) && row >= 0)
            ++row;
    }
    notifyContentsChanged();
    if (!folders.isEmpty())
        addDirectoryContents(folders);
}

void FileListingTableView::addDirectoryContents(const QStringList &folders)
{
    _queuedFolders.append(folders);
    if (!_folderWalk)
        startNextFolderWalk();
}

void FileListingTableView::startNextFolderWalk()
{
    while (!_queuedFolders.isEmpty()) {
        auto walk = std::make_shared<FileListingFolderWalk>(_allowInvisibles);
        walk->setOnlyBuildFileList(true);
        walk->addSourcePathArray(_queuedFolders);
        _queuedFolders.clear();
        walk->setDelegate(this);
        if (walk->processThreaded() == kNoErr) {
            _folderWalk = std::move(walk);
            return;
        }
        walk->reset();
        QApplication::beep();
    }
}

void FileListingTableView::stopFolderWalk()
{
    _queuedFolders.clear();
    if (!_folderWalk)
        return;
    // The worker keeps itself alive; once the link is cut it tells this listing nothing more.
    _folderWalk->abort(kCanceledErr);
    _folderWalk->reset();
    _folderWalk.reset();
}

void FileListingTableView::fileProcessorBuildListUpdated(FileProcessor *processor)
{
    emit folderWalkProgress(processor->totalFiles());
}

void FileListingTableView::fileProcessorEnded(FileProcessor *processor)
{
    if (processor != _folderWalk.get())
        return;
    // The worker waits for this message to return, so its list is ours to read.
    std::shared_ptr<FileListingFolderWalk> walk = std::move(_folderWalk);
    QVariantList rows;
    rows.reserve(static_cast<qsizetype>(walk->files.size()));
    int number = itemCount();
    for (const std::string &file : walk->files) {
        const QString path = QFile::decodeName(QByteArray(file.data(), static_cast<qsizetype>(file.size())));
        if (!_acceptsFiles || !extensionIsAcceptable(extensionOf(path)))
            continue;
        QVariantMap row = rowForPath(path);
        row.insert(kNumberColumn, ++number);
        rows.append(row);
    }
    walk->files.clear();
    walk->reset();
    _objectTableDataSource->importFromArray(rows);
    if (_allowedRowNumbersArray)
        updateRowNumbers();
    notifyContentsChanged();
    emit folderWalkFinished();
    startNextFolderWalk();
}

bool FileListingTableView::addPathNoReload(const QString &path)
{
    return addPathNoReload(path, -1);
}

bool FileListingTableView::addPathNoReload(const QString &path, int row)
{
    const QString extension = extensionOf(path);
    if (!extensionIsAcceptable(extension))
        return false;
    // insertItem puts a row past the end at the end, so a batch whose starting row has gone
    // (rows removed meanwhile) still lands inside the listing.
    const int inserted = _objectTableDataSource->insertItem(row);
    const QVariantMap values = rowForPath(path);
    for (auto value = values.begin(); value != values.end(); ++value)
        _objectTableDataSource->setItemObject(value.value(), inserted, value.key());
    _objectTableDataSource->setItemObject(inserted + 1, inserted, kNumberColumn);
    if (row >= 0)
        updateRowNumbers();
    return true;
}

void FileListingTableView::addPath(const QString &path)
{
    addPathNoReload(path);
}

void FileListingTableView::updateRow(int row, const QString &path)
{
    if (row < 0 || row >= itemCount())
        return;
    const QVariantMap values = rowForPath(path);
    for (auto value = values.begin(); value != values.end(); ++value)
        _objectTableDataSource->setItemObject(value.value(), row, value.key());
}

int FileListingTableView::getRowWithPath(const QString &path) const
{
    const QList<QVariantMap> &rows = _objectTableDataSource->data();
    for (int row = static_cast<int>(rows.size()) - 1; row >= 0; --row) {
        if (rows[row].value(kFullpathColumn).toString() == path)
            return row;
    }
    return -1;
}

QString FileListingTableView::getFirstSelectedItemPath() const
{
    const QList<int> rows = getSelectedRowArray();
    return rows.isEmpty() ? QString() : getFilePathAtRow(rows.first());
}

QVariant FileListingTableView::getFirstSelectedItemMetaData() const
{
    const QList<int> rows = getSelectedRowArray();
    return rows.isEmpty() ? QVariant() : _objectTableDataSource->itemObject(rows.first(), kMetaDataKey);
}

QString FileListingTableView::getFilePathAtRow(int row) const
{
    if (row < 0 || row >= itemCount())
        return {};
    return _objectTableDataSource->itemObject(row, kFullpathColumn).toString();
}

QStringList FileListingTableView::arrayOfFilesInList() const
{
    QStringList paths;
    paths.reserve(itemCount());
    for (const QVariantMap &row : _objectTableDataSource->data())
        paths.append(row.value(kFullpathColumn).toString());
    return paths;
}

int FileListingTableView::itemCount() const
{
    return _objectTableDataSource->count();
}

QList<int> FileListingTableView::getSelectedRowArray() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FileListingTableView::selectRowsFromArray(const QList<int> &rows)
{
    QItemSelectionModel *selection = selectionModel();
    selection->clearSelection();
    QItemSelection wanted;
    for (const int row : rows) {
        if (row < 0 || row >= itemCount())
            continue;
        wanted.select(_objectTableDataSource->index(row, 0),
                      _objectTableDataSource->index(row, _objectTableDataSource->columnCount() - 1));
        if (selectionMode() == QAbstractItemView::SingleSelection)
            break;
    }
    selection->select(wanted, QItemSelectionModel::Select);
    if (!rows.isEmpty() && rows.first() >= 0 && rows.first() < itemCount())
        selection->setCurrentIndex(_objectTableDataSource->index(rows.first(), 0), QItemSelectionModel::NoUpdate);
}

QStringList FileListingTableView::pathArrayForRows(const QList<int> &rows) const
{
    QStringList paths;
    for (const int row : rows) {
        const QString path = getFilePathAtRow(row);
        if (!path.isNull())
            paths.append(path);
    }
    return paths;
}

void FileListingTableView::sortByColumn(const QString &columnIdentifier)
{
    if (itemCount() == 0)
        return;
    _objectTableDataSource->sortData([&columnIdentifier](const QVariantMap &a, const QVariantMap &b) {
        return FileListingTableView_TableColumnSorter(a, b, columnIdentifier) < 0;
    });
}

void FileListingTableView::removeSelectedFiles(QObject *)
{
    _objectTableDataSource->removeItems(getSelectedRowArray());
    updateRowNumbers();
    clearSelection();
}

void FileListingTableView::removeAllFiles(QObject *)
{
    _objectTableDataSource->removeAllItems();
}

int FileListingTableView::removeFilesWithNamesThatContain(const QString &text)
{
    return removeRowsWhichContain(text, kFilenameColumn, true);
}

int FileListingTableView::removeFilesWithExtension(const QString &extension)
{
    return removeRowsWhichContain(extension, kTypeColumn, false);
}

int FileListingTableView::removeRowsWhichContain(const QString &text, const QString &columnIdentifier,
                                                 bool canBeSubstring)
{
    QList<int> matching;
    const QList<QVariantMap> &rows = _objectTableDataSource->data();
    for (int row = 0; row < rows.size(); ++row) {
        const QVariant value = rows[row].value(columnIdentifier);
        if (!value.isValid())
            continue;
        const QString cell = value.toString();
        const bool matches = canBeSubstring ? cell.contains(text, Qt::CaseInsensitive)
                                            : cell.compare(text, Qt::CaseInsensitive) == 0;
        if (matches)
            matching.append(row);
    }
    if (matching.isEmpty())
        return 0;
    _objectTableDataSource->removeItems(matching);
    updateRowNumbers();
    clearSelection();
    return static_cast<int>(matching.size());
}

int FileListingTableView::removeArrayOfFilesAtFullPaths(const QStringList &paths)
{
    QList<int> matching;
    const QList<QVariantMap> &rows = _objectTableDataSource->data();
    for (int row = 0; row < rows.size(); ++row) {
        if (paths.contains(rows[row].value(kFullpathColumn).toString()))
            matching.append(row);
    }
    _objectTableDataSource->removeItems(matching);
    updateRowNumbers();
    clearSelection();
    return static_cast<int>(matching.size());
}

void FileListingTableView::removeFileAtRow(int row)
{
    if (row >= 0 && row < itemCount())
        _objectTableDataSource->removeItem(row);
}

void FileListingTableView::updateRowNumbers()
{
    const int count = itemCount();
    for (int row = 0; row < count; ++row) {
        QVariant number;
        if (!_allowedRowNumbersArray) {
            number = row + 1;
        } else if (row < _allowedRowNumbersArray->size()) {
            number = _allowedRowNumbersArray->at(row);
            if (!number.isValid())
                continue;
        } else {
            number = QStringLiteral("-");
        }
        if (_objectTableDataSource->itemObject(row, kNumberColumn) != number)
            _objectTableDataSource->setItemObject(number, row, kNumberColumn);
    }
}

void FileListingTableView::addFiles(QObject *)
{
    auto *panel = new QFileDialog(window());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setFileMode(_acceptsDirs && !_acceptsFiles ? QFileDialog::Directory : QFileDialog::ExistingFiles);
    connect(panel, &QFileDialog::filesSelected, this, [this](const QStringList &paths) { addPathsArray(paths); });
    panel->open();
}

void FileListingTableView::notifyContentsChanged()
{
    if (_messageTarget)
        _messageTarget->fileListContentsChanged(this);
}

std::optional<bool> FileListingTableView::tableViewWriteRows(ObjectTableDataSource *, const QList<int> &rows,
                                                             QMimeData *pasteboard)
{
    QList<int> dragged = rows;
    if (dragged.isEmpty()) {
        const QModelIndex under = indexAt(_lastMouseClickPoint);
        if (under.isValid())
            dragged.append(under.row());
    }
    QList<QUrl> urls;
    for (const QString &path : pathArrayForRows(dragged))
        urls.append(QUrl::fromLocalFile(path));
    if (urls.isEmpty())
        return false;
    pasteboard->setUrls(urls);
    // A drop of this very pasteboard back onto the listing is a reorder.
    _ownDragPasteboard = pasteboard;
    connect(pasteboard, &QObject::destroyed, this, [this, pasteboard] {
        if (_ownDragPasteboard == pasteboard) {
            _ownDragPasteboard = nullptr;
            _ownDragRows.clear();
        }
    });
    // Selecting the dragged rows must not load a file in the owner's view meanwhile.
    const QSignalBlocker quiet(selectionModel());
    selectRowsFromArray(dragged);
    viewport()->update();
    _ownDragRows = dragged;
    return true;
}

std::optional<Qt::DropAction> FileListingTableView::tableViewValidateDrop(ObjectTableDataSource *,
                                                                          const QMimeData *data, Qt::DropAction,
                                                                          int, TableDropOperation operation)
{
    if (operation != TableDropOperation::Above || !data || !data->hasUrls())
        return Qt::IgnoreAction;
    return data == _ownDragPasteboard ? Qt::MoveAction : Qt::CopyAction;
}

std::optional<bool> FileListingTableView::tableViewAcceptDrop(ObjectTableDataSource *, const QMimeData *data,
                                                              Qt::DropAction, int row, TableDropOperation operation)
{
    QStringList paths;
    if (data) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                paths.append(url.toLocalFile());
        }
    }
    if (paths.isEmpty())
        return false;
    if (operation != TableDropOperation::Above) {
        QApplication::beep();
        return false;
    }
    const bool reorder = data == _ownDragPasteboard && !_ownDragRows.isEmpty();
    int dropRow = std::clamp(row, 0, itemCount());
    if (reorder) {
        // Rows are taken out by position, not by path, so a file listed twice cannot make the
        // drop row slide past the end.
        const auto above = std::count_if(_ownDragRows.begin(), _ownDragRows.end(),
                                         [dropRow](int dragged) { return dragged < dropRow; });
        paths = pathArrayForRows(_ownDragRows);
        _objectTableDataSource->removeItems(_ownDragRows);
        dropRow = std::clamp(dropRow - static_cast<int>(above), 0, itemCount());
    }
    const int before = itemCount();
    addPathsArray(paths, dropRow);
    if (reorder) {
        QList<int> moved;
        for (int added = 0; added < itemCount() - before; ++added)
            moved.append(dropRow + added);
        selectRowsFromArray(moved);
        _ownDragRows.clear();
    }
    updateRowNumbers();
    if (_messageTarget)
        _messageTarget->fileListingOrderChanged(this);
    return true;
}

void FileListingTableView::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList indexes = selectionModel()->selectedRows();
    if (indexes.isEmpty())
        return;
    QMimeData *pasteboard = _objectTableDataSource->mimeData(indexes);
    if (!pasteboard)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(pasteboard);
    // The result is ignored on purpose: whatever the receiver did, the rows stay until the
    // owner learns that their files really moved.
    drag->exec(supportedActions, Qt::CopyAction);
    _ownDragPasteboard = nullptr;
    _ownDragRows.clear();
}

void FileListingTableView::checkSelectionChange(const QList<int> &previousSelection)
{
    if (!_messageTarget || getSelectedRowArray() == previousSelection)
        return;
    const std::optional<bool> allowed = _messageTarget->allowSelectionChange(this);
    if (allowed && !*allowed)
        selectRowsFromArray(previousSelection);
}

void FileListingTableView::keyPressEvent(QKeyEvent *event)
{
    const QList<int> previous = getSelectedRowArray();
    const int rowsBefore = itemCount();
    AlternatingTableView::keyPressEvent(event);
    // After the delete keys the old row numbers name other files: nothing to restore.
    if (itemCount() == rowsBefore)
        checkSelectionChange(previous);
}

void FileListingTableView::mousePressEvent(QMouseEvent *event)
{
    _lastMouseClickPoint = event->position().toPoint();
    const QList<int> previous = getSelectedRowArray();
    AlternatingTableView::mousePressEvent(event);
    checkSelectionChange(previous);
}
