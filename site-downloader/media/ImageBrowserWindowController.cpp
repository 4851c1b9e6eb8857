#include "site-downloader/media/ImageBrowserWindowController.h"

#include "ui_ImageBrowserOptionsPanel.h"
#include "ui_ImageBrowserWindowController.h"

#include <QTemporaryDir>

ImageBrowserWindowController::ImageBrowserWindowController() : _ui(new Ui::ImageBrowserWindowController)
{
    _ui->setupUi(this);
}

ImageBrowserWindowController::~ImageBrowserWindowController() = default;

ImageBrowserWindowController *CreateImageBrowserWindow(QObject *)
{
    auto *controller = new ImageBrowserWindowController;
    controller->setAttribute(Qt::WA_DeleteOnClose);
    controller->showWindow();
    return controller;
}

void ImageBrowserWindowController::showWindow() { show(); raise(); activateWindow(); }
void ImageBrowserWindowController::addArtItems(const QStringList &) {}
void ImageBrowserWindowController::addArtItem(const QString &) {}
void ImageBrowserWindowController::addArtItemWithImage(const ThumbnailImage &, const QString &) {}
ImageBrowserMatrix *ImageBrowserWindowController::artworkMatrix() const { return nullptr; }
void ImageBrowserWindowController::addFilesButtonClicked(QObject *) {}
void ImageBrowserWindowController::stopButtonClicked(QObject *) {}
void ImageBrowserWindowController::clearButtonClicked(QObject *) {}
void ImageBrowserWindowController::optionsClicked(QObject *) {}
void ImageBrowserWindowController::optionsPanelOKButtonClicked(QObject *) {}
void ImageBrowserWindowController::optionsPanelCancelButtonClicked(QObject *) {}
void ImageBrowserWindowController::imageButtonDoubleClick(QObject *) {}
void ImageBrowserWindowController::imageBrowserMatrixCellClicked(ImageBrowserMatrix *, ImageBrowserButtonCell *, Qt::KeyboardModifiers) {}
void ImageBrowserWindowController::filesDropped(QWidget *, const QStringList &) {}
void ImageBrowserWindowController::fileProcessorStarting(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorBuildListStarting(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorBuildListUpdated(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorBuildListEnded(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorProcessListStarting(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorProcessFile(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorProcessListUpdated(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorProcessListEnded(FileProcessor *) {}
void ImageBrowserWindowController::fileProcessorEnded(FileProcessor *) {}
QString ImageBrowserWindowController::previewDragFolder() const { return {}; }
QString ImageBrowserWindowController::writePreviewDragFile() { return {}; }
void ImageBrowserWindowController::closeEvent(QCloseEvent *event) { QWidget::closeEvent(event); }
void ImageBrowserWindowController::dragEnterEvent(QDragEnterEvent *event) { QWidget::dragEnterEvent(event); }
void ImageBrowserWindowController::dragMoveEvent(QDragMoveEvent *event) { QWidget::dragMoveEvent(event); }
void ImageBrowserWindowController::dropEvent(QDropEvent *event) { QWidget::dropEvent(event); }
