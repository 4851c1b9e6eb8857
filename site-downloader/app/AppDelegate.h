#pragma once

#include "site-downloader/update/ProductUpdateCheck.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class DocumentUserInterface;
class QAction;
class QMainWindow;
class QMenu;
class VellicorApplication;

// The program's shell: the launch sequence (automatic update check, tool windows asked for in
// the preferences, the event log, then documents), the menu commands of every document window
// and the answers of the application's own update checks.
class AppDelegate final : public QObject, public ProductUpdateCheckDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)

public:
    explicit AppDelegate(DocumentUserInterface *userInterface = nullptr, QObject *parent = nullptr);
    ~AppDelegate() override;

    VellicorApplication &application() { return *_application; }

    // Tests give the launch a clock of their own, and count beeps instead of hearing them.
    void setClock(std::function<QDateTime()> clock) { _clock = std::move(clock); }
    void setBeep(std::function<void()> beep) { _beep = std::move(beep); }

    // `documentPaths`: what the desktop asked to open; with none, an untitled document when the
    // preferences want one.
    void applicationDidFinishLaunching(const QStringList &documentPaths);
    bool applicationShouldOpenUntitledFile() const;

    void createAboutBoxWindow(QObject *sender);
    void createBatchURLDownloaderWindow(QObject *sender);
    void createIncrementalDownloaderWindow(QObject *sender);
    void createImageBrowserWindow(QObject *sender);
    void createMediaViewerWindow(QObject *sender);
    void createMovieViewWindow(QObject *sender);
    void createPreferencesWindow(QObject *sender);
    void showEventLogWindow(QObject *sender);
    void showHelpFile(QObject *sender);
    void sendFeedback(QObject *sender);
    void checkForUpdates(QObject *sender);

    ProductUpdateCheck *productUpdateCheck() const { return _productUpdateCheck.get(); }
    void productUpdateCheckComplete(ProductUpdateCheck *check, Status status,
                                    const std::shared_ptr<ProductUpdateCheckResponse> &response) override;

signals:
    // An informational alert the delegate showed (also in tests, where nobody reads it).
    void alertShown(const QString &text);

private:
    void installMenus(QMainWindow *window, QMenu *fileMenu, QMenu *windowMenu, QAction *quitAction);
    bool initiateProductUpdateCheck();
    void showInformationalAlert(const QString &text);

    std::unique_ptr<VellicorApplication> _application;
    std::unique_ptr<ProductUpdateCheck> _productUpdateCheck;
    bool _userInitiatedProductUpdateCheck = false;
    std::function<QDateTime()> _clock;
    std::function<void()> _beep;
};
