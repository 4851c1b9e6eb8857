#include "site-downloader/media/viewer/MediaViewerWindowController.h"

#include "platform/LocalizedString.h"
#include "platform/RevealInFileManager.h"
#include "platform/Trash.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/media/movie/SuperDuperMultimediaView.h"
#include "support/OwnedWindow.h"
#include "support/defaults/UserDefaults.h"
#include "utilities/NumberText.h"
#include "ui_MediaViewerRemoveFilesPanel.h"
#include "ui_MediaViewerWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QShortcut>
#include <QStatusBar>
#include <QUrl>
#include <cstring>

namespace {

const QString kFilesKey = QStringLiteral("files");
const QString kWindowFrameKey = QStringLiteral("MediaViewerWindowController");
constexpr int kSortBinColumns = 5;
constexpr int kDrawerWidth = 570;
constexpr int kDrawerHeight = 130;

} // namespace

MediaViewerWindowController::MediaViewerWindowController(QWidget *parent)
    : QMainWindow(parent), _ui(new Ui::MediaViewerWindowController),
      _removeFilesPanelUi(new Ui::MediaViewerRemoveFilesPanel)
{
    _ui->setupUi(this);
    _removeFilesPanel = new QDialog(this);
    _removeFilesPanelUi->setupUi(_removeFilesPanel);
    _removeFilesPanel->setWindowModality(Qt::WindowModal);

    for (int index = 0; index < kSortBinCount; ++index) {
        // The title is also the settings key of the bin's folder, so each must differ.
        auto *bin = new FileSortBin(LocalizedString("kMediaViewerSortBinTitle").arg(index + 1),
                                    _ui->_drawerSortBins_contents);
        bin->setObjectName(QStringLiteral("_fileSortBin%1").arg(index + 1));
        const QString key = QString::number((index + 1) % kSortBinCount);
        bin->setToolTip(LocalizedString("kMediaViewerSortBinToolTip").arg(key));
        bin->setDelegate(this);
        _ui->_drawerSortBins_layout->addWidget(bin, index / kSortBinColumns, index % kSortBinColumns);
        _fileSortBins[static_cast<size_t>(index)] = bin;
        auto *shortcut = new QShortcut(QKeySequence(key), _ui->_tableViewFileListing);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, index] { sendSelectedFilesToSortBin(index); });
    }
    localizeInterface();
    connectActions();
    awakeFromNib();
}

MediaViewerWindowController::~MediaViewerWindowController()
{
    savePrefs();
    for (FileSortBin *bin : _fileSortBins)
        bin->setDelegate(nullptr);
}

MediaViewerWindowController *CreateMediaViewerWindow(QObject *)
{
    auto *controller = new MediaViewerWindowController;
    ShowOwnedWindow(controller);
    return controller;
}

void MediaViewerWindowController::localizeInterface()
{
    setWindowTitle(LocalizedString("kMediaViewerWindowTitle"));
    _ui->_buttonAddFiles->setText(LocalizedString("kMediaViewerAddFilesButtonTitle"));
    _ui->_buttonRemoveSelectedFiles->setText(LocalizedString("kMediaViewerRemoveSelectedButtonTitle"));
    _ui->_buttonRemoveFiles->setText(LocalizedString("kMediaViewerRemoveAllButtonTitle"));
    _ui->_buttonRemoveFilesWithExtension->setText(LocalizedString("kMediaViewerRemoveMatchingButtonTitle"));
    _ui->_buttonSendFileToTrash->setText(LocalizedString("kMediaViewerTrashButtonTitle"));
    _ui->_buttonRevealInFinder->setText(LocalizedString("kMediaViewerRevealButtonTitle"));
    _ui->_buttonOpenExternally->setText(LocalizedString("kMediaViewerOpenButtonTitle"));
    _ui->_buttonToggleSortBins->setText(LocalizedString("kMediaViewerSortBinsButtonTitle"));
    _ui->_checkBoxCopyInsteadOfMove->setText(LocalizedString("kMediaViewerCopyInsteadOfMoveTitle"));
    _ui->_checkBoxRemoveFilesFromListWhenDropped->setText(LocalizedString("kMediaViewerRemoveWhenDroppedTitle"));
    _ui->_labelURL->setText(LocalizedString("kMediaViewerURLLabel"));
    _ui->_labelLocation->setText(LocalizedString("kMediaViewerLocationLabel"));
    _ui->_labelSize->setText(LocalizedString("kMediaViewerSizeLabel"));
    _ui->_drawerSortBins->setWindowTitle(LocalizedString("kMediaViewerSortBinsTitle"));

    Ui::MediaViewerRemoveFilesPanel &panel = *_removeFilesPanelUi;
    _removeFilesPanel->setWindowTitle(LocalizedString("kMediaViewerRemoveFilesTitle"));
    panel._removeFilesInListPanel_labelFilenameContains->setText(LocalizedString("kMediaViewerRemoveNameContainsLabel"));
    panel._removeFilesInListPanel_labelExtension->setText(LocalizedString("kMediaViewerRemoveExtensionLabel"));
    panel._removeFilesInListPanel_buttonOK->setText(LocalizedString("kMediaViewerOKButtonTitle"));
    panel._removeFilesInListPanel_buttonCancel->setText(LocalizedString("kMediaViewerCancelButtonTitle"));
}

