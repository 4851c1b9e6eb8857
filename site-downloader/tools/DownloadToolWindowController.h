#pragma once

#include "site-downloader/http/InternetFileDownload.h"
#include "site-downloader/http/ProgressBarIndicator.h"
#include "site-downloader/media/ImageBrowserWindowController.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// What the download tool windows have in common: one download at a time with its start and stop
// button, status and count lines, an overall progress bar, optional authentication, saving each
// body under a free name, an image browser fed with the saved files, failures in the event log,
// and the window's settings kept in the user defaults under its name. The tools decide which
// address comes next and what a completion means for their run. A tool owns itself: closing the
// window abandons a running download and deletes the controller. Main thread only.
class DownloadToolWindowController : public QWidget,
                                     public InternetFileDownloadDelegate,
                                     public ImageBrowserMessageDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadToolWindowController)

public:
    ~DownloadToolWindowController() override;

    InternetFileDownload *internetFileDownload() const { return _internetFileDownload.get(); }
    ImageBrowserWindowController *imageBrowserWindow() const { return _imageBrowserWindow; }
    // The folder chooser while it is open, for keyboard users and tests.
    QWidget *openPanel() const { return _openPanel; }

    // Starts a run, or stops the running download.
    void processButtonClicked(QObject *sender);
    void changeTargetFolderButtonClicked(QObject *sender);
    void authenticationStateChanged(QObject *sender);
    // Marks the fields that cannot be used; true when a run may start.
    virtual bool checkToolSetup() = 0;
    virtual bool windowShouldClose(QObject *sender);
    void windowWillClose(QObject *sender);

    // ImageBrowserMessageDelegate
    void imageBrowserWindowClosed(ImageBrowserWindowController *controller) override;
    // InternetFileDownloadDelegate: the overall bar follows the download when its size is known.
    void internetFileDownloadProgress(InternetFileDownload *download, int64_t bytesSoFar, int64_t bytesTotal) override;

protected:
    // The controls every tool has, from its interface file.
    struct SharedControls {
        QPushButton *buttonStart = nullptr;
        QLabel *textFieldStatus = nullptr;
        QLabel *textFieldStatusLabel = nullptr;
        QLabel *textFieldNumberStatus = nullptr;
        QProgressBar *progressIndicator = nullptr;
        QAbstractButton *checkBoxUseAuthentication = nullptr;
        QLineEdit *textFieldUsername = nullptr;
        QLineEdit *textFieldPassword = nullptr;
        QAbstractButton *checkBoxCreateImageBrowser = nullptr;
        QLineEdit *textFieldOutputFolderPath = nullptr;
        QPushButton *buttonChangeTargetFolder = nullptr;
        QLabel *labelOutputFolderPath = nullptr;
        QLabel *labelUsername = nullptr;
        QLabel *labelPassword = nullptr;
    };

    // The shared controls of an interface file that gives them their usual names.
    template <typename Ui>
    static SharedControls sharedControlsOf(Ui &ui)
    {
        return {ui._buttonStart, ui._textFieldStatus, ui._textFieldStatusLabel, ui._textFieldNumberStatus,
                ui._progressIndicator, ui._checkBoxUseAuthentication, ui._textFieldUsername, ui._textFieldPassword,
                ui._checkBoxCreateImageBrowser, ui._textFieldOutputFolderPath, ui._buttonChangeTargetFolder,
                ui._labelOutputFolderPath, ui._labelUsername, ui._labelPassword};
    }

    DownloadToolWindowController(const QString &autoSaveName, QWidget *parent);
    // What the start button does when no download runs.
    virtual void startRun() = 0;
    // Connects the shared controls and their texts; called once the interface file is loaded.
    void setSharedControls(const SharedControls &controls);
    const SharedControls &controls() const { return _controls; }

    // Registers the controls whose values the window keeps, in order, then restores them; a
    // registration that fails does not keep the others from being restored.
    void registerAutoSaveControls(std::initializer_list<std::pair<QObject *, const char *>> controls);

    // Lets the previous download go (it says nothing more) and shows the overall bar as busy.
    void releaseDownload();
    // Creates and starts the download of `address` with the tools' time-out and the
    // authentication fields as they are now; it is kept while it runs. Its status otherwise.
    Status startDownload(const QString &address, InternetFileDownloadProgressIndicator *progressIndicator);
    void adjustUIForProcessingStop(bool stopped);
    // The cancelled completion of a stop: the run ends with the counts as they were.
    void endStoppedRun(InternetFileDownload *download, int64_t done, int64_t total, int64_t errors);
    // A run that cannot start: the fields say why, the button stays ready.
    void refuseStart();
    // A run that cannot go on: the download is let go and the window is ready again.
    void failRun();
    void setStatus(const QString &text);
    void setCountLine(int64_t done, int64_t total, int64_t errors);
    void showRunIndicators(bool withCountLine);

    // What a tool does with a completion other than a cancel: a successful download is saved
    // into `folder` and shown in the image browser (opening one when the window asks for it);
    // anything else, a file that could not be written whole included (kWriteErr), goes to the
    // event log. kNoErr only for a saved file.
    Status finishCompletedDownload(Status status, const std::shared_ptr<InternetFileDownloadResponse> &response,
                                   const QString &folder);

    // Marks a field whose value cannot be used, or clears the mark.
    static void setFieldMarked(QLineEdit *field, bool marked);
    // An open panel as a sheet on the window, starting at the field's path; a path chosen goes
    // into the field and then `chosen` runs.
    void chooseIntoField(QLineEdit *field, bool folders, std::function<void()> chosen);

    void closeEvent(QCloseEvent *event) override;

private:
    // Disables the button and cancels the running download, whose cancelled completion ends the
    // run as a stop.
    void stopDownload();
    bool isRunning() const { return _internetFileDownload && _internetFileDownload->isBusy(); }
    // Lets the download go without hearing from it again.
    void abandonDownload();
    Status saveDownloadedFile(const InternetFileDownloadResponse &response, const QString &folder);

    const QString _autoSaveName;
    SharedControls _controls;
    std::unique_ptr<InternetFileDownload> _internetFileDownload;
    std::unique_ptr<ProgressBarIndicator> _overallProgress;
    QPointer<ImageBrowserWindowController> _imageBrowserWindow;
    QPointer<QWidget> _openPanel;
    bool _settingsSaved = false;
};
