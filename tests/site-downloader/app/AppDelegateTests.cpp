// The Vellicor shell with isolated settings: the launch-time update check against an injected
// clock and a real nginx, the launch options, the update menu command, the preferences window and
// the about box.
#include "platform/LocalizedString.h"
#include "site-downloader/app/AboutBoxWindowController.h"
#include "site-downloader/app/AppDelegate.h"
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
#include "support/defaults/UserDefaults.h"
#include "support/document/Document.h"
#include "tests/fixtures/NginxServer.h"
#include "tests/fixtures/ScriptedUserInterface.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMenuBar>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ApplicationDefaults;

namespace {

const QDateTime kNow = QDateTime(QDate(2026, 12, 7), QTime(3, 0), Qt::UTC);

void closeTopLevelWidgets()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->close();
    QTest::qWait(20);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename Predicate>
bool waitUntil(Predicate predicate, int milliseconds = 15000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!predicate() && !deadline.hasExpired())
        QTest::qWait(10);
    return predicate();
}

template <typename T>
int countTopLevel()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<T *>(widget) && widget->isVisible())
            ++count;
    return count;
}

// Clicks `buttonText` in the next application-modal message box that runs.
void answerNextModalBox(const QString &buttonText, QString *seenText = nullptr)
{
    QTimer::singleShot(50, [buttonText, seenText] {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (seenText)
                    *seenText = box->text();
                for (QAbstractButton *button : box->buttons())
                    if (button->text() == buttonText) {
                        button->click();
                        return;
                    }
            }
            QTest::qWait(20);
        }
    });
}

// Stands in for the browser: the addresses the program asked the desktop to open.
class OpenedAddresses final : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class Shell : public testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().clear();
        ASSERT_TRUE(_root.isValid());
        write("newer.txt", "Version: 99.0\nDownload URL: https://example.org/get\nInfo URL: https://example.org/news\nFurther Info: Faster");
        write("equal.txt", ("Version: " + ApplicationVersionString()).toUtf8());
        write("older.txt", "Version: 0.1");
        _server = std::make_unique<NginxServer>(_root.path());
        QString problem;
        ASSERT_TRUE(_server->start(&problem)) << problem.toStdString();
        useUpdateAddress("/equal.txt");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &_opened, "open");
    }

    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        ClearLocalizedStringOverride("kVersionCheckLocationKey");
        closeTopLevelWidgets();
        QSettings().clear();
    }

    void write(const char *name, const QByteArray &body)
    {
        QFile file(QDir(_root.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
    }

    void useUpdateAddress(const QString &path) { SetLocalizedStringOverride("kVersionCheckLocationKey", _server->url(path)); }

    std::unique_ptr<AppDelegate> launch(const QDateTime &now = kNow)
    {
        auto delegate = std::make_unique<AppDelegate>(&_answers);
        delegate->setClock([now] { return now; });
        delegate->setBeep([this] { ++_beeps; });
        delegate->applicationDidFinishLaunching({});
        return delegate;
    }

    QTemporaryDir _root;
    std::unique_ptr<NginxServer> _server;
    ScriptedUserInterface _answers;
    OpenedAddresses _opened;
    int _beeps = 0;
};

} // namespace

TEST(AutomaticUpdateCheck, DueAtTheBoundaries)
{
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, std::nullopt));
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, kNow)); // the same second: as if none were recorded
    EXPECT_FALSE(IsAutomaticUpdateCheckDue(kNow, kNow.addSecs(-1)));
    EXPECT_FALSE(IsAutomaticUpdateCheckDue(kNow, kNow.addDays(-30).addSecs(1)));
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, kNow.addDays(-30)));
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, kNow.addDays(-400)));
    // A recorded time ahead of the clock does not put the checks off.
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, kNow.addSecs(1)));
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, kNow.addYears(5)));
    EXPECT_TRUE(IsAutomaticUpdateCheckDue(kNow, QDateTime()));
}

