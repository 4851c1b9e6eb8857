#include "site-downloader/app/PreferencesWindowController.h"

#include "platform/LocalizedString.h"
#include "site-downloader/app/ApplicationDefaults.h"
#include "support/defaults/UserDefaults.h"
#include "support/defaults/ViewGeometry.h"
#include "ui_PreferencesWindowController.h"

using namespace ApplicationDefaults;

namespace {

struct CheckBoxSetting {
    QCheckBox *Ui::PreferencesWindowController::*box;
    const char *titleKey;
    const QString &key;
    bool defaultValue;
};

const CheckBoxSetting kCheckBoxSettings[] = {
    {&Ui::PreferencesWindowController::_checkBoxDontCheckForUpdates, "kDontCheckForUpdatesTitle", kDontCheckForUpdatesKey,
     kDontCheckForUpdatesDefault},
    {&Ui::PreferencesWindowController::_onLaunchOpenNewDocument, "kOnLaunchOpenNewDocumentTitle", kOpenNewDocumentOnLaunchKey,
     kOpenNewDocumentOnLaunchDefault},
    {&Ui::PreferencesWindowController::_onLaunchOpenMediaViewer, "kOnLaunchOpenMediaViewerTitle", kOpenMediaViewerOnLaunchKey,
     kOpenToolWindowOnLaunchDefault},
    {&Ui::PreferencesWindowController::_onLaunchOpenIncrementalDownloader, "kOnLaunchOpenIncrementalDownloaderTitle",
     kOpenIncrementalDownloaderOnLaunchKey, kOpenToolWindowOnLaunchDefault},
    {&Ui::PreferencesWindowController::_onLaunchOpenBatchURLDownloader, "kOnLaunchOpenBatchURLDownloaderTitle",
     kOpenBatchURLDownloaderOnLaunchKey, kOpenToolWindowOnLaunchDefault},
    {&Ui::PreferencesWindowController::_onLaunchOpenImageBrowser, "kOnLaunchOpenImageBrowserTitle", kOpenImageBrowserOnLaunchKey,
     kOpenToolWindowOnLaunchDefault},
    {&Ui::PreferencesWindowController::_checkBoxOpenEventLogOnErrors, "kOpenEventLogOnErrorsTitle", kOpenEventLogOnErrorsKey,
     kOpenEventLogOnErrorsDefault},
};

} // namespace

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
    setWindowTitle(LocalizedString("kPreferencesWindowTitle"));
    _ui->_labelOnLaunchOpen->setText(LocalizedString("kOnLaunchOpenTitle"));
    _ui->_labelMaxDocumentTableURLs->setText(LocalizedString("kMaxDocumentTableURLsTitle"));
    _ui->_labelMaxDocumentTableURLs->setBuddy(_ui->_textFieldMaxDocumentTableURLs);
    _ui->_labelTakeEffect->setText(LocalizedString("kPreferencesTakeEffectMessage"));
    _ui->_OKButton->setText(LocalizedString("kOKButtonTitle"));
    _ui->_cancelButton->setText(LocalizedString("kCancelButtonTitle"));
    _ui->_cancelButton->setShortcut(QKeySequence::Cancel);
    for (const CheckBoxSetting &setting : kCheckBoxSettings) {
        QCheckBox *box = (*_ui).*setting.box;
        box->setText(LocalizedString(setting.titleKey));
        box->setChecked(UserDefaults::boolForKey(setting.key, setting.defaultValue));
    }
    const qint64 limit = UserDefaults::integerForKey(kMaxDocumentTableURLsKey, kMaxDocumentTableURLsDefault);
    _ui->_textFieldMaxDocumentTableURLs->setValue(
        static_cast<int>(std::clamp<qint64>(limit, _ui->_textFieldMaxDocumentTableURLs->minimum(),
                                            _ui->_textFieldMaxDocumentTableURLs->maximum())));
    connect(_ui->_OKButton, &QPushButton::clicked, this, &PreferencesWindowController::OKButtonClicked);
    connect(_ui->_cancelButton, &QPushButton::clicked, this, &PreferencesWindowController::cancelButtonClicked);
    adjustSize();
    centerWindowOnScreen(this);
}

void PreferencesWindowController::OKButtonClicked()
{
    for (const CheckBoxSetting &setting : kCheckBoxSettings)
        UserDefaults::setBool(((*_ui).*setting.box)->isChecked(), setting.key);
    _ui->_textFieldMaxDocumentTableURLs->interpretText();
    UserDefaults::setInteger(_ui->_textFieldMaxDocumentTableURLs->value(), kMaxDocumentTableURLsKey);
    UserDefaults::synchronize();
    close();
}

void PreferencesWindowController::cancelButtonClicked()
{
    close();
}

PreferencesWindowController *CreatePreferencesWindow(QObject *)
{
    auto *controller = new PreferencesWindowController;
    controller->show();
    return controller;
}
