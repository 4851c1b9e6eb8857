#include "site-downloader/tools/BatchURLDownloaderWindowController.h"

#include "platform/FileReference.h"
#include "platform/LocalizedString.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/tools/BatchURLList.h"
#include "site-downloader/tools/DownloadToolFiles.h"
#include "support/OwnedWindow.h"
#include "support/controls/ShowHideAddition.h"
#include "ui_BatchURLDownloaderWindowController.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

// Not a translated text: it names the file format's own rule.
const QString kNoURLsInSourceFileText = QStringLiteral(
    "Source file cannot be read or does not contain any URLs. Verify that the file is formatted properly - the "
    "URLs must be separated by \\n style linefeeds.");

} // namespace

BatchURLDownloaderWindowController::BatchURLDownloaderWindowController(QWidget *parent)
    : DownloadToolWindowController(kBatchURLDownloaderWindowControllerKey, parent),
      _ui(std::make_unique<Ui::BatchURLDownloaderWindowController>())
{
    _ui->setupUi(this);
    setObjectName(kBatchURLDownloaderWindowControllerKey);
    setSharedControls(sharedControlsOf(*_ui));
    localizeInterface();
    connect(_ui->_buttonChangeURLListFile, &QPushButton::clicked, this,
            [this] { changeURLListFileButtonClicked(_ui->_buttonChangeURLListFile); });
    awakeFromNib();
}

BatchURLDownloaderWindowController::~BatchURLDownloaderWindowController() = default;

BatchURLDownloaderWindowController *CreateBatchURLDownloaderWindow(QObject *)
{
    auto *controller = new BatchURLDownloaderWindowController;
    ShowOwnedWindow(controller);
    return controller;
}

void BatchURLDownloaderWindowController::localizeInterface()
{
    setWindowTitle(LocalizedString("kBatchURLDownloaderWindowTitle"));
    _ui->_labelURLListFile->setText(LocalizedString("kBatchURLDownloaderListFileLabel"));
    _ui->_labelURLListFile->setBuddy(_ui->_textFieldURLListFile);
    _ui->_buttonChangeURLListFile->setText(LocalizedString("kDownloadToolChooseButtonTitle"));
}

void BatchURLDownloaderWindowController::awakeFromNib()
{
    registerAutoSaveControls({{_ui->_textFieldURLListFile, "_textFieldURLListFile"},
                              {_ui->_checkBoxCreateImageBrowser, "_checkBoxCreateImageBrowser"},
                              {_ui->_textFieldOutputFolderPath, "_textFieldOutputFolderPath"},
                              {_ui->_checkBoxUseAuthentication, "_checkBoxUseAuthentication"},
                              {_ui->_textFieldUsername, "_textFieldUsername"},
                              {_ui->_textFieldPassword, "_textFieldPassword"}});
    ShowHideAddition::hide(_ui->_textFieldNumberStatus);
    ShowHideAddition::hide(_ui->_textFieldStatusLabel);
    ShowHideAddition::hide(_ui->_progressIndicator);
    authenticationStateChanged(_ui->_checkBoxUseAuthentication);
}

QString BatchURLDownloaderWindowController::outputFolder() const
{
    return stringByExpandingTildeInPath(_ui->_textFieldOutputFolderPath->text());
}

bool BatchURLDownloaderWindowController::checkToolSetup()
{
    const QFileInfo list(stringByExpandingTildeInPath(_ui->_textFieldURLListFile->text()));
    const bool listUsable = list.exists() && !list.isDir();
    const bool folderUsable = QFileInfo(outputFolder()).isDir();
    setFieldMarked(_ui->_textFieldURLListFile, !listUsable);
    setFieldMarked(_ui->_textFieldOutputFolderPath, !folderUsable);
    return listUsable && folderUsable;
}

void BatchURLDownloaderWindowController::changeURLListFileButtonClicked(QObject *)
{
    chooseIntoField(_ui->_textFieldURLListFile, false, [this] { checkToolSetup(); });
}

void BatchURLDownloaderWindowController::startRun()
{
    _URLs.clear();
    _totalURLs = 0;
    _errors = 0;
    _currentURLIndex = 0;
    if (!checkToolSetup()) {
        refuseStart();
        return;
    }
    const Status read = ReadBatchURLListFile(stringByExpandingTildeInPath(_ui->_textFieldURLListFile->text()), &_URLs);
    if (read == kReadErr) {
        AddErrorLogEntry(nullptr, LocalizedString("kCannotReadSourceFileKey"));
        refuseStart();
        return;
    }
    if (read != kNoErr || _URLs.isEmpty()) {
        _URLs.clear();
        AddErrorLogEntry(nullptr, kNoURLsInSourceFileText);
        refuseStart();
        return;
    }
    // A list longer than the counters can hold is taken as far as they reach.
    _totalURLs = int32_t(std::min<qsizetype>(_URLs.size(), std::numeric_limits<int32_t>::max()));
    setCountLine(0, _totalURLs, 0);
    showRunIndicators(true);
    _ui->_buttonStart->setText(LocalizedString("kStopButtonTitle"));
    startNextDownload();
}

void BatchURLDownloaderWindowController::startNextDownload()
{
    releaseDownload();
    for (;;) {
        if (_currentURLIndex >= _totalURLs) {
            setStatus(LocalizedString("kDownloadSuccessMessage"));
            adjustUIForProcessingStop(true);
            return;
        }
        if (!_URLs.at(_currentURLIndex).isEmpty())
            break;
        ++_currentURLIndex;
    }
    const QString address = AddressWithDefaultScheme(_URLs.at(_currentURLIndex));
    const Status status = startDownload(address, nullptr);
    if (status != kNoErr) {
        AddErrorLogEntry(nullptr, LocalizedString("kBatchURLDownloaderLineFailedMessageKey")
                                      .arg(_currentURLIndex + 1)
                                      .arg(status)
                                      .arg(_URLs.at(_currentURLIndex)));
        failRun();
        return;
    }
    setStatus(LocalizedString("kRetrievingURLMessage").arg(address));
}

void BatchURLDownloaderWindowController::internetFileDownloadComplete(
    InternetFileDownload *download, Status status, const std::shared_ptr<InternetFileDownloadResponse> &response)
{
    if (status == kCanceledErr) {
        endStoppedRun(download, _currentURLIndex, _totalURLs, _errors);
        return;
    }
    ++_currentURLIndex;
    if (finishCompletedDownload(status, response, outputFolder()) != kNoErr)
        ++_errors;
    startNextDownload();
    setCountLine(_currentURLIndex, _totalURLs, _errors);
}

bool BatchURLDownloaderWindowController::windowShouldClose(QObject *sender)
{
    _URLs.clear();
    return DownloadToolWindowController::windowShouldClose(sender);
}
