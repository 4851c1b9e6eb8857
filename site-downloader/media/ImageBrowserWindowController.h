#pragma once

#include "site-downloader/media/FileProcessor.h"
#include "support/controls/FileDropTarget.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class ImageBrowserButtonCell;
class ImageBrowserMatrix;
class ImageBrowserWindowController;
class QDialog;
class QTemporaryDir;
struct ThumbnailImage;

namespace Ui {
class ImageBrowserWindowController;
class ImageBrowserOptionsPanel;
}

// What a browser tells whoever opened it. The download document and tools use it to forget their
// browser. Not owned by the browser: a delegate that goes away first clears itself with
// setMessageDelegate(nullptr).
class ImageBrowserMessageDelegate
{
public:
    virtual ~ImageBrowserMessageDelegate() = default;
    // The window is closing; the controller is deleted right after this returns.
    virtual void imageBrowserWindowClosed(ImageBrowserWindowController * /*controller*/) {}
};

// Hears the clicks on a browser's thumbnail grid.
class ImageBrowserMatrixDelegate
{
public:
    virtual ~ImageBrowserMatrixDelegate() = default;
    // `modifiers` are those of the click, so that Alt can mean "reveal" instead of "preview".
    virtual void imageBrowserMatrixCellClicked(ImageBrowserMatrix * /*matrix*/, ImageBrowserButtonCell * /*cell*/,
                                               Qt::KeyboardModifiers /*modifiers*/)
    {
    }
};

// A tool window that shows image files as a grid of thumbnails, with size filters, a preview
// panel and a drop target that deletes the selected thumbnail's file. It owns itself and is
// deleted when its window closes; closing it during a batch stops the batch first.
// Main thread only, except for the file processor's worker-side messages.
class ImageBrowserWindowController final : public QWidget,
                                           public FileProcessorDelegate,
                                           public FileDropDelegate,
                                           public ImageBrowserMatrixDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageBrowserWindowController)

public:
    ~ImageBrowserWindowController() override;

    // Expands files and folders on a worker and adds every image among them. Beeps, and does
    // nothing else, while a batch is running.
    void addArtItems(const QStringList &paths);
    // Adds one image file at once, in either state: the download document and tools call this
    // for each file they save.
    void addArtItem(const QString &path);
    void addArtItemWithImage(const ThumbnailImage &image, const QString &path);

    void setMessageDelegate(ImageBrowserMessageDelegate *delegate) { _messageDelegate = delegate; }
    ImageBrowserMessageDelegate *messageDelegate() const { return _messageDelegate; }

    void showWindow();
    bool isBusy() const { return _busy; }
    ImageBrowserMatrix *artworkMatrix() const;

    void addFilesButtonClicked(QObject *sender);
    void stopButtonClicked(QObject *sender);
    void clearButtonClicked(QObject *sender);
    void optionsClicked(QObject *sender);
    void optionsPanelOKButtonClicked(QObject *sender);
    void optionsPanelCancelButtonClicked(QObject *sender);
    void imageButtonDoubleClick(QObject *sender);

    // Alt reveals the cell's file in the file manager; a plain click previews it at full size.
    void imageBrowserMatrixCellClicked(ImageBrowserMatrix *matrix, ImageBrowserButtonCell *cell,
                                       Qt::KeyboardModifiers modifiers) override;
    // Deletes the selected thumbnail's file, at once, only when the one dropped path is that
    // same regular file.
    void filesDropped(QWidget *sender, const QStringList &filePaths) override;

    void fileProcessorStarting(FileProcessor *processor) override;
    void fileProcessorBuildListStarting(FileProcessor *processor) override;
    void fileProcessorBuildListUpdated(FileProcessor *processor) override;
    void fileProcessorBuildListEnded(FileProcessor *processor) override;
    void fileProcessorProcessListStarting(FileProcessor *processor) override;
    void fileProcessorProcessFile(FileProcessor *processor) override;
    void fileProcessorProcessListUpdated(FileProcessor *processor) override;
    void fileProcessorProcessListEnded(FileProcessor *processor) override;
    void fileProcessorEnded(FileProcessor *processor) override;

    // The private folder that holds the preview drag's picture; empty until the first drag.
    QString previewDragFolder() const;
    // Writes the preview's picture for a drag and answers its path, or an empty string (after a
    // beep) when it cannot be written. The picture of the previous drag is removed first.
    QString writePreviewDragFile();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend ImageBrowserWindowController *CreateImageBrowserWindow(QObject *sender);
    ImageBrowserWindowController();

    void awakeFromNib();
    void applyFilters();
    void setStatusText(const QString &text);
    void showProgressPanel(bool shown);
    void stopBatchForClose();
    bool acceptsDrag(const QDropEvent *event) const;

    std::unique_ptr<Ui::ImageBrowserWindowController> _ui;
    std::unique_ptr<Ui::ImageBrowserOptionsPanel> _optionsPanelUi;
    QDialog *_optionsPanel = nullptr;
    std::shared_ptr<FileProcessor> _fileProcessor;
    std::unique_ptr<QTemporaryDir> _previewDragFolder;
    QString _previewDragFile;
    bool _busy = false;
    ImageBrowserMessageDelegate *_messageDelegate = nullptr;
};

// Creates a browser, shows its window and returns it; the browser deletes itself when its window
// closes. `sender` is the object that asked for it and may be null.
ImageBrowserWindowController *CreateImageBrowserWindow(QObject *sender);
