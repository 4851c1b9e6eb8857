#include "site-downloader/media/ImageBrowserWindowController.h"

#include "platform/LocalizedString.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/media/ImageBrowserButtonCell.h"
#include "site-downloader/media/ImageBrowserExtendedImageView.h"
#include "site-downloader/media/ImageBrowserMatrix.h"
#include "site-downloader/media/ImageBrowserThumbnail.h"
#include "support/defaults/UserDefaults.h"
#include "support/defaults/UserDefaultsAutoSave.h"
#include "ui_ImageBrowserOptionsPanel.h"
#include "ui_ImageBrowserWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kAutoSaveName = QStringLiteral("ImageBrowserWindowController");
const QString kPreviewDragFileName = QStringLiteral("artwork.tif");
constexpr int kLargerThanItemIndex = 1;
constexpr int kProgressPanelHeight = 71;
constexpr int kProgressPanelWidthMargin = 30;
constexpr int64_t kBytesPerKilobyte = 1024;

int32_t comparisonFilterType(const QComboBox *popUp)
{
    return popUp->currentIndex() == kLargerThanItemIndex ? 1 : -1;
}

// The same file system object, neither of them followed through a link.
bool isSameRegularFile(const QString &candidate, const QString &own)
{
    struct stat candidateInfo {};
    struct stat ownInfo {};
    if (::lstat(QFile::encodeName(candidate).constData(), &candidateInfo) != 0
        || ::lstat(QFile::encodeName(own).constData(), &ownInfo) != 0)
        return false;
    return S_ISREG(ownInfo.st_mode) && candidateInfo.st_dev == ownInfo.st_dev && candidateInfo.st_ino == ownInfo.st_ino;
}

} // namespace

ImageBrowserWindowController::ImageBrowserWindowController()
    : _ui(new Ui::ImageBrowserWindowController), _optionsPanelUi(new Ui::ImageBrowserOptionsPanel)
{
    _ui->setupUi(this);
    setObjectName(kAutoSaveName);
    _optionsPanel = new QDialog(this);
    _optionsPanelUi->setupUi(_optionsPanel);
    _optionsPanel->setWindowModality(Qt::WindowModal);

    setWindowTitle(LocalizedString("kImageBrowserWindowTitle"));
    _ui->_buttonAddFiles->setText(LocalizedString("kImageBrowserAddFilesButtonTitle"));
    _ui->_buttonAddFilesStop->setText(LocalizedString("kImageBrowserStopButtonTitle"));
    _ui->_buttonClear->setText(LocalizedString("kImageBrowserClearButtonTitle"));
    _ui->_buttonOptions->setText(LocalizedString("kImageBrowserOptionsButtonTitle"));
    _ui->_buttonDeleteDropTarget->setText(LocalizedString("kImageBrowserDeleteButtonTitle"));
    _ui->_buttonDeleteDropTarget->setToolTip(LocalizedString("kImageBrowserDeleteButtonToolTip"));
    _ui->_buttonDeleteDropTarget->setDragTypes({FileDropTarget::fileNamesType()});
    _ui->_buttonDeleteDropTarget->setDelegate(this);

    Ui::ImageBrowserOptionsPanel &options = *_optionsPanelUi;
    _optionsPanel->setWindowTitle(LocalizedString("kImageBrowserOptionsTitle"));
    options._optionsPanel_checkBoxAddImageLimit->setText(LocalizedString("kImageBrowserDimensionLimitTitle"));
    options._optionsPanel_checkBoxAddImageSizeLimit->setText(LocalizedString("kImageBrowserSizeLimitTitle"));
    for (QComboBox *popUp : {options._optionsPanel_popUpButtonDimensionType, options._optionsPanel_popUpButtonSizeType})
        popUp->addItems({LocalizedString("kImageBrowserSmallerThanTitle"), LocalizedString("kImageBrowserLargerThanTitle")});
    options._optionsPanel_textWidth->setText(LocalizedString("kImageBrowserWidthTitle"));
    options._optionsPanel_textHeight->setText(LocalizedString("kImageBrowserHeightTitle"));
    options._optionsPanel_textKilobytes->setText(LocalizedString("kImageBrowserKilobytesTitle"));
    options._optionsPanel_buttonOK->setText(LocalizedString("kImageBrowserOKButtonTitle"));
    options._optionsPanel_buttonCancel->setText(LocalizedString("kImageBrowserCancelButtonTitle"));

    connect(_ui->_buttonAddFiles, &QPushButton::clicked, this, [this] { addFilesButtonClicked(_ui->_buttonAddFiles); });
    connect(_ui->_buttonAddFilesStop, &QPushButton::clicked, this, [this] { stopButtonClicked(_ui->_buttonAddFilesStop); });
    connect(_ui->_buttonClear, &QPushButton::clicked, this, [this] { clearButtonClicked(_ui->_buttonClear); });
    connect(_ui->_buttonOptions, &QPushButton::clicked, this, [this] { optionsClicked(_ui->_buttonOptions); });
    connect(options._optionsPanel_buttonOK, &QPushButton::clicked, this,
            [this] { optionsPanelOKButtonClicked(_optionsPanelUi->_optionsPanel_buttonOK); });
    connect(options._optionsPanel_buttonCancel, &QPushButton::clicked, this,
            [this] { optionsPanelCancelButtonClicked(_optionsPanelUi->_optionsPanel_buttonCancel); });
    connect(_ui->_artworkMatrix, &QAbstractItemView::doubleClicked, this,
            [this] { imageButtonDoubleClick(_ui->_artworkMatrix); });
    _ui->_artworkPreviewDrawer_imageView->setDragFileWriter([this] { return writePreviewDragFile(); });
    awakeFromNib();
}

