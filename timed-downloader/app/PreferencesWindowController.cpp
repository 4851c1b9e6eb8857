#include "timed-downloader/app/PreferencesWindowController.h"

#include "platform/LocalizedString.h"
#include "support/defaults/ViewGeometry.h"
#include "ui_PreferencesWindowController.h"

PreferencesWindowController::PreferencesWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), _ui(new Ui::PreferencesWindowController)
{
    _ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    awakeFromNib();
}

PreferencesWindowController::~PreferencesWindowController() = default;

void PreferencesWindowController::awakeFromNib()
{
    setWindowTitle(LocalizedString("kPreferencesTitle"));
    _ui->_preferencesMessageText->setText(LocalizedString("kPreferencesMessage"));
    _ui->_OKButton->setText(LocalizedString("kOKButtonTitle"));
    _ui->_cancelButton->setText(LocalizedString("kCancelButtonTitle"));
    connect(_ui->_OKButton, &QPushButton::clicked, this, &PreferencesWindowController::OKButtonClicked);
    connect(_ui->_cancelButton, &QPushButton::clicked, this, &PreferencesWindowController::cancelButtonClicked);
    adjustSize();
    centerWindowOnScreen(this);
}

void PreferencesWindowController::OKButtonClicked()
{
    close();
}

void PreferencesWindowController::cancelButtonClicked()
{
    close();
}
