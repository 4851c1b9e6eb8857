#pragma once

#include "site-downloader/media/ImageBrowserWindowController.h"
#include "site-downloader/wget/WgetEngineHelper.h"
#include "support/document/Document.h"
#include "support/table/ObjectTableDataSource.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QMainWindow;
class WgetEnginePreferences;

namespace Ui {
class VellicorDocument;
}

// One download job in one window: the job's options and the table of the files its runs saved.
// Start copies the window's controls into the options and runs wget through the helper, whose
// messages fill the status line, the progress bars, the log file and the table.
class VellicorDocument final : public Document,
                               public WgetEngineHelperDelegate,
                               public ObjectTableDataSourceDelegate,
                               public ImageBrowserMessageDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VellicorDocument)

public:
    // The column identifiers of the table of saved files, which are also the keys of its rows.
    static inline const QString kURLColumn = QStringLiteral("url");
    static inline const QString kSizeColumn = QStringLiteral("size");
    static inline const QString kFileNameColumn = QStringLiteral("filename");
    static inline const QString kPathColumn = QStringLiteral("path");
    static inline const QString kMaxTableURLsDefaultsKey = QStringLiteral("kMaxDocumentTableURLsKey");
    static constexpr int kDefaultMaxTableURLs = 1000;

    // Asks the user for a download folder, starting in `startFolder`; empty when cancelled.
    using FolderChooser = std::function<std::optional<QString>(QWidget *parent, const QString &startFolder)>;

    VellicorDocument();
    ~VellicorDocument() override;

    // Document
    QByteArray dataRepresentation() override;
    bool loadDataRepresentation(const QByteArray &data, QString *problem) override;
    bool holdsSecrets() const override { return true; }
    void makeWindow() override;
    QWidget *window() const override;
    void close() override;

    void setPreferences(std::shared_ptr<WgetEnginePreferences> preferences);
    const std::shared_ptr<WgetEnginePreferences> &preferences() const { return _wgetEnginePreferences; }
    void setupUIForPreferences();
    void updatePreferencesForUIState();

    bool isBusy() const { return _busy; }
    // The result of the last run that ended, 0 for success.
    int32_t lastRunResult() const { return _lastRunResult; }
    int32_t totalURLs() const { return _totalURLs; }
    bool isLogFileOpen() const { return _logFile != nullptr; }
    ObjectTableDataSource *tableDataSource() const { return _objectTableDataSourceURLs; }
    ImageBrowserWindowController *imageBrowser() const { return _imageBrowserWindowController; }
    const QString &currentImagePreviewItemFilePath() const { return _currentImagePreviewItemFilePath; }
    // Null once the document is closed.
    WgetEngineHelper *engineHelper() const { return _engine.get(); }

    void setFolderChooser(FolderChooser chooser) { _folderChooser = std::move(chooser); }

    void buttonClickedStartStop(QObject *sender);
    void buttonClickedShowDownloadOptions(QObject *sender);
    void buttonClickedDownloadOptionsOK(QObject *sender);
    void buttonClickedDownloadOptionsCancel(QObject *sender);
    void buttonClickedOpenLog(QObject *sender);
    void buttonClickedOpenImageBrowser(QObject *sender);
    void buttonClickedOpenImageClicked(QObject *sender);
    void buttonClickedRevealImageClicked(QObject *sender);
    void chooseDownloadFolderFromFileBrowser(QObject *sender);
    void tableDoubleClicked(QObject *sender);

    void controlTextDidChange(QObject *sender);
    void tableViewSelectionDidChange(ObjectTableDataSource *source, const QItemSelectionModel *selection) override;
    void imageBrowserWindowClosed(ImageBrowserWindowController *controller) override;

    void wgetStatus(WgetEngineHelper *helper, const QString &text) override;
    void wgetVerboseLog(WgetEngineHelper *helper, const QString &text) override;
    void wgetFileDownloadProgress(uint32_t percent, uint64_t totalBytes) override;
    void wgetFileSaved(WgetEngineHelper *helper, const QString &path, const std::optional<QString> &sourceURL) override;
    void wgetFinished(WgetEngineHelper *helper, int32_t error) override;

    // The status line's text for a run that ended with `error`: empty for success, a cancel or a
    // stop.
    static QString statusTextForResult(int32_t error);

private:
    void windowControllerDidLoadNib();
    void connectActions();
    void rebuildDownloadLocationMenu(const std::optional<QString> &path);
    std::optional<QString> chosenDownloadFolder() const;
    void importTableRows();
    void openLogFile();
    void writeToLogFile(const QString &text);
    void closeLogFile();
    void endRun();
    // The "path" of the selected row, when a row is selected and has one.
    std::optional<QString> selectedRowPath() const;
    void detachImageBrowser();

    std::unique_ptr<WgetEngineHelper> _engine;
    bool _busy = false;
    int32_t _lastRunResult = 0;
    std::shared_ptr<WgetEnginePreferences> _wgetEnginePreferences;
    std::FILE *_logFile = nullptr;
    QString _currentImagePreviewItemFilePath;
    int32_t _totalURLs = 0;
    QPointer<ImageBrowserWindowController> _imageBrowserWindowController;

    std::unique_ptr<QMainWindow> _window;
    std::unique_ptr<Ui::VellicorDocument> _ui;
    ObjectTableDataSource *_objectTableDataSourceURLs = nullptr; // owned by the window
    QButtonGroup *_fileHandlingButtons = nullptr;                // owned by the window
    FolderChooser _folderChooser;
};