ImageBrowserWindowController::~ImageBrowserWindowController()
{
    stopBatchForClose();
}

ImageBrowserWindowController *CreateImageBrowserWindow(QObject *)
{
    auto *controller = new ImageBrowserWindowController;
    controller->setAttribute(Qt::WA_DeleteOnClose);
    controller->showWindow();
    return controller;
}

void ImageBrowserWindowController::awakeFromNib()
{
    Ui::ImageBrowserOptionsPanel &options = *_optionsPanelUi;
    for (QObject *control : std::initializer_list<QObject *>{
             _ui->_artworkPreviewDrawer_imageView, options._optionsPanel_popUpButtonDimensionType,
             options._optionsPanel_popUpButtonSizeType, options._optionsPanel_checkBoxAddImageLimit,
             options._optionsPanel_checkBoxAddImageSizeLimit, options._optionsPanel_textfieldImageWidth,
             options._optionsPanel_textfieldImageHeight})
        UserDefaultsAutoSave::addAutoSaveObject(control, kAutoSaveName, control->objectName());
    UserDefaultsAutoSave::restoreAutoSaveObjectsForName(kAutoSaveName);

    _ui->_artworkMatrix->setDelegate(this);
    applyFilters();
    _ui->_progressDrawer->setFixedHeight(kProgressPanelHeight);
    _ui->_progressDrawer->setMaximumWidth(width() - kProgressPanelWidthMargin);
}

void ImageBrowserWindowController::showWindow()
{
    show();
    raise();
    activateWindow();
}

ImageBrowserMatrix *ImageBrowserWindowController::artworkMatrix() const
{
    return _ui->_artworkMatrix;
}

void ImageBrowserWindowController::addArtItems(const QStringList &paths)
{
    if (_fileProcessor || _busy) {
        QApplication::beep();
        return;
    }
    std::shared_ptr<FileProcessor> processor = FileProcessor::fileProcessor();
    processor->setDelegate(this);
    processor->addSourcePathArray(paths);
    if (processor->processThreaded() != kNoErr) {
        processor->reset();
        QApplication::beep();
        return;
    }
    _fileProcessor = std::move(processor);
    _busy = true;
    _ui->_buttonAddFiles->hide();
    _ui->_buttonAddFilesStop->show();
}

void ImageBrowserWindowController::addArtItem(const QString &path)
{
    if (_ui->_artworkMatrix->addItemWithPath(path))
        _ui->_artworkMatrix->viewport()->update();
}

void ImageBrowserWindowController::addArtItemWithImage(const ThumbnailImage &image, const QString &path)
{
    if (_ui->_artworkMatrix->addArtItemWithImage(image, path))
        _ui->_artworkMatrix->viewport()->update();
}

void ImageBrowserWindowController::addFilesButtonClicked(QObject *)
{
    auto *panel = new QFileDialog(this);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    // Files and folders alike: the non-native dialog lets several of both be chosen.
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setFileMode(QFileDialog::ExistingFiles);
    connect(panel, &QFileDialog::filesSelected, this, [this](const QStringList &paths) { addArtItems(paths); });
    panel->open();
}