void MediaViewerWindowController::connectActions()
{
    const auto button = [this](QAbstractButton *control, void (MediaViewerWindowController::*action)(QObject *)) {
        connect(control, &QAbstractButton::clicked, this, [this, control, action] { (this->*action)(control); });
    };
    button(_ui->_buttonAddFiles, &MediaViewerWindowController::addFilesClicked);
    button(_ui->_buttonRemoveSelectedFiles, &MediaViewerWindowController::removeSelectedFilesClicked);
    button(_ui->_buttonRemoveFiles, &MediaViewerWindowController::removeFilesClicked);
    button(_ui->_buttonRemoveFilesWithExtension, &MediaViewerWindowController::removeFilesWithExtensionClicked);
    button(_ui->_buttonSendFileToTrash, &MediaViewerWindowController::sendFileToTrash);
    button(_ui->_buttonRevealInFinder, &MediaViewerWindowController::revealInFinder);
    button(_ui->_buttonOpenExternally, &MediaViewerWindowController::openExternally);
    button(_ui->_checkBoxCopyInsteadOfMove, &MediaViewerWindowController::copyDontMoveCheckBoxChanged);
    button(_removeFilesPanelUi->_removeFilesInListPanel_buttonOK, &MediaViewerWindowController::removeFilesOKButtonClicked);
    button(_removeFilesPanelUi->_removeFilesInListPanel_buttonCancel,
           &MediaViewerWindowController::removeFilesCancelButtonClicked);
    connect(_ui->_buttonToggleSortBins, &QAbstractButton::toggled, _ui->_drawerSortBins, &QWidget::setVisible);
    connect(_ui->_drawerSortBins, &QDockWidget::visibilityChanged, _ui->_buttonToggleSortBins,
            &QAbstractButton::setChecked);

    FileListingTableView *listing = _ui->_tableViewFileListing;
    connect(listing->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { loadSelectedFile(); });
    connect(listing, &QAbstractItemView::doubleClicked, this, [this] { loadSelectedFile(); });
    connect(listing->horizontalHeader(), &QHeaderView::sectionClicked, this, [listing](int column) {
        listing->sortByColumn(listing->objectTableDataSource()->columnIdentifiers().value(column));
    });
    connect(listing, &FileListingTableView::folderWalkProgress, this, [this](int found) {
        statusBar()->showMessage(LocalizedString("kMediaViewerAddingFilesMessage").arg(found));
    });
    connect(listing, &FileListingTableView::folderWalkFinished, this, [this] { statusBar()->clearMessage(); });
}

void MediaViewerWindowController::awakeFromNib()
{
    FileListingTableView *listing = _ui->_tableViewFileListing;
    listing->setAcceptsFolders(true, true);
    if (const std::optional<QVariantList> files = UserDefaults::arrayForKey(kFilesKey)) {
        QStringList paths;
        for (const QVariant &file : *files)
            paths.append(file.toString());
        listing->addPathsArray(paths);
    }
    _ui->_drawerSortBins_contents->setMinimumSize(kDrawerWidth, kDrawerHeight);
    copyDontMoveCheckBoxChanged(_ui->_checkBoxCopyInsteadOfMove);
    if (const std::optional<QByteArray> frame = UserDefaults::dataForKey(kWindowFrameKey))
        restoreGeometry(*frame);
    loadSelectedFile();
}

