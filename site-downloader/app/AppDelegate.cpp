#include "site-downloader/app/AppDelegate.h"

#include "platform/LocalizedString.h"
#include "site-downloader/app/AboutBoxWindowController.h"
#include "site-downloader/app/ApplicationDefaults.h"
#include "site-downloader/app/AutomaticUpdateCheck.h"
#include "site-downloader/app/PreferencesWindowController.h"
#include "site-downloader/app/VellicorApplication.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "site-downloader/media/ImageBrowserWindowController.h"
#include "site-downloader/media/movie/QuickTimeMovieViewWindowController.h"
#include "site-downloader/media/viewer/MediaViewerWindowController.h"
#include "site-downloader/tools/BatchURLDownloaderWindowController.h"
#include "site-downloader/tools/IncrementalDownloaderWindowController.h"
#include "site-downloader/update/NewVersionAvailableDialog.h"
#include "support/UserGuide.h"
#include "support/defaults/UserDefaults.h"
#include "support/document/Document.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>
#include <utility>

using namespace ApplicationDefaults;

AppDelegate::AppDelegate(DocumentUserInterface *userInterface, QObject *parent)
    : QObject(parent)
    , _application(std::make_unique<VellicorApplication>(userInterface))
    , _clock([] { return QDateTime::currentDateTimeUtc(); })
    , _beep([] { QApplication::beep(); })
{
    _application->setMenuExtension([this](QMainWindow *window, QMenu *fileMenu, QMenu *windowMenu, QAction *quitAction) {
        installMenus(window, fileMenu, windowMenu, quitAction);
    });
}

AppDelegate::~AppDelegate()
{
    if (_productUpdateCheck)
        _productUpdateCheck->setDelegate(nullptr);
}

void AppDelegate::applicationDidFinishLaunching(const QStringList &documentPaths)
{
    if (!UserDefaults::boolForKey(kDontCheckForUpdatesKey, kDontCheckForUpdatesDefault)) {
        const QDateTime now = _clock();
        const QVariant stored = UserDefaults::objectForKey(kLastUpdateCheckTimeKey);
        std::optional<QDateTime> lastCheck;
        if (stored.isValid())
            lastCheck = stored.toDateTime();
        // Without an update address there is nothing to ask, so nothing is recorded either.
        if (IsAutomaticUpdateCheckDue(now, lastCheck) && !LocalizedString("kVersionCheckLocationKey").isEmpty()) {
            UserDefaults::setObject(now, kLastUpdateCheckTimeKey);
            _userInitiatedProductUpdateCheck = false;
            initiateProductUpdateCheck();
        }
    }
    // The tool windows the preferences ask for, in this order.
    using WindowCommand = void (AppDelegate::*)(QObject *);
    const std::pair<const QString &, WindowCommand> launchWindows[] = {
        {kOpenBatchURLDownloaderOnLaunchKey, &AppDelegate::createBatchURLDownloaderWindow},
        {kOpenIncrementalDownloaderOnLaunchKey, &AppDelegate::createIncrementalDownloaderWindow},
        {kOpenMediaViewerOnLaunchKey, &AppDelegate::createMediaViewerWindow},
        {kOpenImageBrowserOnLaunchKey, &AppDelegate::createImageBrowserWindow},
    };
    bool toolWindowOpened = false;
    for (const auto &[key, create] : launchWindows) {
        if (UserDefaults::boolForKey(key, kOpenToolWindowOnLaunchDefault)) {
            (this->*create)(this);
            toolWindowOpened = true;
        }
    }
    if (EventLogWindowController *log = GetGlobalEventLog())
        if (UserDefaults::boolForKey(kOpenEventLogOnErrorsKey, kOpenEventLogOnErrorsDefault))
            log->setOptions(log->options() | EventLogWindowController::kBringForwardOnEntryOption);

    if (!documentPaths.isEmpty())
        _application->openDocumentsAtLaunch(documentPaths);
    // A program with no window at all could be neither used nor quit, so a launch that would
    // show nothing opens a document after all.
    else if (applicationShouldOpenUntitledFile() || !toolWindowOpened)
        _application->documentController().newDocument();
}

bool AppDelegate::applicationShouldOpenUntitledFile() const
{
    return UserDefaults::boolForKey(kOpenNewDocumentOnLaunchKey, kOpenNewDocumentOnLaunchDefault);
}

void AppDelegate::createAboutBoxWindow(QObject *sender)
{
    CreateAboutBoxWindow(sender);
}

void AppDelegate::createBatchURLDownloaderWindow(QObject *sender)
{
    CreateBatchURLDownloaderWindow(sender);
}

void AppDelegate::createIncrementalDownloaderWindow(QObject *sender)
{
    CreateIncrementalDownloaderWindow(sender);
}

void AppDelegate::createImageBrowserWindow(QObject *sender)
{
    CreateImageBrowserWindow(sender);
}

void AppDelegate::createMediaViewerWindow(QObject *sender)
{
    CreateMediaViewerWindow(sender);
}

