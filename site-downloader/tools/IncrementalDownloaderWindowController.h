#pragma once

#include "site-downloader/tools/DownloadToolWindowController.h"

#include <cstdint>
#include <memory>

namespace Ui {
class IncrementalDownloaderWindowController;
}

inline const QString kIncrementalDownloaderWindowControllerKey = QStringLiteral("IncrementalDownloaderWindowController");

// A tool window that fetches a numbered series of files: an address pattern in which "\d"
// stands for the number, a range and a minimum number of digits. The numbers are fetched one
// after another, in ascending order, and each body is saved under a free name in a subfolder of
// the output folder named after the folder that holds the files on the server. Every field but
// the pattern is read again at each number, so edits during a run apply from the next one.
class IncrementalDownloaderWindowController final : public DownloadToolWindowController
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IncrementalDownloaderWindowController)

public:
    explicit IncrementalDownloaderWindowController(QWidget *parent = nullptr);
    ~IncrementalDownloaderWindowController() override;

    int64_t currentIndex() const { return _currentIndex; }
    int32_t total() const { return _total; }
    int32_t errors() const { return _errors; }
    const QString &finalOutputDirectory() const { return _finalOutputDirectory; }

    bool checkToolSetup() override;
    void startNextDownload();

    // InternetFileDownloadDelegate
    void internetFileDownloadComplete(InternetFileDownload *download, Status status,
                                      const std::shared_ptr<InternetFileDownloadResponse> &response) override;

protected:
    void startRun() override;

private:
    void awakeFromNib();
    void localizeInterface();
    int32_t startNumber() const;
    int32_t endNumber() const;
    int32_t minimumDigits() const;

    std::unique_ptr<Ui::IncrementalDownloaderWindowController> _ui;
    std::unique_ptr<ProgressBarIndicator> _individualFileProgress;
    // 64-bit, so that stepping past the largest end number cannot wrap around.
    int64_t _currentIndex = 0;
    int32_t _total = 0;
    int32_t _errors = 0;
    QString _originalURL;
    QString _finalOutputDirectory;
};

// Opens a new incremental downloader window each time; nullptr when it cannot be made.
IncrementalDownloaderWindowController *CreateIncrementalDownloaderWindow(QObject *sender);