FileListingTableView *MediaViewerWindowController::fileListing() const
{
    return _ui->_tableViewFileListing;
}

SuperDuperMultimediaView *MediaViewerWindowController::multimediaView() const
{
    return _ui->_superDuperMultimediaView;
}

QString MediaViewerWindowController::urlText() const
{
    return _ui->_textFieldURL->text();
}

QString MediaViewerWindowController::locationText() const
{
    return _ui->_textFieldLocation->text();
}

QString MediaViewerWindowController::sizeText() const
{
    return _ui->_textFieldSize->text();
}

void MediaViewerWindowController::setCopyInsteadOfMove(bool copy)
{
    _ui->_checkBoxCopyInsteadOfMove->setChecked(copy);
    copyDontMoveCheckBoxChanged(_ui->_checkBoxCopyInsteadOfMove);
}

void MediaViewerWindowController::setRemoveFilesFromListWhenDropped(bool remove)
{
    _ui->_checkBoxRemoveFilesFromListWhenDropped->setChecked(remove);
}

void MediaViewerWindowController::addFilesClicked(QObject *sender)
{
    _ui->_tableViewFileListing->addFiles(sender);
}

void MediaViewerWindowController::removeSelectedFilesClicked(QObject *sender)
{
    _ui->_tableViewFileListing->removeSelectedFiles(sender);
    loadSelectedFile();
}

void MediaViewerWindowController::removeFilesClicked(QObject *sender)
{
    _ui->_tableViewFileListing->removeAllFiles(sender);
    _ui->_superDuperMultimediaView->clear();
}

void MediaViewerWindowController::removeFilesWithExtensionClicked(QObject *)
{
    _removeFilesPanel->open();
}

void MediaViewerWindowController::removeFilesOKButtonClicked(QObject *)
{
    const QString name = _removeFilesPanelUi->_removeFilesInListPanel_textFieldFilenameContains->text();
    const QString extension = _removeFilesPanelUi->_removeFilesInListPanel_textFieldExtension->text();
    FileListingTableView *listing = _ui->_tableViewFileListing;
    if (!name.isEmpty())
        listing->removeFilesWithNamesThatContain(name);
    if (!extension.isEmpty())
        listing->removeFilesWithExtension(extension);
    _ui->_superDuperMultimediaView->clear();
    _removeFilesPanel->accept();
}

void MediaViewerWindowController::removeFilesCancelButtonClicked(QObject *)
{
    _removeFilesPanel->reject();
}

void MediaViewerWindowController::copyDontMoveCheckBoxChanged(QObject *)
{
    const bool copy = _ui->_checkBoxCopyInsteadOfMove->isChecked();
    for (FileSortBin *bin : _fileSortBins)
        bin->setCopyDontMove(copy);
}

void MediaViewerWindowController::sendFileToTrash(QObject *)
{
    FileListingTableView *listing = _ui->_tableViewFileListing;
    const QList<int> selected = listing->getSelectedRowArray();
    if (!selected.isEmpty()) {
        const int row = selected.first();
        const QString path = listing->getFilePathAtRow(row);
        // Release the file before it moves, so a playing movie does not hold it open.
        _ui->_superDuperMultimediaView->clear();
        const Status status = FSpMoveToTrash(path);
        if (status == kNoErr) {
            listing->removeFileAtRow(row);
            listing->updateRowNumbers();
            listing->clearSelection();
        } else {
            const QString reason = status > 0 ? QString::fromLocal8Bit(std::strerror(status)) : QString::number(status);
            AddErrorLogEntry(nullptr, LocalizedString("kMediaViewerTrashFailedMessage").arg(path, reason));
            QApplication::beep();
        }
    }
    loadSelectedFile();
}

void MediaViewerWindowController::revealInFinder(QObject *)
{
    const QString path = _ui->_tableViewFileListing->getFirstSelectedItemPath();
    if (path.isEmpty() || RevealPathItemInFinder(path) != kNoErr)
        QApplication::beep();
}