TEST_F(Shell, LaunchChecksOnceIn30DaysAndRecordsWhenItStarts)
{
    auto delegate = launch();
    ASSERT_NE(delegate->productUpdateCheck(), nullptr);
    EXPECT_TRUE(delegate->productUpdateCheck()->running());
    EXPECT_EQ(UserDefaults::objectForKey(kLastUpdateCheckTimeKey).toDateTime(), kNow);
    QStringList alerts;
    QObject::connect(delegate.get(), &AppDelegate::alertShown, [&alerts](const QString &text) { alerts << text; });
    ASSERT_TRUE(waitUntil([&] { return !delegate->productUpdateCheck()->running(); }));
    EXPECT_TRUE(alerts.isEmpty()); // the silent check says nothing when up to date
    delegate.reset();
    closeTopLevelWidgets();

    delegate = launch(kNow.addDays(29));
    EXPECT_EQ(delegate->productUpdateCheck(), nullptr);
    delegate.reset();
    delegate = launch(kNow.addDays(30));
    EXPECT_NE(delegate->productUpdateCheck(), nullptr);
    EXPECT_EQ(UserDefaults::objectForKey(kLastUpdateCheckTimeKey).toDateTime(), kNow.addDays(30));
    delegate.reset();

    // A record from the future is replaced by a check now.
    UserDefaults::setObject(kNow.addYears(3), kLastUpdateCheckTimeKey);
    delegate = launch();
    EXPECT_NE(delegate->productUpdateCheck(), nullptr);
    EXPECT_EQ(UserDefaults::objectForKey(kLastUpdateCheckTimeKey).toDateTime(), kNow);
}

TEST_F(Shell, NoAutomaticCheckWhenTurnedOffOrWithoutAnAddress)
{
    UserDefaults::setBool(true, kDontCheckForUpdatesKey);
    auto delegate = launch();
    EXPECT_EQ(delegate->productUpdateCheck(), nullptr);
    EXPECT_FALSE(UserDefaults::objectForKey(kLastUpdateCheckTimeKey).isValid());
    // The menu command still works.
    QStringList alerts;
    QObject::connect(delegate.get(), &AppDelegate::alertShown, [&alerts](const QString &text) { alerts << text; });
    delegate->checkForUpdates(nullptr);
    ASSERT_TRUE(waitUntil([&] { return !alerts.isEmpty(); }));
    EXPECT_EQ(alerts.front(), LocalizedString("kUpToDateKey"));
    delegate.reset();

    UserDefaults::removeObjectForKey(kDontCheckForUpdatesKey);
    ClearLocalizedStringOverride("kVersionCheckLocationKey");
    delegate = launch();
    EXPECT_EQ(delegate->productUpdateCheck(), nullptr);
    EXPECT_FALSE(UserDefaults::objectForKey(kLastUpdateCheckTimeKey).isValid());
    alerts.clear();
    QObject::connect(delegate.get(), &AppDelegate::alertShown, [&alerts](const QString &text) { alerts << text; });
    delegate->checkForUpdates(nullptr);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.front(), LocalizedString("kNoUpdateAddressMessage"));
    EXPECT_FALSE(alerts.front().isEmpty());
    delegate->sendFeedback(nullptr);
    EXPECT_EQ(alerts.last(), LocalizedString("kNoFeedbackAddressMessage"));
}