void ImageBrowserWindowController::stopButtonClicked(QObject *)
{
    if (_fileProcessor)
        _fileProcessor->abort(kCanceledErr);
}

void ImageBrowserWindowController::clearButtonClicked(QObject *)
{
    for (int rows = _ui->_artworkMatrix->numberOfRows(); rows > 0; --rows)
        _ui->_artworkMatrix->removeRow(0);
}

void ImageBrowserWindowController::optionsClicked(QObject *)
{
    _optionsPanel->open();
}

void ImageBrowserWindowController::optionsPanelOKButtonClicked(QObject *)
{
    applyFilters();
    _optionsPanel->close();
}

void ImageBrowserWindowController::optionsPanelCancelButtonClicked(QObject *)
{
    _optionsPanel->close();
}

void ImageBrowserWindowController::imageButtonDoubleClick(QObject *)
{
}

void ImageBrowserWindowController::applyFilters()
{
    const Ui::ImageBrowserOptionsPanel &options = *_optionsPanelUi;
    _ui->_artworkMatrix->setImageFileSizeFilter(
        options._optionsPanel_checkBoxAddImageSizeLimit->isChecked(),
        comparisonFilterType(options._optionsPanel_popUpButtonSizeType),
        options._optionsPanel_textfieldImageMinSize->text().trimmed().toLongLong() * kBytesPerKilobyte);
    _ui->_artworkMatrix->setImageDimensionFilter(options._optionsPanel_checkBoxAddImageLimit->isChecked(),
                                                 comparisonFilterType(options._optionsPanel_popUpButtonDimensionType),
                                                 options._optionsPanel_textfieldImageHeight->text().trimmed().toInt(),
                                                 options._optionsPanel_textfieldImageWidth->text().trimmed().toInt());
}

void ImageBrowserWindowController::imageBrowserMatrixCellClicked(ImageBrowserMatrix *, ImageBrowserButtonCell *cell,
                                                                 Qt::KeyboardModifiers modifiers)
{
    if (!cell)
        return;
    if (modifiers & Qt::AltModifier) {
        cell->revealFileInFinder();
        return;
    }
    const QString path = cell->getFilePath();
    if (path.isEmpty())
        return;
    const QImage picture = QImageReader(path).read();
    if (picture.isNull())
        _ui->_artworkPreviewDrawer_imageView->clearImage();
    else
        _ui->_artworkPreviewDrawer_imageView->setImage(picture);
}

void ImageBrowserWindowController::filesDropped(QWidget *, const QStringList &filePaths)
{
    ImageBrowserMatrix *matrix = _ui->_artworkMatrix;
    const ImageBrowserButtonCell *cell = matrix->selectedCell();
    const QString path = cell ? cell->getFilePath() : QString();
    // Only the thumbnail's own file, dragged from the grid onto the target, may go: anything else
    // dropped there by mistake would otherwise delete a file the user never meant.
    if (path.isEmpty() || filePaths.size() != 1 || !isSameRegularFile(filePaths.first(), path)) {
        QApplication::beep();
        return;
    }
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        AddErrorLogEntry(nullptr, LocalizedString("kImageBrowserDeleteFailedMessage")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        QApplication::beep();
        return;
    }
    matrix->clearCellAt(matrix->selectedRow(), matrix->selectedColumn());
    _ui->_artworkPreviewDrawer_imageView->clearImage();
}

QString ImageBrowserWindowController::previewDragFolder() const
{
    return _previewDragFolder ? _previewDragFolder->path() : QString();
}

QString ImageBrowserWindowController::writePreviewDragFile()
{
    const QImage &image = _ui->_artworkPreviewDrawer_imageView->image();
    if (!_previewDragFolder) {
        _previewDragFolder = std::make_unique<QTemporaryDir>();
        if (!_previewDragFolder->isValid()) {
            _previewDragFolder.reset();
            QApplication::beep();
            return {};
        }
        _previewDragFile = _previewDragFolder->filePath(kPreviewDragFileName);
    }
    const QByteArray path = QFile::encodeName(_previewDragFile);
    // The receiver copies the file after the drop has returned, so the last one stays until the
    // next drag replaces it or the window closes.
    ::unlink(path.constData());
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        QApplication::beep();
        return {};
    }
    QFile file;
    file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    QImageWriter writer(&file, QByteArrayLiteral("tiff"));
    if (image.isNull() || !writer.write(image)) {
        file.close();
        ::unlink(path.constData());
        QApplication::beep();
        return {};
    }
    return _previewDragFile;
}

