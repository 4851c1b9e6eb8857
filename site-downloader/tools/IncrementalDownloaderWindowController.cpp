#include "site-downloader/tools/IncrementalDownloaderWindowController.h"

#include "platform/FileReference.h"
#include "platform/LocalizedString.h"
#include "platform/TextIntegerValue.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/tools/IncrementalAddressPattern.h"
#include "support/OwnedWindow.h"
#include "support/controls/ShowHideAddition.h"
#include "ui_IncrementalDownloaderWindowController.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

IncrementalDownloaderWindowController::IncrementalDownloaderWindowController(QWidget *parent)
    : DownloadToolWindowController(kIncrementalDownloaderWindowControllerKey, parent),
      _ui(std::make_unique<Ui::IncrementalDownloaderWindowController>())
{
    _ui->setupUi(this);
    setObjectName(kIncrementalDownloaderWindowControllerKey);
    setSharedControls(sharedControlsOf(*_ui));
    _individualFileProgress = std::make_unique<ProgressBarIndicator>(_ui->_individualFileProgressIndicator);
    localizeInterface();
    awakeFromNib();
}

IncrementalDownloaderWindowController::~IncrementalDownloaderWindowController() = default;

IncrementalDownloaderWindowController *CreateIncrementalDownloaderWindow(QObject *)
{
    auto *controller = new IncrementalDownloaderWindowController;
    ShowOwnedWindow(controller);
    return controller;
}

void IncrementalDownloaderWindowController::localizeInterface()
{
    setWindowTitle(LocalizedString("kIncrementalDownloaderWindowTitle"));
    _ui->_labelBaseURL->setText(LocalizedString("kIncrementalDownloaderAddressPatternLabel"));
    _ui->_textFieldBaseURL->setPlaceholderText(LocalizedString("kIncrementalDownloaderAddressPatternPlaceholder"));
    _ui->_labelMinimumDigits->setText(LocalizedString("kIncrementalDownloaderMinimumDigitsLabel"));
    _ui->_labelStartNumber->setText(LocalizedString("kIncrementalDownloaderStartNumberLabel"));
    _ui->_labelEndNumber->setText(LocalizedString("kIncrementalDownloaderEndNumberLabel"));
    _ui->_labelBaseURL->setBuddy(_ui->_textFieldBaseURL);
    _ui->_labelMinimumDigits->setBuddy(_ui->_textFieldMinimumDigits);
    _ui->_labelStartNumber->setBuddy(_ui->_textFieldStartNumber);
    _ui->_labelEndNumber->setBuddy(_ui->_textFieldEndNumber);
}

void IncrementalDownloaderWindowController::awakeFromNib()
{
    registerAutoSaveControls({{_ui->_textFieldBaseURL, "_textFieldBaseURL"},
                              {_ui->_checkBoxCreateImageBrowser, "_checkBoxCreateImageBrowser"},
                              {_ui->_textFieldOutputFolderPath, "_textFieldOutputFolderPath"},
                              {_ui->_textFieldMinimumDigits, "_textFieldMinimumDigits"},
                              {_ui->_textFieldStartNumber, "_textFieldStartNumber"},
                              {_ui->_textFieldEndNumber, "_textFieldEndNumber"},
                              {_ui->_checkBoxUseAuthentication, "_checkBoxUseAuthentication"},
                              {_ui->_textFieldUsername, "_textFieldUsername"},
                              {_ui->_textFieldPassword, "_textFieldPassword"}});
    ShowHideAddition::hide(_ui->_textFieldStatusLabel);
    ShowHideAddition::hide(_ui->_progressIndicator);
    authenticationStateChanged(_ui->_checkBoxUseAuthentication);
}

int32_t IncrementalDownloaderWindowController::startNumber() const
{
    return IntegerValueOfText(_ui->_textFieldStartNumber->text());
}

int32_t IncrementalDownloaderWindowController::endNumber() const
{
    return IntegerValueOfText(_ui->_textFieldEndNumber->text());
}