TEST_F(Shell, MenuCommandAgainstNewerEqualAndOlder)
{
    UserDefaults::setBool(true, kDontCheckForUpdatesKey);
    auto delegate = launch();
    QStringList alerts;
    QObject::connect(delegate.get(), &AppDelegate::alertShown, [&alerts](const QString &text) { alerts << text; });

    delegate->checkForUpdates(nullptr);
    delegate->checkForUpdates(nullptr); // still running: refused with a beep
    EXPECT_EQ(_beeps, 1);
    ASSERT_TRUE(waitUntil([&] { return alerts.size() == 1; }));
    EXPECT_EQ(alerts.last(), LocalizedString("kUpToDateKey"));

    useUpdateAddress("/older.txt");
    delegate->checkForUpdates(nullptr);
    ASSERT_TRUE(waitUntil([&] { return alerts.size() == 2; }));
    EXPECT_EQ(alerts.last(), LocalizedString("kUpToDateKey"));

    useUpdateAddress("/missing.txt");
    delegate->checkForUpdates(nullptr);
    ASSERT_TRUE(waitUntil([&] { return alerts.size() == 3; }));
    EXPECT_EQ(alerts.last(), LocalizedString("kUpdateCheckFailedExtendedKey"));

    // A newer version: the announcement, and Download opens the reply's address.
    useUpdateAddress("/newer.txt");
    QString announced;
    answerNextModalBox(LocalizedString("kDownloadButtonTitle"), &announced);
    delegate->checkForUpdates(nullptr);
    ASSERT_TRUE(waitUntil([&] { return !_opened.urls.isEmpty(); }));
    EXPECT_EQ(_opened.urls.front(), QUrl("https://example.org/get"));
    EXPECT_TRUE(announced.contains(QStringLiteral("99.0")));
    EXPECT_EQ(alerts.size(), 3);
}

TEST_F(Shell, LaunchOpensWhatThePreferencesAsk)
{
    UserDefaults::setBool(true, kDontCheckForUpdatesKey);
    auto delegate = launch();
    EXPECT_EQ(delegate->application().documentController().documents().size(), 1u); // the default
    EXPECT_EQ(countTopLevel<ImageBrowserWindowController>(), 0);
    ASSERT_NE(GetGlobalEventLog(), nullptr);
    EXPECT_EQ(GetGlobalEventLog()->options() & EventLogWindowController::kBringForwardOnEntryOption, 0u);
    delegate.reset();
    closeTopLevelWidgets();

    UserDefaults::setBool(false, kOpenNewDocumentOnLaunchKey);
    UserDefaults::setBool(true, kOpenImageBrowserOnLaunchKey);
    UserDefaults::setBool(true, kOpenMediaViewerOnLaunchKey);
    UserDefaults::setBool(true, kOpenIncrementalDownloaderOnLaunchKey);
    UserDefaults::setBool(true, kOpenBatchURLDownloaderOnLaunchKey);
    UserDefaults::setBool(true, kOpenEventLogOnErrorsKey);
    delegate = launch();
    EXPECT_TRUE(delegate->application().documentController().documents().empty());
    EXPECT_EQ(countTopLevel<ImageBrowserWindowController>(), 1);
    EXPECT_EQ(countTopLevel<MediaViewerWindowController>(), 1);
    EXPECT_EQ(countTopLevel<IncrementalDownloaderWindowController>(), 1);
    EXPECT_EQ(countTopLevel<BatchURLDownloaderWindowController>(), 1);
    EXPECT_NE(GetGlobalEventLog()->options() & EventLogWindowController::kBringForwardOnEntryOption, 0u);
    GetGlobalEventLog()->setOptions(0);
    delegate.reset();
    closeTopLevelWidgets();

    // Nothing at all to show: a document after all, so the program can be used and quit.
    UserDefaults::setBool(false, kOpenImageBrowserOnLaunchKey);
    UserDefaults::setBool(false, kOpenMediaViewerOnLaunchKey);
    UserDefaults::setBool(false, kOpenIncrementalDownloaderOnLaunchKey);
    UserDefaults::setBool(false, kOpenBatchURLDownloaderOnLaunchKey);
    delegate = launch();
    EXPECT_EQ(delegate->application().documentController().documents().size(), 1u);
}

TEST_F(Shell, DocumentWindowsCarryTheApplicationCommands)
{
    UserDefaults::setBool(true, kDontCheckForUpdatesKey);
    auto delegate = launch();
    auto *window = qobject_cast<QMainWindow *>(delegate->application().documentController().documents().front()->window());
    ASSERT_NE(window, nullptr);
    QStringList titles;
    for (QAction *action : window->menuBar()->findChildren<QAction *>())
        titles << action->text();
    for (const char *key : {"kPreferencesMenuItemTitle", "kAboutMenuItemTitle", "kCheckForUpdatesMenuItemTitle",
                            "kUserGuideMenuItemTitle", "kImageBrowserMenuItemTitle", "kSendFeedbackMenuItemTitle",
                            "kMediaViewerMenuItemTitle", "kMovieViewMenuItemTitle"})
        EXPECT_TRUE(titles.contains(LocalizedString(key))) << key;
}

