#pragma once

#include "site-downloader/media/sortbins/FileSortBin.h"
#include "site-downloader/media/viewer/FileListingTableView.h"

#include <QMainWindow>
#include <QSet>
#include <QString>
#include <array>
#include <memory>

class QDialog;
class SuperDuperMultimediaView;

namespace Ui {
class MediaViewerWindowController;
class MediaViewerRemoveFilesPanel;
}

// A tool window for going through media files one at a time and sorting them into folders: a
// file listing, the selected file shown in a media view with its location and size, and a side
// panel of ten sort bins that listed files are dragged onto (or sent to with the keys 1...9 and
// 0). The listing follows the files the bins move. It owns itself: closing the window saves the
// listing and the window frame and deletes the controller. Main thread only.
class MediaViewerWindowController final : public QMainWindow, public FileSortBinDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaViewerWindowController)

public:
    static constexpr int kSortBinCount = 10;

    explicit MediaViewerWindowController(QWidget *parent = nullptr);
    ~MediaViewerWindowController() override;

    FileListingTableView *fileListing() const;
    SuperDuperMultimediaView *multimediaView() const;
    FileSortBin *sortBin(int index) const { return _fileSortBins.at(static_cast<size_t>(index)); }
    QDialog *removeFilesPanel() const { return _removeFilesPanel; }
    QString urlText() const;
    QString locationText() const;
    QString sizeText() const;
    void setCopyInsteadOfMove(bool copy);
    void setRemoveFilesFromListWhenDropped(bool remove);

    void addFilesClicked(QObject *sender);
    void removeSelectedFilesClicked(QObject *sender);
    void removeFilesClicked(QObject *sender);
    void removeFilesWithExtensionClicked(QObject *sender);
    void removeFilesOKButtonClicked(QObject *sender);
    void removeFilesCancelButtonClicked(QObject *sender);
    void copyDontMoveCheckBoxChanged(QObject *sender);
    void sendFileToTrash(QObject *sender);
    void revealInFinder(QObject *sender);
    void openExternally(QObject *sender);
    // Sends the selected files to bin `index` (0 for the first), as a drop on it would.
    void sendSelectedFilesToSortBin(int index);
    void loadSelectedFile();
    void savePrefs();

    // FileSortBinDelegate
    void filesDropped(QObject *sender, const QStringList &filePaths) override;
    void fileLocationChanged(FileSortBin *bin, const QString &originalPath, const QString &newPath) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void awakeFromNib();
    void localizeInterface();
    void connectActions();

    std::unique_ptr<Ui::MediaViewerWindowController> _ui;
    std::unique_ptr<Ui::MediaViewerRemoveFilesPanel> _removeFilesPanelUi;
    QDialog *_removeFilesPanel = nullptr;
    std::array<FileSortBin *, kSortBinCount> _fileSortBins{};
    // The listed files that the drop under way has really put into a bin, by their new paths.
    QSet<QString> _pathsSortedInThisDrop;
    bool _prefsSaved = false;
};

// Opens a new media viewer window each time; nullptr when it cannot be made.
MediaViewerWindowController *CreateMediaViewerWindow(QObject *sender);