int32_t IncrementalDownloaderWindowController::minimumDigits() const
{
    return IntegerValueOfText(_ui->_textFieldMinimumDigits->text());
}

bool IncrementalDownloaderWindowController::checkToolSetup()
{
    for (QLineEdit *field : {_ui->_textFieldMinimumDigits, _ui->_textFieldStartNumber, _ui->_textFieldEndNumber,
                             _ui->_textFieldOutputFolderPath})
        setFieldMarked(field, false);
    bool usable = true;
    const auto mark = [&usable](QLineEdit *field) {
        setFieldMarked(field, true);
        usable = false;
    };
    if (minimumDigits() <= 0 || minimumDigits() > kMaximumIncrementalDigits)
        mark(_ui->_textFieldMinimumDigits);
    if (startNumber() < 0)
        mark(_ui->_textFieldStartNumber);
    if (endNumber() <= 0)
        mark(_ui->_textFieldEndNumber);
    if (startNumber() > endNumber()) {
        mark(_ui->_textFieldStartNumber);
        mark(_ui->_textFieldEndNumber);
    }
    if (!QFileInfo(stringByExpandingTildeInPath(_ui->_textFieldOutputFolderPath->text())).isDir())
        mark(_ui->_textFieldOutputFolderPath);
    return usable;
}

void IncrementalDownloaderWindowController::startRun()
{
    _finalOutputDirectory.clear();
    _originalURL.clear();
    _total = 0;
    _errors = 0;
    _currentIndex = startNumber();
    if (!checkToolSetup()) {
        refuseStart();
        return;
    }
    showRunIndicators(false);
    _originalURL = _ui->_textFieldBaseURL->text();
    const QString outputFolder = stringByExpandingTildeInPath(_ui->_textFieldOutputFolderPath->text());
    const QString subfolder = IncrementalSubfolderName(_originalURL);
    _finalOutputDirectory = subfolder.isEmpty() ? outputFolder : QDir(outputFolder).filePath(subfolder);
    // A folder that cannot be made shows up as failed writes, address by address.
    QDir().mkdir(_finalOutputDirectory);
    startNextDownload();
}

void IncrementalDownloaderWindowController::startNextDownload()
{
    releaseDownload();
    // An empty pattern has nothing to fetch for any number: it runs through the range at once,
    // rather than one number at a time on the window's thread.
    if (_originalURL.isEmpty())
        _currentIndex = std::max<int64_t>(_currentIndex, int64_t(endNumber()) + 1);
    if (_currentIndex > endNumber()) {
        setStatus(LocalizedString("kDownloadSuccessMessage"));
        adjustUIForProcessingStop(true);
        return;
    }
    const std::optional<QString> address = IncrementalAddress(_originalURL, _currentIndex, minimumDigits());
    if (!address) {
        AddErrorLogEntry(nullptr, QStringLiteral("[IncrementalDownloader] no \\d in the input string!"));
        failRun();
        return;
    }
    if (startDownload(*address, _individualFileProgress.get()) != kNoErr) {
        failRun();
        return;
    }
    _ui->_buttonStart->setText(LocalizedString("kStopButtonTitle"));
    setStatus(LocalizedString("kRetrievingURLMessage").arg(*address));
}

void IncrementalDownloaderWindowController::internetFileDownloadComplete(
    InternetFileDownload *download, Status status, const std::shared_ptr<InternetFileDownloadResponse> &response)
{
    const int64_t rangeSize = int64_t(endNumber()) - startNumber() + 1;
    if (status == kCanceledErr) {
        endStoppedRun(download, _total, rangeSize, _errors);
        return;
    }
    ++_currentIndex;
    ++_total;
    if (finishCompletedDownload(status, response, _finalOutputDirectory) != kNoErr)
        ++_errors;
    setCountLine(_total, rangeSize, _errors);
    startNextDownload();
}