void MediaViewerWindowController::openExternally(QObject *)
{
    const QString path = _ui->_tableViewFileListing->getFirstSelectedItemPath();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        QApplication::beep();
}

void MediaViewerWindowController::sendSelectedFilesToSortBin(int index)
{
    if (index < 0 || index >= kSortBinCount)
        return;
    FileSortBin *bin = _fileSortBins[static_cast<size_t>(index)];
    FileListingTableView *listing = _ui->_tableViewFileListing;
    const QStringList paths = listing->pathArrayForRows(listing->getSelectedRowArray());
    if (paths.isEmpty() || bin->fullDropPath().isEmpty()) {
        QApplication::beep();
        return;
    }
    // Release the shown file first: it may be about to move.
    _ui->_superDuperMultimediaView->clear();
    bin->processFilePathsDrop(paths);
    loadSelectedFile();
}

void MediaViewerWindowController::loadSelectedFile()
{
    SuperDuperMultimediaView *view = _ui->_superDuperMultimediaView;
    view->clear();
    const QString notAvailable = LocalizedString("kMediaViewerNotAvailable");
    _ui->_textFieldLocation->setText(notAvailable);
    _ui->_textFieldSize->setText(notAvailable);
    _ui->_textFieldURL->setText(notAvailable);
    FileListingTableView *listing = _ui->_tableViewFileListing;
    const QString path = listing->getFirstSelectedItemPath();
    if (path.isEmpty())
        return;
    view->setShowController(true);
    view->setPreserveAspectRatio(true);
    if (!view->loadThisFile(path, true, -1))
        view->clear();
    const QFileInfo info(path);
    if (info.exists()) {
        char text[32];
        _ui->_textFieldSize->setText(
            QString::fromLatin1(SizeToFormattedString(static_cast<uint64_t>(info.size()), text)));
    }
    _ui->_textFieldLocation->setText(path);
    const QVariant metaData = listing->getFirstSelectedItemMetaData();
    if (metaData.isValid() && !metaData.toString().isEmpty())
        _ui->_textFieldURL->setText(metaData.toString());
}

void MediaViewerWindowController::savePrefs()
{
    QVariantList files;
    for (const QString &path : _ui->_tableViewFileListing->arrayOfFilesInList())
        files.append(path);
    UserDefaults::setObject(files, kFilesKey);
    UserDefaults::setObject(saveGeometry(), kWindowFrameKey);
    UserDefaults::synchronize();
}

void MediaViewerWindowController::filesDropped(QObject *, const QStringList &)
{
    const QSet<QString> sorted = std::exchange(_pathsSortedInThisDrop, {});
    if (!_ui->_checkBoxRemoveFilesFromListWhenDropped->isChecked() || sorted.isEmpty())
        return;
    // Only the rows of files that really went: a file the bin could not take stays listed.
    _ui->_tableViewFileListing->removeArrayOfFilesAtFullPaths(QStringList(sorted.begin(), sorted.end()));
    _ui->_superDuperMultimediaView->clear();
}

void MediaViewerWindowController::fileLocationChanged(FileSortBin *, const QString &originalPath,
                                                      const QString &newPath)
{
    if (originalPath.isEmpty() || newPath.isEmpty())
        return;
    FileListingTableView *listing = _ui->_tableViewFileListing;
    const int selectedRow = listing->getSelectedRowArray().value(0, -1);
    bool selectedMoved = false;
    // Every row of the file follows it, not only one, so no row keeps a path that is gone.
    for (int row = listing->getRowWithPath(originalPath); row >= 0; row = listing->getRowWithPath(originalPath)) {
        if (originalPath == newPath)
            break;
        listing->updateRow(row, newPath);
        selectedMoved = selectedMoved || row == selectedRow;
    }
    _pathsSortedInThisDrop.insert(newPath);
    if (selectedMoved)
        loadSelectedFile();
}

void MediaViewerWindowController::closeEvent(QCloseEvent *event)
{
    savePrefs();
    _ui->_superDuperMultimediaView->clear();
    QMainWindow::closeEvent(event);
}
