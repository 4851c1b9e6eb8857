#pragma once

#include "support/document/DocumentController.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QMainWindow;
class QMenu;
class MyDocument;
class PreferencesWindowController;

// The program's shell: the document controller with its menus in every document window, the
// preferences command and the user guide.
class AppDelegate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)

public:
    // The user guide, relative to the resource folder.

    explicit AppDelegate(std::unique_ptr<DocumentUserInterface> userInterface = nullptr, QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching(const QStringList &documentPaths);
    // A new preferences window every time; each frees itself when closed.
    PreferencesWindowController *createPreferencesWindow(QObject *sender);
    // Opens the user guide in the browser; without the guide nothing happens. Answers whether
    // the guide was there to open.
    bool showHelpFile(QObject *sender);
    // Closes every document (asking about changes) and leaves the event loop.
    void quit();

    DocumentController &documentController() { return *_documentController; }

private:
    void installMenus(MyDocument *document);
    void fillRecentMenu(QMenu *menu);

    std::unique_ptr<DocumentUserInterface> _userInterface;
    std::unique_ptr<DocumentController> _documentController;
};

// The document type of the program: "pendrill" files holding a MyDocument.
DocumentType PendrillDocumentType();