namespace {
QAction *menuAction(QMainWindow *window, const char *titleKey)
{
    for (QAction *action : window->menuBar()->findChildren<QAction *>())
        if (action->text() == LocalizedString(titleKey))
            return action;
    return nullptr;
}
} // namespace

TEST_F(Shell, ToolWindowCommandsOpenANewWindowEachTime)
{
    UserDefaults::setBool(true, kDontCheckForUpdatesKey);
    auto delegate = launch();
    auto *window = qobject_cast<QMainWindow *>(delegate->application().documentController().documents().front()->window());
    ASSERT_NE(window, nullptr);
    const auto checkOpens = [window](const char *titleKey, const std::function<int()> &count) {
        QAction *action = menuAction(window, titleKey);
        ASSERT_NE(action, nullptr) << titleKey;
        EXPECT_EQ(count(), 0) << titleKey;
        action->trigger();
        action->trigger();
        EXPECT_EQ(count(), 2) << titleKey;
    };
    checkOpens("kIncrementalDownloaderMenuItemTitle", countTopLevel<IncrementalDownloaderWindowController>);
    checkOpens("kBatchURLDownloaderMenuItemTitle", countTopLevel<BatchURLDownloaderWindowController>);
    checkOpens("kImageBrowserMenuItemTitle", countTopLevel<ImageBrowserWindowController>);
    checkOpens("kMediaViewerMenuItemTitle", countTopLevel<MediaViewerWindowController>);
    checkOpens("kMovieViewMenuItemTitle", countTopLevel<QuickTimeMovieViewWindowController>);

    QAction *log = menuAction(window, "kEventLogMenuItemTitle");
    ASSERT_NE(log, nullptr);
    log->trigger();
    ASSERT_NE(GetGlobalEventLog(), nullptr);
    EXPECT_TRUE(GetGlobalEventLog()->isVisible());
    GetGlobalEventLog()->hideLogWindow();
}

TEST_F(Shell, PreferencesShowDefaultsAndOKStoresThemCancelNothing)
{
    PreferencesWindowController *first = CreatePreferencesWindow(nullptr);
    PreferencesWindowController *second = CreatePreferencesWindow(nullptr);
    EXPECT_NE(first, second); // a new window each time
    QPointer<PreferencesWindowController> secondAlive = second;
    second->findChild<QCheckBox *>("_checkBoxDontCheckForUpdates")->setChecked(true);
    second->findChild<QSpinBox *>("_textFieldMaxDocumentTableURLs")->setValue(5);
    second->cancelButtonClicked();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(secondAlive.isNull());
    EXPECT_TRUE(QSettings().allKeys().isEmpty());

    EXPECT_TRUE(first->findChild<QCheckBox *>("_onLaunchOpenNewDocument")->isChecked());
    for (const char *name : {"_checkBoxDontCheckForUpdates", "_onLaunchOpenMediaViewer", "_onLaunchOpenIncrementalDownloader",
                             "_onLaunchOpenBatchURLDownloader", "_onLaunchOpenImageBrowser", "_checkBoxOpenEventLogOnErrors"})
        EXPECT_FALSE(first->findChild<QCheckBox *>(name)->isChecked()) << name;
    EXPECT_EQ(first->findChild<QSpinBox *>("_textFieldMaxDocumentTableURLs")->value(), 1000);
    first->OKButtonClicked();
    EXPECT_TRUE(UserDefaults::boolForKey(kOpenNewDocumentOnLaunchKey));
    EXPECT_FALSE(UserDefaults::boolForKey(kDontCheckForUpdatesKey, true));
    EXPECT_FALSE(UserDefaults::boolForKey(kOpenImageBrowserOnLaunchKey, true));
    EXPECT_EQ(UserDefaults::integerForKey(kMaxDocumentTableURLsKey), 1000);

    PreferencesWindowController *third = CreatePreferencesWindow(nullptr);
    third->findChild<QCheckBox *>("_onLaunchOpenImageBrowser")->setChecked(true);
    third->findChild<QSpinBox *>("_textFieldMaxDocumentTableURLs")->setValue(25);
    third->OKButtonClicked();
    EXPECT_TRUE(UserDefaults::boolForKey(kOpenImageBrowserOnLaunchKey));
    EXPECT_EQ(UserDefaults::integerForKey(kMaxDocumentTableURLsKey), 25);
    // The settings reached the disk.
    EXPECT_EQ(QSettings().value(kMaxDocumentTableURLsKey).toInt(), 25);
}