void ImageBrowserWindowController::setStatusText(const QString &text)
{
    _ui->_textFieldStatus->setText(text);
}

void ImageBrowserWindowController::showProgressPanel(bool shown)
{
    _ui->_progressDrawer->setMaximumWidth(width() - kProgressPanelWidthMargin);
    _ui->_progressDrawer->setVisible(shown);
}

void ImageBrowserWindowController::fileProcessorStarting(FileProcessor *)
{
    showProgressPanel(true);
    // A range of 0..0 animates as busy until the list's length is known.
    _ui->_progressIndicator->setRange(0, 0);
    _ui->_progressIndicator->setValue(0);
    setStatusText(QString());
}

void ImageBrowserWindowController::fileProcessorBuildListStarting(FileProcessor *)
{
    setStatusText(LocalizedString("kBuildingFileListStartedKey"));
}

void ImageBrowserWindowController::fileProcessorBuildListUpdated(FileProcessor *processor)
{
    setStatusText(LocalizedString("kBuildingFileListKey").arg(processor->totalFiles()));
}

void ImageBrowserWindowController::fileProcessorBuildListEnded(FileProcessor *)
{
    setStatusText(LocalizedString("kBuildingFileListCompleteKey"));
}

void ImageBrowserWindowController::fileProcessorProcessListStarting(FileProcessor *processor)
{
    setStatusText(LocalizedString("kProcessingFilesStartedKey"));
    _ui->_progressIndicator->setRange(0, processor->totalFiles());
}

void ImageBrowserWindowController::fileProcessorProcessFile(FileProcessor *processor)
{
    // On the worker: the decoding happens here, so the main thread only places finished thumbnails.
    FSRef ref = *processor->currentFSRef();
    const QString path = FSRefToNSStringPath(&ref);
    const ThumbnailImage thumbnail = LoadThumbnailImage(path);
    if (thumbnail.isNull())
        return;
    processor->performOnMainThreadAndWait([this, &thumbnail, &path] { addArtItemWithImage(thumbnail, path); });
}

void ImageBrowserWindowController::fileProcessorProcessListUpdated(FileProcessor *processor)
{
    setStatusText(LocalizedString("kProcessingFilesXofXCompleteKey").arg(processor->currentIndex()).arg(processor->totalFiles()));
    _ui->_progressIndicator->setValue(processor->currentIndex());
}

void ImageBrowserWindowController::fileProcessorProcessListEnded(FileProcessor *)
{
    setStatusText(QString());
}

void ImageBrowserWindowController::fileProcessorEnded(FileProcessor *)
{
    setStatusText(QString());
    _ui->_progressIndicator->setRange(0, 1);
    if (_fileProcessor) {
        _fileProcessor->reset();
        _fileProcessor.reset();
    }
    showProgressPanel(false);
    _busy = false;
    _ui->_buttonAddFilesStop->hide();
    _ui->_buttonAddFiles->show();
}

void ImageBrowserWindowController::stopBatchForClose()
{
    if (!_fileProcessor)
        return;
    // The worker outlives this controller; once the link is cut it hears nothing more from it.
    _fileProcessor->abort(kCanceledErr);
    _fileProcessor->reset();
    _fileProcessor.reset();
    _busy = false;
}

void ImageBrowserWindowController::closeEvent(QCloseEvent *event)
{
    stopBatchForClose();
    if (_messageDelegate)
        _messageDelegate->imageBrowserWindowClosed(this);
    UserDefaultsAutoSave::saveAutoSaveObjectsForName(kAutoSaveName);
    UserDefaults::synchronize();
    _previewDragFolder.reset();
    event->accept();
}

bool ImageBrowserWindowController::acceptsDrag(const QDropEvent *event) const
{
    const QObject *source = event->source();
    if (source == _ui->_artworkMatrix || source == _ui->_artworkPreviewDrawer_imageView)
        return false;
    return !FileDropTarget::itemsOfType(event->mimeData(), FileDropTarget::fileNamesType()).isEmpty();
}

void ImageBrowserWindowController::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    update();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ImageBrowserWindowController::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ImageBrowserWindowController::dropEvent(QDropEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    addArtItems(FileDropTarget::itemsOfType(event->mimeData(), FileDropTarget::fileNamesType()));
}
