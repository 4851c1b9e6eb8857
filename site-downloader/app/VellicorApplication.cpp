#include "site-downloader/app/VellicorApplication.h"

#include "platform/LocalizedString.h"
#include "site-downloader/document/VellicorDocument.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "support/document/Document.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>

namespace {

const char kDocumentProperty[] = "vellicorDocument";

Document *documentOfWindow(const QObject *window)
{
    return static_cast<Document *>(window->property(kDocumentProperty).value<QObject *>());
}

} // namespace

DocumentType VellicorApplication::documentType()
{
    return {QStringLiteral("vellicor"), LocalizedString("kVellicorDocumentFilter"),
            [] { return std::make_unique<VellicorDocument>(); }};
}

VellicorApplication::VellicorApplication(DocumentUserInterface *userInterface, QObject *parent) : QObject(parent)
{
    if (!userInterface) {
        _dialogUserInterface = std::make_unique<DialogDocumentUserInterface>(LocalizedString("kVellicorDocumentFilter"));
        userInterface = _dialogUserInterface.get();
    }
    _documentController = std::make_unique<DocumentController>(documentType(), userInterface);
    connect(_documentController.get(), &DocumentController::documentOpened, this, [this](Document *document) {
        installMenuBar(document);
        if (QWidget *window = document->window())
            window->show();
    });
}

VellicorApplication::~VellicorApplication() = default;

void VellicorApplication::openDocumentsAtLaunch(const QStringList &paths)
{
    _documentController->openDocumentsAtLaunch(paths);
}

bool VellicorApplication::quit()
{
    if (!_documentController->closeAllDocuments())
        return false;
    QApplication::quit();
    return true;
}

void VellicorApplication::installMenuBar(Document *document)
{
    auto *window = qobject_cast<QMainWindow *>(document->window());
    if (!window)
        return;
    window->setProperty(kDocumentProperty, QVariant::fromValue<QObject *>(document));
    window->installEventFilter(this);
    DocumentController *controller = _documentController.get();
    QMenuBar *bar = window->menuBar();

    QMenu *file = bar->addMenu(LocalizedString("kFileMenuTitle"));
    file->addAction(LocalizedString("kNewMenuItemTitle"), QKeySequence::New, controller, [controller] { controller->newDocument(); });
    file->addAction(LocalizedString("kOpenMenuItemTitle"), QKeySequence::Open, controller,
                    [controller] { controller->openDocumentsChosenByUser(); });
    QMenu *recent = file->addMenu(LocalizedString("kOpenRecentMenuTitle"));
    connect(recent, &QMenu::aboutToShow, recent, [this, recent] { fillRecentMenu(recent); });
    fillRecentMenu(recent);
    file->addSeparator();
    file->addAction(LocalizedString("kCloseMenuItemTitle"), QKeySequence::Close, window, [window] { window->close(); });
    file->addAction(LocalizedString("kSaveMenuItemTitle"), QKeySequence::Save, document,
                    [controller, document] { controller->saveDocument(document); });
    file->addAction(LocalizedString("kSaveAsMenuItemTitle"), QKeySequence::SaveAs, document,
                    [controller, document] { controller->saveDocumentAs(document); });
    file->addAction(LocalizedString("kRevertMenuItemTitle"), document, [controller, document] { controller->revertDocument(document); });
    file->addSeparator();
    QAction *quit = file->addAction(LocalizedString("kQuitMenuItemTitle"), QKeySequence::Quit, this, [this] { this->quit(); });
    quit->setMenuRole(QAction::QuitRole);

    QMenu *windows = bar->addMenu(LocalizedString("kWindowMenuTitle"));
    windows->addAction(LocalizedString("kEventLogMenuItemTitle"), this, [] {
        if (EventLogWindowController *log = GetGlobalEventLog())
            log->showLogWindow();
    });
    if (_menuExtension)
        _menuExtension(window, file, windows, quit);
}

void VellicorApplication::fillRecentMenu(QMenu *menu)
{
    menu->clear();
    DocumentController *controller = _documentController.get();
    const QStringList paths = controller->recentDocumentPaths();
    for (const QString &path : paths)
        menu->addAction(QFileInfo(path).fileName(), controller, [controller, path] { controller->openDocument(path); })
            ->setToolTip(path);
    menu->addSeparator();
    QAction *clear = menu->addAction(LocalizedString("kClearRecentMenuItemTitle"), controller,
                                     [controller] { controller->clearRecentDocuments(); });
    clear->setEnabled(!paths.isEmpty());
}

bool VellicorApplication::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    Document *document = documentOfWindow(watched);
    if (!document)
        return QObject::eventFilter(watched, event);
    // The controller asks about unsaved changes and, unless the user cancels, deletes the document
    // and its window later.
    event->setAccepted(_documentController->closeDocument(document));
    return true;
}
