#include "site-downloader/app/AboutBoxWindowController.h"

#include "platform/LocalizedString.h"
#include "site-downloader/http/ProgressBarIndicator.h"
#include "site-downloader/update/NewVersionAvailableDialog.h"
#include "support/defaults/ViewGeometry.h"
#include "ui_AboutBoxWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

namespace {

QPointer<AboutBoxWindowController> currentAboutBox;

} // namespace

AboutBoxWindowController *AboutBoxWindowController::current()
{
    return currentAboutBox.data();
}

AboutBoxWindowController *AboutBoxWindowController::aboutBoxWindowController()
{
    if (!currentAboutBox)
        currentAboutBox = new AboutBoxWindowController;
    return currentAboutBox.data();
}

AboutBoxWindowController::AboutBoxWindowController()
    : QWidget(nullptr, Qt::Window), _ui(new Ui::AboutBoxWindowController), _applicationVersion(ApplicationVersionString())
{
    _ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    awakeFromNib();
}

AboutBoxWindowController::~AboutBoxWindowController()
{
    releaseProductUpdateCheck();
}

void AboutBoxWindowController::awakeFromNib()
{
    setWindowTitle(LocalizedString("kAboutBoxWindowTitle"));
    QFont nameFont = _ui->_textFieldName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    _ui->_textFieldName->setFont(nameFont);
    _ui->_textFieldName->setText(LocalizedString("kApplicationName"));
    _ui->_textFieldVersion->setText(LocalizedString("kVersionTextFormat").replace(QLatin1String("%@"), ApplicationVersionString()));
    _ui->_textViewInfo->setText(LocalizedString("kAboutBoxInfoText"));
    _ui->_buttonWgetHomePage->setText(LocalizedString("kWgetHomePageButtonTitle"));
    _ui->_buttonCheckForUpdate->setText(LocalizedString("kCheckForUpdateButtonTitle"));
    _ui->_buttonDone->setText(LocalizedString("kDoneButtonTitle"));
    _ui->_progressIndicator->hide();
    _progressIndicator = std::make_unique<ProgressBarIndicator>(_ui->_progressIndicator);
    connect(_ui->_buttonCheckForUpdate, &QPushButton::clicked, this, &AboutBoxWindowController::checkForUpdateButtonClicked);
    connect(_ui->_buttonDone, &QPushButton::clicked, this, &AboutBoxWindowController::doneButtonClicked);
    connect(_ui->_buttonWgetHomePage, &QPushButton::clicked, this, &AboutBoxWindowController::goToURLButtonClicked);
    adjustSize();
    centerWindowOnScreen(this);
}

void AboutBoxWindowController::goToURLButtonClicked()
{
    const auto *button = qobject_cast<const QPushButton *>(sender());
    const QString address = button ? button->property("alternateTitle").toString() : QString();
    if (!IsOpenableUpdateURL(address) || !QDesktopServices::openUrl(QUrl(address)))
        QApplication::beep();
}

void AboutBoxWindowController::checkForUpdateButtonClicked()
{
    if (updateCheckRunning()) {
        QApplication::beep();
        return;
    }
    const QString address = LocalizedString("kVersionCheckLocationKey");
    if (address.isEmpty()) {
        _ui->_textFieldStatus->setText(LocalizedString("kNoUpdateAddressMessage"));
        return;
    }
    releaseProductUpdateCheck();
    _productUpdateCheck = std::make_unique<ProductUpdateCheck>(address, this, _progressIndicator.get());
    _productUpdateCheck->setApplicationVersionString(_applicationVersion);
    _productUpdateCheck->setBeep([] { QApplication::beep(); });
    _ui->_progressIndicator->show();
    if (const Status status = _productUpdateCheck->start()) {
        Q_UNUSED(status);
        _productUpdateCheck.reset();
        _ui->_progressIndicator->hide();
        QApplication::beep();
        _ui->_textFieldStatus->setText(LocalizedString("kUpdateCheckFailedKey").replace(QLatin1String("%d"), QString::number(-1)));
        return;
    }
    _ui->_textFieldStatus->setText(LocalizedString("kCheckingForUpdateMessage"));
}

void AboutBoxWindowController::productUpdateCheckComplete(ProductUpdateCheck *, Status status,
                                                          const std::shared_ptr<ProductUpdateCheckResponse> &response)
{
    _ui->_progressIndicator->hide();
    if (status == kNoErr && response && response->isNewVersionAvailable()) {
        _ui->_textFieldStatus->clear();
        _updateResponse = response;
        ShowNewVersionAvailableDialog(response.get(), this, [this](int returnCode) { newVersionSheetDidEnd(returnCode); });
    } else if (status == kNoErr) {
        _ui->_textFieldStatus->setText(LocalizedString("kNoUpdateAvailableKey"));
    } else {
        _ui->_textFieldStatus->setText(LocalizedString("kUpdateCheckFailedKey").replace(QLatin1String("%d"), QString::number(status)));
    }
}

void AboutBoxWindowController::newVersionSheetDidEnd(int returnCode)
{
    if (_updateResponse)
        OpenNewVersionAddress(*_updateResponse, returnCode);
    _updateResponse.reset();
}

void AboutBoxWindowController::releaseProductUpdateCheck()
{
    if (!_productUpdateCheck)
        return;
    _productUpdateCheck->setDelegate(nullptr);
    _productUpdateCheck.reset();
}

void AboutBoxWindowController::doneButtonClicked()
{
    releaseProductUpdateCheck();
    close();
}

void AboutBoxWindowController::closeEvent(QCloseEvent *event)
{
    releaseProductUpdateCheck();
    QWidget::closeEvent(event);
}

AboutBoxWindowController *CreateAboutBoxWindow(QObject *)
{
    AboutBoxWindowController *aboutBox = AboutBoxWindowController::aboutBoxWindowController();
    aboutBox->show();
    aboutBox->raise();
    aboutBox->activateWindow();
    return aboutBox;
}
