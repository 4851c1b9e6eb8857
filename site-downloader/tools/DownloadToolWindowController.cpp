#include "site-downloader/tools/DownloadToolWindowController.h"

#include "platform/FileReference.h"
#include "platform/LocalizedString.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/tools/DownloadToolFiles.h"
#include "support/controls/ShowHideAddition.h"
#include "support/defaults/UserDefaults.h"
#include "support/defaults/UserDefaultsAutoSave.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

DownloadToolWindowController::DownloadToolWindowController(const QString &autoSaveName, QWidget *parent)
    : QWidget(parent, Qt::Window), _autoSaveName(autoSaveName)
{
    // These windows have no menu bar of their own to carry Close.
    auto *closeShortcut = new QShortcut(QKeySequence::Close, this);
    connect(closeShortcut, &QShortcut::activated, this, &QWidget::close);
}

DownloadToolWindowController::~DownloadToolWindowController()
{
    // A window still open when the program ends keeps its settings too.
    windowWillClose(this);
    if (_imageBrowserWindow)
        _imageBrowserWindow->setMessageDelegate(nullptr);
}

void DownloadToolWindowController::setSharedControls(const SharedControls &controls)
{
    _controls = controls;
    _overallProgress = std::make_unique<ProgressBarIndicator>(controls.progressIndicator);
    _controls.buttonStart->setText(LocalizedString("kStartButtonTitle"));
    _controls.textFieldStatusLabel->setText(LocalizedString("kDownloadToolStatusLabel"));
    _controls.checkBoxUseAuthentication->setText(LocalizedString("kDownloadToolUseAuthenticationTitle"));
    _controls.checkBoxCreateImageBrowser->setText(LocalizedString("kDownloadToolShowInImageBrowserTitle"));
    _controls.labelOutputFolderPath->setText(LocalizedString("kDownloadToolOutputFolderLabel"));
    _controls.labelUsername->setText(LocalizedString("kDownloadToolUsernameLabel"));
    _controls.labelPassword->setText(LocalizedString("kDownloadToolPasswordLabel"));
    _controls.buttonChangeTargetFolder->setText(LocalizedString("kDownloadToolChooseButtonTitle"));
    for (QLabel *label : {_controls.labelOutputFolderPath, _controls.labelUsername, _controls.labelPassword})
        label->setTextFormat(Qt::PlainText);
    _controls.labelOutputFolderPath->setBuddy(_controls.textFieldOutputFolderPath);
    _controls.labelUsername->setBuddy(_controls.textFieldUsername);
    _controls.labelPassword->setBuddy(_controls.textFieldPassword);
    _controls.textFieldStatus->setTextFormat(Qt::PlainText);
    _controls.textFieldNumberStatus->setTextFormat(Qt::PlainText);
    connect(_controls.checkBoxUseAuthentication, &QAbstractButton::toggled, this,
            [this] { authenticationStateChanged(_controls.checkBoxUseAuthentication); });
    connect(_controls.buttonStart, &QPushButton::clicked, this, [this] { processButtonClicked(_controls.buttonStart); });
    connect(_controls.buttonChangeTargetFolder, &QPushButton::clicked, this,
            [this] { changeTargetFolderButtonClicked(_controls.buttonChangeTargetFolder); });
    // Return in a field starts a run, as the default button of a dialog would; it never stops one.
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (!isRunning() && _controls.buttonStart->isEnabled())
                _controls.buttonStart->click();
        });
    }
}

void DownloadToolWindowController::processButtonClicked(QObject *)
{
    if (isRunning())
        stopDownload();
    else
        startRun();
}

void DownloadToolWindowController::changeTargetFolderButtonClicked(QObject *)
{
    chooseIntoField(_controls.textFieldOutputFolderPath, true, [this] { checkToolSetup(); });
}

void DownloadToolWindowController::registerAutoSaveControls(std::initializer_list<std::pair<QObject *, const char *>> controls)
{
    for (const auto &[control, key] : controls) {
        try {
            UserDefaultsAutoSave::addAutoSaveObject(control, _autoSaveName, QString::fromLatin1(key));
        } catch (const std::exception &error) {
            qWarning() << "Cannot keep the value of" << key << ":" << error.what();
        }
    }
    UserDefaultsAutoSave::restoreAutoSaveObjectsForName(_autoSaveName);
}

void DownloadToolWindowController::authenticationStateChanged(QObject *)
{
    const bool use = _controls.checkBoxUseAuthentication->isChecked();
    _controls.textFieldUsername->setEnabled(use);
    _controls.textFieldPassword->setEnabled(use);
}

void DownloadToolWindowController::abandonDownload()
{
    if (_internetFileDownload)
        _internetFileDownload->setDelegate(nullptr);
    _internetFileDownload.reset();
}

void DownloadToolWindowController::releaseDownload()
{
    abandonDownload();
    _overallProgress->showProgress(0, -1);
}

Status DownloadToolWindowController::startDownload(const QString &address,
                                                   InternetFileDownloadProgressIndicator *progressIndicator)
{
    auto download = std::make_unique<InternetFileDownload>(address, this, progressIndicator);
    download->setTimeout(kDownloadToolTimeoutSeconds);
    if (_controls.checkBoxUseAuthentication->isChecked())
        download->setAuthentication(true, _controls.textFieldUsername->text(), _controls.textFieldPassword->text());
    const Status status = download->start();
    if (status == kNoErr)
        _internetFileDownload = std::move(download);
    return status;
}

void DownloadToolWindowController::stopDownload()
{
    _controls.buttonStart->setEnabled(false);
    _internetFileDownload->stop();
}