void AppDelegate::createMovieViewWindow(QObject *sender)
{
    CreateQuickTimeMovieViewWindow(sender);
}

void AppDelegate::createPreferencesWindow(QObject *sender)
{
    CreatePreferencesWindow(sender);
}

void AppDelegate::showEventLogWindow(QObject *)
{
    if (EventLogWindowController *log = GetGlobalEventLog())
        log->showLogWindow();
}

void AppDelegate::showHelpFile(QObject *)
{
    ShowUserGuide();
}

void AppDelegate::sendFeedback(QObject *)
{
    const QString address = LocalizedString("kFeedbackLocationKey");
    if (address.isEmpty()) {
        showInformationalAlert(LocalizedString("kNoFeedbackAddressMessage"));
        return;
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        _beep();
}

void AppDelegate::checkForUpdates(QObject *)
{
    if (_productUpdateCheck && _productUpdateCheck->running()) {
        _beep();
        return;
    }
    if (LocalizedString("kVersionCheckLocationKey").isEmpty()) {
        showInformationalAlert(LocalizedString("kNoUpdateAddressMessage"));
        return;
    }
    _userInitiatedProductUpdateCheck = true;
    if (!initiateProductUpdateCheck()) {
        _userInitiatedProductUpdateCheck = false;
        showInformationalAlert(LocalizedString("kUpdateCheckFailedExtendedKey"));
    }
}

bool AppDelegate::initiateProductUpdateCheck()
{
    if (_productUpdateCheck)
        _productUpdateCheck->setDelegate(nullptr);
    _productUpdateCheck = std::make_unique<ProductUpdateCheck>(LocalizedString("kVersionCheckLocationKey"), this, nullptr);
    // Only a check the user asked for may beep; the one at launch stays silent when offline.
    if (_userInitiatedProductUpdateCheck)
        _productUpdateCheck->setBeep(_beep);
    return _productUpdateCheck->start() == kNoErr;
}

void AppDelegate::productUpdateCheckComplete(ProductUpdateCheck *, Status status,
                                             const std::shared_ptr<ProductUpdateCheckResponse> &response)
{
    const bool userInitiated = _userInitiatedProductUpdateCheck;
    _userInitiatedProductUpdateCheck = false;
    if (status == kNoErr && response) {
        if (response->isNewVersionAvailable())
            ShowNewVersionAvailableDialog(response.get(), nullptr, nullptr);
        else if (userInitiated)
            showInformationalAlert(LocalizedString("kUpToDateKey"));
    } else if (userInitiated) {
        showInformationalAlert(LocalizedString("kUpdateCheckFailedExtendedKey"));
    }
}

void AppDelegate::showInformationalAlert(const QString &text)
{
    auto *alert = new QMessageBox(QMessageBox::Information, QStringLiteral(" "), text, QMessageBox::Ok);
    alert->setObjectName(QStringLiteral("applicationAlert"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setTextFormat(Qt::PlainText);
    alert->show();
    emit alertShown(text);
}

void AppDelegate::installMenus(QMainWindow *window, QMenu *fileMenu, QMenu *windowMenu, QAction *quitAction)
{
    QAction *preferences = new QAction(LocalizedString("kPreferencesMenuItemTitle"), fileMenu);
    preferences->setShortcut(QKeySequence::Preferences);
    preferences->setMenuRole(QAction::PreferencesRole);
    connect(preferences, &QAction::triggered, this, [this, window] { createPreferencesWindow(window); });
    fileMenu->insertAction(quitAction, preferences);
    fileMenu->insertSeparator(quitAction);

    windowMenu->addSeparator();
    windowMenu->addAction(LocalizedString("kIncrementalDownloaderMenuItemTitle"), this,
                          [this, window] { createIncrementalDownloaderWindow(window); });
    windowMenu->addAction(LocalizedString("kBatchURLDownloaderMenuItemTitle"), this,
                          [this, window] { createBatchURLDownloaderWindow(window); });
    windowMenu->addAction(LocalizedString("kMediaViewerMenuItemTitle"), this, [this, window] { createMediaViewerWindow(window); });
    windowMenu->addAction(LocalizedString("kImageBrowserMenuItemTitle"), this, [this, window] { createImageBrowserWindow(window); });
    windowMenu->addAction(LocalizedString("kMovieViewMenuItemTitle"), this, [this, window] { createMovieViewWindow(window); });

    QMenu *help = window->menuBar()->addMenu(LocalizedString("kHelpMenuTitle"));
    help->addAction(LocalizedString("kUserGuideMenuItemTitle"), QKeySequence::HelpContents, this,
                    [this, window] { showHelpFile(window); });
    help->addAction(LocalizedString("kSendFeedbackMenuItemTitle"), this, [this, window] { sendFeedback(window); });
    help->addAction(LocalizedString("kCheckForUpdatesMenuItemTitle"), this, [this, window] { checkForUpdates(window); });
    help->addSeparator();
    QAction *about = help->addAction(LocalizedString("kAboutMenuItemTitle"), this, [this, window] { createAboutBoxWindow(window); });
    about->setMenuRole(QAction::AboutRole);
}
