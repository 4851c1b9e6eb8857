#include "timed-downloader/app/AppDelegate.h"

#include "platform/LocalizedString.h"
#include "support/UserGuide.h"
#include "timed-downloader/app/MyDocument.h"
#include "timed-downloader/app/PreferencesWindowController.h"
#include "timed-downloader/document/FileDownloadThread.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

namespace {

// Long enough for a fetch to notice it is given up, short enough not to hold up quitting.
constexpr std::chrono::milliseconds kFetchShutdownBound{3000};

} // namespace

DocumentType PendrillDocumentType()
{
    return DocumentType{QStringLiteral("pendrill"), LocalizedString("kDocumentTypeFilter"),
                        [] { return std::make_unique<MyDocument>(); }};
}

AppDelegate::AppDelegate(std::unique_ptr<DocumentUserInterface> userInterface, QObject *parent)
    : QObject(parent), _userInterface(std::move(userInterface))
{
    if (!_userInterface)
        _userInterface = std::make_unique<DialogDocumentUserInterface>(LocalizedString("kDocumentTypeFilter"));
    _documentController = std::make_unique<DocumentController>(PendrillDocumentType(), _userInterface.get());
    connect(_documentController.get(), &DocumentController::documentOpened, this, [this](Document *document) {
        auto *timedDocument = static_cast<MyDocument *>(document);
        installMenus(timedDocument);
        connect(timedDocument, &MyDocument::windowCloseRequested, this,
                [this](MyDocument *closing) { _documentController->closeDocument(closing); });
        document->window()->show();
    });
    connect(_documentController.get(), &DocumentController::documentClosing, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (_documentController->documents().empty())
                QCoreApplication::quit();
        });
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { FileDownloadThread::abandonAll(kFetchShutdownBound); });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(const QStringList &documentPaths)
{
    _documentController->openDocumentsAtLaunch(documentPaths);
}

PreferencesWindowController *AppDelegate::createPreferencesWindow(QObject *)
{
    auto *controller = new PreferencesWindowController;
    controller->show();
    return controller;
}

bool AppDelegate::showHelpFile(QObject *)
{
    return ShowUserGuide();
}

void AppDelegate::quit()
{
    if (_documentController->closeAllDocuments())
        QCoreApplication::quit();
}

void AppDelegate::installMenus(MyDocument *document)
{
    auto *window = static_cast<QMainWindow *>(document->window());
    QMenuBar *bar = window->menuBar();
    DocumentController &controller = *_documentController;

    QMenu *file = bar->addMenu(LocalizedString("kFileMenuTitle"));
    file->addAction(LocalizedString("kNewMenuTitle"), QKeySequence::New, this, [&controller] { controller.newDocument(); });
    file->addAction(LocalizedString("kOpenMenuTitle"), QKeySequence::Open, this,
                    [&controller] { controller.openDocumentsChosenByUser(); });
    QMenu *recent = file->addMenu(LocalizedString("kOpenRecentMenuTitle"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
    file->addSeparator();
    file->addAction(LocalizedString("kCloseMenuTitle"), QKeySequence::Close, window, &QWidget::close);
    file->addAction(LocalizedString("kSaveMenuTitle"), QKeySequence::Save, this,
                    [&controller, document] { controller.saveDocument(document); });
    file->addAction(LocalizedString("kSaveAsMenuTitle"), QKeySequence::SaveAs, this,
                    [&controller, document] { controller.saveDocumentAs(document); });
    file->addAction(LocalizedString("kRevertMenuTitle"), this, [&controller, document] { controller.revertDocument(document); });
    file->addSeparator();
    QAction *preferences = file->addAction(LocalizedString("kPreferencesMenuTitle"), QKeySequence::Preferences, this,
                                           [this, window] { createPreferencesWindow(window); });
    preferences->setMenuRole(QAction::PreferencesRole);
    file->addSeparator();
    file->addAction(LocalizedString("kQuitMenuTitle"), QKeySequence::Quit, this, &AppDelegate::quit);

    QMenu *help = bar->addMenu(LocalizedString("kHelpMenuTitle"));
    help->addAction(LocalizedString("kUserGuideMenuTitle"), QKeySequence::HelpContents, this,
                    [this, window] { showHelpFile(window); });
}

void AppDelegate::fillRecentMenu(QMenu *menu)
{
    menu->clear();
    for (const QString &path : _documentController->recentDocumentPaths())
        menu->addAction(path, this, [this, path] { _documentController->openDocument(path); });
    menu->addSeparator();
    menu->addAction(LocalizedString("kClearRecentMenuTitle"), this, [this] { _documentController->clearRecentDocuments(); });
}