TEST_F(Shell, OneAboutBoxAtATime)
{
    AboutBoxWindowController *aboutBox = CreateAboutBoxWindow(nullptr);
    EXPECT_EQ(CreateAboutBoxWindow(nullptr), aboutBox);
    EXPECT_TRUE(aboutBox->findChild<QLabel *>("_textFieldVersion")->text().contains(ApplicationVersionString()));
    QPointer<AboutBoxWindowController> first = aboutBox;
    aboutBox->doneButtonClicked();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    AboutBoxWindowController *next = CreateAboutBoxWindow(nullptr);
    EXPECT_EQ(AboutBoxWindowController::current(), next);
}

TEST_F(Shell, AboutBoxCheckAgainstNewerEqualAndOlder)
{
    AboutBoxWindowController *aboutBox = CreateAboutBoxWindow(nullptr);
    auto *status = aboutBox->findChild<QLabel *>("_textFieldStatus");
    for (const char *path : {"/equal.txt", "/older.txt"}) {
        useUpdateAddress(QString::fromLatin1(path));
        aboutBox->checkForUpdateButtonClicked();
        ASSERT_TRUE(waitUntil([&] { return !aboutBox->updateCheckRunning(); })) << path;
        EXPECT_EQ(status->text(), LocalizedString("kNoUpdateAvailableKey")) << path;
    }
    useUpdateAddress("/missing.txt");
    aboutBox->checkForUpdateButtonClicked();
    ASSERT_TRUE(waitUntil([&] { return !aboutBox->updateCheckRunning(); }));
    EXPECT_TRUE(status->text().contains(QStringLiteral("404")));

    // A newer version: the sheet on the about box; More Information opens the news page.
    useUpdateAddress("/newer.txt");
    aboutBox->checkForUpdateButtonClicked();
    QMessageBox *sheet = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (sheet = aboutBox->findChild<QMessageBox *>("newVersionAvailableSheet")) != nullptr; }));
    for (QAbstractButton *button : sheet->buttons())
        if (button->text() == LocalizedString("kMoreInformationButtonTitle"))
            button->click();
    ASSERT_TRUE(waitUntil([&] { return !_opened.urls.isEmpty(); }));
    EXPECT_EQ(_opened.urls.front(), QUrl("https://example.org/news"));

    ClearLocalizedStringOverride("kVersionCheckLocationKey");
    aboutBox->checkForUpdateButtonClicked();
    EXPECT_EQ(status->text(), LocalizedString("kNoUpdateAddressMessage"));
}

TEST_F(Shell, ClosingTheAboutBoxDuringACheckLetsGoOfItFirst)
{
    // A server that never answers keeps the check running while the window closes.
    SetLocalizedStringOverride("kVersionCheckLocationKey", _server->url("/equal.txt"));
    AboutBoxWindowController *aboutBox = CreateAboutBoxWindow(nullptr);
    aboutBox->checkForUpdateButtonClicked();
    ASSERT_TRUE(aboutBox->updateCheckRunning());
    QPointer<AboutBoxWindowController> alive = aboutBox;
    aboutBox->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    QTest::qWait(200); // any late completion would reach freed memory here
    EXPECT_EQ(AboutBoxWindowController::current(), nullptr);
}

#include "AppDelegateTests.moc"