void DownloadToolWindowController::adjustUIForProcessingStop(bool)
{
    _controls.buttonStart->setText(LocalizedString("kStartButtonTitle"));
    _overallProgress->stopAnimation();
    // An empty bar: a Qt bar whose range is empty shows itself busy instead.
    _overallProgress->showProgress(0, 1);
    _controls.buttonStart->setEnabled(true);
}

void DownloadToolWindowController::endStoppedRun(InternetFileDownload *download, int64_t done, int64_t total,
                                                 int64_t errors)
{
    download->setDelegate(nullptr);
    setCountLine(done, total, errors);
    setStatus(LocalizedString("kStoppedMessage"));
    adjustUIForProcessingStop(true);
}

void DownloadToolWindowController::refuseStart()
{
    setStatus(LocalizedString("kFileProcessingFailedKey"));
    _controls.buttonStart->setEnabled(true);
    _controls.buttonStart->setText(LocalizedString("kStartButtonTitle"));
}

void DownloadToolWindowController::failRun()
{
    setStatus(LocalizedString("kFileProcessingFailedKey"));
    releaseDownload();
    adjustUIForProcessingStop(true);
}

void DownloadToolWindowController::setStatus(const QString &text)
{
    _controls.textFieldStatus->setText(text);
}

void DownloadToolWindowController::setCountLine(int64_t done, int64_t total, int64_t errors)
{
    _controls.textFieldNumberStatus->setText(
        LocalizedString("kDownloadStatusMessageKey").arg(done).arg(total).arg(errors));
}

void DownloadToolWindowController::showRunIndicators(bool withCountLine)
{
    ShowHideAddition::show(_controls.textFieldStatusLabel);
    if (withCountLine)
        ShowHideAddition::show(_controls.textFieldNumberStatus);
    _overallProgress->startAnimation();
    ShowHideAddition::show(_controls.progressIndicator);
}

void DownloadToolWindowController::internetFileDownloadProgress(InternetFileDownload *, int64_t bytesSoFar,
                                                                int64_t bytesTotal)
{
    if (bytesSoFar != -1 && bytesTotal != -1 && bytesSoFar < bytesTotal)
        _overallProgress->showProgress(bytesSoFar, bytesTotal);
}

Status DownloadToolWindowController::saveDownloadedFile(const InternetFileDownloadResponse &response,
                                                        const QString &folder)
{
    QString path;
    const Status status = SaveDownloadedFile(response, folder, &path);
    if (status != kNoErr)
        return status;
    if (_controls.checkBoxCreateImageBrowser->isChecked() && !_imageBrowserWindow) {
        _imageBrowserWindow = CreateImageBrowserWindow(this);
        if (_imageBrowserWindow)
            _imageBrowserWindow->setMessageDelegate(this);
    }
    if (_imageBrowserWindow)
        _imageBrowserWindow->addArtItem(path);
    return kNoErr;
}

Status DownloadToolWindowController::finishCompletedDownload(
    Status status, const std::shared_ptr<InternetFileDownloadResponse> &response, const QString &folder)
{
    Status outcome = kNoErr;
    if (IsSuccessfulDownload(status, response))
        outcome = saveDownloadedFile(*response, folder);
    else
        // A completion without an error but without a body is no success either.
        outcome = status != kNoErr ? status : kResponseErr;
    if (outcome != kNoErr)
        AddErrorLogEntry(nullptr, DownloadFailureLogText(outcome, response));
    return outcome;
}

void DownloadToolWindowController::imageBrowserWindowClosed(ImageBrowserWindowController *)
{
    _imageBrowserWindow = nullptr;
}

void DownloadToolWindowController::setFieldMarked(QLineEdit *field, bool marked)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, marked ? QColor(Qt::red) : QApplication::palette(field).color(QPalette::Text));
    field->setPalette(palette);
    field->setProperty("marked", marked);
}

void DownloadToolWindowController::chooseIntoField(QLineEdit *field, bool folders, std::function<void()> chosen)
{
    auto *panel = new QFileDialog(this);
    panel->setObjectName(QStringLiteral("openPanel"));
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(folders ? QFileDialog::Directory : QFileDialog::ExistingFile);
    if (folders)
        panel->setOption(QFileDialog::ShowDirsOnly);
    const QString current = stringByExpandingTildeInPath(field->text());
    if (folders)
        panel->setDirectory(current);
    else
        panel->selectFile(current);
    // Finishing only hides a dialog, even one that deletes itself on close.
    connect(panel, &QDialog::finished, this, [this, panel, field, chosen = std::move(chosen)](int returnCode) {
        panel->deleteLater();
        if (returnCode != QDialog::Accepted || panel->selectedFiles().isEmpty())
            return;
        field->setText(panel->selectedFiles().constFirst());
        chosen();
    });
    _openPanel = panel;
    panel->open();
}

bool DownloadToolWindowController::windowShouldClose(QObject *)
{
    // A download still running is abandoned: no completion may reach a closed window.
    abandonDownload();
    return true;
}

void DownloadToolWindowController::windowWillClose(QObject *)
{
    abandonDownload();
    if (_settingsSaved)
        return;
    _settingsSaved = true;
    UserDefaultsAutoSave::saveAutoSaveObjectsForName(_autoSaveName);
    // The window keeps a password among its settings.
    if (!UserDefaults::synchronizePrivately())
        qWarning() << "The settings of" << _autoSaveName << "could not be written.";
}

void DownloadToolWindowController::closeEvent(QCloseEvent *event)
{
    if (!windowShouldClose(this)) {
        event->ignore();
        return;
    }
    windowWillClose(this);
    event->accept();
}
