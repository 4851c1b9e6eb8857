#pragma once

#include "site-downloader/tools/DownloadToolWindowController.h"

#include <QStringList>
#include <cstdint>
#include <memory>

namespace Ui {
class BatchURLDownloaderWindowController;
}

inline const QString kBatchURLDownloaderWindowControllerKey = QStringLiteral("BatchURLDownloaderWindowController");

// A tool window that fetches every address listed in a text file, one line after another, and
// saves each body under a free name directly in the output folder. Empty lines are skipped; a
// line that is not an address ends the run there, and the event log says which line it was.
// The list is read once per run; the other fields are read again for every line.
class BatchURLDownloaderWindowController final : public DownloadToolWindowController
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchURLDownloaderWindowController)

public:
    explicit BatchURLDownloaderWindowController(QWidget *parent = nullptr);
    ~BatchURLDownloaderWindowController() override;

    int32_t currentURLIndex() const { return _currentURLIndex; }
    int32_t totalURLs() const { return _totalURLs; }
    int32_t errors() const { return _errors; }

    void changeURLListFileButtonClicked(QObject *sender);
    bool checkToolSetup() override;
    void startNextDownload();
    bool windowShouldClose(QObject *sender) override;

    // InternetFileDownloadDelegate
    void internetFileDownloadComplete(InternetFileDownload *download, Status status,
                                      const std::shared_ptr<InternetFileDownloadResponse> &response) override;

protected:
    void startRun() override;

private:
    void awakeFromNib();
    void localizeInterface();
    QString outputFolder() const;

    std::unique_ptr<Ui::BatchURLDownloaderWindowController> _ui;
    QStringList _URLs;
    int32_t _totalURLs = 0;
    int32_t _currentURLIndex = 0;
    int32_t _errors = 0;
};

// Opens a new batch downloader window each time; nullptr when it cannot be made.
BatchURLDownloaderWindowController *CreateBatchURLDownloaderWindow(QObject *sender);
